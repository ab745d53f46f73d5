#include "serial/drip_feed.h"

#include <algorithm>
#include <cmath>

namespace kvt {

namespace {

using std::chrono::microseconds;

constexpr microseconds kIdleWait {20'000}; // how often a held or paused feed looks round
constexpr microseconds kLongestWait {50'000};
constexpr std::chrono::milliseconds kLinkCheckEvery {10};
// How late a timed wait may come back: the feed wakes this much before the line would run
// dry, so that the next piece is there in time.
constexpr microseconds kWakeLatency {150};

// The time the line needs for bytes, rounded up to the microsecond.
microseconds lineTime(std::size_t bytes, std::uint32_t rate)
{
    return microseconds(static_cast<std::int64_t>((std::uint64_t {bytes} * 1'000'000 + rate - 1) / rate));
}

} // namespace

bool FlowWatch::feed(std::uint8_t byte)
{
    if (byte == kDc3Byte) {
        m_held = true;
        return true;
    }
    if (byte == kDc1Byte) {
        m_held = false;
        m_released = true;
        return true;
    }
    return false;
}

std::uint32_t lineBytesPerSecond(std::uint32_t baud, std::uint8_t dataBits, bool parity, std::uint8_t stopBitCode)
{
    // Half bits in whole numbers: one and a half stop bits are 3 halves.
    const std::uint32_t stopHalves = stopBitCode == kOneAndHalfStopBits ? 3 : stopBitCode == kTwoStopBits ? 4 : 2;
    const std::uint32_t halves = 2 * (1 + std::clamp<std::uint32_t>(dataBits, 4, 8) + (parity ? 1 : 0)) + stopHalves;
    return std::max<std::uint32_t>(static_cast<std::uint32_t>(std::uint64_t {baud} * 2 / halves), 1);
}

DripFeed::DripFeed(
    SerialPort& port, const ControlProfile& profile, const FramedProgram& program, std::uint32_t bytesPerSecond)
    : m_port(port)
    , m_profile(profile)
    , m_program(program)
    , m_rate(std::max<std::uint32_t>(bytesPerSecond, 1))
{
    const std::size_t wanted
        = profile.flow == FlowMode::Program ? std::size_t {profile.stopAllowance} : kDriverFlowInFlight;
    m_limit = std::clamp<std::size_t>(wanted, 1, kMaxInFlight);
    m_progress.totalBytes = program.bytes.size();
    m_progress.totalLines = program.lineStarts.size();
}

void DripFeed::cancel()
{
    m_cancelled = true;
    m_port.cancel();
}

DripFeedProgress DripFeed::progress() const
{
    std::lock_guard lock(m_mutex);
    return m_progress;
}

std::size_t DripFeed::restartLine() const
{
    // After a break nobody can tell how much of what was on its way arrived: take all of
    // it as lost, so a restart repeats a line rather than skipping one.
    const DripFeedProgress p = progress();
    const std::size_t unsure = std::max(p.inFlight, m_limit);
    return std::max<std::size_t>(lineAtOffset(m_program, p.bytesSent - std::min(unsure, p.bytesSent)), 1);
}

std::size_t DripFeed::estimateInFlight(Clock::time_point now)
{
    const double elapsed = std::chrono::duration<double>(now - m_lastModel).count();
    m_lastModel = now;
    m_modelInFlight = std::max(0.0, m_modelInFlight - elapsed * m_rate);
    std::size_t queued = 0;
    const bool known = m_port.outputQueued(queued);
    // A real UART's queue is exact; a line the driver cannot see into (a pseudo-terminal,
    // a USB adapter that buffers on its own) is taken as carrying bytes at the line rate.
    const auto model = static_cast<std::size_t>(std::ceil(m_modelInFlight));
    return std::min(m_sent, std::max(model, known ? queued : 0));
}

bool DripFeed::linkLost(Clock::time_point now)
{
    if (!m_watchLink || now - m_lastLinkCheck < kLinkCheckEvery)
        return false;
    m_lastLinkCheck = now;
    std::uint32_t status = 0;
    if (!m_port.modemStatus(status))
        return false; // the lines cannot be read now; a dead port shows in its reads
    if ((status & m_watchedLines) == m_watchedLines) {
        m_linesSeen = now;
        return false;
    }
    return now - m_linesSeen > std::chrono::milliseconds(m_profile.linkTimeoutMs);
}

void DripFeed::publish(DripFeedState state)
{
    const auto now = Clock::now();
    const std::size_t inFlight = estimateInFlight(now);
    const auto& starts = m_program.lineStarts;
    std::size_t linesSent = 0;
    if (m_sent >= m_program.bodyEnd) {
        linesSent = starts.size();
    } else {
        const auto next = std::upper_bound(starts.begin(), starts.end(), m_sent);
        linesSent = static_cast<std::size_t>(std::max<std::ptrdiff_t>(next - starts.begin() - 1, 0));
    }
    std::lock_guard lock(m_mutex);
    m_progress.state = state;
    m_progress.bytesSent = m_sent;
    m_progress.inFlight = inFlight;
    m_progress.linesSent = linesSent;
    m_progress.controlLine = lineAtOffset(m_program, m_sent - inFlight);
    m_progress.secondsLeft = static_cast<double>(m_program.bytes.size() - m_sent + inFlight) / m_rate;
}

DripFeedProgress DripFeed::run(
    const std::function<void(const DripFeedProgress&)>& report, std::chrono::milliseconds reportInterval)
{
    const std::size_t total = m_program.bytes.size();
    const auto* data = reinterpret_cast<const std::uint8_t*>(m_program.bytes.data());
    auto now = Clock::now();
    m_lastModel = now;
    m_lastLinkCheck = now;
    m_linesSeen = now;
    std::uint32_t status = 0;
    if (m_profile.linkTimeoutMs > 0 && m_port.modemStatus(status)) {
        // Only lines that are there at the start can drop; a three-wire cable has none.
        m_watchedLines = status & (modem_line::kDsr | modem_line::kCts);
        m_watchLink = m_watchedLines != 0;
    }

    // A program that reads DC1 and DC3 itself must get them: a driver doing XON/XOFF
    // would swallow them. The driver's setting comes back when the feed ends.
    LineSettings driverFlow;
    bool restoreDriverFlow = false;
    // A control that starts the feed with DC1 while the driver does the flow control: the
    // driver would swallow that DC1 and the feed wait for it for ever. The feed reads it
    // itself and hands XON/XOFF back to the driver once the control has started.
    bool driverFlowAfterStart = false;
    const bool readsFlowBytes = m_profile.flow == FlowMode::Program || m_profile.start == StartCondition::WaitXon;
    if (readsFlowBytes && m_port.lineSettings(driverFlow) && driverFlow.outX) {
        LineSettings own = driverFlow;
        own.outX = false;
        restoreDriverFlow = m_port.setLineSettings(own);
        driverFlowAfterStart = restoreDriverFlow && m_profile.flow == FlowMode::Driver;
    }

    // Every wake-up costs far more than the bytes it hands over, so the feed hands over
    // as much as the allowance leaves room for and sleeps until the line has carried all
    // but what it carries while the feed wakes up again.
    const std::size_t margin = std::clamp<std::size_t>(
        static_cast<std::size_t>((std::uint64_t {m_rate} * kWakeLatency.count() + 999'999) / 1'000'000), 1,
        std::max<std::size_t>(m_limit / 2, 1));
    const std::size_t piece = m_limit > margin ? m_limit - margin : 1;

    bool started = m_profile.start == StartCondition::AtOnce;
    auto pauseUntil = now;
    auto lastReport = now - reportInterval;
    DripFeedState state = started ? DripFeedState::Sending : DripFeedState::WaitingForStart;
    DripFeedState end = DripFeedState::Sending; // Sending = not ended
    DripFeedState shown = DripFeedState::Finished; // what progress() says; Finished = nothing yet
    std::uint8_t incoming[256];

    while (end == DripFeedState::Sending) {
        if (m_cancelled) {
            end = DripFeedState::Cancelled;
            break;
        }
        now = Clock::now();
        if (linkLost(now)) {
            end = DripFeedState::LinkLost;
            break;
        }

        bool ctsHeld = false;
        if (m_profile.start == StartCondition::WaitCts) {
            // A control that starts on CTS also stops with it.
            std::uint32_t lines = 0;
            const bool cts = m_port.modemStatus(lines) && (lines & modem_line::kCts) != 0;
            ctsHeld = !cts;
            started = started || cts;
        }
        if (m_profile.start == StartCondition::WaitXon && m_flow.released())
            started = true;
        // Not while held: the DC1 that ends the hold would go to the driver, unseen here.
        if (driverFlowAfterStart && started && !m_flow.held()) {
            m_port.setLineSettings(driverFlow);
            driverFlowAfterStart = false;
            restoreDriverFlow = false;
        }

        microseconds wait = kIdleWait;
        std::size_t inFlight = estimateInFlight(now);
        if (!started)
            state = DripFeedState::WaitingForStart;
        else if (m_paused)
            state = DripFeedState::Paused;
        else if (m_flow.held() || ctsHeld)
            state = DripFeedState::HeldByControl;
        else
            state = DripFeedState::Sending;

        if (m_sent == total && state != DripFeedState::WaitingForStart) {
            // All handed over: done once the line has carried the rest.
            if (inFlight == 0) {
                end = DripFeedState::Finished;
                break;
            }
            wait = lineTime(inFlight, m_rate);
        } else if (state == DripFeedState::Sending && now >= pauseUntil) {
            const std::size_t room = m_limit > inFlight ? m_limit - inFlight : 0;
            std::size_t chunkEnd = std::min(total, m_sent + room);
            bool lineBoundary = false;
            if (m_profile.linePauseMs > 0) {
                const auto& starts = m_program.lineStarts;
                const auto next = std::upper_bound(starts.begin(), starts.end(), m_sent);
                const std::size_t boundary = next != starts.end() ? *next
                    : m_sent < m_program.bodyEnd                  ? m_program.bodyEnd
                                                                  : total;
                if (boundary <= chunkEnd) {
                    chunkEnd = boundary;
                    lineBoundary = true;
                }
            }
            // A piece smaller than the room a wake-up makes is not worth a system call,
            // unless it ends the program or a line that is paused after.
            const std::size_t worth = std::min(piece, total - m_sent);
            if (chunkEnd > m_sent && (chunkEnd - m_sent >= worth || lineBoundary)) {
                std::size_t accepted = 0;
                if (!m_port.queueWrite(data + m_sent, chunkEnd - m_sent, accepted)) {
                    end = m_cancelled ? DripFeedState::Cancelled : DripFeedState::LinkLost;
                    break;
                }
                m_sent += accepted;
                m_modelInFlight += static_cast<double>(accepted);
                inFlight += accepted;
                if (lineBoundary && m_sent == chunkEnd)
                    pauseUntil = Clock::now() + std::chrono::milliseconds(m_profile.linePauseMs);
            }
            // Until the line has made room for the next piece; a full driver queue that
            // took nothing is waited out the same way.
            const std::size_t drainTo = m_limit > piece ? m_limit - piece : 0;
            wait = lineTime(inFlight > drainTo ? inFlight - drainTo : 1, m_rate);
            if (lineBoundary && m_sent == chunkEnd)
                wait = std::max(wait, std::chrono::duration_cast<microseconds>(pauseUntil - Clock::now()));
        } else if (state == DripFeedState::Sending) {
            wait = std::chrono::duration_cast<microseconds>(pauseUntil - now) + microseconds(1);
        }
        wait = std::clamp(wait, microseconds(1), kLongestWait);

        if (state != shown || Clock::now() - lastReport >= reportInterval) {
            publish(state);
            shown = state;
            if (report)
                report(progress());
            lastReport = Clock::now();
        }

        // Waiting is reading: a DC3 or DC1 from the control ends the wait at once.
        std::size_t got = 0;
        const ReadResult r = m_port.readAvailable(incoming, sizeof incoming, got, wait);
        for (std::size_t i = 0; i < got; ++i)
            m_flow.feed(incoming[i]);
        if (r == ReadResult::Failed)
            end = m_cancelled ? DripFeedState::Cancelled : DripFeedState::LinkLost;
    }

    publish(end);
    if (end == DripFeedState::Cancelled || end == DripFeedState::LinkLost) {
        // What is still queued would reach the control after it was told to stop.
        m_port.clearCancel();
        m_port.purge(PurgeScope::All);
    }
    if (restoreDriverFlow)
        m_port.setLineSettings(driverFlow);
    const DripFeedProgress last = progress();
    if (report)
        report(last);
    return last;
}

} // namespace kvt
