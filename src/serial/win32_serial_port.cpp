#include "serial/win32_serial_port.h"

#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601 // CancelIoEx
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <string>

namespace kvt {

namespace {

constexpr DWORD kAllPurgeFlags = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kInputPurgeFlags = PURGE_RXABORT | PURGE_RXCLEAR;
constexpr DWORD kDrainPollMs = 5; // how often a write looks whether its bytes have left
constexpr std::uint64_t kLongestWaitMs = 0xFFFF'FFFE;

// "COM10" and above open only through the device namespace, and the prefix is
// harmless for COM1 to COM9, so every COM name gets it.
std::string DevicePath(std::string_view name)
{
    std::string path(name);
    if (path.size() >= 4 && (path[0] == 'C' || path[0] == 'c') && (path[1] == 'O' || path[1] == 'o')
        && (path[2] == 'M' || path[2] == 'm')) {
        path.insert(0, "\\\\.\\");
    }
    return path;
}

// An overlapped operation with its own event.
struct Overlapped {
    OVERLAPPED ov {};
    Overlapped() { ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    ~Overlapped()
    {
        if (ov.hEvent != nullptr) {
            CloseHandle(ov.hEvent);
        }
    }
    Overlapped(const Overlapped&) = delete;
    Overlapped& operator=(const Overlapped&) = delete;
    bool valid() const { return ov.hEvent != nullptr; }
};

} // namespace

Win32SerialPort::Win32SerialPort()
    : m_handle(INVALID_HANDLE_VALUE)
    , m_cancelEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

Win32SerialPort::~Win32SerialPort()
{
    close();
    if (m_cancelEvent != nullptr) {
        CloseHandle(m_cancelEvent);
    }
}

bool Win32SerialPort::fail()
{
    m_lastError = static_cast<int>(GetLastError());
    return false;
}

bool Win32SerialPort::isOpen() const
{
    return m_handle != INVALID_HANDLE_VALUE;
}

PortOpenResult Win32SerialPort::open(std::string_view name)
{
    close();
    const std::string path = DevicePath(name);
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        m_lastError = static_cast<int>(error);
        switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return PortOpenResult::NotFound;
        case ERROR_ACCESS_DENIED: // how Windows reports a COM port another handle holds
        case ERROR_SHARING_VIOLATION:
            return PortOpenResult::InUse;
        default:
            return PortOpenResult::Failed;
        }
    }
    m_handle = handle;
    clearCancel();
    return PortOpenResult::Opened;
}

void Win32SerialPort::close()
{
    if (m_handle != INVALID_HANDLE_VALUE) {
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
}

bool Win32SerialPort::lineSettings(LineSettings& settings)
{
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(m_handle, &dcb)) {
        return fail();
    }
    settings.baudRate = dcb.BaudRate;
    settings.byteSize = dcb.ByteSize;
    settings.parity = dcb.Parity;
    settings.stopBits = dcb.StopBits;
    settings.outX = dcb.fOutX != 0;
    settings.inX = dcb.fInX != 0;
    settings.xonChar = static_cast<std::uint8_t>(dcb.XonChar);
    settings.xoffChar = static_cast<std::uint8_t>(dcb.XoffChar);
    settings.xonLimit = dcb.XonLim;
    settings.xoffLimit = dcb.XoffLim;
    settings.ctsOutFlow = dcb.fOutxCtsFlow != 0;
    settings.dsrOutFlow = dcb.fOutxDsrFlow != 0;
    settings.dtrControl = static_cast<std::uint8_t>(dcb.fDtrControl);
    settings.rtsControl = static_cast<std::uint8_t>(dcb.fRtsControl);
    return true;
}

bool Win32SerialPort::setLineSettings(const LineSettings& settings)
{
    // Start from the driver's record so that every field this program does not own
    // (event character, error replacement, binary mode ...) stays as it is.
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(m_handle, &dcb)) {
        return fail();
    }
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = settings.byteSize;
    dcb.Parity = settings.parity;
    dcb.StopBits = settings.stopBits;
    dcb.fOutX = settings.outX ? 1 : 0;
    dcb.fInX = settings.inX ? 1 : 0;
    dcb.XonChar = static_cast<char>(settings.xonChar);
    dcb.XoffChar = static_cast<char>(settings.xoffChar);
    dcb.XonLim = settings.xonLimit;
    dcb.XoffLim = settings.xoffLimit;
    dcb.fOutxCtsFlow = settings.ctsOutFlow ? 1 : 0;
    dcb.fOutxDsrFlow = settings.dsrOutFlow ? 1 : 0;
    dcb.fDtrControl = settings.dtrControl & 0x3;
    dcb.fRtsControl = settings.rtsControl & 0x3;
    return SetCommState(m_handle, &dcb) ? true : fail();
}

bool Win32SerialPort::timeouts(PortTimeouts& timeouts)
{
    COMMTIMEOUTS t {};
    if (!GetCommTimeouts(m_handle, &t)) {
        return fail();
    }
    timeouts.readInterval = t.ReadIntervalTimeout;
    timeouts.readTotalMultiplier = t.ReadTotalTimeoutMultiplier;
    timeouts.readTotalConstant = t.ReadTotalTimeoutConstant;
    timeouts.writeTotalMultiplier = t.WriteTotalTimeoutMultiplier;
    timeouts.writeTotalConstant = t.WriteTotalTimeoutConstant;
    return true;
}

bool Win32SerialPort::setTimeouts(const PortTimeouts& timeouts)
{
    COMMTIMEOUTS t {};
    t.ReadIntervalTimeout = timeouts.readInterval;
    t.ReadTotalTimeoutMultiplier = timeouts.readTotalMultiplier;
    t.ReadTotalTimeoutConstant = timeouts.readTotalConstant;
    t.WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplier;
    t.WriteTotalTimeoutConstant = timeouts.writeTotalConstant;
    return SetCommTimeouts(m_handle, &t) ? true : fail();
}

bool Win32SerialPort::setQueueSizes(std::uint32_t input, std::uint32_t output)
{
    return SetupComm(m_handle, input, output) ? true : fail();
}

bool Win32SerialPort::purge(PurgeScope scope)
{
    const DWORD flags = scope == PurgeScope::All ? kAllPurgeFlags : kInputPurgeFlags;
    return PurgeComm(m_handle, flags) ? true : fail();
}

Win32SerialPort::Io Win32SerialPort::finishIo(void* overlapped, unsigned long& transferred)
{
    auto* ov = static_cast<OVERLAPPED*>(overlapped);
    HANDLE waits[2] = {ov->hEvent, m_cancelEvent};
    const DWORD which = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    DWORD count = 0;
    if (which != WAIT_OBJECT_0) {
        // Cancelled (or the wait itself failed): end the operation and wait until the
        // driver has let go of the OVERLAPPED before it goes out of scope.
        CancelIoEx(m_handle, ov);
        GetOverlappedResult(m_handle, ov, &count, TRUE);
        transferred = count;
        m_lastError = ERROR_OPERATION_ABORTED;
        return which == WAIT_OBJECT_0 + 1 ? Io::Cancelled : Io::Failed;
    }
    if (!GetOverlappedResult(m_handle, ov, &count, FALSE)) {
        transferred = count;
        fail();
        return Io::Failed;
    }
    transferred = count;
    return Io::Done;
}

bool Win32SerialPort::write(const std::uint8_t* data, std::size_t size, std::size_t& written)
{
    written = 0;
    if (WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0) {
        m_lastError = ERROR_OPERATION_ABORTED;
        return false;
    }
    COMMTIMEOUTS t {};
    GetCommTimeouts(m_handle, &t);
    const std::uint64_t budget = std::uint64_t {t.WriteTotalTimeoutMultiplier} * size + t.WriteTotalTimeoutConstant;
    const ULONGLONG deadline = GetTickCount64() + std::min(budget, kLongestWaitMs);

    std::size_t accepted = 0;
    while (accepted < size) {
        Overlapped op;
        if (!op.valid()) {
            return fail();
        }
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - accepted, 0x7FFF'FFFF));
        DWORD count = 0;
        if (!WriteFile(m_handle, data + accepted, chunk, &count, &op.ov)) {
            if (GetLastError() != ERROR_IO_PENDING) {
                return fail();
            }
            unsigned long done = 0;
            const Io io = finishIo(&op.ov, done);
            count = done;
            if (io != Io::Done) {
                written = accepted + count;
                return false;
            }
        }
        accepted += count;
        if (count < chunk) {
            break; // the write time-out passed
        }
    }

    // A USB adapter may finish the write while bytes still sit in its queue; a write
    // counts only what has left it, so that a purge afterwards cannot cut the program.
    DWORD queued = 0;
    for (;;) {
        COMSTAT status {};
        DWORD errors = 0;
        if (!ClearCommError(m_handle, &errors, &status)) {
            queued = 0;
            break;
        }
        queued = status.cbOutQue;
        if (queued == 0 || (budget != 0 && GetTickCount64() >= deadline)) {
            break;
        }
        if (WaitForSingleObject(m_cancelEvent, kDrainPollMs) == WAIT_OBJECT_0) {
            written = accepted - std::min<std::size_t>(accepted, queued);
            m_lastError = ERROR_OPERATION_ABORTED;
            return false;
        }
    }
    written = accepted - std::min<std::size_t>(accepted, queued);
    return true;
}

ReadResult Win32SerialPort::readByte(std::uint8_t& byte)
{
    if (WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0) {
        m_lastError = ERROR_OPERATION_ABORTED;
        return ReadResult::Failed;
    }
    Overlapped op;
    if (!op.valid()) {
        fail();
        return ReadResult::Failed;
    }
    DWORD count = 0;
    if (!ReadFile(m_handle, &byte, 1, &count, &op.ov)) {
        if (GetLastError() != ERROR_IO_PENDING) {
            fail();
            return ReadResult::Failed;
        }
        unsigned long done = 0;
        if (finishIo(&op.ov, done) != Io::Done) {
            return ReadResult::Failed;
        }
        count = done;
    }
    return count == 1 ? ReadResult::Byte : ReadResult::Empty;
}

bool Win32SerialPort::setEventMask(std::uint32_t mask)
{
    return SetCommMask(m_handle, mask) ? true : fail();
}

bool Win32SerialPort::waitEvent(std::uint32_t& events)
{
    events = 0;
    if (WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0) {
        m_lastError = ERROR_OPERATION_ABORTED;
        return false;
    }
    Overlapped op;
    if (!op.valid()) {
        return fail();
    }
    DWORD mask = 0;
    if (!WaitCommEvent(m_handle, &mask, &op.ov)) {
        if (GetLastError() != ERROR_IO_PENDING) {
            return fail();
        }
        unsigned long done = 0;
        if (finishIo(&op.ov, done) != Io::Done) {
            return false;
        }
    }
    events = mask;
    return true;
}

bool Win32SerialPort::modemStatus(std::uint32_t& status)
{
    DWORD lines = 0;
    if (!GetCommModemStatus(m_handle, &lines)) {
        status = 0;
        return fail();
    }
    status = lines;
    return true;
}

bool Win32SerialPort::setDtr(bool on)
{
    return EscapeCommFunction(m_handle, on ? SETDTR : CLRDTR) ? true : fail();
}

bool Win32SerialPort::setRts(bool on)
{
    return EscapeCommFunction(m_handle, on ? SETRTS : CLRRTS) ? true : fail();
}

void Win32SerialPort::cancel()
{
    SetEvent(m_cancelEvent);
}

void Win32SerialPort::clearCancel()
{
    ResetEvent(m_cancelEvent);
}

static_assert(line_event::kCharReceived == EV_RXCHAR);
static_assert(line_event::kEventChar == EV_RXFLAG);
static_assert(line_event::kCtsChanged == EV_CTS);
static_assert(modem_line::kCts == MS_CTS_ON);
static_assert(modem_line::kDsr == MS_DSR_ON);
static_assert(modem_line::kRing == MS_RING_ON);
static_assert(modem_line::kRlsd == MS_RLSD_ON);
static_assert(kOneStopBit == ONESTOPBIT && kOneAndHalfStopBits == ONE5STOPBITS && kTwoStopBits == TWOSTOPBITS);
static_assert(kParityNone == NOPARITY && kParityOdd == ODDPARITY && kParityEven == EVENPARITY
    && kParityMark == MARKPARITY && kParitySpace == SPACEPARITY);

} // namespace kvt
