#pragma once
// The background jobs of the link: send, receive, receive progress and the two modem
// line monitors. Each runs on its own thread and reports only through JobEvents (or
// ModemLineView). Stopping one clears its loop flag, gives it 1000 ms to end by itself
// and then cancels its port, so no thread outlives the object that owns it and none
// stays blocked in a port call.

#include "serial/serial_link.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>

namespace kvt {

struct NcTextBuffer;
class TextLookup;

inline constexpr std::chrono::milliseconds kJobStopGrace {1000};

// A loop flag whose sleepers wake as soon as it is cleared.
class LoopFlag {
public:
    void set();
    void clear();
    bool isSet() const { return m_set.load(); }
    // Sleeps for the duration or until the flag is cleared; true while it is still set.
    bool sleepWhileSet(std::chrono::milliseconds duration);

private:
    std::atomic<bool> m_set {false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
};

// Cancels a job's port only while the job may still be in a blocking port call, and
// lets the job undo that cancel once it is past them, so the port stays usable for
// the next job without a race between the two threads.
class PortCancelLatch {
public:
    void arm();
    void cancel(SerialPort& port); // from the stopping thread
    void passed(SerialPort& port); // from the job thread, after its last blocking call

private:
    std::mutex m_mutex;
    bool m_passed = true;
    bool m_cancelled = false;
};

// Runs one body on a thread of its own and ends it within a bounded time.
class JobRunner {
public:
    JobRunner() = default;
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;
    ~JobRunner();

    // False when a body is still running or no thread could be made.
    bool start(std::function<void()> body);
    bool running() const;
    bool waitFinished(std::chrono::milliseconds timeout);
    // Waits up to grace for the body to return, then calls forceEnd (which must make
    // it return) and joins the thread.
    void finish(std::chrono::milliseconds grace, const std::function<void()>& forceEnd);

private:
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_doneSignal;
    bool m_done = true;
};

// Sends the NC text: indicators on, a 400 ms pause for the control, one write of
// state.sendLength bytes, purge, message 2099.
class SendJob {
public:
    SendJob(SerialPort& port, SerialLinkState& state, JobEvents& events);
    ~SendJob();
    // buffer must stay valid until the job has finished.
    bool start(std::span<const char> buffer);
    void stop();
    bool running() const { return m_runner.running(); }
    bool waitFinished(std::chrono::milliseconds timeout) { return m_runner.waitFinished(timeout); }
    bool succeeded() const { return m_succeeded; }
    std::uint32_t written() const { return m_written; }

private:
    void run(std::span<const char> buffer);

    SerialPort& m_port;
    SerialLinkState& m_state;
    JobEvents& m_events;
    LoopFlag m_go;
    PortCancelLatch m_latch;
    std::atomic<bool> m_succeeded {false};
    std::atomic<std::uint32_t> m_written {0};
    JobRunner m_runner; // last: its thread ends before the members it uses go
};

// Receives a program into the NC text buffer, then reports "Error 5" (text area full or
// wait ended by an event character) and "Error 6" (nothing received) and sends 2102.
class ReceiveJob {
public:
    ReceiveJob(SerialPort& port, SerialLinkState& state, JobEvents& events, const TextLookup& texts);
    ~ReceiveJob();
    // idleLimit: the selected machine's IdleLimit. buffer must outlive the job.
    bool start(NcTextBuffer& buffer, std::uint32_t idleLimit);
    // Escape during a receive: the read loop ends now; what arrived is kept and reported.
    void abort();
    // The window closes or stops waiting: abort flag, grace, then the port is cancelled.
    void stop();
    bool running() const { return m_runner.running(); }
    bool waitFinished(std::chrono::milliseconds timeout) { return m_runner.waitFinished(timeout); }
    bool succeeded() const { return m_succeeded; }
    std::uint32_t total() const { return m_total; }
    // The control profile's end-of-receive pattern for the receives started after this
    // call; empty = only the idle time-out ends a receive.
    void setEndPattern(std::string pattern) { m_endPattern = std::move(pattern); }

private:
    void run(NcTextBuffer& buffer);

    SerialPort& m_port;
    SerialLinkState& m_state;
    JobEvents& m_events;
    const TextLookup& m_texts;
    PortCancelLatch m_latch;
    std::atomic<bool> m_succeeded {false};
    std::atomic<std::uint32_t> m_total {0};
    std::string m_endPattern; // written only while no receive runs
    JobRunner m_runner;
};

// Every 100 ms while running: status text "<count> <bytes received>", redraw when the
// count moved.
class ReceiveProgressMonitor {
public:
    ReceiveProgressMonitor(SerialLinkState& state, JobEvents& events, const TextLookup& texts);
    ~ReceiveProgressMonitor();
    bool start();
    void stop();
    bool running() const { return m_runner.running(); }

private:
    void run();

    SerialLinkState& m_state;
    JobEvents& m_events;
    const TextLookup& m_texts;
    LoopFlag m_progress;
    JobRunner m_runner;
};

// Watches the modem lines of the open port for the transfer window: the line-connected
// indicator every 500 ms and, when asked, waits for CTS to change and then asks the
// window to start sending (2098). Sends 2184 when it ends.
class ModemStatusMonitor {
public:
    ModemStatusMonitor(SerialPort& port, SerialLinkState& state, JobEvents& events);
    ~ModemStatusMonitor();
    bool start(bool waitForCts);
    void stop();
    bool running() const { return m_runner.running(); }
    bool waitFinished(std::chrono::milliseconds timeout) { return m_runner.waitFinished(timeout); }
    bool waitingForCts() const { return m_waitForCts; }
    void setWaitForCts(bool wait) { m_waitForCts = wait; }

private:
    void run();

    SerialPort& m_port;
    SerialLinkState& m_state;
    JobEvents& m_events;
    LoopFlag m_running;
    std::atomic<bool> m_waitForCts {false};
    PortCancelLatch m_latch;
    JobRunner m_runner;
};

struct ModemLines {
    bool cts = false;
    bool dsr = false;
    bool ring = false;
    bool rlsd = false;
    bool connected = false; // any of the four
    friend bool operator==(const ModemLines&, const ModemLines&) = default;
};

ModemLines DecodeModemLines(std::uint32_t status);

// The options page's five check boxes. Called from the monitor thread; must not block.
class ModemLineView {
public:
    virtual ~ModemLineView() = default;
    virtual void showModemLines(const ModemLines& lines) = 0;
};

// The port test of the options page: every 500 ms the modem lines into the check boxes.
class OptionsPortMonitor {
public:
    OptionsPortMonitor(SerialPort& port, ModemLineView& view);
    ~OptionsPortMonitor();
    bool start();
    void stop();
    bool looping() const { return m_looping; }

private:
    void run();

    SerialPort& m_port;
    ModemLineView& m_view;
    LoopFlag m_test;
    std::atomic<bool> m_looping {false};
    JobRunner m_runner;
};

} // namespace kvt
