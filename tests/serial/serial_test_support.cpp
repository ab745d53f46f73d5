#include "serial_test_support.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <unistd.h>

namespace kvt::test {

bool Eventually(const std::function<bool()>& pred, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// --- PtyPair --------------------------------------------------------------------------

PtyPair::PtyPair()
{
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    m_slavePath = name;
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
}

PtyPair::~PtyPair()
{
    closeMaster();
    ::close(m_slave);
}

void PtyPair::closeMaster()
{
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

void PtyPair::writeAll(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            throw std::runtime_error("write to pty master failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

std::string PtyPair::readFor(std::size_t count, std::chrono::milliseconds idle)
{
    std::string got;
    char buffer[65536];
    while (got.size() < count) {
        pollfd fd {m_master, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(idle.count())) <= 0) {
            break;
        }
        const ssize_t n = ::read(m_master, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0) {
            break;
        }
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

// --- RecordingEvents -----------------------------------------------------------------

void RecordingEvents::post(int message)
{
    {
        std::lock_guard lock(m_mutex);
        m_posts.push_back(message);
    }
    m_changed.notify_all();
}

void RecordingEvents::showMessage(MessageBoxRequest request)
{
    std::lock_guard lock(m_mutex);
    m_messages.push_back(std::move(request));
}

void RecordingEvents::redraw()
{
    std::lock_guard lock(m_mutex);
    ++m_redraws;
}

void RecordingEvents::clearSendCheck()
{
    std::lock_guard lock(m_mutex);
    ++m_sendCheckClears;
}

void RecordingEvents::receiveStarted()
{
    std::lock_guard lock(m_mutex);
    ++m_receiveStarted;
}

std::vector<int> RecordingEvents::posts() const
{
    std::lock_guard lock(m_mutex);
    return m_posts;
}

std::vector<MessageBoxRequest> RecordingEvents::messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

std::vector<std::string> RecordingEvents::messageTexts() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> texts;
    for (const MessageBoxRequest& request : m_messages) {
        texts.push_back(request.text);
    }
    return texts;
}

int RecordingEvents::redraws() const
{
    std::lock_guard lock(m_mutex);
    return m_redraws;
}

int RecordingEvents::receiveStartedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_receiveStarted;
}

int RecordingEvents::sendCheckClears() const
{
    std::lock_guard lock(m_mutex);
    return m_sendCheckClears;
}

bool RecordingEvents::waitForPost(int message, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(
        lock, timeout, [&] { return std::find(m_posts.begin(), m_posts.end(), message) != m_posts.end(); });
}

// --- ScriptedPort ---------------------------------------------------------------------

PortOpenResult ScriptedPort::open(std::string_view)
{
    m_open = openResult == PortOpenResult::Opened;
    return openResult;
}

bool ScriptedPort::lineSettings(LineSettings& settings)
{
    if (lineSettingsFail) {
        return false;
    }
    settings = line;
    return true;
}

bool ScriptedPort::setLineSettings(const LineSettings& settings)
{
    line = settings;
    lineSettingsApplied = true;
    return true;
}

bool ScriptedPort::timeouts(PortTimeouts& timeouts)
{
    timeouts = appliedTimeouts;
    return true;
}

bool ScriptedPort::setTimeouts(const PortTimeouts& timeouts)
{
    if (timeoutsFail) {
        return false;
    }
    appliedTimeouts = timeouts;
    return true;
}

bool ScriptedPort::purge(PurgeScope scope)
{
    ++m_purges;
    if (scope == PurgeScope::All) {
        ++m_outputPurges;
    }
    return true;
}

bool ScriptedPort::write(const std::uint8_t* data, std::size_t size, std::size_t& written)
{
    written = 0;
    if (writeFails) {
        m_lastError = 5;
        return false;
    }
    written = std::min(size, writeAccepts);
    writtenBytes.assign(reinterpret_cast<const char*>(data), written);
    return true;
}

ReadResult ScriptedPort::readByte(std::uint8_t& byte)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_cancelled) {
            return ReadResult::Failed;
        }
    }
    if (reads.empty()) {
        return ReadResult::Empty;
    }
    const int next = reads.front();
    reads.pop_front();
    if (next < 0) {
        return ReadResult::Empty;
    }
    byte = static_cast<std::uint8_t>(next);
    return ReadResult::Byte;
}

bool ScriptedPort::setEventMask(std::uint32_t mask)
{
    std::lock_guard lock(m_mutex);
    m_masks.push_back(mask);
    return !eventMaskFails;
}

bool ScriptedPort::waitEvent(std::uint32_t& events)
{
    std::unique_lock lock(m_mutex);
    ++m_eventWaits;
    m_wake.wait(lock, [this] { return m_cancelled || !m_events.empty(); });
    if (m_cancelled) {
        return false;
    }
    const auto [value, ok] = m_events.front();
    m_events.pop_front();
    events = value;
    return ok;
}

bool ScriptedPort::modemStatus(std::uint32_t& status)
{
    std::lock_guard lock(m_mutex);
    status = m_status;
    return m_statusOk;
}

bool ScriptedPort::setDtr(bool on)
{
    const int step = on ? 2 : 0;
    lineSteps.emplace_back(on ? "set DTR" : "clear DTR", std::chrono::steady_clock::now());
    if (failingLineStep == step) {
        m_lastError = lineStepError;
        return false;
    }
    return true;
}

bool ScriptedPort::setRts(bool on)
{
    const int step = on ? 3 : 1;
    lineSteps.emplace_back(on ? "set RTS" : "clear RTS", std::chrono::steady_clock::now());
    if (failingLineStep == step) {
        m_lastError = lineStepError;
        return false;
    }
    return true;
}

void ScriptedPort::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_wake.notify_all();
}

void ScriptedPort::clearCancel()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = false;
}

void ScriptedPort::setModemStatus(std::uint32_t status, bool ok)
{
    std::lock_guard lock(m_mutex);
    m_status = status;
    m_statusOk = ok;
}

void ScriptedPort::pushEvent(std::uint32_t events, bool ok)
{
    {
        std::lock_guard lock(m_mutex);
        m_events.emplace_back(events, ok);
    }
    m_wake.notify_all();
}

std::vector<std::uint32_t> ScriptedPort::eventMasks() const
{
    std::lock_guard lock(m_mutex);
    return m_masks;
}

bool ScriptedPort::cancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

int ScriptedPort::eventWaits() const
{
    std::lock_guard lock(m_mutex);
    return m_eventWaits;
}

} // namespace kvt::test
