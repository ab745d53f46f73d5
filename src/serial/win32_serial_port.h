#pragma once
// The Win32 comm back end of the port. All I/O is overlapped so that a cancel event
// can end a read, write or event wait from another thread without terminating it.

#include "serial/serial_port.h"

#include <atomic>
#include <cstdint>

namespace kvt {

class Win32SerialPort final : public SerialPort {
public:
    Win32SerialPort();
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    PortOpenResult open(std::string_view name) override;
    void close() override;
    bool isOpen() const override;

    bool lineSettings(LineSettings& settings) override;
    bool setLineSettings(const LineSettings& settings) override;
    bool timeouts(PortTimeouts& timeouts) override;
    bool setTimeouts(const PortTimeouts& timeouts) override;
    bool setQueueSizes(std::uint32_t input, std::uint32_t output) override;
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

private:
    enum class Io { Done, Cancelled, Failed };
    // Waits for an overlapped operation; on a cancel the operation is cancelled and
    // waited for, so its OVERLAPPED is never left in use. transferred gets its count.
    Io finishIo(void* overlapped, unsigned long& transferred);
    bool fail();

    void* m_handle; // INVALID_HANDLE_VALUE when closed
    void* m_cancelEvent; // manual reset; set = cancelled
    std::atomic<int> m_lastError {0};
};

} // namespace kvt
