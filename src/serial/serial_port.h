#pragma once
// The port as the transfer code sees it. The protocol logic (open, send, receive,
// line monitors) talks only to this interface; the termios and Win32 back ends and
// the scripted ports of the tests stand behind it.
//
// Threading: readByte(), waitEvent() and purge() are called by one thread at a time,
// the job that owns the port's current direction. modemStatus(), setDtr() and
// setRts() do not block and may be called from a monitor thread at the same time.
// cancel() and clearCancel() may be called from any thread. close() is called only
// when no job uses the port any more.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kvt {

// Control bytes of the line.
inline constexpr std::uint8_t kNulByte = 0x00;
inline constexpr std::uint8_t kXonByte = 0x11; // DC1
inline constexpr std::uint8_t kXoffByte = 0x13; // DC3

// Line events a caller can wait for (the values of the Win32 event mask bits).
namespace line_event {
inline constexpr std::uint32_t kCharReceived = 0x0001;
inline constexpr std::uint32_t kEventChar = 0x0002;
inline constexpr std::uint32_t kCtsChanged = 0x0008;
} // namespace line_event

// Modem status bits (the values of the Win32 modem status word).
namespace modem_line {
inline constexpr std::uint32_t kCts = 0x0010;
inline constexpr std::uint32_t kDsr = 0x0020;
inline constexpr std::uint32_t kRing = 0x0040;
inline constexpr std::uint32_t kRlsd = 0x0080;
} // namespace modem_line

// Parity and stop-bit codes, as the line settings carry them.
inline constexpr std::uint8_t kParityNone = 0;
inline constexpr std::uint8_t kParityOdd = 1;
inline constexpr std::uint8_t kParityEven = 2;
inline constexpr std::uint8_t kParityMark = 3;
inline constexpr std::uint8_t kParitySpace = 4;
inline constexpr std::uint8_t kOneStopBit = 0;
inline constexpr std::uint8_t kOneAndHalfStopBits = 1;
inline constexpr std::uint8_t kTwoStopBits = 2;

// The line parameters of an open port: what the driver reports and what is written
// back. Fields a back end cannot represent keep their last written value.
struct LineSettings {
    std::uint32_t baudRate = 9600; // bits per second
    std::uint8_t byteSize = 8; // 5 to 8 data bits
    std::uint8_t parity = kParityNone; // kParity...
    std::uint8_t stopBits = kOneStopBit; // kOneStopBit, kOneAndHalfStopBits, kTwoStopBits
    bool outX = false; // output stops on XOFF from the other side
    bool inX = false; // the port sends XOFF/XON itself when its input queue fills/empties
    std::uint8_t xonChar = 0;
    std::uint8_t xoffChar = 0;
    std::uint16_t xonLimit = 0; // bytes in the input queue below which XON is sent
    std::uint16_t xoffLimit = 0; // free bytes in the input queue below which XOFF is sent
    // Hardware handshake as the driver has it; the transfer code never changes these.
    bool ctsOutFlow = false;
    bool dsrOutFlow = false;
    std::uint8_t dtrControl = 0; // 0 off, 1 on, 2 handshake
    std::uint8_t rtsControl = 0; // 0 off, 1 on, 2 handshake, 3 toggle
};

// Time-outs in milliseconds with the meaning of the Win32 comm time-outs: a read of
// n bytes gives up after readTotalMultiplier * n + readTotalConstant ms, a write of n
// bytes after writeTotalMultiplier * n + writeTotalConstant ms; both totals 0 means no
// time-out. A read interval of kNoWait with zero totals returns at once.
struct PortTimeouts {
    static constexpr std::uint32_t kNoWait = 0xFFFFFFFF;
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;
    friend bool operator==(const PortTimeouts&, const PortTimeouts&) = default;
};

enum class PortOpenResult {
    Opened,
    NotFound, // no such device: the port does not exist
    InUse, // the device exists but another program (or handle) holds it
    Failed, // any other error; lastError() tells which
};

enum class PurgeScope {
    All, // both queues, and pending transfers both ways are ended
    Input, // the input queue and pending reads only; bytes on their way out stay
};

enum class ReadResult {
    Byte, // one byte was read
    Empty, // the read time-out passed without a byte
    Failed, // the read failed or was cancelled
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens the named port ("COM1" ... "COM10") for reading and writing, exclusively.
    virtual PortOpenResult open(std::string_view name) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual bool lineSettings(LineSettings& settings) = 0;
    // Applies all fields or, when one of them is out of range, none.
    virtual bool setLineSettings(const LineSettings& settings) = 0;
    virtual bool timeouts(PortTimeouts& timeouts) = 0;
    virtual bool setTimeouts(const PortTimeouts& timeouts) = 0;
    // Recommended driver queue sizes in bytes; a driver may keep its own.
    virtual bool setQueueSizes(std::uint32_t input, std::uint32_t output) = 0;
    // Discards queued bytes and ends pending transfers.
    virtual bool purge(PurgeScope scope = PurgeScope::All) = 0;

    // Writes size bytes and returns once they have left the port or the write
    // time-out has passed; written counts the bytes that left. Returns false on an
    // error or a cancel.
    virtual bool write(const std::uint8_t* data, std::size_t size, std::size_t& written) = 0;
    virtual ReadResult readByte(std::uint8_t& byte) = 0;

    // Hands bytes to the driver's output queue without waiting for them to leave;
    // accepted counts what the queue took (fewer, or none, when it is full). A feed that
    // paces itself uses this with outputQueued() to keep only a few bytes on their way.
    // The default writes and waits, which is slower but never sends more.
    virtual bool queueWrite(const std::uint8_t* data, std::size_t size, std::size_t& accepted)
    {
        return write(data, size, accepted);
    }
    // Waits at most wait for bytes from the line and takes all that are there, up to
    // capacity, into buffer; got counts them. A pacing feed waits here between its writes,
    // so a stop from the other side ends the wait at once. The default goes through
    // readByte() with whole-millisecond time-outs and changes the port's time-outs.
    virtual ReadResult readAvailable(
        std::uint8_t* buffer, std::size_t capacity, std::size_t& got, std::chrono::microseconds wait);
    // Bytes still waiting in the driver's output queue; false when the driver cannot tell.
    virtual bool outputQueued(std::size_t& bytes)
    {
        bytes = 0;
        return false;
    }

    virtual bool setEventMask(std::uint32_t mask) = 0; // line_event bits
    // Blocks until an event of the mask occurs; events receives the line_event bits.
    virtual bool waitEvent(std::uint32_t& events) = 0;

    virtual bool modemStatus(std::uint32_t& status) = 0; // modem_line bits
    virtual bool setDtr(bool on) = 0;
    virtual bool setRts(bool on) = 0;

    // Makes every blocking call in progress (read, write, event wait) return at once
    // with a failure, and every later one too, until clearCancel(). This is how a job
    // that does not end by itself within its grace time is ended.
    virtual void cancel() = 0;
    virtual void clearCancel() = 0;

    // The system error number of the last failed call (errno or GetLastError()).
    virtual int lastError() const = 0;
};

} // namespace kvt
