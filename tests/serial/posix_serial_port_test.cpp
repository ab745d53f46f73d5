// The termios back end and OpenPort on pseudo-terminals, with the master side playing
// the machine control.

#include "common/text_lookup.h"
#include "serial/posix_line_mapping.h"
#include "serial/posix_serial_port.h"
#include "serial/serial_jobs.h"
#include "serial/serial_link.h"
#include "serial_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace kvt {
namespace {

using namespace kvt::test;

SerialSettings Settings(std::uint32_t baud = 9600, std::uint8_t flow = kFlowNone)
{
    SerialSettings s {};
    s.portNumber = 1;
    s.baudRate = baud;
    s.dataBits = 8;
    s.stopBits = 1.0f;
    s.parity = 0;
    s.flowControl = flow;
    s.xonChar = kXonByte;
    s.xoffChar = kXoffByte;
    return s;
}

class PtyPortTest : public ::testing::Test {
protected:
    PortNameMap names()
    {
        PortNameMap map = PortNameMap::defaults();
        map.devices[0] = pty.slavePath();
        map.devices[1] = "/dev/kvt-no-such-port";
        return map;
    }
    termios slaveTermios()
    {
        termios tio {};
        tcgetattr(pty.slave(), &tio);
        return tio;
    }

    PtyPair pty;
    PosixSerialPort port {names()};
};

TEST_F(PtyPortTest, OpenPortLeavesTheLineRawSoNoByteIsTranslated)
{
    ASSERT_TRUE(OpenPortWithSettings(port, Settings(), PortDirection::Send));
    const termios tio = slaveTermios();
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF), 0u);
}

struct BaudCase {
    std::uint32_t stored;
    std::uint32_t expected;
};

TEST_F(PtyPortTest, ListedBaudRatesAreAppliedExactlyAndOthersKeepTheDriversRate)
{
    ASSERT_TRUE(OpenPortWithSettings(port, Settings(2400), PortDirection::Send));
    port.close();
    // Each case opens on top of the previous one; an unlisted rate keeps what is there.
    // Every listed rate reaches the port exactly, each after an unlisted one that keeps
    // the rate before it.
    const BaudCase cases[] = {{110, 110}, {12345, 110}, {300, 300}, {600, 600}, {1200, 1200}, {2400, 2400},
        {4800, 4800}, {9600, 9600}, {0, 9600}, {14400, 14400}, {19200, 19200}, {38400, 38400}, {56000, 56000},
        {230400, 56000}, {57600, 57600}, {115200, 115200}, {128000, 128000}, {256000, 256000}, {1, 256000}};
    for (const BaudCase& c : cases) {
        ASSERT_TRUE(OpenPortWithSettings(port, Settings(c.stored), PortDirection::Receive)) << c.stored;
        LineSettings line;
        ASSERT_TRUE(port.lineSettings(line));
        EXPECT_EQ(line.baudRate, c.expected) << "stored " << c.stored;
        port.close();
    }
}

struct FormatCase {
    const char* name;
    std::uint8_t byteSize;
    std::uint8_t parity;
    std::uint8_t stopBits;
    tcflag_t size;
    bool stopFlag;
    tcflag_t parityFlags;
};

// A pseudo-terminal always reports eight bits without parity, so the character
// format is checked on the termios record itself.
TEST(TermiosMapping, CharacterFormatsMapToTheirFlagsAndBack)
{
    const FormatCase cases[] = {
        {"8N1", 8, kParityNone, kOneStopBit, CS8, false, 0},
        {"8N2", 8, kParityNone, kTwoStopBits, CS8, true, 0},
        {"7E1", 7, kParityEven, kOneStopBit, CS7, false, PARENB},
        {"7O2", 7, kParityOdd, kTwoStopBits, CS7, true, PARENB | PARODD},
        {"6N1", 6, kParityNone, kOneStopBit, CS6, false, 0},
        {"5N1.5", 5, kParityNone, kOneAndHalfStopBits, CS5, true, 0},
        {"8M1", 8, kParityMark, kOneStopBit, CS8, false, PARENB | PARODD | CMSPAR},
        {"8S1", 8, kParitySpace, kOneStopBit, CS8, false, PARENB | CMSPAR},
    };
    for (const FormatCase& c : cases) {
        termios tio {};
        tio.c_cflag = CRTSCTS | CLOCAL | CREAD | CS8 | PARENB | CSTOPB; // start from another format
        cfsetospeed(&tio, B4800);
        LineSettings in;
        in.byteSize = c.byteSize;
        in.parity = c.parity;
        in.stopBits = c.stopBits;
        ASSERT_TRUE(posix_line::IsValid(in)) << c.name;
        posix_line::Apply(tio, in);
        EXPECT_EQ(tio.c_cflag & CSIZE, c.size) << c.name;
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.stopFlag) << c.name;
        EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), c.parityFlags) << c.name;
        EXPECT_EQ(tio.c_cflag & (CRTSCTS | CLOCAL | CREAD), CRTSCTS | CLOCAL | CREAD) << c.name;
        EXPECT_EQ(cfgetospeed(&tio), B4800) << c.name;
        LineSettings out;
        posix_line::Read(tio, out);
        EXPECT_EQ(out.byteSize, c.byteSize) << c.name;
        EXPECT_EQ(out.parity, c.parity) << c.name;
        EXPECT_EQ(out.stopBits, c.stopBits) << c.name;
    }
}

TEST(TermiosMapping, ImpossibleSettingsAreRejectedAsAWhole)
{
    struct Case {
        const char* name;
        LineSettings settings;
    };
    LineSettings fourBits;
    fourBits.byteSize = 4;
    LineSettings nineBits;
    nineBits.byteSize = 9;
    LineSettings badParity;
    badParity.parity = 5;
    LineSettings badStop;
    badStop.stopBits = 3;
    LineSettings noRate;
    noRate.baudRate = 0;
    LineSettings sameFlowChars;
    sameFlowChars.outX = true;
    sameFlowChars.xonChar = sameFlowChars.xoffChar = kXonByte;
    for (const Case& c : {Case {"4 data bits", fourBits}, Case {"9 data bits", nineBits}, Case {"parity 5", badParity},
             Case {"stop code 3", badStop}, Case {"rate 0", noRate}, Case {"XON = XOFF with flow", sameFlowChars}}) {
        EXPECT_FALSE(posix_line::IsValid(c.settings)) << c.name;
    }
    LineSettings flowOffSameChars; // without software flow both characters are 0
    EXPECT_TRUE(posix_line::IsValid(flowOffSameChars));
}

TEST_F(PtyPortTest, StopBitsReachTheTerminalInBothDirections)
{
    struct Case {
        float stored;
        bool stopFlag;
    };
    for (const Case& c :
        {Case {1.0f, false}, Case {1.5f, true}, Case {2.0f, true}, Case {1.25f, false}, Case {0.0f, false}}) {
        SerialSettings s = Settings();
        s.stopBits = c.stored;
        for (PortDirection direction : {PortDirection::Send, PortDirection::Receive}) {
            ASSERT_TRUE(OpenPortWithSettings(port, s, direction));
            EXPECT_EQ((slaveTermios().c_cflag & CSTOPB) != 0, c.stopFlag) << c.stored;
            port.close();
        }
    }
}

TEST_F(PtyPortTest, ARefusedSettingFailsTheOpenWithAMessageNamingIt)
{
    struct Case {
        const char* name;
        std::uint32_t dataBits;
        std::uint8_t flow;
        std::uint8_t xoff;
        const char* text;
    };
    const Case cases[] = {
        {"four data bits, which the list offers", 4, kFlowNone, kXoffByte,
            "*Die Schnittstelle lehnt diese Einstellung ab: *Datenbits 4"},
        {"XON equal to XOFF", 8, kFlowXonXoff, kXonByte,
            "*Die Schnittstelle lehnt diese Einstellung ab: *XON-Zeichen gleich XOFF-Zeichen (17)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(OpenPortWithSettings(port, Settings(19200), PortDirection::Send));
        port.close();
        SerialSettings s = Settings(38400, c.flow);
        s.dataBits = c.dataBits;
        s.xoffChar = c.xoff;
        s.softwareFlowOut = 1;
        s.softwareFlowIn = 1;
        PortOpenReport report;
        EXPECT_FALSE(OpenPortWithSettings(port, s, PortDirection::Send, &report));
        // Nothing can be sent or armed on a port left in the driver's old settings.
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(report.step, PortOpenStep::LineRefused);
        const auto box = PortOpenMessage(report, BuiltinTexts());
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, c.text);
        EXPECT_EQ(box->caption, "RS232");
        EXPECT_EQ(box->icon, MessageIcon::Error);
    }
    // An open that worked, or a port that could not be opened at all, gives no such box.
    PortOpenReport report;
    ASSERT_TRUE(OpenPortWithSettings(port, Settings(19200), PortDirection::Send, &report));
    EXPECT_EQ(report.step, PortOpenStep::Opened);
    EXPECT_FALSE(PortOpenMessage(report, BuiltinTexts()).has_value());
    port.close();
    SerialSettings missing = Settings();
    missing.portNumber = 2;
    EXPECT_FALSE(OpenPortWithSettings(port, missing, PortDirection::Send, &report));
    EXPECT_EQ(report.step, PortOpenStep::PortFailed);
    EXPECT_FALSE(PortOpenMessage(report, BuiltinTexts()).has_value());
}

struct FlowCase {
    const char* name;
    PortDirection direction;
    std::uint8_t flow;
    std::uint32_t outFlag;
    std::uint32_t inFlag;
    bool ixon;
    bool ixoff;
    cc_t start;
    cc_t stop;
};

TEST_F(PtyPortTest, FlowControlChoicesSetOnlySoftwareFlowAndLeaveHardwareHandshake)
{
    const FlowCase cases[] = {
        {"none", PortDirection::Send, kFlowNone, 1, 1, false, false, 0, 0},
        {"RTS/CTS", PortDirection::Send, kFlowRtsCts, 1, 1, false, false, 0, 0},
        {"DTR/DSR", PortDirection::Receive, kFlowDtrDsr, 1, 1, false, false, 0, 0},
        {"Xon/Xoff send", PortDirection::Send, kFlowXonXoff, 1, 0, true, false, kXonByte, kXoffByte},
        {"Xon/Xoff receive", PortDirection::Receive, kFlowXonXoff, 0, 1, false, true, kXonByte, kXoffByte},
    };
    for (const bool hardware : {false, true}) {
        for (const FlowCase& c : cases) {
            termios tio = slaveTermios();
            if (hardware) {
                tio.c_cflag |= CRTSCTS;
            } else {
                tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
            }
            tio.c_iflag |= IXON | IXOFF; // whatever was there before
            ASSERT_EQ(tcsetattr(pty.slave(), TCSANOW, &tio), 0);

            SerialSettings s = Settings(9600, c.flow);
            s.softwareFlowOut = c.outFlag;
            s.softwareFlowIn = c.inFlag;
            ASSERT_TRUE(OpenPortWithSettings(port, s, c.direction)) << c.name;
            const termios after = slaveTermios();
            EXPECT_EQ((after.c_iflag & IXON) != 0, c.ixon) << c.name;
            EXPECT_EQ((after.c_iflag & IXOFF) != 0, c.ixoff) << c.name;
            EXPECT_EQ(after.c_cc[VSTART], c.start) << c.name;
            EXPECT_EQ(after.c_cc[VSTOP], c.stop) << c.name;
            EXPECT_EQ((after.c_cflag & CRTSCTS) != 0, hardware) << c.name << " hardware " << hardware;
            port.close();
        }
    }
}

TEST_F(PtyPortTest, TransferTimeoutMinutesGiveTheReadAndWriteConstants)
{
    struct Case {
        PortDirection direction;
        std::uint32_t minutes;
        std::uint32_t read;
        std::uint32_t write;
    };
    for (const Case& c : {Case {PortDirection::Receive, 0, 50, 50}, Case {PortDirection::Receive, 3, 180000, 50},
             Case {PortDirection::Send, 0, 50, 50}, Case {PortDirection::Send, 3, 50, 180000}}) {
        SerialSettings s = Settings();
        s.transferTimeoutMinutes = c.minutes;
        ASSERT_TRUE(OpenPortWithSettings(port, s, c.direction));
        PortTimeouts t;
        ASSERT_TRUE(port.timeouts(t));
        EXPECT_EQ(t.readTotalConstant, c.read) << c.minutes;
        EXPECT_EQ(t.writeTotalConstant, c.write) << c.minutes;
        port.close();
    }
}

TEST_F(PtyPortTest, AnEmptyReadTakesMultiplierPlusConstant)
{
    ASSERT_TRUE(OpenPortWithSettings(port, Settings(), PortDirection::Receive));
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t byte = 0;
    EXPECT_EQ(port.readByte(byte), ReadResult::Empty);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 59ms);
    EXPECT_LT(took, 1000ms);
}

// Waits of a millisecond or two, as a drip-feed makes them between its pieces: each
// lasts its full time (a rest under a millisecond is waited for, not cut short), a read
// without a wait returns at once, and a byte already there ends any wait.
TEST_F(PtyPortTest, ShortWaitsLastTheirTimeAndABytePresentEndsThem)
{
    ASSERT_TRUE(OpenPortWithSettings(port, Settings(), PortDirection::Receive));
    struct Case {
        std::uint32_t constant;
        bool noWait;
        bool byteWaiting;
        ReadResult result;
    };
    const Case cases[] = {
        {1, false, false, ReadResult::Empty},
        {2, false, false, ReadResult::Empty},
        {0, true, false, ReadResult::Empty},
        {0, true, true, ReadResult::Byte},
        {2, false, true, ReadResult::Byte},
    };
    for (const Case& c : cases) {
        PortTimeouts t;
        t.readTotalConstant = c.constant;
        if (c.noWait)
            t.readInterval = PortTimeouts::kNoWait;
        ASSERT_TRUE(port.setTimeouts(t));
        if (c.byteWaiting) {
            ASSERT_EQ(::write(pty.master(), "x", 1), 1);
            std::this_thread::sleep_for(5ms);
        }
        std::uint8_t byte = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(port.readByte(byte), c.result) << c.constant << c.noWait << c.byteWaiting;
        const auto took = std::chrono::steady_clock::now() - start;
        if (c.result == ReadResult::Empty)
            EXPECT_GE(took, std::chrono::milliseconds(c.constant)) << c.constant;
        else
            EXPECT_EQ(byte, 'x');
    }
}

// The wait of a pacing feed: it lasts its time to the microsecond when nothing comes,
// a byte there ends it, it takes everything there is up to the room given, and bytes a
// readByte() already fetched come first.
TEST_F(PtyPortTest, AWaitForWhatIsThereTakesAllOfItAndLastsItsTimeOtherwise)
{
    ASSERT_TRUE(OpenPortWithSettings(port, Settings(), PortDirection::Receive));
    struct Case {
        std::chrono::microseconds wait;
        const char* waiting; // written by the other side before the call
        std::size_t capacity;
        bool byteFirst; // one byte taken with readByte() before
        ReadResult result;
        const char* got;
    };
    const Case cases[] = {
        {0us, "", 8, false, ReadResult::Empty, ""},
        {300us, "", 8, false, ReadResult::Empty, ""},
        {1500us, "", 8, false, ReadResult::Empty, ""},
        {0us, "\x13", 8, false, ReadResult::Byte, "\x13"},
        {20000us, "abc", 8, false, ReadResult::Byte, "abc"},
        {0us, "xyz", 2, false, ReadResult::Byte, "xy"},
        {0us, "", 8, false, ReadResult::Byte, "z"}, // the rest of the row before
        {0us, "pqr", 8, true, ReadResult::Byte, "qr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.waiting) + " " + std::to_string(c.wait.count()));
        if (*c.waiting != 0) {
            const auto length = static_cast<ssize_t>(std::strlen(c.waiting));
            ASSERT_EQ(::write(pty.master(), c.waiting, static_cast<std::size_t>(length)), length);
            std::this_thread::sleep_for(5ms);
        }
        if (c.byteFirst) {
            PortTimeouts t;
            t.readInterval = PortTimeouts::kNoWait;
            ASSERT_TRUE(port.setTimeouts(t));
            std::uint8_t byte = 0;
            ASSERT_EQ(port.readByte(byte), ReadResult::Byte);
            EXPECT_EQ(byte, c.waiting[0]);
        }
        std::uint8_t buffer[8] = {};
        std::size_t got = 99;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(port.readAvailable(buffer, c.capacity, got, c.wait), c.result);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer), got), c.got);
        if (c.result == ReadResult::Empty) {
            EXPECT_GE(took, c.wait);
        }
    }
    port.cancel();
    std::uint8_t buffer[8];
    std::size_t got = 0;
    EXPECT_EQ(port.readAvailable(buffer, sizeof buffer, got, 1000us), ReadResult::Failed);
    port.clearCancel();
}

// Ports without a wait of their own (the Win32 back end, the scripted port) wait in
// whole milliseconds, never shorter than asked, and then take what else is there.
TEST(SerialPortTest, TheCommonWaitRoundsUpToMillisecondsAndTakesTheRest)
{
    const std::tuple<std::chrono::microseconds, std::uint32_t, std::uint32_t> waits[]
        = {{0us, PortTimeouts::kNoWait, 0}, {1us, 0, 1}, {1000us, 0, 1}, {1001us, 0, 2}, {20000us, 0, 20}};
    for (const auto& [wait, interval, constant] : waits) {
        ScriptedPort port;
        port.reads = {'a', 'b', 'c', -1, 'd'};
        std::uint8_t buffer[8];
        std::size_t got = 0;
        ASSERT_EQ(port.readAvailable(buffer, sizeof buffer, got, wait), ReadResult::Byte);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer), got), "abc") << wait.count();
        EXPECT_EQ(port.appliedTimeouts.readInterval, PortTimeouts::kNoWait); // the rest without a wait
        port.reads.clear();
        EXPECT_EQ(port.readAvailable(buffer, sizeof buffer, got, wait), ReadResult::Empty);
        EXPECT_EQ(got, 0u);
        PortTimeouts expected;
        expected.readInterval = interval;
        expected.readTotalConstant = constant;
        EXPECT_EQ(port.appliedTimeouts, expected) << wait.count();
    }
}

TEST_F(PtyPortTest, ProbeClearsTheFlagOnlyForAPortThatDoesNotExist)
{
    std::atomic<std::uint8_t> available {1};
    PosixSerialPort probe(names());
    EXPECT_FALSE(ProbePort(probe, "COM2", available)); // no such device
    EXPECT_EQ(available, 0);
    EXPECT_FALSE(ProbePort(probe, "COM7", available)); // not in the map's devices either
    EXPECT_EQ(available, 0);

    EXPECT_TRUE(ProbePort(probe, "COM1", available));
    EXPECT_EQ(available, 1);
    EXPECT_FALSE(probe.isOpen());

    ASSERT_TRUE(OpenPortWithSettings(port, Settings(), PortDirection::Send));
    EXPECT_FALSE(ProbePort(probe, "COM1", available)); // in use
    EXPECT_EQ(available, 1);
    available = 0;
    EXPECT_FALSE(ProbePort(probe, "COM1", available));
    EXPECT_EQ(available, 0);
}

TEST_F(PtyPortTest, APortInUseCannotBeOpenedTwiceAndIsFreeAfterClose)
{
    ASSERT_TRUE(OpenPortWithSettings(port, Settings(), PortDirection::Send));
    PosixSerialPort second(names());
    EXPECT_EQ(second.open("COM1"), PortOpenResult::InUse);
    EXPECT_FALSE(OpenPortWithSettings(second, Settings(), PortDirection::Send));
    port.close();
    EXPECT_EQ(second.open("COM1"), PortOpenResult::Opened);
}

TEST_F(PtyPortTest, SendJobDeliversEveryByteValueUnchanged)
{
    std::string program;
    for (int round = 0; round < 64; ++round) {
        for (int value = 0; value < 256; ++value) {
            program.push_back(static_cast<char>(value));
        }
        program += "N" + std::to_string(round) + " G01 X1.5\r\n\n\r";
    }
    ASSERT_TRUE(OpenPortWithSettings(port, Settings(115200), PortDirection::Send));
    SerialLinkState state;
    RecordingEvents events;
    state.sendLength = static_cast<std::uint32_t>(program.size());
    SendJob job(port, state, events);
    std::string received;
    std::thread control([&] { received = pty.readFor(program.size()); });
    ASSERT_TRUE(job.start(program));
    control.join();
    ASSERT_TRUE(events.waitForPost(kMessageSendFinished));
    job.stop();
    EXPECT_EQ(received.size(), program.size());
    EXPECT_TRUE(received == program);
    EXPECT_TRUE(job.succeeded());
    EXPECT_EQ(job.written(), program.size());
    ASSERT_EQ(events.messages().size(), 1u);
    EXPECT_EQ(events.messages()[0].text, std::to_string(program.size()) + " Bytes gesendet");
    EXPECT_EQ(events.messages()[0].caption, "Ready");
    EXPECT_EQ(state.indicator(Indicator::Sending), 0);
    EXPECT_EQ(pty.readFor(1, 100ms), ""); // nothing doubled
}

TEST_F(PtyPortTest, XoffFromTheControlHoldsTheSendUntilXon)
{
    SerialSettings s = Settings(9600, kFlowXonXoff);
    s.softwareFlowOut = 1;
    ASSERT_TRUE(OpenPortWithSettings(port, s, PortDirection::Send));
    pty.writeAll(std::string(1, static_cast<char>(kXoffByte)));
    std::this_thread::sleep_for(20ms);

    std::string program;
    for (int i = 0; i < 200; ++i) {
        program += "N" + std::to_string(i) + " X" + std::to_string(i * 3) + "\r\n";
    }
    SerialLinkState state;
    RecordingEvents events;
    state.sendLength = static_cast<std::uint32_t>(program.size());
    SendJob job(port, state, events);
    ASSERT_TRUE(job.start(program));
    EXPECT_EQ(pty.readFor(1, 700ms), ""); // held back by XOFF
    EXPECT_TRUE(job.running());
    pty.writeAll(std::string(1, static_cast<char>(kXonByte)));
    const std::string received = pty.readFor(program.size());
    ASSERT_TRUE(events.waitForPost(kMessageSendFinished));
    EXPECT_TRUE(received == program);
    EXPECT_TRUE(job.succeeded());
}

TEST_F(PtyPortTest, StoppingASendBlockedByXoffEndsItWithinTheGrace)
{
    SerialSettings s = Settings(9600, kFlowXonXoff);
    s.softwareFlowOut = 1;
    s.transferTimeoutMinutes = 3;
    ASSERT_TRUE(OpenPortWithSettings(port, s, PortDirection::Send));
    pty.writeAll(std::string(1, static_cast<char>(kXoffByte)));
    std::this_thread::sleep_for(20ms);
    const std::string program(20000, 'X');
    SerialLinkState state;
    RecordingEvents events;
    state.sendLength = static_cast<std::uint32_t>(program.size());
    {
        SendJob job(port, state, events);
        ASSERT_TRUE(job.start(program));
        std::this_thread::sleep_for(600ms); // past the pause, inside the write
        const auto start = std::chrono::steady_clock::now();
        job.stop();
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, 900ms);
        EXPECT_LT(took, 2000ms);
        EXPECT_FALSE(job.running());
        EXPECT_FALSE(job.succeeded());
    }
    EXPECT_TRUE(events.waitForPost(kMessageSendFinished, 0ms));
    EXPECT_TRUE(events.messages().empty()); // no "Bytes gesendet" for a send that did not finish
    // The cancel that ended the job does not stick to the port.
    std::uint8_t byte = 0;
    pty.writeAll("A");
    EXPECT_EQ(port.readByte(byte), ReadResult::Byte);
}

TEST_F(PtyPortTest, APseudoTerminalHasNoModemLines)
{
    ASSERT_TRUE(OpenPortWithSettings(port, Settings(), PortDirection::Send));
    std::uint32_t status = 0;
    EXPECT_FALSE(port.modemStatus(status));
    EXPECT_FALSE(port.setEventMask(line_event::kCtsChanged | line_event::kEventChar));
    std::ostringstream out;
    EXPECT_EQ(ResetHandshakeLines(port, out), 0);
    EXPECT_EQ(out.str(), "Failed to clear DTR: " + std::to_string(ENOTTY) + "\n");
}

} // namespace
} // namespace kvt
