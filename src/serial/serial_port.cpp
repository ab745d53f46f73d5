#include "serial/serial_port.h"

#include <algorithm>

namespace kvt {

ReadResult SerialPort::readAvailable(
    std::uint8_t* buffer, std::size_t capacity, std::size_t& got, std::chrono::microseconds wait)
{
    got = 0;
    if (capacity == 0)
        return ReadResult::Empty;
    PortTimeouts timeouts;
    if (wait.count() <= 0) {
        timeouts.readInterval = PortTimeouts::kNoWait;
    } else {
        // Whole milliseconds, rounded up: a wait cut short would only come round again.
        const auto milliseconds = (wait.count() + 999) / 1000;
        timeouts.readTotalConstant = static_cast<std::uint32_t>(std::min<std::int64_t>(milliseconds, 0x7FFFFFFF));
    }
    if (!setTimeouts(timeouts))
        return ReadResult::Failed;
    std::uint8_t byte = 0;
    const ReadResult first = readByte(byte);
    if (first != ReadResult::Byte)
        return first;
    buffer[got++] = byte;
    // The rest of what is there, without another wait.
    PortTimeouts noWait;
    noWait.readInterval = PortTimeouts::kNoWait;
    if (!setTimeouts(noWait))
        return ReadResult::Byte;
    while (got < capacity && readByte(byte) == ReadResult::Byte)
        buffer[got++] = byte;
    return ReadResult::Byte;
}

} // namespace kvt
