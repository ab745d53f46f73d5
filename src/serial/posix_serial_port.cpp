#include "serial/posix_serial_port.h"

#include "serial/posix_baud_rate.h"
#include "serial/posix_line_mapping.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kvt {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int64_t kCtsPollMs = 10; // termios has no CTS event; the line is sampled
constexpr std::int64_t kDrainPollMs = 5; // how often a write looks whether its bytes have left
constexpr int kNoPipeSliceMs = 20; // poll slice when no cancel pipe could be made
constexpr std::uint64_t kLongestWaitMs = 1'000'000'000'000; // about 30 years: "no time-out" without clock overflow

// Rounded up: poll() takes whole milliseconds, and a rest below one rounded down to 0
// would make the wait spin on the processor until the deadline.
std::int64_t MillisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return std::max<std::int64_t>(left, 0);
}

// "COM<n>" with n from 1 to 10, letters in any case; 0 for every other name.
int ComNumber(std::string_view name)
{
    if (name.size() < 4 || name.size() > 5) {
        return 0;
    }
    for (int i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
            return 0;
        }
    }
    const std::string_view digits = name.substr(3);
    if (digits.front() == '0') {
        return 0;
    }
    int number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    return number <= PortNameMap::kPortCount ? number : 0;
}

tcflag_t SizeFlag(std::uint8_t byteSize)
{
    switch (byteSize) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

} // namespace

// --- termios mapping ---------------------------------------------------------------------

namespace posix_line {

bool IsValid(const LineSettings& settings)
{
    bool valid = settings.byteSize >= 5 && settings.byteSize <= 8 && settings.stopBits <= kTwoStopBits
        && settings.parity <= kParitySpace && settings.baudRate != 0;
#ifndef CMSPAR
    valid = valid && settings.parity <= kParityEven;
#endif
    // The same character cannot both stop and restart the flow.
    if ((settings.outX || settings.inX) && settings.xonChar == settings.xoffChar) {
        valid = false;
    }
    return valid;
}

void Apply(termios& tio, const LineSettings& settings)
{
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CMSPAR
    tio.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
#endif
    tio.c_cflag |= SizeFlag(settings.byteSize);
    switch (settings.parity) {
    case kParityOdd:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case kParityEven:
        tio.c_cflag |= PARENB;
        break;
#ifdef CMSPAR
    case kParityMark:
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case kParitySpace:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
#endif
    default:
        break;
    }
    if (settings.stopBits != kOneStopBit) {
        tio.c_cflag |= CSTOPB;
    }
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
    if (settings.outX) {
        tio.c_iflag |= IXON;
    }
    if (settings.inX) {
        tio.c_iflag |= IXOFF;
    }
    // 0 is the "disabled" value of a control character on Linux and the BSDs.
    tio.c_cc[VSTART] = settings.xonChar;
    tio.c_cc[VSTOP] = settings.xoffChar;
}

void Read(const termios& tio, LineSettings& settings)
{
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        settings.byteSize = 5;
        break;
    case CS6:
        settings.byteSize = 6;
        break;
    case CS7:
        settings.byteSize = 7;
        break;
    default:
        settings.byteSize = 8;
        break;
    }
    if ((tio.c_cflag & PARENB) == 0) {
        settings.parity = kParityNone;
    }
#ifdef CMSPAR
    else if ((tio.c_cflag & CMSPAR) != 0) {
        settings.parity = (tio.c_cflag & PARODD) != 0 ? kParityMark : kParitySpace;
    }
#endif
    else {
        settings.parity = (tio.c_cflag & PARODD) != 0 ? kParityOdd : kParityEven;
    }
    if ((tio.c_cflag & CSTOPB) == 0) {
        settings.stopBits = kOneStopBit;
    } else {
        settings.stopBits = settings.byteSize == 5 ? kOneAndHalfStopBits : kTwoStopBits;
    }
    settings.outX = (tio.c_iflag & IXON) != 0;
    settings.inX = (tio.c_iflag & IXOFF) != 0;
    settings.xonChar = tio.c_cc[VSTART];
    settings.xoffChar = tio.c_cc[VSTOP];
    settings.ctsOutFlow = (tio.c_cflag & CRTSCTS) != 0;
    settings.dsrOutFlow = false;
    settings.dtrControl = 1;
    settings.rtsControl = (tio.c_cflag & CRTSCTS) != 0 ? 2 : 1;
}

} // namespace posix_line

// --- PortNameMap ------------------------------------------------------------------------

PortNameMap PortNameMap::defaults()
{
    PortNameMap map;
    for (int i = 0; i < kPortCount; ++i) {
        map.devices[i] = "/dev/ttyS" + std::to_string(i);
    }
    return map;
}

PortNameMap PortNameMap::fromSettings(const std::function<std::optional<std::string>(const std::string& key)>& value)
{
    PortNameMap map = defaults();
    for (int i = 0; i < kPortCount; ++i) {
        const std::optional<std::string> device = value("Ports/COM" + std::to_string(i + 1));
        if (device && !device->empty()) {
            map.devices[i] = *device;
        }
    }
    return map;
}

std::string PortNameMap::deviceFor(std::string_view name) const
{
    if (!name.empty() && name.front() == '/') {
        return std::string(name);
    }
    const int number = ComNumber(name);
    return number == 0 ? std::string() : devices[number - 1];
}

// --- PosixSerialPort --------------------------------------------------------------------

PosixSerialPort::PosixSerialPort(PortNameMap names)
    : m_names(std::move(names))
{
    if (pipe2(m_cancelPipe, O_NONBLOCK | O_CLOEXEC) != 0) {
        m_cancelPipe[0] = m_cancelPipe[1] = -1;
    }
}

PosixSerialPort::~PosixSerialPort()
{
    close();
    for (int& fd : m_cancelPipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

bool PosixSerialPort::fail(int error)
{
    m_lastError = error;
    return false;
}

PortOpenResult PosixSerialPort::open(std::string_view name)
{
    close();
    const std::string device = m_names.deviceFor(name);
    if (device.empty()) {
        m_lastError = ENOENT;
        return PortOpenResult::NotFound;
    }
    // Non-blocking, so that the open does not wait for a carrier; every later wait is a poll.
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        m_lastError = error;
        switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case EIO: // a serial device node without a UART behind it
            return PortOpenResult::NotFound;
        case EBUSY:
            return PortOpenResult::InUse;
        default:
            return PortOpenResult::Failed;
        }
    }
    auto reject = [&](int error, PortOpenResult result) {
        ::close(fd);
        m_lastError = error;
        return result;
    };
    if (!isatty(fd)) {
        return reject(ENOTTY, PortOpenResult::Failed);
    }
    // TIOCEXCL keeps other programs out, but not a privileged one and not a second
    // handle of ours; the lock covers those.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        return reject(error, error == EWOULDBLOCK ? PortOpenResult::InUse : PortOpenResult::Failed);
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        return reject(errno, PortOpenResult::Failed);
    }
    // Raw bytes both ways: an NC program must arrive exactly as sent, without CR/LF
    // translation, echo, line editing or signal characters. Speed, character format,
    // handshake and XON/XOFF stay as the driver has them until setLineSettings().
    termios tio {};
    if (tcgetattr(fd, &tio) != 0) {
        const int error = errno;
        ioctl(fd, TIOCNXCL);
        return reject(error, PortOpenResult::Failed);
    }
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXANY | INPCK);
#ifdef IUCLC
    tio.c_iflag &= ~static_cast<tcflag_t>(IUCLC);
#endif
#ifdef IMAXBEL
    tio.c_iflag &= ~static_cast<tcflag_t>(IMAXBEL);
#endif
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int error = errno;
        ioctl(fd, TIOCNXCL);
        return reject(error, PortOpenResult::Failed);
    }
    m_fd = fd;
    m_readPos = m_readEnd = 0;
    m_eventMask = 0;
    m_timeouts = PortTimeouts {};
    clearCancel();
    return PortOpenResult::Opened;
}

void PosixSerialPort::close()
{
    if (m_fd < 0) {
        return;
    }
    // Exclusivity stays on the terminal while anyone else holds it open; give it back.
    ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
    m_readPos = m_readEnd = 0;
}

bool PosixSerialPort::lineSettings(LineSettings& settings)
{
    termios tio {};
    if (m_fd < 0) {
        return fail(EBADF);
    }
    if (tcgetattr(m_fd, &tio) != 0) {
        return fail(errno);
    }
    std::uint32_t rate = 0;
    if (!posix_baud::rate(m_fd, rate)) {
        return fail(errno);
    }
    settings.baudRate = rate;
    posix_line::Read(tio, settings);
    settings.xonLimit = m_xonLimit;
    settings.xoffLimit = m_xoffLimit;
    return true;
}

bool PosixSerialPort::setLineSettings(const LineSettings& settings)
{
    if (m_fd < 0) {
        return fail(EBADF);
    }
    if (!posix_line::IsValid(settings)) {
        return fail(EINVAL);
    }
    termios before {};
    if (tcgetattr(m_fd, &before) != 0) {
        return fail(errno);
    }
    termios tio = before;
    posix_line::Apply(tio, settings);
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        const int error = errno;
        tcsetattr(m_fd, TCSANOW, &before);
        return fail(error);
    }
    if (!posix_baud::setRate(m_fd, settings.baudRate)) {
        const int error = errno;
        tcsetattr(m_fd, TCSANOW, &before);
        return fail(error);
    }
    m_xonLimit = settings.xonLimit;
    m_xoffLimit = settings.xoffLimit;
    return true;
}

bool PosixSerialPort::timeouts(PortTimeouts& timeouts)
{
    if (m_fd < 0) {
        return fail(EBADF);
    }
    timeouts = m_timeouts;
    return true;
}

bool PosixSerialPort::setTimeouts(const PortTimeouts& timeouts)
{
    if (m_fd < 0) {
        return fail(EBADF);
    }
    m_timeouts = timeouts;
    return true;
}

bool PosixSerialPort::setQueueSizes(std::uint32_t, std::uint32_t)
{
    // A terminal's queues have the size its driver gives them; the request is advice.
    return m_fd >= 0 ? true : fail(EBADF);
}

bool PosixSerialPort::purge(PurgeScope scope)
{
    if (m_fd < 0) {
        return fail(EBADF);
    }
    m_readPos = m_readEnd = 0;
    if (tcflush(m_fd, scope == PurgeScope::All ? TCIOFLUSH : TCIFLUSH) != 0) {
        return fail(errno);
    }
    return true;
}

PosixSerialPort::Wait PosixSerialPort::waitFor(short events, std::optional<Clock::time_point> deadline)
{
    for (;;) {
        if (m_cancelled) {
            m_lastError = ECANCELED;
            return Wait::Cancelled;
        }
        pollfd fds[2] = {{m_fd, events, 0}, {m_cancelPipe[0], POLLIN, 0}};
#if defined(__linux__)
        // To the microsecond: a drip-feed waits for a few bytes to leave, well under a
        // millisecond at 115200 baud, and whole milliseconds would slow it below the line.
        std::chrono::nanoseconds slice = deadline
            ? std::max(std::chrono::nanoseconds::zero(), std::chrono::nanoseconds(*deadline - Clock::now()))
            : std::chrono::nanoseconds(std::chrono::hours(1));
        if (m_cancelPipe[0] < 0) {
            slice = std::min<std::chrono::nanoseconds>(slice, std::chrono::milliseconds(kNoPipeSliceMs));
        }
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(slice);
        const timespec timeout {static_cast<time_t>(seconds.count()), static_cast<long>((slice - seconds).count())};
        const int ready = ::ppoll(fds, 2, &timeout, nullptr);
#else
        std::int64_t slice = deadline ? MillisecondsUntil(*deadline) : INT_MAX;
        if (m_cancelPipe[0] < 0) {
            slice = std::min<std::int64_t>(slice, kNoPipeSliceMs);
        }
        const int ready = ::poll(fds, 2, static_cast<int>(std::min<std::int64_t>(slice, INT_MAX)));
#endif
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_lastError = errno;
            return Wait::Failed;
        }
        if ((fds[1].revents & POLLIN) != 0 || m_cancelled) {
            m_lastError = ECANCELED;
            return Wait::Cancelled;
        }
        if ((fds[0].revents & events) != 0) {
            return Wait::Ready;
        }
        if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            m_lastError = EIO;
            return Wait::Failed;
        }
        if (deadline && Clock::now() >= *deadline) {
            return Wait::TimedOut;
        }
    }
}

bool PosixSerialPort::write(const std::uint8_t* data, std::size_t size, std::size_t& written)
{
    written = 0;
    if (m_fd < 0) {
        return fail(EBADF);
    }
    const std::uint64_t budget
        = std::uint64_t {m_timeouts.writeTotalMultiplier} * size + std::uint64_t {m_timeouts.writeTotalConstant};
    std::optional<Clock::time_point> deadline;
    if (budget != 0) {
        deadline = Clock::now() + std::chrono::milliseconds(std::min<std::uint64_t>(budget, kLongestWaitMs));
    }

    std::size_t accepted = 0;
    while (accepted < size) {
        const Wait wait = waitFor(POLLOUT, deadline);
        if (wait == Wait::Cancelled || wait == Wait::Failed) {
            return false;
        }
        if (wait == Wait::TimedOut) {
            break;
        }
        const ssize_t n = ::write(m_fd, data + accepted, size - accepted);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        accepted += static_cast<std::size_t>(n);
    }

    // The bytes are in the driver's output queue; a write counts only what has left
    // it, so that a purge after the write cannot silently cut the end of a program.
    int queued = 0;
    for (;;) {
        if (ioctl(m_fd, TIOCOUTQ, &queued) != 0) {
            queued = 0; // the driver cannot tell; its queue is taken as sent
            break;
        }
        if (queued <= 0) {
            queued = 0;
            break;
        }
        if (deadline && Clock::now() >= *deadline) {
            break;
        }
        const std::int64_t pause = deadline ? std::min(MillisecondsUntil(*deadline), kDrainPollMs) : kDrainPollMs;
        pollfd cancelFd = {m_cancelPipe[0], POLLIN, 0};
        ::poll(&cancelFd, 1, static_cast<int>(pause));
        if (m_cancelled) {
            written = accepted - std::min<std::size_t>(accepted, static_cast<std::size_t>(queued));
            return fail(ECANCELED);
        }
    }
    written = accepted - std::min<std::size_t>(accepted, static_cast<std::size_t>(queued));
    return true;
}

bool PosixSerialPort::queueWrite(const std::uint8_t* data, std::size_t size, std::size_t& accepted)
{
    accepted = 0;
    if (m_fd < 0) {
        return fail(EBADF);
    }
    if (m_cancelled) {
        return fail(ECANCELED);
    }
    while (accepted < size) {
        const ssize_t n = ::write(m_fd, data + accepted, size - accepted);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN) {
                return true; // the queue is full; the caller comes back later
            }
            return fail(errno);
        }
        accepted += static_cast<std::size_t>(n);
    }
    return true;
}

bool PosixSerialPort::outputQueued(std::size_t& bytes)
{
    bytes = 0;
    int queued = 0;
    if (m_fd < 0 || ioctl(m_fd, TIOCOUTQ, &queued) != 0) {
        return false;
    }
    bytes = static_cast<std::size_t>(std::max(queued, 0));
    return true;
}

ReadResult PosixSerialPort::readByte(std::uint8_t& byte)
{
    if (m_readPos < m_readEnd) {
        byte = m_readBuffer[m_readPos++];
        return ReadResult::Byte;
    }
    if (m_fd < 0) {
        m_lastError = EBADF;
        return ReadResult::Failed;
    }
    // On a busy line the next bytes are usually there already: fetch them without a wait.
    if (!m_cancelled) {
        const ssize_t n = ::read(m_fd, m_readBuffer.data(), m_readBuffer.size());
        if (n > 0) {
            m_readPos = 1;
            m_readEnd = static_cast<std::size_t>(n);
            byte = m_readBuffer[0];
            return ReadResult::Byte;
        }
        // Nothing there and no wait asked for: the poll after it would only say so again.
        if (n < 0 && errno == EAGAIN && m_timeouts.readInterval == PortTimeouts::kNoWait
            && m_timeouts.readTotalMultiplier == 0 && m_timeouts.readTotalConstant == 0) {
            return ReadResult::Empty;
        }
    }
    // One byte: the total time-out is multiplier + constant; the interval time-out only
    // runs between bytes and so never applies.
    const std::uint64_t total
        = std::uint64_t {m_timeouts.readTotalMultiplier} + std::uint64_t {m_timeouts.readTotalConstant};
    std::optional<Clock::time_point> deadline;
    if (total != 0) {
        deadline = Clock::now() + std::chrono::milliseconds(total);
    } else if (m_timeouts.readInterval == PortTimeouts::kNoWait) {
        deadline = Clock::now(); // return at once with what is there
    }
    for (;;) {
        const Wait wait = waitFor(POLLIN, deadline);
        if (wait == Wait::TimedOut) {
            return ReadResult::Empty;
        }
        if (wait != Wait::Ready) {
            return ReadResult::Failed;
        }
        const ssize_t n = ::read(m_fd, m_readBuffer.data(), m_readBuffer.size());
        if (n > 0) {
            m_readPos = 1;
            m_readEnd = static_cast<std::size_t>(n);
            byte = m_readBuffer[0];
            return ReadResult::Byte;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            m_lastError = errno;
            return ReadResult::Failed;
        }
        if (deadline && Clock::now() >= *deadline) {
            return ReadResult::Empty;
        }
    }
}

ReadResult PosixSerialPort::readAvailable(
    std::uint8_t* buffer, std::size_t capacity, std::size_t& got, std::chrono::microseconds wait)
{
    got = 0;
    if (capacity == 0) {
        return ReadResult::Empty;
    }
    if (m_readPos < m_readEnd) {
        got = std::min(capacity, m_readEnd - m_readPos);
        std::copy_n(m_readBuffer.data() + m_readPos, got, buffer);
        m_readPos += got;
        return ReadResult::Byte;
    }
    if (m_fd < 0) {
        m_lastError = EBADF;
        return ReadResult::Failed;
    }
    // The poll first, and a read only when it says there is something: on a terminal an
    // empty read costs many times a poll, and a feed comes here a thousand times a second.
    const Wait ready = waitFor(POLLIN, Clock::now() + std::max(wait, std::chrono::microseconds::zero()));
    if (ready == Wait::TimedOut) {
        return ReadResult::Empty;
    }
    if (ready != Wait::Ready) {
        return ReadResult::Failed;
    }
    const ssize_t n = ::read(m_fd, buffer, capacity);
    if (n > 0) {
        got = static_cast<std::size_t>(n);
        return ReadResult::Byte;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
        m_lastError = errno;
        return ReadResult::Failed;
    }
    return ReadResult::Empty;
}

bool PosixSerialPort::ctsOn(bool& on)
{
    std::uint32_t status = 0;
    if (!modemStatus(status)) {
        return false;
    }
    on = (status & modem_line::kCts) != 0;
    return true;
}

bool PosixSerialPort::setEventMask(std::uint32_t mask)
{
    if (m_fd < 0) {
        return fail(EBADF);
    }
    bool cts = false;
    // A CTS event needs modem lines to watch (a pseudo-terminal has none).
    if ((mask & line_event::kCtsChanged) != 0 && !ctsOn(cts)) {
        return false;
    }
    m_eventMask = mask;
    return true;
}

bool PosixSerialPort::waitEvent(std::uint32_t& events)
{
    events = 0;
    if (m_fd < 0) {
        return fail(EBADF);
    }
    const bool wantChar = (m_eventMask & line_event::kCharReceived) != 0;
    const bool wantCts = (m_eventMask & line_event::kCtsChanged) != 0;
    if (!wantChar && !wantCts) {
        // Only an event character was asked for, and termios has none: wait for a cancel.
        if (m_eventMask == 0) {
            return fail(EINVAL);
        }
    }
    bool lastCts = false;
    if (wantCts && !ctsOn(lastCts)) {
        return false;
    }
    if (wantChar && m_readPos < m_readEnd) {
        events = line_event::kCharReceived;
        return true;
    }
    for (;;) {
        std::optional<Clock::time_point> deadline;
        if (wantCts) {
            deadline = Clock::now() + std::chrono::milliseconds(kCtsPollMs);
        }
        const Wait wait = waitFor(wantChar ? POLLIN : 0, deadline);
        if (wait == Wait::Ready) {
            events = line_event::kCharReceived;
            return true;
        }
        if (wait != Wait::TimedOut) {
            return false;
        }
        bool cts = false;
        if (!ctsOn(cts)) {
            return false;
        }
        if (cts != lastCts) {
            events = line_event::kCtsChanged;
            return true;
        }
    }
}

bool PosixSerialPort::modemStatus(std::uint32_t& status)
{
    status = 0;
    if (m_fd < 0) {
        return fail(EBADF);
    }
    int lines = 0;
    if (ioctl(m_fd, TIOCMGET, &lines) != 0) {
        return fail(errno);
    }
    if ((lines & TIOCM_CTS) != 0) {
        status |= modem_line::kCts;
    }
    if ((lines & TIOCM_DSR) != 0) {
        status |= modem_line::kDsr;
    }
    if ((lines & TIOCM_RNG) != 0) {
        status |= modem_line::kRing;
    }
    if ((lines & TIOCM_CAR) != 0) {
        status |= modem_line::kRlsd;
    }
    return true;
}

bool PosixSerialPort::setDtr(bool on)
{
    if (m_fd < 0) {
        return fail(EBADF);
    }
    int bit = TIOCM_DTR;
    return ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bit) == 0 ? true : fail(errno);
}

bool PosixSerialPort::setRts(bool on)
{
    if (m_fd < 0) {
        return fail(EBADF);
    }
    int bit = TIOCM_RTS;
    return ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bit) == 0 ? true : fail(errno);
}

void PosixSerialPort::cancel()
{
    m_cancelled = true;
    if (m_cancelPipe[1] >= 0) {
        const std::uint8_t wake = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_cancelPipe[1], &wake, 1); // a full pipe already wakes
    }
}

void PosixSerialPort::clearCancel()
{
    m_cancelled = false;
    if (m_cancelPipe[0] >= 0) {
        std::uint8_t sink[64];
        while (::read(m_cancelPipe[0], sink, sizeof sink) > 0) { }
    }
}

} // namespace kvt
