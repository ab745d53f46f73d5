#include "serial/serial_settings.h"

#include "options/options_record.h"
#include "serial/serial_port.h"

#include <cstring>

namespace kvt {

static_assert(offsetof(MachineRecord, serialReceive) == kReceiveSettingsOffset);
static_assert(offsetof(MachineRecord, idleLimit) == kIdleLimitOffset);
static_assert(offsetof(MachineRecord, serialSend) == kSendSettingsOffset);
static_assert(sizeof(SerialSettings) <= sizeof(MachineRecord::serialReceive));
static_assert(sizeof(SerialSettings) <= sizeof(MachineRecord::serialSend));

namespace {

const std::uint8_t* SetBytes(const MachineRecord& machine, PortDirection direction)
{
    return direction == PortDirection::Send ? machine.serialSend : machine.serialReceive;
}

std::uint8_t* SetBytes(MachineRecord& machine, PortDirection direction)
{
    return direction == PortDirection::Send ? machine.serialSend : machine.serialReceive;
}

} // namespace

SerialSettings defaultSerialSettings()
{
    SerialSettings set {};
    set.portNumber = 1;
    set.baudRate = 9600;
    set.dataBits = 8;
    set.stopBits = 1.0f;
    set.parity = 0;
    set.flowControl = kFlowNone;
    set.xonChar = kXonByte;
    set.xoffChar = kXoffByte;
    return set;
}

SerialSettings LoadSerialSettings(const MachineRecord& machine, PortDirection direction)
{
    SerialSettings settings;
    std::memcpy(&settings, SetBytes(machine, direction), sizeof settings);
    // A machine nobody has set up yet holds zeros: COM0 at 0 baud, which no port opens.
    // It starts from the same set a cleared machine gets; what else is stored there
    // (the reserved bytes) is kept.
    if (settings.portNumber == 0 && settings.baudRate == 0 && settings.dataBits == 0) {
        const SerialSettings defaults = defaultSerialSettings();
        settings.portNumber = defaults.portNumber;
        settings.baudRate = defaults.baudRate;
        settings.dataBits = defaults.dataBits;
        settings.stopBits = defaults.stopBits;
        settings.parity = defaults.parity;
        settings.flowControl = defaults.flowControl;
        settings.xonChar = defaults.xonChar;
        settings.xoffChar = defaults.xoffChar;
    }
    return settings;
}

void StoreSerialSettings(MachineRecord& machine, PortDirection direction, const SerialSettings& settings)
{
    std::memcpy(SetBytes(machine, direction), &settings, sizeof settings);
}

std::uint32_t LoadIdleLimit(const MachineRecord& machine)
{
    return machine.idleLimit;
}

void StoreIdleLimit(MachineRecord& machine, std::uint32_t idleLimit)
{
    machine.idleLimit = idleLimit;
}

std::string PortName(unsigned portNumber)
{
    return "COM" + std::to_string(portNumber);
}

void ConvertParity(std::uint32_t stored, std::uint8_t& result)
{
    const auto code = static_cast<std::uint8_t>(stored & 0xFF);
    if (code <= 4) {
        result = code;
    }
}

void ConvertStopBits(float stored, std::uint8_t& result)
{
    if (stored == 1.0f) {
        result = 0;
    } else if (stored == 1.5f) {
        result = 1;
    } else if (stored == 2.0f) {
        result = 2;
    }
}

void ConvertFlowControl(std::uint8_t stored, std::uint8_t& result)
{
    if (stored <= 3) {
        result = stored;
    }
}

} // namespace kvt
