// A whole NC program received through a pseudo-terminal, the master side writing as
// fast as the terminal takes it. Reports real time, the receiving thread's CPU time
// and checks that every byte arrived in order.

#include "serial/posix_serial_port.h"
#include "serial/serial_link.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <pty.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string MakeProgram(std::size_t size)
{
    std::string program;
    program.reserve(size + 64);
    char line[64];
    for (int n = 1; program.size() < size; ++n) {
        const int length = std::snprintf(
            line, sizeof line, "N%06d G01 X%.3f Y%.3f F250\r\n", n % 1000000, (n % 5000) * 0.125, (n % 3000) * 0.25);
        program.append(line, static_cast<std::size_t>(length));
    }
    program.resize(size);
    return program;
}

double ThreadCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// User and system CPU seconds of the calling thread.
std::pair<double, double> ThreadUserSystemSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_THREAD, &usage);
    auto seconds
        = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6; };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

void BM_ReceiveProgram(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string program = MakeProgram(size);
    std::vector<char> area(kvt::kReceiveCapacity, '\0');

    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        state.SkipWithError("openpty failed");
        return;
    }
    kvt::PortNameMap names = kvt::PortNameMap::defaults();
    names.devices[0] = name;
    kvt::PosixSerialPort port(names);
    kvt::SerialSettings settings {};
    settings.portNumber = 1;
    settings.baudRate = 256000; // the fastest listed rate; a pseudo-terminal is not paced by it
    settings.dataBits = 8;
    settings.stopBits = 1.0f;
    if (!kvt::OpenPortWithSettings(port, settings, kvt::PortDirection::Receive)) {
        state.SkipWithError("open failed");
        return;
    }

    double cpuTotal = 0;
    double lastByteTotal = 0;
    double userTotal = 0;
    double systemTotal = 0;
    for (auto _ : state) {
        std::fill(area.begin(), area.end(), '\0');
        kvt::ReceiveTarget target {area, 0};
        std::atomic<std::uint32_t> counter {0};
        const std::atomic<std::uint8_t> stop {0};
        Clock::time_point writerDone;

        const Clock::time_point start = Clock::now();
        std::thread control([&] {
            std::size_t done = 0;
            while (done < program.size()) {
                const ssize_t n = ::write(master, program.data() + done, std::min<std::size_t>(65536, size - done));
                if (n > 0) {
                    done += static_cast<std::size_t>(n);
                }
            }
            writerDone = Clock::now();
        });
        const double cpuStart = ThreadCpuSeconds();
        const auto [userStart, systemStart] = ThreadUserSystemSeconds();
        std::uint32_t events = 0;
        port.setEventMask(kvt::line_event::kCharReceived);
        port.waitEvent(events);
        kvt::ReceiveWorker(port, counter, 0, target, stop);
        const double cpu = ThreadCpuSeconds() - cpuStart;
        const auto [userEnd, systemEnd] = ThreadUserSystemSeconds();
        const Clock::time_point end = Clock::now();
        control.join();

        if (counter != size || target.end != size || std::string_view(area.data(), size) != program) {
            state.SkipWithError("bytes lost or changed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        cpuTotal += cpu;
        userTotal += userEnd - userStart;
        systemTotal += systemEnd - systemStart;
        lastByteTotal += std::chrono::duration<double>(writerDone - start).count();
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["receiver_cpu_ms"] = cpuTotal / iterations * 1e3;
    state.counters["receiver_user_ms"] = userTotal / iterations * 1e3;
    state.counters["receiver_system_ms"] = systemTotal / iterations * 1e3;
    state.counters["last_byte_written_ms"] = lastByteTotal / iterations * 1e3;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(size));
    port.close();
    ::close(master);
    ::close(slave);
}

// 1 MB, 3 MB and 10 MB (just under the 10,240,000-byte text area): time and CPU should
// grow in proportion to the size.
BENCHMARK(BM_ReceiveProgram)
    ->Arg(1'000'000)
    ->Arg(3'000'000)
    ->Arg(10'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

BENCHMARK_MAIN();
