#include "serial/drip_feed.h"

#include <algorithm>
#include <cmath>

namespace kvt {

namespace {

constexpr std::chrono::milliseconds kIdleWait {20}; // how often a held or paused feed looks round
constexpr std::chrono::milliseconds kLongestWait {50};
constexpr std::chrono::milliseconds kLinkCheckEvery {10};

PortTimeouts waitTimeouts(std::chrono::milliseconds wait)
{
    PortTimeouts t;
    t.readTotalConstant = static_cast<std::uint32_t>(std::max<std::int64_t>(wait.count(), 1));
    return t;
}

PortTimeouts noWaitTimeouts()
{
    PortTimeouts t;
    t.readInterval = PortTimeouts::kNoWait;
    return t;
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
    const auto& data = m_program.bytes;
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
    if (m_profile.flow == FlowMode::Program && m_port.lineSettings(driverFlow) && driverFlow.outX) {
        LineSettings own = driverFlow;
        own.outX = false;
        restoreDriverFlow = m_port.setLineSettings(own);
    }

    bool started = m_profile.start == StartCondition::AtOnce;
    auto pauseUntil = now;
    auto lastReport = now - reportInterval;
    DripFeedState state = started ? DripFeedState::Sending : DripFeedState::WaitingForStart;
    DripFeedState end = DripFeedState::Sending; // Sending = not ended
    DripFeedState shown = DripFeedState::Finished; // what progress() says; Finished = nothing yet

    auto readFailed = [&] { end = m_cancelled ? DripFeedState::Cancelled : DripFeedState::LinkLost; };

    while (end == DripFeedState::Sending) {
        // Everything the control has said since the last round.
        m_port.setTimeouts(noWaitTimeouts());
        for (;;) {
            std::uint8_t byte = 0;
            const ReadResult r = m_port.readByte(byte);
            if (r == ReadResult::Byte) {
                m_flow.feed(byte);
                continue;
            }
            if (r == ReadResult::Failed)
                readFailed();
            break;
        }
        if (m_cancelled) {
            end = DripFeedState::Cancelled;
            break;
        }
        if (end != DripFeedState::Sending)
            break;
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

        std::chrono::milliseconds wait = kIdleWait;
        const std::size_t inFlight = estimateInFlight(now);
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
            wait = std::chrono::milliseconds(
                std::clamp<std::int64_t>(static_cast<std::int64_t>(inFlight * 1000 / m_rate), 1, kLongestWait.count()));
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
            // Small pieces cost a system call each: wait for half the allowance to be
            // free unless the piece ends the program or a line that is paused after.
            const std::size_t batch = std::min(std::max<std::size_t>(m_limit / 2, 1), total - m_sent);
            if (chunkEnd > m_sent && (chunkEnd - m_sent >= batch || lineBoundary)) {
                std::size_t accepted = 0;
                if (!m_port.queueWrite(
                        reinterpret_cast<const std::uint8_t*>(data.data()) + m_sent, chunkEnd - m_sent, accepted)) {
                    end = m_cancelled ? DripFeedState::Cancelled : DripFeedState::LinkLost;
                    break;
                }
                m_sent += accepted;
                m_modelInFlight += static_cast<double>(accepted);
                if (lineBoundary && m_sent == chunkEnd)
                    pauseUntil = Clock::now() + std::chrono::milliseconds(m_profile.linePauseMs);
                if (accepted > 0) {
                    // Straight on to the next round: the control may have answered already.
                    wait = std::chrono::milliseconds(0);
                }
            }
            if (wait.count() != 0) {
                const std::size_t needed = std::min(batch, m_limit);
                const std::size_t missing = needed > room ? needed - room : 1;
                wait = std::chrono::milliseconds(std::clamp<std::int64_t>(
                    static_cast<std::int64_t>((missing * 1000 + m_rate - 1) / m_rate), 1, kLongestWait.count()));
            }
        } else if (state == DripFeedState::Sending) {
            wait = std::chrono::duration_cast<std::chrono::milliseconds>(pauseUntil - now)
                + std::chrono::milliseconds(1);
            wait = std::min(wait, kLongestWait);
        }

        if (state != shown || Clock::now() - lastReport >= reportInterval) {
            publish(state);
            shown = state;
            if (report)
                report(progress());
            lastReport = Clock::now();
        }
        if (wait.count() > 0) {
            // Waiting is reading: a DC3 or DC1 from the control ends the wait at once.
            m_port.setTimeouts(waitTimeouts(wait));
            std::uint8_t byte = 0;
            const ReadResult r = m_port.readByte(byte);
            if (r == ReadResult::Byte)
                m_flow.feed(byte);
            else if (r == ReadResult::Failed)
                readFailed();
        }
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
