#include "options/options_record.h"
#include "serial/posix_serial_port.h"
#include "serial/serial_link.h"
#include "serial/serial_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace kvt {
namespace {

// Little-endian bytes of a value, as the options file holds them.
template<class T> void PutBytes(std::uint8_t* at, T value)
{
    std::memcpy(at, &value, sizeof value);
}

TEST(SerialSettingsLayout, FieldsAreReadFromTheirStoredOffsetsInBothSets)
{
    auto machine = std::make_unique<MachineRecord>();
    std::uint8_t* receive = reinterpret_cast<std::uint8_t*>(machine.get()) + 1528;
    std::uint8_t* send = reinterpret_cast<std::uint8_t*>(machine.get()) + 2580;
    receive[0] = 3;
    PutBytes<std::uint32_t>(receive + 4, 128000);
    PutBytes<std::uint32_t>(receive + 8, 7);
    PutBytes<float>(receive + 12, 1.5f);
    PutBytes<std::uint32_t>(receive + 16, 2);
    receive[20] = 3;
    PutBytes<std::uint32_t>(receive + 520, 1);
    receive[524] = 0x11;
    receive[525] = 0x13;
    PutBytes<std::uint16_t>(receive + 526, 512);
    PutBytes<std::uint16_t>(receive + 528, 65535);
    PutBytes<std::uint32_t>(receive + 532, 3);
    PutBytes<std::uint32_t>(reinterpret_cast<std::uint8_t*>(machine.get()) + 2576, 7);
    send[0] = 10;
    PutBytes<std::uint32_t>(send + 4, 9600);
    PutBytes<std::uint32_t>(send + 516, 1);

    const SerialSettings r = LoadSerialSettings(*machine, PortDirection::Receive);
    EXPECT_EQ(r.portNumber, 3);
    EXPECT_EQ(r.baudRate, 128000u);
    EXPECT_EQ(r.dataBits, 7u);
    EXPECT_EQ(r.stopBits, 1.5f);
    EXPECT_EQ(r.parity, 2u);
    EXPECT_EQ(r.flowControl, kFlowXonXoff);
    EXPECT_EQ(r.softwareFlowIn, 1u);
    EXPECT_EQ(r.xonChar, 0x11);
    EXPECT_EQ(r.xoffChar, 0x13);
    EXPECT_EQ(r.xonLimit, 512);
    EXPECT_EQ(r.xoffLimit, 65535);
    EXPECT_EQ(r.transferTimeoutMinutes, 3u);
    EXPECT_EQ(LoadIdleLimit(*machine), 7u);

    const SerialSettings s = LoadSerialSettings(*machine, PortDirection::Send);
    EXPECT_EQ(s.portNumber, 10);
    EXPECT_EQ(s.baudRate, 9600u);
    EXPECT_EQ(s.softwareFlowOut, 1u);
}

TEST(SerialSettingsLayout, StoringASetKeepsReservedBytesAndTheRestOfTheArea)
{
    auto machine = std::make_unique<MachineRecord>();
    std::memset(machine->serialSend, 0xA5, sizeof machine->serialSend);
    machine->idleLimit = 42;
    SerialSettings s = LoadSerialSettings(*machine, PortDirection::Send);
    s.baudRate = 57600;
    s.transferTimeoutMinutes = 0;
    StoreSerialSettings(*machine, PortDirection::Send, s);

    EXPECT_EQ(machine->serialSend[21], 0xA5); // reserved, not used by the link
    EXPECT_EQ(machine->serialSend[515], 0xA5);
    EXPECT_EQ(machine->serialSend[536], 0xA5); // beyond the set
    EXPECT_EQ(machine->serialSend[1051], 0xA5);
    EXPECT_EQ(machine->idleLimit, 42u);
    EXPECT_EQ(machine->serialReceive[0], 0); // the other direction is untouched
    const SerialSettings back = LoadSerialSettings(*machine, PortDirection::Send);
    EXPECT_EQ(back.baudRate, 57600u);
    EXPECT_EQ(back.transferTimeoutMinutes, 0u);
}

// A machine nobody set up must open a real port at a real rate, not COM0 at 0 baud; a
// set with any of its key fields written is read as it stands.
TEST(SerialSettingsLayout, ANeverWrittenSetReadsAsTheDefaultsAndKeepsItsReservedBytes)
{
    auto machine = std::make_unique<MachineRecord>();
    machine->serialSend[21] = 'K'; // a profile choice stored before the set itself
    for (PortDirection direction : {PortDirection::Send, PortDirection::Receive}) {
        const SerialSettings set = LoadSerialSettings(*machine, direction);
        EXPECT_EQ(set.portNumber, 1);
        EXPECT_EQ(set.baudRate, 9600u);
        EXPECT_EQ(set.dataBits, 8u);
        EXPECT_EQ(set.stopBits, 1.0f);
        EXPECT_EQ(set.parity, 0u);
        EXPECT_EQ(set.flowControl, kFlowNone);
        EXPECT_EQ(set.xonChar, 0x11);
        EXPECT_EQ(set.xoffChar, 0x13);
    }
    EXPECT_EQ(LoadSerialSettings(*machine, PortDirection::Send).reserved1[0], 'K');

    struct Written {
        std::size_t offset;
        std::uint8_t byte;
    };
    for (const Written w : {Written {0, 2}, Written {4, 0x80}, Written {8, 7}}) {
        auto written = std::make_unique<MachineRecord>();
        written->serialReceive[w.offset] = w.byte;
        const SerialSettings set = LoadSerialSettings(*written, PortDirection::Receive);
        EXPECT_EQ(set.portNumber, w.offset == 0 ? 2 : 0) << w.offset;
        EXPECT_EQ(set.xonChar, 0) << w.offset;
    }
}

struct StopBitsCase {
    float stored;
    std::uint8_t code;
};

TEST(SerialConverters, StopBitsAreComparedExactlyAndOthersKeepThePreset)
{
    const StopBitsCase cases[] = {{1.0f, kOneStopBit}, {1.5f, kOneAndHalfStopBits}, {2.0f, kTwoStopBits},
        {1.49f, kOneStopBit}, {1.7f, kOneStopBit}, {0.0f, kOneStopBit}, {3.0f, kOneStopBit}, {-2.0f, kOneStopBit}};
    for (const StopBitsCase& c : cases) {
        std::uint8_t code = 0;
        ConvertStopBits(c.stored, code);
        EXPECT_EQ(code, c.code) << c.stored;
    }
}

TEST(SerialConverters, ParityAndFlowOutsideTheirListsKeepThePreset)
{
    for (std::uint32_t stored : {0u, 1u, 2u, 3u, 4u}) {
        std::uint8_t code = 9;
        ConvertParity(stored, code);
        EXPECT_EQ(code, stored);
    }
    std::uint8_t parity = 0;
    ConvertParity(5, parity);
    EXPECT_EQ(parity, 0);
    ConvertParity(0x102, parity); // only the low byte counts
    EXPECT_EQ(parity, 2);

    for (std::uint8_t stored : {0, 1, 2, 3}) {
        std::uint8_t code = 9;
        ConvertFlowControl(stored, code);
        EXPECT_EQ(code, stored);
    }
    std::uint8_t flow = 0;
    ConvertFlowControl(4, flow);
    EXPECT_EQ(flow, 0);
}

struct TimeoutCase {
    const char* name;
    PortDirection direction;
    std::uint32_t minutes;
    std::uint32_t readConstant;
    std::uint32_t writeConstant;
};

TEST(SerialTimeouts, TransferTimeoutGoesToTheDirectionsTotalConstant)
{
    const TimeoutCase cases[] = {
        {"send, no long time-out", PortDirection::Send, 0, 50, 50},
        {"send, 3 minutes", PortDirection::Send, 3, 50, 180000},
        {"receive, no long time-out", PortDirection::Receive, 0, 50, 50},
        {"receive, 3 minutes", PortDirection::Receive, 3, 180000, 50},
        {"receive, beyond 32 bits held at the longest", PortDirection::Receive, 100000, 0xFFFFFFFE, 50},
    };
    for (const TimeoutCase& c : cases) {
        const PortTimeouts t = TransferTimeouts(c.direction, c.minutes);
        EXPECT_EQ(t.readInterval, 50u) << c.name;
        EXPECT_EQ(t.readTotalMultiplier, 10u) << c.name;
        EXPECT_EQ(t.writeTotalMultiplier, 10u) << c.name;
        EXPECT_EQ(t.readTotalConstant, c.readConstant) << c.name;
        EXPECT_EQ(t.writeTotalConstant, c.writeConstant) << c.name;
    }
}

TEST(SerialPortNames, ComNamesMapToDevicesFromTheSettings)
{
    const PortNameMap map = PortNameMap::fromSettings([](const std::string& key) -> std::optional<std::string> {
        if (key == "Ports/COM1") {
            return "/dev/ttyUSB0";
        }
        if (key == "Ports/COM2") {
            return ""; // empty keeps the default
        }
        return std::nullopt;
    });
    EXPECT_EQ(map.deviceFor("COM1"), "/dev/ttyUSB0");
    EXPECT_EQ(map.deviceFor("COM2"), "/dev/ttyS1");
    EXPECT_EQ(map.deviceFor("com10"), "/dev/ttyS9");
    EXPECT_EQ(map.deviceFor("/dev/ttyACM0"), "/dev/ttyACM0");
    for (const char* bad : {"COM0", "COM11", "COM01", "COM", "COMX", "LPT1", "", "COM1 "}) {
        EXPECT_EQ(map.deviceFor(bad), "") << bad;
    }
    EXPECT_EQ(PortName(10), "COM10");
}

} // namespace
} // namespace kvt
