#pragma once
// Drip-feed: sends a program of any size while the control executes it. The control
// holds the line with DC3 (XOFF) when its buffer is full and releases it with DC1
// (XON); the feed keeps so few bytes on their way that a stop is honoured within what
// the profile says the control still takes after it. It runs on a job thread against
// the port interface; the window reads its progress and pauses, resumes or cancels it.

#include "serial/control_profile.h"
#include "serial/serial_port.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

namespace kvt {

// What the control's bytes say about the flow while we send.
class FlowWatch {
public:
    // Takes one byte from the control; true when it was a flow byte.
    bool feed(std::uint8_t byte);
    bool held() const { return m_held; } // the control said stop (DC3) and not yet go again
    bool released() const { return m_released; } // the control said go (DC1) at least once

private:
    bool m_held = false;
    bool m_released = false;
};

enum class DripFeedState : std::uint8_t {
    Preparing, // run() has not yet looked at the line
    WaitingForStart, // for DC1 or CTS, as the profile says
    Sending,
    HeldByControl, // DC3 from the control, or CTS off
    Paused, // by the operator
    Finished,
    Cancelled,
    LinkLost, // read or write failed, or DSR/CTS gone past the profile's time-out
};

struct DripFeedProgress {
    DripFeedState state = DripFeedState::Preparing;
    std::size_t totalBytes = 0;
    std::size_t totalLines = 0;
    std::size_t bytesSent = 0; // handed to the port
    std::size_t inFlight = 0; // of those, the ones still on their way to the control
    std::size_t linesSent = 0; // program lines whose every byte was handed to the port
    std::size_t controlLine = 0; // the line of the first byte not yet at the control
    double secondsLeft = 0.0; // the rest at the line rate, pauses not counted
};

// Bytes per second of a line: baud / (start bit + data bits + parity bit + stop bits).
// Stop-bit codes as LineSettings carries them; at least 1 byte per second.
std::uint32_t lineBytesPerSecond(std::uint32_t baud, std::uint8_t dataBits, bool parity, std::uint8_t stopBitCode);

class DripFeed {
public:
    // With the driver doing the flow control the bytes on their way can be more: the
    // driver itself stops at a DC3, within its hardware FIFO.
    static constexpr std::size_t kDriverFlowInFlight = 256;
    static constexpr std::size_t kMaxInFlight = 4096; // the cap whatever the profile says

    // program must outlive the feed. bytesPerSecond is the line rate (lineBytesPerSecond).
    DripFeed(
        SerialPort& port, const ControlProfile& profile, const FramedProgram& program, std::uint32_t bytesPerSecond);

    // Sends until the program is out, the operator cancels or the link drops; blocks.
    // report, when given, is called from this thread at most every reportInterval and
    // once at the end.
    DripFeedProgress run(const std::function<void(const DripFeedProgress&)>& report = {},
        std::chrono::milliseconds reportInterval = std::chrono::milliseconds(100));

    // From any thread.
    void pause() { m_paused = true; }
    void resume() { m_paused = false; }
    void cancel();
    DripFeedProgress progress() const;

    // The most bytes this feed keeps on their way.
    std::size_t inFlightLimit() const { return m_limit; }
    // The program line to restart from after an interrupted feed: the line of the first
    // byte the control may not have got, counting every byte that may have been on its
    // way as lost; 1 when nothing may have arrived.
    std::size_t restartLine() const;

private:
    using Clock = std::chrono::steady_clock;
    void publish(DripFeedState state);
    std::size_t estimateInFlight(Clock::time_point now);
    bool linkLost(Clock::time_point now);

    SerialPort& m_port;
    const ControlProfile& m_profile;
    const FramedProgram& m_program;
    std::uint32_t m_rate;
    std::size_t m_limit;
    std::atomic<bool> m_paused {false};
    std::atomic<bool> m_cancelled {false};

    // Job thread only.
    FlowWatch m_flow;
    std::size_t m_sent = 0;
    double m_modelInFlight = 0.0; // bytes the line has not carried yet at the line rate
    Clock::time_point m_lastModel;
    bool m_watchLink = false;
    std::uint32_t m_watchedLines = 0; // DSR/CTS bits that were on when the feed began
    Clock::time_point m_linesSeen;
    Clock::time_point m_lastLinkCheck;

    mutable std::mutex m_mutex;
    DripFeedProgress m_progress;
};

} // namespace kvt
