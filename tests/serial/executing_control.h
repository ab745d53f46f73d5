#pragma once
// A control as a drip-feed meets it: it executes its buffer slower than the line brings
// the program and stops now and then (a long move); it holds the feed with DC3 while its
// buffer is nearly full, and now and then at random for a while. `reserve` is what it
// keeps free for the bytes still on their way and those the feed sends while it reacts.
// Shared by the drip-feed test and its benchmark, which play it on a pseudo-terminal.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <random>

namespace kvt::test {

class ExecutingControl {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::uint8_t kStop = 0x13; // DC3
    static constexpr std::uint8_t kGo = 0x11; // DC1

    ExecutingControl(double bufferBytes, double reserveBytes, double executedPerSecond)
        : m_buffer(bufferBytes)
        , m_reserve(reserveBytes)
        , m_rate(executedPerSecond)
    {
    }

    // Bytes that arrived by now (possibly none); the flow byte to send back, or 0.
    std::uint8_t take(std::size_t bytes, Clock::time_point now)
    {
        buffered += static_cast<double>(bytes);
        mostBuffered = std::max(mostBuffered, buffered);
        if (now >= m_stoppedUntil) {
            const double elapsed = std::chrono::duration<double>(now - std::max(m_lastRound, m_stoppedUntil)).count();
            buffered = std::max(0.0, buffered - elapsed * m_rate);
            if (m_random() % 300 == 0)
                m_stoppedUntil = now + std::chrono::milliseconds(m_random() % 30);
        }
        m_lastRound = now;
        const bool full = buffered + m_reserve >= m_buffer;
        if (!m_held && (full || m_random() % 400 == 0)) {
            m_held = true;
            m_heldFull = full;
            ++(full ? fullHolds : randomHolds);
            m_heldUntil = now + std::chrono::milliseconds(m_random() % 30);
            return kStop;
        }
        // A hold for a full buffer ends once half of it is free again.
        if (m_held && now >= m_heldUntil && !full && (!m_heldFull || buffered + m_reserve < m_buffer / 2)) {
            m_held = false;
            return kGo;
        }
        return 0;
    }

    bool held() const { return m_held; }

    double buffered = 0.0;
    double mostBuffered = 0.0;
    int fullHolds = 0;
    int randomHolds = 0;

private:
    double m_buffer;
    double m_reserve;
    double m_rate;
    std::mt19937 m_random {7};
    bool m_held = false;
    bool m_heldFull = false;
    Clock::time_point m_heldUntil = Clock::now();
    Clock::time_point m_stoppedUntil = Clock::now();
    Clock::time_point m_lastRound = Clock::now();
};

} // namespace kvt::test
