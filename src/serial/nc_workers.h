#pragma once
// The colouring and renumbering workers of the NC editor. Each runs on a thread of its
// own over a copy of the text, so the window's buffer is never read or written from
// the worker; it shares only atomics with the window (cancel flag, progress count,
// finished flag) and reports its end through NcWorkerEvents, which the window turns
// into a queued call on its own thread. The result is taken on the window's thread
// after that report.

#include "serial/nc_colour.h"
#include "serial/nc_renumber.h"
#include "serial/serial_jobs.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kvt {

inline constexpr int kMessageColouringFinished = 2110;
inline constexpr int kMessageRenumberFinished = 2111;

class NcWorkerEvents {
public:
    virtual ~NcWorkerEvents() = default;
    // Called on the worker thread, once, when the worker ends (finished or cancelled).
    virtual void post(int message) = 0;
};

class NcColourWorker {
public:
    explicit NcColourWorker(NcWorkerEvents& events);
    ~NcColourWorker();
    NcColourWorker(const NcColourWorker&) = delete;
    NcColourWorker& operator=(const NcColourWorker&) = delete;

    // False when a colouring still runs.
    bool start(NcColourTable table, std::u16string text);
    // Asks the worker to stop at its next check; it still posts its end.
    void cancel() { m_cancel.store(true); }
    // Cancels and waits up to the grace time for the thread to end.
    void stop();
    bool running() const { return m_runner.running(); }
    bool waitFinished(std::chrono::milliseconds timeout) { return m_runner.waitFinished(timeout); }
    std::uint32_t entriesDone() const { return m_progress.load(); }
    // The ranges of a finished, not cancelled run; empty before the end or after a cancel.
    std::optional<std::vector<ColourRange>> takeResult();

private:
    void run(const NcColourTable& table, const std::u16string& text);

    NcWorkerEvents& m_events;
    std::atomic<bool> m_cancel {false};
    std::atomic<std::uint32_t> m_progress {0};
    std::mutex m_resultMutex;
    std::optional<std::vector<ColourRange>> m_result;
    JobRunner m_runner; // last: its thread ends before the members it uses go
};

class NcRenumberWorker {
public:
    explicit NcRenumberWorker(NcWorkerEvents& events);
    ~NcRenumberWorker();
    NcRenumberWorker(const NcRenumberWorker&) = delete;
    NcRenumberWorker& operator=(const NcRenumberWorker&) = delete;

    bool start(RenumberRequest request, std::u16string text);
    void cancel() { m_cancel.store(true); }
    void stop();
    bool running() const { return m_runner.running(); }
    bool waitFinished(std::chrono::milliseconds timeout) { return m_runner.waitFinished(timeout); }
    std::uint32_t linesDone() const { return m_progress.load(); }
    std::optional<RenumberResult> takeResult();

private:
    void run(const RenumberRequest& request, const std::u16string& text);

    NcWorkerEvents& m_events;
    std::atomic<bool> m_cancel {false};
    std::atomic<std::uint32_t> m_progress {0};
    std::mutex m_resultMutex;
    std::optional<RenumberResult> m_result;
    JobRunner m_runner;
};

} // namespace kvt
