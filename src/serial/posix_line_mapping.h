#pragma once
// How line settings map onto termios flags. Kept apart from the device so that every
// character format can be checked, including those a pseudo-terminal does not keep
// (it always reports eight bits without parity).

#include "serial/serial_port.h"

#include <termios.h>

namespace kvt::posix_line {

// Data bits 5 to 8, a parity the platform has, stop-bit code 0 to 2, a non-zero rate,
// and different XON and XOFF characters when software flow is on.
bool IsValid(const LineSettings& settings);
// Character format and software flow; speed, hardware handshake and every other flag
// stay as they are.
void Apply(termios& tio, const LineSettings& settings);
// The same fields back; a set stop-bit flag with five data bits reads as 1.5, which is
// what a UART sends then.
void Read(const termios& tio, LineSettings& settings);

} // namespace kvt::posix_line
