#include "serial/serial_jobs.h"

#include "serial/remote_request.h"

#include "common/number_format.h"
#include "common/text_lookup.h"
#include "state/state_blocks.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace kvt {

namespace {

constexpr std::chrono::milliseconds kSendPause {400}; // lets the control get ready after the indicators change
constexpr std::chrono::milliseconds kProgressInterval {100};
constexpr std::chrono::milliseconds kMonitorInterval {500};
constexpr std::chrono::milliseconds kCtsWaitPause {100};

void ShowError(JobEvents& events, std::string text, std::string caption)
{
    MessageBoxRequest request;
    request.text = std::move(text);
    request.caption = std::move(caption);
    request.icon = MessageIcon::Error;
    events.showMessage(std::move(request));
}

} // namespace

// --- LoopFlag ---------------------------------------------------------------------

void LoopFlag::set()
{
    std::lock_guard lock(m_mutex);
    m_set = true;
}

void LoopFlag::clear()
{
    {
        std::lock_guard lock(m_mutex);
        m_set = false;
    }
    m_wake.notify_all();
}

bool LoopFlag::sleepWhileSet(std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, duration, [this] { return !m_set.load(); });
    return m_set;
}

// --- PortCancelLatch -----------------------------------------------------------------

void PortCancelLatch::arm()
{
    std::lock_guard lock(m_mutex);
    m_passed = false;
    m_cancelled = false;
}

void PortCancelLatch::cancel(SerialPort& port)
{
    std::lock_guard lock(m_mutex);
    if (!m_passed && !m_cancelled) {
        port.cancel();
        m_cancelled = true;
    }
}

void PortCancelLatch::passed(SerialPort& port)
{
    std::lock_guard lock(m_mutex);
    m_passed = true;
    if (m_cancelled) {
        port.clearCancel();
        m_cancelled = false;
    }
}

// --- JobRunner ------------------------------------------------------------------------

JobRunner::~JobRunner()
{
    // Owners stop their jobs first; this only reaps a thread that has already returned.
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool JobRunner::start(std::function<void()> body)
{
    std::lock_guard lock(m_mutex);
    if (!m_done) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join(); // the previous body has returned
    }
    m_done = false;
    try {
        m_thread = std::thread([this, body = std::move(body)] {
            body();
            {
                std::lock_guard doneLock(m_mutex);
                m_done = true;
            }
            m_doneSignal.notify_all();
        });
    } catch (const std::system_error&) {
        m_done = true;
        return false;
    }
    return true;
}

bool JobRunner::running() const
{
    std::lock_guard lock(m_mutex);
    return !m_done;
}

bool JobRunner::waitFinished(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_doneSignal.wait_for(lock, timeout, [this] { return m_done; });
}

void JobRunner::finish(std::chrono::milliseconds grace, const std::function<void()>& forceEnd)
{
    if (!waitFinished(grace) && forceEnd) {
        forceEnd();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

// --- SendJob --------------------------------------------------------------------------

SendJob::SendJob(SerialPort& port, SerialLinkState& state, JobEvents& events)
    : m_port(port)
    , m_state(state)
    , m_events(events)
{
}

SendJob::~SendJob()
{
    stop();
}

bool SendJob::start(std::span<const char> buffer)
{
    if (m_runner.running()) {
        return false;
    }
    m_succeeded = false;
    m_written = 0;
    m_go.set();
    m_latch.arm();
    return m_runner.start([this, buffer] { run(buffer); });
}

void SendJob::stop()
{
    m_go.clear();
    m_runner.finish(kJobStopGrace, [this] { m_latch.cancel(m_port); });
}

void SendJob::run(std::span<const char> buffer)
{
    m_state.setIndicator(Indicator::LineConnected, 1);
    m_state.setIndicator(Indicator::Sending, 1);
    UpdateIndicatorMarks(m_state, &m_events);
    m_events.redraw();
    std::uint32_t written = 0;
    bool ok = false;
    // A send that has not begun when the window stops the job is not begun at all.
    if (m_go.sleepWhileSet(kSendPause)) {
        ok = SendBuffer(m_port, m_state, m_events, buffer, written);
    } else {
        m_state.setIndicator(Indicator::Sending, 0);
    }
    m_latch.passed(m_port);
    m_written = written;
    m_succeeded = ok;
    m_port.purge(PurgeScope::Input); // as in SendBuffer: never cut the end of a program
    m_events.post(kMessageSendFinished);
}

// --- ReceiveJob -----------------------------------------------------------------------

ReceiveJob::ReceiveJob(SerialPort& port, SerialLinkState& state, JobEvents& events, const TextLookup& texts)
    : m_port(port)
    , m_state(state)
    , m_events(events)
    , m_texts(texts)
{
}

ReceiveJob::~ReceiveJob()
{
    stop();
}

bool ReceiveJob::start(NcTextBuffer& buffer, std::uint32_t idleLimit)
{
    if (m_runner.running()) {
        return false;
    }
    m_succeeded = false;
    m_total = 0;
    // Set here, not on the job thread, so that an abort right after start is not lost.
    ReceiveControl& control = m_state.receiveControl;
    control.abort = 0;
    control.idleLimit = idleLimit;
    m_state.receivedBytes = 0;
    m_latch.arm();
    return m_runner.start([this, &buffer] { run(buffer); });
}

void ReceiveJob::abort()
{
    m_state.receiveControl.abort = 1;
    m_latch.cancel(m_port);
}

void ReceiveJob::stop()
{
    m_state.receiveControl.abort = 1;
    m_runner.finish(kJobStopGrace, [this] { m_latch.cancel(m_port); });
}

void ReceiveJob::run(NcTextBuffer& buffer)
{
    ReceiveControl& control = m_state.receiveControl;
    std::memset(buffer.narrowText, 0, sizeof buffer.narrowText);
    std::memset(buffer.scratch, 0, sizeof buffer.scratch);
    std::memset(buffer.displayText, 0, sizeof buffer.displayText);
    std::memset(buffer.secondText, 0, sizeof buffer.secondText);
    control.receiving = 0;
    control.waiting = 0;

    ReceiveTarget target {std::span<char>(buffer.narrowText, sizeof buffer.narrowText), 0};
    ReceiveEndWatch endWatch(m_endPattern);
    if (endWatch.valid())
        target.endWatch = &endWatch;
    std::uint32_t total = 0;
    const bool ok = ReceiveToBuffer(m_port, m_state, m_events, m_texts, target, total);
    m_latch.passed(m_port);

    // The length never claims more than the text area holds: a longer transfer was cut
    // at the area's end, and readers of the length must not run past it.
    const auto stored = static_cast<std::uint32_t>(std::min<std::size_t>(total, sizeof buffer.narrowText - 1));
    buffer.length = stored;
    if (!ok) {
        ShowError(m_events, "Error 5", "RS232");
    }
    if (total == 0) {
        ShowError(m_events, "Error 6", "RS232");
    }
    m_state.sendLength = stored;
    m_total = total;
    m_succeeded = ok;
    m_port.purge();
    m_events.post(kMessageReceiveFinished);
}

// --- ReceiveProgressMonitor -----------------------------------------------------------

ReceiveProgressMonitor::ReceiveProgressMonitor(SerialLinkState& state, JobEvents& events, const TextLookup& texts)
    : m_state(state)
    , m_events(events)
    , m_texts(texts)
{
}

ReceiveProgressMonitor::~ReceiveProgressMonitor()
{
    stop();
}

bool ReceiveProgressMonitor::start()
{
    if (m_runner.running()) {
        return false;
    }
    m_progress.set();
    return m_runner.start([this] { run(); });
}

void ReceiveProgressMonitor::stop()
{
    m_progress.clear();
    m_runner.finish(kJobStopGrace, {});
}

void ReceiveProgressMonitor::run()
{
    std::string suffix = m_texts.text(kTextBytesReceived, "*Bytes received");
    // The language text also follows the count directly in the receive box and so may
    // begin with a space of its own.
    suffix.erase(0, suffix.find_first_not_of(' '));
    bool first = true;
    std::uint32_t last = 0;
    while (m_progress.isSet()) {
        const std::uint32_t count = m_state.receivedBytes;
        m_state.setStatusText(cformat("%u", count) + " " + suffix);
        if (first || count != last) {
            m_events.redraw();
        }
        first = false;
        last = count;
        m_progress.sleepWhileSet(kProgressInterval);
    }
}

// --- ModemStatusMonitor ---------------------------------------------------------------

ModemStatusMonitor::ModemStatusMonitor(SerialPort& port, SerialLinkState& state, JobEvents& events)
    : m_port(port)
    , m_state(state)
    , m_events(events)
{
}

ModemStatusMonitor::~ModemStatusMonitor()
{
    stop();
}

bool ModemStatusMonitor::start(bool waitForCts)
{
    if (m_runner.running()) {
        return false;
    }
    m_waitForCts = waitForCts;
    m_running.set();
    m_latch.arm();
    return m_runner.start([this] { run(); });
}

void ModemStatusMonitor::stop()
{
    m_running.clear();
    m_runner.finish(kJobStopGrace, [this] { m_latch.cancel(m_port); });
}

void ModemStatusMonitor::run()
{
    const bool hasWindow = m_events.hasWindow();
    if (!hasWindow) {
        ShowError(m_events, "Error 7", "v");
    }
    JobEvents* window = hasWindow ? &m_events : nullptr;
    m_state.statusWaitMark = 0;
    UpdateIndicatorMarks(m_state, window);
    if (window != nullptr) {
        window->redraw();
    }
    while (m_running.isSet()) {
        std::uint32_t status = 0;
        if (!m_port.modemStatus(status)) {
            status = 0; // no modem lines readable: nothing is connected as far as we can tell
        }
        const ModemLines lines = DecodeModemLines(status);
        m_state.setIndicator(Indicator::LineConnected, lines.connected ? 1 : 0);

        if (m_waitForCts) {
            if (!m_port.setEventMask(line_event::kCtsChanged | line_event::kEventChar)) {
                break;
            }
            while (m_waitForCts && m_running.isSet()) {
                m_state.statusWaitMark = 1;
                std::uint32_t events = 0;
                const bool waited = m_port.waitEvent(events);
                if (waited && (events & line_event::kEventChar) != 0) {
                    break;
                }
                if (waited && (events & line_event::kCtsChanged) != 0) {
                    m_waitForCts = false;
                    m_running.clear();
                    if (window != nullptr) {
                        window->post(kMessageStartSending);
                    }
                }
                m_running.sleepWhileSet(kCtsWaitPause);
            }
        }

        UpdateIndicatorMarks(m_state, window);
        m_running.sleepWhileSet(kMonitorInterval);
    }
    m_latch.passed(m_port);
    // Also after a failed event mask: the window must learn that nobody watches the lines.
    if (window != nullptr) {
        window->post(kMessageMonitorEnded);
    }
}

// --- OptionsPortMonitor ---------------------------------------------------------------

ModemLines DecodeModemLines(std::uint32_t status)
{
    ModemLines lines;
    lines.cts = (status & modem_line::kCts) != 0;
    lines.dsr = (status & modem_line::kDsr) != 0;
    lines.ring = (status & modem_line::kRing) != 0;
    lines.rlsd = (status & modem_line::kRlsd) != 0;
    lines.connected = lines.cts || lines.dsr || lines.ring || lines.rlsd;
    return lines;
}

OptionsPortMonitor::OptionsPortMonitor(SerialPort& port, ModemLineView& view)
    : m_port(port)
    , m_view(view)
{
}

OptionsPortMonitor::~OptionsPortMonitor()
{
    stop();
}

bool OptionsPortMonitor::start()
{
    if (m_runner.running()) {
        return false;
    }
    m_test.set();
    return m_runner.start([this] { run(); });
}

void OptionsPortMonitor::stop()
{
    m_test.clear();
    m_runner.finish(kJobStopGrace, {});
}

void OptionsPortMonitor::run()
{
    m_looping = true;
    while (m_test.isSet()) {
        std::uint32_t status = 0;
        if (!m_port.modemStatus(status)) {
            status = 0; // the boxes stay cleared
        }
        m_view.showModemLines(DecodeModemLines(status));
        m_test.sleepWhileSet(kMonitorInterval);
    }
    m_looping = false;
}

} // namespace kvt
