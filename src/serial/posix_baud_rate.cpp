#include "serial/posix_baud_rate.h"

#include <cerrno>

#if defined(__linux__)
// termios2 lives in the kernel headers, which clash with <termios.h>; this file
// therefore includes only them.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace kvt::posix_baud {

bool setRate(int fd, std::uint32_t rate)
{
    struct termios2 tio { };
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return false;
    }
    const struct termios2 before = tio;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = rate;
    tio.c_ospeed = rate;
    if (ioctl(fd, TCSETS2, &tio) != 0) {
        return false;
    }
    // Some drivers round to the nearest rate their divisor allows; one they cannot
    // come near is reported back unchanged and counts as refused.
    struct termios2 check { };
    if (ioctl(fd, TCGETS2, &check) != 0) {
        return false;
    }
    const std::uint32_t got = check.c_ospeed;
    const std::uint32_t tolerance = rate / 50; // 2 %, what a UART receiver tolerates
    if (got + tolerance < rate || got > rate + tolerance) {
        ioctl(fd, TCSETS2, &before);
        errno = EINVAL;
        return false;
    }
    return true;
}

bool rate(int fd, std::uint32_t& rate)
{
    struct termios2 tio { };
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return false;
    }
    rate = tio.c_ospeed;
    return true;
}

} // namespace kvt::posix_baud

#else
#include <termios.h>

namespace kvt::posix_baud {

namespace {
struct Speed {
    std::uint32_t rate;
    speed_t code;
};
constexpr Speed kSpeeds[] = {{50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
    {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400}};
} // namespace

bool setRate(int fd, std::uint32_t rate)
{
    for (const Speed& speed : kSpeeds) {
        if (speed.rate == rate) {
            termios tio {};
            if (tcgetattr(fd, &tio) != 0) {
                return false;
            }
            cfsetispeed(&tio, speed.code);
            cfsetospeed(&tio, speed.code);
            return tcsetattr(fd, TCSANOW, &tio) == 0;
        }
    }
    errno = EINVAL;
    return false;
}

bool rate(int fd, std::uint32_t& rate)
{
    termios tio {};
    if (tcgetattr(fd, &tio) != 0) {
        return false;
    }
    const speed_t code = cfgetospeed(&tio);
    for (const Speed& speed : kSpeeds) {
        if (speed.code == code) {
            rate = speed.rate;
            return true;
        }
    }
    rate = 0;
    return true;
}

} // namespace kvt::posix_baud
#endif
