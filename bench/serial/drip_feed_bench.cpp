// Drip-feed through the real feed code to a control on a pseudo-terminal.
//
// BM_DripFeedAt115200: each built-in profile feeds a program at the line rate of 115200
//   baud 8N1 to a control that starts it with DC1 and holds it now and then; the feeding
//   thread's CPU time is set against the time the line needs for the bytes
//   (bytes x 10 bits / 115200) as "cpu_share_percent". A pseudo-terminal has no baud
//   pacing of its own; the feed paces itself at the line rate, so the run takes about
//   the line time.
// BM_WakeUpFloor: what any feed that keeps no more than a profile's allowance on its way
//   must spend on this machine: one timed wait and one write of the whole allowance per
//   allowance of line time, to the same control, and nothing else. Its
//   "cpu_share_percent" is the floor under BM_DripFeedAt115200 for that allowance.
// BM_DripFeed20MBRandomPauses: 20 MB at a high rate to a control with a bounded buffer
//   that executes slower than the feed and holds it when nearly full and at random;
//   checks that every byte arrives in order and the buffer never overflows, and states
//   the CPU per byte as a share of line time at 115200 baud.
// BM_PanelEventLoopGap: the feed job with its panel, as the transfer window runs them,
//   in an offscreen Qt event loop with a 1 ms timer; "max_gap_ms" is the longest time
//   the loop did not get round to the timer during the feed.

#include "common/text_lookup.h"
#include "executing_control.h"
#include "serial/control_profile.h"
#include "serial/drip_feed.h"
#include "serial/drip_feed_job.h"
#include "serial/drip_feed_panel.h"
#include "serial/posix_serial_port.h"
#include "serial/qt_job_events.h"
#include "serial/serial_link.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr double kBaud = 115200.0;

double threadCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double lineSeconds(std::size_t bytes)
{
    return static_cast<double>(bytes) * 10.0 / kBaud;
}

std::string makeProgram(std::size_t size)
{
    std::string text;
    text.reserve(size + 64);
    char line[64];
    for (int n = 1; text.size() < size; ++n) {
        const int length = std::snprintf(
            line, sizeof line, "N%d G01 X%.3f Y%.3f F250\r\n", n % 1000000, (n % 5000) * 0.125, (n % 3000) * 0.25);
        text.append(line, static_cast<std::size_t>(length));
    }
    return text;
}

// A pseudo-terminal whose slave side the feed opens as COM1 at 115200 8N1; the master
// side is the control.
struct PtyLine {
    PtyLine()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        kvt::PortNameMap names = kvt::PortNameMap::defaults();
        names.devices[0] = name;
        port = std::make_unique<kvt::PosixSerialPort>(names);
        kvt::SerialSettings settings {};
        settings.portNumber = 1;
        settings.baudRate = 115200;
        settings.dataBits = 8;
        settings.stopBits = 1.0f;
        ok = kvt::OpenPortWithSettings(*port, settings, kvt::PortDirection::Send);
    }
    ~PtyLine()
    {
        port.reset();
        if (slave >= 0)
            close(slave);
        if (master >= 0)
            close(master);
    }
    void send(char byte) const
    {
        while (write(master, &byte, 1) != 1 && errno == EINTR) { }
    }
    // Whatever arrives within the wait, appended to into; false on a read error.
    bool readSome(std::string& into, int waitMs) const
    {
        pollfd p {master, POLLIN, 0};
        if (poll(&p, 1, waitMs) <= 0)
            return true;
        char buffer[65536];
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n < 0)
            return errno == EINTR || errno == EAGAIN;
        into.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int master = -1;
    int slave = -1;
    std::unique_ptr<kvt::PosixSerialPort> port;
    bool ok = false;
};

// The control: answers the start with DC1, reads what comes and holds the feed for
// 20 ms about every half second. Stops when told or when everything is there.
struct PausingControl {
    PausingControl(const PtyLine& line, std::size_t expected)
        : thread([this, &line, expected] {
            line.send(static_cast<char>(kvt::kDc1Byte));
            auto nextHold = Clock::now() + 500ms;
            while (!stop && received.size() < expected) {
                if (!line.readSome(received, 10))
                    break;
                if (Clock::now() >= nextHold) {
                    line.send(static_cast<char>(kvt::kDc3Byte));
                    std::this_thread::sleep_for(20ms);
                    line.send(static_cast<char>(kvt::kDc1Byte));
                    ++holds;
                    nextHold = Clock::now() + 500ms;
                }
            }
        })
    {
    }
    ~PausingControl() { finish(); }
    void finish()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
    }
    std::string received;
    int holds = 0;
    std::atomic<bool> stop {false};
    std::thread thread;
};

void BM_DripFeedAt115200(benchmark::State& state)
{
    const auto& profiles = kvt::builtInProfiles();
    const auto index = static_cast<std::size_t>(state.range(0));
    if (index >= profiles.size()) {
        state.SkipWithError("no such profile");
        return;
    }
    const kvt::ControlProfile& profile = profiles[index];
    state.SetLabel(profile.name);
    const kvt::FramedProgram program
        = kvt::frameProgram(profile, makeProgram(static_cast<std::size_t>(state.range(1))), "O1000");
    const std::uint32_t rate = kvt::lineBytesPerSecond(115200, 8, false, kvt::kOneStopBit);

    double cpu = 0.0;
    double wall = 0.0;
    bool whole = true;
    int holds = 0;
    for (auto _ : state) {
        PtyLine line;
        if (!line.ok) {
            state.SkipWithError("pseudo-terminal not opened");
            return;
        }
        PausingControl control(line, program.bytes.size());
        kvt::DripFeed feed(*line.port, profile, program, rate);
        const auto start = Clock::now();
        const double cpuStart = threadCpuSeconds();
        const kvt::DripFeedProgress end = feed.run();
        cpu += threadCpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(Clock::now() - start).count();
        std::this_thread::sleep_for(50ms); // the control reads the last bytes
        control.finish();
        whole = whole && end.state == kvt::DripFeedState::Finished && control.received == program.bytes;
        holds += control.holds;
    }
    if (!whole)
        state.SkipWithError("the program did not arrive whole");
    const auto runs = static_cast<double>(state.iterations());
    state.counters["bytes"] = static_cast<double>(program.bytes.size());
    state.counters["line_s"] = lineSeconds(program.bytes.size());
    state.counters["wall_s"] = wall / runs;
    state.counters["cpu_ms"] = cpu / runs * 1e3;
    state.counters["cpu_share_percent"] = 100.0 * cpu / runs / lineSeconds(program.bytes.size());
    state.counters["holds"] = holds / runs;
    state.counters["in_flight"] = static_cast<double>(profile.flow == kvt::FlowMode::Program
            ? std::min<std::size_t>(profile.stopAllowance, kvt::DripFeed::kMaxInFlight)
            : kvt::DripFeed::kDriverFlowInFlight);
}
// Profiles in their built-in order; 64 KB each, about 5.7 s of line time.
BENCHMARK(BM_DripFeedAt115200)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {64 * 1024}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

void BM_WakeUpFloor(benchmark::State& state)
{
    const auto allowance = static_cast<std::size_t>(state.range(0));
    const std::string program = makeProgram(64 * 1024);
    const std::uint32_t rate = kvt::lineBytesPerSecond(115200, 8, false, kvt::kOneStopBit);
    const auto period = std::chrono::nanoseconds(static_cast<std::int64_t>(allowance * 1'000'000'000ull / rate));
    double cpu = 0.0;
    for (auto _ : state) {
        PtyLine line;
        if (!line.ok) {
            state.SkipWithError("pseudo-terminal not opened");
            return;
        }
        PausingControl control(line, program.size());
        const double cpuStart = threadCpuSeconds();
        for (std::size_t sent = 0; sent < program.size();) {
            const std::size_t piece = std::min(allowance, program.size() - sent);
            const ssize_t n = write(line.slave, program.data() + sent, piece);
            if (n > 0)
                sent += static_cast<std::size_t>(n);
            pollfd fd {line.slave, POLLIN, 0};
            const timespec wait {0, static_cast<long>(period.count())};
            if (ppoll(&fd, 1, &wait, nullptr) > 0) {
                char incoming[64];
                (void)!read(line.slave, incoming, sizeof incoming);
            }
        }
        cpu += threadCpuSeconds() - cpuStart;
        std::this_thread::sleep_for(50ms);
        control.finish();
    }
    state.counters["cpu_share_percent"]
        = 100.0 * cpu / static_cast<double>(state.iterations()) / lineSeconds(program.size());
    state.counters["wake_ups"] = static_cast<double>((program.size() + allowance - 1) / allowance);
}
// The allowances of the built-in profiles that pace the line themselves.
BENCHMARK(BM_WakeUpFloor)->Arg(10)->Arg(16)->Arg(32)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The control of the unit test scaled up: a buffer of 1 MB, a feed at 4 MB/s, a control
// that executes at 30 % of that and stops now and then, and a reaction time of 50 ms, so
// the buffer keeps room for what the feed brings while the control reacts.
void BM_DripFeed20MBRandomPauses(benchmark::State& state)
{
    kvt::ControlProfile profile = kvt::builtInProfiles().back();
    profile.flow = kvt::FlowMode::Program;
    profile.start = kvt::StartCondition::AtOnce;
    profile.stopAllowance = 512;
    constexpr std::uint32_t kRate = 4'000'000;
    // A pseudo-terminal on a small machine carries about half the feed's rate, so the
    // control executes at less than that, or its buffer would never fill.
    constexpr double kExecutedPerSecond = kRate * 0.3;
    constexpr std::size_t kBuffer = 1024 * 1024;
    constexpr std::size_t kReaction = kRate / 20;
    const kvt::FramedProgram program = kvt::frameProgram(profile, makeProgram(20'000'000), "big");

    for (auto _ : state) {
        PtyLine line;
        if (!line.ok) {
            state.SkipWithError("pseudo-terminal not opened");
            return;
        }
        kvt::DripFeed feed(*line.port, profile, program, kRate);
        double cpu = 0.0;
        kvt::DripFeedProgress end;
        std::thread feeder([&] {
            const double cpuStart = threadCpuSeconds();
            end = feed.run();
            cpu = threadCpuSeconds() - cpuStart;
        });

        kvt::test::ExecutingControl control(kBuffer, profile.stopAllowance + kReaction, kExecutedPerSecond);
        std::string chunk;
        std::size_t received = 0;
        bool same = true;
        bool stalled = false;
        auto lastByte = Clock::now();
        const auto start = Clock::now();
        while (received < program.bytes.size()) {
            chunk.clear();
            if (!line.readSome(chunk, control.held() ? 1 : 100))
                break;
            const auto now = Clock::now();
            if (!chunk.empty()) {
                lastByte = now;
            } else if (!control.held() && now - lastByte > 3s) {
                stalled = true;
                break;
            }
            same = same && program.bytes.compare(received, chunk.size(), chunk) == 0;
            received += chunk.size();
            if (const std::uint8_t flow = control.take(chunk.size(), now)) {
                line.send(static_cast<char>(flow));
                lastByte = now;
            }
        }
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        if (received < program.bytes.size())
            feed.cancel();
        feeder.join();
        if (stalled)
            state.SkipWithError("the feed stalled");
        else if (!same || received != program.bytes.size())
            state.SkipWithError("the program did not arrive byte for byte");
        else if (control.mostBuffered > kBuffer)
            state.SkipWithError("the control's buffer overflowed");
        else if (end.state != kvt::DripFeedState::Finished)
            state.SkipWithError("the feed did not finish");
        state.counters["MB"] = static_cast<double>(received) / 1e6;
        state.counters["wall_s"] = wall;
        state.counters["full_holds"] = control.fullHolds;
        state.counters["random_holds"] = control.randomHolds;
        state.counters["most_buffered"] = control.mostBuffered;
        state.counters["buffer"] = static_cast<double>(kBuffer);
        state.counters["cpu_s"] = cpu;
        state.counters["cpu_ns_per_byte"] = cpu * 1e9 / static_cast<double>(program.bytes.size());
        state.counters["cpu_share_percent"] = 100.0 * cpu / lineSeconds(program.bytes.size());
    }
}
BENCHMARK(BM_DripFeed20MBRandomPauses)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_PanelEventLoopGap(benchmark::State& state)
{
    if (QApplication::instance() == nullptr) {
        state.SkipWithError("no application");
        return;
    }
    const kvt::ControlProfile& profile = kvt::builtInProfiles()[0];
    const kvt::FramedProgram program = kvt::frameProgram(profile, makeProgram(32 * 1024), "O1000");
    const std::uint32_t rate = kvt::lineBytesPerSecond(115200, 8, false, kvt::kOneStopBit);
    kvt::BuiltinTexts texts;

    for (auto _ : state) {
        PtyLine line;
        if (!line.ok) {
            state.SkipWithError("pseudo-terminal not opened");
            return;
        }
        PausingControl control(line, program.bytes.size());
        kvt::QtJobEvents events;
        bool finished = false;
        events.setHandlers(
            {[&finished](int message) { finished = finished || message == kvt::kMessageDripFeedFinished; }, {}, {}, {},
                {}});
        kvt::DripFeedJob job(*line.port, events);
        kvt::DripFeedPanel panel(job, texts, nullptr);
        panel.show();

        QElapsedTimer clock;
        qint64 last = 0;
        qint64 longest = 0;
        QTimer tick;
        tick.setInterval(1);
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - last);
            last = now;
        });
        QEventLoop loop;
        QTimer done;
        done.setInterval(5);
        QObject::connect(&done, &QTimer::timeout, [&] {
            if (finished)
                loop.quit();
        });
        clock.start();
        tick.start();
        done.start();
        if (!job.start(profile, program, rate)) {
            state.SkipWithError("the feed did not start");
            return;
        }
        loop.exec();
        tick.stop();
        control.finish();
        job.stop();
        state.counters["max_gap_ms"] = static_cast<double>(longest) / 1e6;
        state.counters["line_s"] = lineSeconds(program.bytes.size());
        if (job.progress().state != kvt::DripFeedState::Finished)
            state.SkipWithError("the feed did not finish");
    }
}
BENCHMARK(BM_PanelEventLoopGap)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
