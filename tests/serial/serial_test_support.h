#pragma once
// Helpers of the serial tests: a pseudo-terminal pair whose master side plays the
// machine control, a recorder of what jobs report to their window, and a scripted
// port for what a pseudo-terminal cannot do (modem lines, short writes, event waits).

#include "serial/serial_link.h"
#include "serial/serial_port.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kvt::test {

using namespace std::chrono_literals;

// Polls pred until it holds or the timeout passes.
bool Eventually(const std::function<bool()>& pred, std::chrono::milliseconds timeout = 3000ms);

// A pseudo-terminal; the port under test opens the slave by its path, the test talks
// through the master. The slave stays open here as well, so the master never sees a
// hang-up while the port is closed and reopened.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    int master() const { return m_master; }
    int slave() const { return m_slave; }

    void writeAll(const std::string& bytes);
    // The control hangs up: the port sees the line drop.
    void closeMaster();
    // Reads until count bytes arrived or nothing came for idle; returns what arrived.
    std::string readFor(std::size_t count, std::chrono::milliseconds idle = 1000ms);

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

// What the jobs report to their window.
class RecordingEvents : public JobEvents {
public:
    bool hasWindow() const override { return m_hasWindow; }
    void post(int message) override;
    void showMessage(MessageBoxRequest request) override;
    void redraw() override;
    void clearSendCheck() override;
    void receiveStarted() override;

    void setHasWindow(bool has) { m_hasWindow = has; }
    std::vector<int> posts() const;
    std::vector<MessageBoxRequest> messages() const;
    std::vector<std::string> messageTexts() const;
    int redraws() const;
    int receiveStartedCount() const;
    int sendCheckClears() const;
    bool waitForPost(int message, std::chrono::milliseconds timeout = 3000ms) const;

private:
    bool m_hasWindow = true;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<int> m_posts;
    std::vector<MessageBoxRequest> m_messages;
    int m_redraws = 0;
    int m_receiveStarted = 0;
    int m_sendCheckClears = 0;
};

// A port whose answers the test sets.
class ScriptedPort : public SerialPort {
public:
    PortOpenResult open(std::string_view name) override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool lineSettings(LineSettings& settings) override;
    bool setLineSettings(const LineSettings& settings) override;
    bool timeouts(PortTimeouts& timeouts) override;
    bool setTimeouts(const PortTimeouts& timeouts) override;
    bool setQueueSizes(std::uint32_t, std::uint32_t) override { return true; }
    bool purge(PurgeScope scope = PurgeScope::All) override;
    bool write(const std::uint8_t* data, std::size_t size, std::size_t& written) override;
    ReadResult readByte(std::uint8_t& byte) override;
    bool setEventMask(std::uint32_t mask) override;
    bool waitEvent(std::uint32_t& events) override;
    bool modemStatus(std::uint32_t& status) override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;
    void cancel() override;
    void clearCancel() override;
    int lastError() const override { return m_lastError; }

    // Script.
    PortOpenResult openResult = PortOpenResult::Opened;
    bool lineSettingsFail = false;
    bool timeoutsFail = false;
    std::size_t writeAccepts = SIZE_MAX; // bytes a write takes before its time-out
    bool writeFails = false;
    bool eventMaskFails = false;
    std::deque<int> reads; // byte values; -1 = an empty read; exhausted = empty reads
    int failingLineStep = -1; // 0 clear DTR, 1 clear RTS, 2 set DTR, 3 set RTS
    int lineStepError = 5;
    void setModemStatus(std::uint32_t status, bool ok = true);
    // Wakes one waitEvent() with these events (or with a failure when ok is false).
    void pushEvent(std::uint32_t events, bool ok = true);

    // Record.
    std::string writtenBytes;
    std::vector<std::uint32_t> eventMasks() const;
    int purges() const { return m_purges; }
    int outputPurges() const { return m_outputPurges; }
    bool cancelled() const;
    int eventWaits() const;
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> lineSteps;
    LineSettings line;
    PortTimeouts appliedTimeouts;
    bool lineSettingsApplied = false;

private:
    bool m_open = false;
    int m_lastError = 0;
    std::atomic<int> m_purges {0};
    std::atomic<int> m_outputPurges {0};
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_cancelled = false;
    std::deque<std::pair<std::uint32_t, bool>> m_events;
    std::vector<std::uint32_t> m_masks;
    int m_eventWaits = 0;
    std::uint32_t m_status = 0;
    bool m_statusOk = true;
};

} // namespace kvt::test
