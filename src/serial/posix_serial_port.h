#pragma once
// The termios back end of the port. "COM1" ... "COM10" are device paths from a name
// map (a USB adapter is typically /dev/ttyUSB0); every wait is a poll() that a cancel
// can interrupt, so no call blocks beyond its time-out or a cancel.

#include "serial/serial_port.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kvt {

// Device paths for the program's port names.
struct PortNameMap {
    static constexpr int kPortCount = 10;
    std::array<std::string, kPortCount> devices; // index 0 = "COM1"

    // /dev/ttyS0 ... /dev/ttyS9.
    static PortNameMap defaults();
    // Starts from the defaults and takes every value the lookup has for "Ports/COM1"
    // ... "Ports/COM10" (the start-up settings); empty values keep the default.
    static PortNameMap fromSettings(const std::function<std::optional<std::string>(const std::string& key)>& value);

    // The device for "COM<n>" (n 1 to 10, letters in any case); a name that starts
    // with '/' is a device path already; anything else has no device (empty).
    std::string deviceFor(std::string_view name) const;
};

class PosixSerialPort final : public SerialPort {
public:
    explicit PosixSerialPort(PortNameMap names = PortNameMap::defaults());
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    PortOpenResult open(std::string_view name) override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }

    bool lineSettings(LineSettings& settings) override;
    bool setLineSettings(const LineSettings& settings) override;
    bool timeouts(PortTimeouts& timeouts) override;
    bool setTimeouts(const PortTimeouts& timeouts) override;
    bool setQueueSizes(std::uint32_t input, std::uint32_t output) override;
    bool purge(PurgeScope scope = PurgeScope::All) override;

    bool write(const std::uint8_t* data, std::size_t size, std::size_t& written) override;
    ReadResult readByte(std::uint8_t& byte) override;
    ReadResult readAvailable(
        std::uint8_t* buffer, std::size_t capacity, std::size_t& got, std::chrono::microseconds wait) override;
    bool queueWrite(const std::uint8_t* data, std::size_t size, std::size_t& accepted) override;
    bool outputQueued(std::size_t& bytes) override;

    bool setEventMask(std::uint32_t mask) override;
    bool waitEvent(std::uint32_t& events) override;

    bool modemStatus(std::uint32_t& status) override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;

    void cancel() override;
    void clearCancel() override;
    int lastError() const override { return m_lastError; }

private:
    using Clock = std::chrono::steady_clock;
    enum class Wait { Ready, TimedOut, Cancelled, Failed };
    // Waits until the device has the events, the deadline (none = for ever) passes or a
    // cancel arrives.
    Wait waitFor(short events, std::optional<Clock::time_point> deadline);
    bool fail(int error);
    bool ctsOn(bool& on);

    PortNameMap m_names;
    int m_fd = -1;
    int m_cancelPipe[2] = {-1, -1}; // a byte in the pipe = cancelled
    std::atomic<bool> m_cancelled {false};
    std::atomic<int> m_lastError {0};
    PortTimeouts m_timeouts;
    std::uint32_t m_eventMask = 0;
    std::uint16_t m_xonLimit = 0; // termios has no limits; kept so a read-back shows what was set
    std::uint16_t m_xoffLimit = 0;
    // Bytes read from the device but not yet handed out: one read() call serves many
    // one-byte reads, so a fast line costs no system call per byte.
    std::array<std::uint8_t, 4096> m_readBuffer {};
    std::size_t m_readPos = 0;
    std::size_t m_readEnd = 0;
};

} // namespace kvt
