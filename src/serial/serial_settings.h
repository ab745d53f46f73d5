#pragma once
// The stored serial settings of a machine: one set per direction inside the machine
// record, plus the machine's idle limit, and the converters from stored values to
// line parameters.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kvt {

struct MachineRecord;

enum class PortDirection : std::uint8_t { Send = 1, Receive = 2 };

inline constexpr std::uint8_t kFlowNone = 0;
inline constexpr std::uint8_t kFlowRtsCts = 1;
inline constexpr std::uint8_t kFlowDtrDsr = 2;
inline constexpr std::uint8_t kFlowXonXoff = 3;

// One direction's settings, byte for byte as stored (little-endian, no padding of
// its own: every gap is a named reserved field).
struct SerialSettings {
    std::uint8_t portNumber; // 1 to 10, opened as "COM<n>"
    std::uint8_t reserved0[3];
    std::uint32_t baudRate; // bits per second
    std::uint32_t dataBits; // 4 to 8, only the low byte counts
    float stopBits; // 1.0, 1.5 or 2.0
    std::uint32_t parity; // 0 none, 1 odd, 2 even, 3 mark, 4 space; only the low byte counts
    std::uint8_t flowControl; // kFlow...
    std::uint8_t reserved1[495]; // kept as stored, not used by the link
    std::uint32_t softwareFlowOut; // bit 0: stop sending on XOFF from the control
    std::uint32_t softwareFlowIn; // bit 0: send XOFF/XON when the input queue fills/empties
    std::uint8_t xonChar;
    std::uint8_t xoffChar;
    std::uint16_t xonLimit; // 0 = keep the driver's value
    std::uint16_t xoffLimit; // 0 = keep the driver's value
    std::uint8_t reserved2[2];
    std::uint32_t transferTimeoutMinutes; // "RS232 T.out"; 0 = no long time-out
};
static_assert(offsetof(SerialSettings, portNumber) == 0);
static_assert(offsetof(SerialSettings, baudRate) == 4);
static_assert(offsetof(SerialSettings, dataBits) == 8);
static_assert(offsetof(SerialSettings, stopBits) == 12);
static_assert(offsetof(SerialSettings, parity) == 16);
static_assert(offsetof(SerialSettings, flowControl) == 20);
static_assert(offsetof(SerialSettings, softwareFlowOut) == 516);
static_assert(offsetof(SerialSettings, softwareFlowIn) == 520);
static_assert(offsetof(SerialSettings, xonChar) == 524);
static_assert(offsetof(SerialSettings, xoffChar) == 525);
static_assert(offsetof(SerialSettings, xonLimit) == 526);
static_assert(offsetof(SerialSettings, xoffLimit) == 528);
static_assert(offsetof(SerialSettings, transferTimeoutMinutes) == 532);
static_assert(sizeof(SerialSettings) == 536);
static_assert(sizeof(float) == 4);

// Where the sets sit in the machine record.
inline constexpr std::size_t kReceiveSettingsOffset = 1528;
inline constexpr std::size_t kIdleLimitOffset = 2576;
inline constexpr std::size_t kSendSettingsOffset = 2580;

// COM1, 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control, XON 0x11 and
// XOFF 0x13: what a cleared machine starts from, in both directions.
SerialSettings defaultSerialSettings();
// A set that was never written (port, baud rate and data bits all 0) reads as the
// defaults above.
SerialSettings LoadSerialSettings(const MachineRecord& machine, PortDirection direction);
// Writes the set's 536 bytes; the rest of the machine's serial area stays as it is.
void StoreSerialSettings(MachineRecord& machine, PortDirection direction, const SerialSettings& settings);
std::uint32_t LoadIdleLimit(const MachineRecord& machine);
void StoreIdleLimit(MachineRecord& machine, std::uint32_t idleLimit);

// "COM" and the number in decimal.
std::string PortName(unsigned portNumber);

// Converters from stored values to line parameter codes. A value outside the known
// list leaves result unchanged; callers preset it to 0.
void ConvertParity(std::uint32_t stored, std::uint8_t& result);
void ConvertStopBits(float stored, std::uint8_t& result); // compared exactly
void ConvertFlowControl(std::uint8_t stored, std::uint8_t& result);

} // namespace kvt
