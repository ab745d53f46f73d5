// Drip-feed against a control played by the master side of a pseudo-terminal: stops
// with DC3 within the profile's allowance, a buffer that never overflows, a start on
// DC1, pause and cancel, and a dropped link that tells the line to restart from.

#include "executing_control.h"
#include "serial/drip_feed.h"
#include "serial/posix_serial_port.h"
#include "serial_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <future>
#include <poll.h>
#include <unistd.h>

namespace kvt {
namespace {

using namespace kvt::test;

// Ends a feed that a failed assertion left running, so the test does not wait for it.
struct CancelOnExit {
    DripFeed& feed;
    ~CancelOnExit() { feed.cancel(); }
};

std::string Program(std::size_t lines)
{
    std::string text = "%\nO1000\n";
    for (std::size_t i = 1; i <= lines; ++i)
        text += "N" + std::to_string(i * 10) + " G1 X" + std::to_string(i % 997) + ".5 Y-12.25 F800\n";
    return text + "M30\n%\n";
}

class DripFeedPtyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PortNameMap names = PortNameMap::defaults();
        names.devices[0] = pty.slavePath();
        port = std::make_unique<PosixSerialPort>(names);
        ASSERT_EQ(port->open("COM1"), PortOpenResult::Opened);
        fcntl(pty.master(), F_SETFL, fcntl(pty.master(), F_GETFL) | O_NONBLOCK);
    }

    // Reads what is there now, waiting at most wait for the first byte.
    std::string readSome(std::chrono::milliseconds wait)
    {
        pollfd fd {pty.master(), POLLIN, 0};
        std::string got;
        if (::poll(&fd, 1, static_cast<int>(wait.count())) <= 0)
            return got;
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(pty.master(), buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }
    // Reads until nothing came for idle.
    std::string readUntilQuiet(std::chrono::milliseconds idle)
    {
        std::string got;
        for (;;) {
            const std::string more = readSome(idle);
            if (more.empty())
                return got;
            got += more;
        }
    }
    void send(std::uint8_t byte) { pty.writeAll(std::string(1, static_cast<char>(byte))); }

    PtyPair pty;
    std::unique_ptr<PosixSerialPort> port;
};

TEST(DripFeedTest, FlowWatchTakesDc3AsStopAndDc1AsGo)
{
    FlowWatch flow;
    EXPECT_FALSE(flow.held());
    EXPECT_FALSE(flow.released());
    EXPECT_FALSE(flow.feed('A'));
    EXPECT_TRUE(flow.feed(kDc3Byte));
    EXPECT_TRUE(flow.held());
    EXPECT_FALSE(flow.feed(kDc2Byte)); // punch codes do not touch the reader
    EXPECT_FALSE(flow.feed(kDc4Byte));
    EXPECT_TRUE(flow.held());
    EXPECT_TRUE(flow.feed(kDc1Byte));
    EXPECT_FALSE(flow.held());
    EXPECT_TRUE(flow.released());
}

TEST(DripFeedTest, LineRateCountsStartParityAndStopBits)
{
    const std::tuple<std::uint32_t, std::uint8_t, bool, std::uint8_t, std::uint32_t> cases[] = {
        {9600, 8, false, kOneStopBit, 960}, {9600, 7, true, kTwoStopBits, 872}, // 11 bits
        {9600, 7, true, kOneStopBit, 960}, {115200, 8, false, kOneStopBit, 11520}, {110, 7, true, kTwoStopBits, 10},
        {300, 5, false, kOneAndHalfStopBits, 40}, // 7.5 bits
        {1, 8, false, kOneStopBit, 1}, // never 0
    };
    for (const auto& [baud, bits, parity, stop, rate] : cases)
        EXPECT_EQ(lineBytesPerSecond(baud, bits, parity, stop), rate) << baud << " " << int(bits);
}

// For each profile that paces the line itself: the control stops the feed with DC3
// after some bytes and counts what still comes; then DC1 lets the rest through.
TEST_F(DripFeedPtyTest, Dc3StopsTheFeedWithinEachProfilesAllowance)
{
    for (const ControlProfile& profile : builtInProfiles()) {
        if (profile.flow != FlowMode::Program)
            continue;
        SCOPED_TRACE(profile.name);
        readUntilQuiet(20ms);
        port->clearCancel(); // the guard of the profile before
        const FramedProgram program = frameProgram(profile, Program(400), "O1000");
        DripFeed feed(*port, profile, program, lineBytesPerSecond(115200, 8, false, kOneStopBit));
        EXPECT_EQ(feed.inFlightLimit(), profile.stopAllowance);
        auto result = std::async(std::launch::async, [&] { return feed.run(); });
        CancelOnExit guard {feed};
        if (profile.start == StartCondition::WaitXon) {
            // The reader of the control starts once the feed waits for it.
            ASSERT_TRUE(Eventually([&] { return feed.progress().state == DripFeedState::WaitingForStart; }));
            send(kDc1Byte);
        }

        std::string got;
        while (got.size() < 3000) {
            const std::string more = readSome(2000ms);
            ASSERT_FALSE(more.empty()) << got.size() << " state " << int(feed.progress().state) << " sent "
                                       << feed.progress().bytesSent;
            got += more;
        }
        send(kDc3Byte);
        const std::string after = readUntilQuiet(300ms);
        EXPECT_LE(after.size(), profile.stopAllowance);
        got += after;
        EXPECT_TRUE(Eventually([&] { return feed.progress().state == DripFeedState::HeldByControl; }));
        EXPECT_EQ(readSome(200ms), "");

        send(kDc1Byte);
        while (got.size() < program.bytes.size()) {
            const std::string more = readSome(3000ms);
            ASSERT_FALSE(more.empty()) << got.size();
            got += more;
        }
        const DripFeedProgress end = result.get();
        EXPECT_EQ(end.state, DripFeedState::Finished);
        EXPECT_EQ(end.linesSent, end.totalLines);
        EXPECT_EQ(got, program.bytes);
    }
}

// A control with a buffer of 64 KB executes slower than the line brings the program and
// stops now and then (a long move), holds the feed with DC3 while its buffer is nearly
// full and at random for a while; the feed never fills the buffer over the brim, and every
// byte arrives in order. The pseudo-terminal has no line rate of its own, so the control
// keeps room for what the feed's line rate brings while it reacts: 50 ms, since the test
// thread itself may wait that long for a processor on a loaded machine.
TEST_F(DripFeedPtyTest, ARandomlyPausingControlsBufferNeverOverflows)
{
    ControlProfile profile = builtInProfiles().back();
    profile.flow = FlowMode::Program;
    profile.stopAllowance = 512;
    constexpr std::uint32_t kRate = 400'000;
    constexpr double kExecutedPerSecond = kRate * 0.6;
    constexpr std::size_t kBuffer = 65536;
    constexpr std::size_t kReaction = kRate / 20;
    std::string text;
    while (text.size() < 2'000'000)
        text += Program(2000);
    const FramedProgram program = frameProgram(profile, text, "big");
    DripFeed feed(*port, profile, program, kRate);
    auto result = std::async(std::launch::async, [&] { return feed.run(); });
    CancelOnExit guard {feed};

    ExecutingControl control(kBuffer, profile.stopAllowance + kReaction, kExecutedPerSecond);
    std::size_t received = 0;
    bool same = true;
    auto lastByte = ExecutingControl::Clock::now();
    while (received < program.bytes.size()) {
        const std::string more = readSome(control.held() ? 1ms : 100ms);
        const auto now = ExecutingControl::Clock::now();
        if (!more.empty()) {
            lastByte = now;
        } else if (!control.held()) {
            ASSERT_LT(now - lastByte, 3s) << received;
        }
        same = same && program.bytes.compare(received, more.size(), more) == 0;
        received += more.size();
        if (const std::uint8_t flow = control.take(more.size(), now)) {
            send(flow);
            lastByte = now;
        }
    }
    EXPECT_TRUE(same);
    EXPECT_EQ(received, program.bytes.size());
    EXPECT_LE(control.mostBuffered, kBuffer);
    EXPECT_GT(control.mostBuffered, kBuffer / 2); // the buffer was really filled, not only drained
    EXPECT_GT(control.fullHolds, 5);
    EXPECT_GT(control.randomHolds, 0);
    EXPECT_EQ(result.get().state, DripFeedState::Finished);
}

// A pseudo-terminal delivers at once, so the control sees exactly what the feed hands
// over: at no moment more than the line could have carried since the start plus the
// allowance, which is what keeps a stop within the allowance on a real line. The pieces
// are as large as the allowance leaves room for, not a byte at a time.
TEST_F(DripFeedPtyTest, TheFeedNeverRunsAheadOfTheLineByMoreThanTheAllowance)
{
    for (const std::uint32_t allowance : {10u, 16u, 32u}) {
        SCOPED_TRACE(allowance);
        readUntilQuiet(20ms);
        port->clearCancel(); // the guard of the round before
        ControlProfile profile = builtInProfiles()[0];
        profile.start = StartCondition::AtOnce;
        profile.stopAllowance = allowance;
        constexpr std::uint32_t kRate = 4000;
        const FramedProgram program = frameProgram(profile, Program(60), "O1000");
        DripFeed feed(*port, profile, program, kRate);
        const auto start = std::chrono::steady_clock::now();
        auto result = std::async(std::launch::async, [&] { return feed.run(); });
        CancelOnExit guard {feed};
        std::string got;
        std::size_t reads = 0;
        while (got.size() < program.bytes.size()) {
            const std::string more = readSome(2000ms);
            ASSERT_FALSE(more.empty()) << got.size();
            got += more;
            ++reads;
            const double carried
                = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() * kRate;
            ASSERT_LE(static_cast<double>(got.size()), carried + allowance) << got.size();
        }
        EXPECT_EQ(result.get().state, DripFeedState::Finished);
        EXPECT_EQ(got, program.bytes);
        EXPECT_LT(reads, program.bytes.size() / (allowance / 2)) << "pieces smaller than half the allowance";
    }
}

// A profile that leaves the flow to the driver but starts on DC1, on a port whose driver
// does XON/XOFF: the driver would swallow the DC1 and the feed wait for ever. The feed
// takes the DC1 itself, then the driver does the flow control again: a DC3 during the
// feed is the driver's, which holds the line without the feed ever seeing it.
TEST_F(DripFeedPtyTest, ADriverDoingXonXoffLeavesTheStartToTheFeedAndGetsTheFlowBack)
{
    LineSettings line;
    ASSERT_TRUE(port->lineSettings(line));
    line.outX = true;
    line.xonChar = kDc1Byte;
    line.xoffChar = kDc3Byte;
    ASSERT_TRUE(port->setLineSettings(line));
    ControlProfile profile = builtInProfiles().back();
    profile.flow = FlowMode::Driver;
    profile.start = StartCondition::WaitXon;
    const FramedProgram program = frameProgram(profile, Program(40), "x");
    DripFeed feed(*port, profile, program, 2000);
    auto result = std::async(std::launch::async, [&] { return feed.run(); });
    CancelOnExit guard {feed};
    ASSERT_TRUE(Eventually([&] { return feed.progress().state == DripFeedState::WaitingForStart; }));
    EXPECT_EQ(readSome(100ms), "");

    send(kDc1Byte);
    std::string got = readSome(2000ms);
    ASSERT_FALSE(got.empty());
    LineSettings during;
    ASSERT_TRUE(port->lineSettings(during));
    EXPECT_TRUE(during.outX);
    send(kDc3Byte);
    got += readUntilQuiet(100ms);
    EXPECT_EQ(readSome(300ms), ""); // held by the driver
    EXPECT_NE(feed.progress().state, DripFeedState::HeldByControl);
    send(kDc1Byte);
    while (got.size() < program.bytes.size()) {
        const std::string more = readSome(3000ms);
        ASSERT_FALSE(more.empty()) << got.size();
        got += more;
    }
    EXPECT_EQ(result.get().state, DripFeedState::Finished);
    EXPECT_EQ(got, program.bytes);
    LineSettings after;
    ASSERT_TRUE(port->lineSettings(after));
    EXPECT_TRUE(after.outX);
}

TEST_F(DripFeedPtyTest, ANeverStartingControlGetsNothingAndCancelEndsTheWait)
{
    const ControlProfile& fanuc = builtInProfiles()[0];
    const FramedProgram program = frameProgram(fanuc, Program(10), "O1000");
    DripFeed feed(*port, fanuc, program, 11520);
    auto result = std::async(std::launch::async, [&] { return feed.run(); });
    CancelOnExit guard {feed};
    EXPECT_EQ(readSome(300ms), "");
    EXPECT_EQ(feed.progress().state, DripFeedState::WaitingForStart);
    const auto asked = std::chrono::steady_clock::now();
    feed.cancel();
    ASSERT_EQ(result.wait_for(1s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 200ms);
    const DripFeedProgress end = result.get();
    EXPECT_EQ(end.state, DripFeedState::Cancelled);
    EXPECT_EQ(end.bytesSent, 0u);
    EXPECT_EQ(feed.restartLine(), 1u);
}

TEST_F(DripFeedPtyTest, PauseHoldsTheFeedAndResumeSendsTheRest)
{
    ControlProfile profile = builtInProfiles().back();
    profile.flow = FlowMode::Program;
    profile.stopAllowance = 32;
    const FramedProgram program = frameProgram(profile, Program(300), "x");
    DripFeed feed(*port, profile, program, 2880); // 28800 baud
    auto result = std::async(std::launch::async, [&] { return feed.run(); });
    CancelOnExit guard {feed};
    std::string got = readSome(1000ms);
    feed.pause();
    EXPECT_TRUE(Eventually([&] { return feed.progress().state == DripFeedState::Paused; }));
    got += readUntilQuiet(100ms);
    EXPECT_EQ(readSome(300ms), "");
    const DripFeedProgress paused = feed.progress();
    EXPECT_EQ(paused.bytesSent, got.size());
    EXPECT_LT(paused.bytesSent, program.bytes.size());
    EXPECT_GT(paused.secondsLeft, 0.0);
    feed.resume();
    got += readUntilQuiet(1000ms);
    EXPECT_EQ(result.get().state, DripFeedState::Finished);
    EXPECT_EQ(got, program.bytes);
}

// The control hangs up in the middle of the program: the feed ends by itself, and the
// line it names for a restart is one the control did not get in full (or an earlier
// one), never a line after the first one lost.
TEST_F(DripFeedPtyTest, AHangUpEndsTheFeedWithALineToRestartFrom)
{
    ControlProfile profile = builtInProfiles().back();
    profile.flow = FlowMode::Program;
    profile.stopAllowance = 16;
    const FramedProgram program = frameProgram(profile, Program(2000), "x");
    DripFeed feed(*port, profile, program, 11520);
    auto result = std::async(std::launch::async, [&] { return feed.run(); });
    CancelOnExit guard {feed};
    std::string got;
    while (got.size() < 5000)
        got += readSome(1000ms);
    pty.closeMaster();
    ASSERT_EQ(result.wait_for(2s), std::future_status::ready);
    const DripFeedProgress end = result.get();
    EXPECT_EQ(end.state, DripFeedState::LinkLost);
    const std::size_t restart = feed.restartLine();
    const std::size_t firstIncomplete = lineAtOffset(program, got.size());
    EXPECT_GE(restart, 1u);
    EXPECT_LE(restart, firstIncomplete);
    EXPECT_GE(restart + 2, firstIncomplete); // not far back either: 16 bytes are less than a line
}

// A port whose control drops DSR after a few hundred bytes.
class DroppingPort : public ScriptedPort {
public:
    bool setTimeouts(const PortTimeouts& timeouts) override
    {
        m_wait = timeouts.readTotalConstant;
        return true;
    }
    ReadResult readByte(std::uint8_t&) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_wait));
        return ReadResult::Empty;
    }
    bool queueWrite(const std::uint8_t* data, std::size_t size, std::size_t& accepted) override
    {
        writtenBytes.append(reinterpret_cast<const char*>(data), size);
        accepted = size;
        if (writtenBytes.size() >= dropAfter)
            setModemStatus(modem_line::kCts);
        return true;
    }
    std::size_t dropAfter = 0;

private:
    std::uint32_t m_wait = 0;
};

TEST(DripFeedTest, DsrGoneLongerThanTheTimeOutEndsTheFeedAsADroppedLink)
{
    ControlProfile profile = builtInProfiles().back();
    profile.flow = FlowMode::Program;
    profile.stopAllowance = 20;
    profile.linkTimeoutMs = 150;
    const FramedProgram program = frameProgram(profile, Program(500), "x");
    DroppingPort port;
    port.open("COM1");
    port.setModemStatus(modem_line::kCts | modem_line::kDsr);
    port.dropAfter = 700;
    DripFeed feed(port, profile, program, 11520);
    const auto began = std::chrono::steady_clock::now();
    const DripFeedProgress end = feed.run();
    const auto took = std::chrono::steady_clock::now() - began;
    EXPECT_EQ(end.state, DripFeedState::LinkLost);
    EXPECT_GE(took, 150ms);
    EXPECT_LT(took, 2s);
    // Bytes went on while the time-out ran; everything that may have been on its way
    // counts as lost.
    EXPECT_GT(port.writtenBytes.size(), 700u);
    const std::size_t lost = port.writtenBytes.size() - std::max<std::size_t>(end.inFlight, 20);
    EXPECT_EQ(feed.restartLine(), lineAtOffset(program, lost));
    EXPECT_LE(program.lineStarts[feed.restartLine() - 1], lost);
}

TEST(DripFeedTest, APauseAfterEachLineSpacesTheLines)
{
    ControlProfile profile = builtInProfiles().back();
    profile.linePauseMs = 30;
    const FramedProgram program = frameProgram(profile, "A\nB\nC\nD\n", "x");
    DroppingPort port;
    port.open("COM1");
    port.dropAfter = SIZE_MAX;
    DripFeed feed(port, profile, program, 100000);
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(feed.run().state, DripFeedState::Finished);
    EXPECT_GE(std::chrono::steady_clock::now() - began, 90ms); // three pauses between four lines
    EXPECT_EQ(port.writtenBytes, "A\r\nB\r\nC\r\nD\r\n");
}

} // namespace
} // namespace kvt
