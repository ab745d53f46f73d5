#pragma once
// Baud rates as plain numbers on a termios device. On Linux any rate the driver takes
// is set exactly (termios2 with BOTHER); elsewhere only the rates termios names.

#include <cstdint>

namespace kvt::posix_baud {

// Sets input and output speed of fd; false (errno set) when the driver refuses it.
bool setRate(int fd, std::uint32_t rate);
// The output speed of fd in bits per second.
bool rate(int fd, std::uint32_t& rate);

} // namespace kvt::posix_baud
