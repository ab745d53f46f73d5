// Sending, opening and the line monitors against the scripted port: short writes,
// failures, modem lines and CTS, which a pseudo-terminal cannot produce.

#include "common/text_lookup.h"
#include "serial/serial_jobs.h"
#include "serial/serial_link.h"
#include "serial_test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kvt {
namespace {

using namespace kvt::test;

struct SendCase {
    const char* name;
    bool portOpen;
    std::uint32_t sendLength;
    std::size_t accepts;
    bool fails;
    bool result;
    std::uint32_t written;
    bool box;
    bool outputPurged; // only a failed send throws away what is still on its way out
};

TEST(SendBufferTest, ResultBoxAndPurgeFollowWhatTheWriteDid)
{
    const std::string text = "%\r\nN10 G00 X0\r\nN20 M30\r\n%\r\n"; // 27 bytes
    const SendCase cases[] = {
        {"whole buffer", true, 27, SIZE_MAX, false, true, 27, true, false},
        {"short write still succeeds, without box", true, 27, 10, false, true, 10, false, false},
        {"write error", true, 27, SIZE_MAX, true, false, 0, false, true},
        {"send length beyond the buffer is refused", true, 28, SIZE_MAX, false, false, 0, false, true},
        {"no port", false, 27, SIZE_MAX, false, false, 0, false, false},
    };
    for (const SendCase& c : cases) {
        ScriptedPort port;
        if (c.portOpen) {
            port.open("COM1");
        }
        port.writeAccepts = c.accepts;
        port.writeFails = c.fails;
        SerialLinkState state;
        state.sendLength = c.sendLength;
        state.setIndicator(Indicator::Sending, 1);
        RecordingEvents events;
        std::uint32_t written = 99;
        EXPECT_EQ(SendBuffer(port, state, events, text, written), c.result) << c.name;
        EXPECT_EQ(written, c.written) << c.name;
        EXPECT_EQ(port.writtenBytes, text.substr(0, c.written)) << c.name;
        EXPECT_EQ(events.messages().size(), c.box ? 1u : 0u) << c.name;
        if (c.box) {
            EXPECT_EQ(events.messages()[0].text, "27 Bytes gesendet");
            EXPECT_EQ(events.messages()[0].icon, MessageIcon::Information);
        }
        EXPECT_EQ(port.purges(), c.portOpen ? 1 : 0) << c.name;
        EXPECT_EQ(port.outputPurges(), c.outputPurged ? 1 : 0) << c.name;
        EXPECT_EQ(events.sendCheckClears(), 1) << c.name;
        if (c.portOpen) {
            EXPECT_EQ(state.indicator(Indicator::Sending), 0) << c.name;
        }
    }
}

TEST(SendJobTest, StoppedDuringThePauseItSendsNothingAndStillReports)
{
    ScriptedPort port;
    port.open("COM1");
    SerialLinkState state;
    state.sendLength = 5;
    RecordingEvents events;
    SendJob job(port, state, events);
    ASSERT_TRUE(job.start(std::string_view("G00\r\n")));
    EXPECT_TRUE(Eventually([&] { return state.indicator(Indicator::Sending) == 1; }));
    EXPECT_EQ(state.indicator(Indicator::LineConnected), 1);
    job.stop();
    EXPECT_EQ(port.writtenBytes, "");
    EXPECT_EQ(events.posts(), std::vector<int> {kMessageSendFinished});
    EXPECT_EQ(state.indicator(Indicator::Sending), 0);
    EXPECT_FALSE(job.succeeded());
}

// --- OpenPort ---------------------------------------------------------------------

SerialSettings XonXoffSet(std::uint16_t xonLimit, std::uint16_t xoffLimit)
{
    SerialSettings s {};
    s.portNumber = 4;
    s.baudRate = 4800;
    s.dataBits = 7;
    s.stopBits = 2.0f;
    s.parity = 2;
    s.flowControl = kFlowXonXoff;
    s.softwareFlowOut = 1;
    s.softwareFlowIn = 1;
    s.xonChar = 0x11;
    s.xoffChar = 0x13;
    s.xonLimit = xonLimit;
    s.xoffLimit = xoffLimit;
    return s;
}

TEST(OpenPortTest, XonXoffLimitsApplyToTheReceiveDirectionOnlyWhenSet)
{
    struct Case {
        PortDirection direction;
        std::uint16_t xonLimit;
        std::uint16_t xoffLimit;
        std::uint16_t expectedXon;
        std::uint16_t expectedXoff;
    };
    for (const Case& c :
        {Case {PortDirection::Receive, 100, 200, 100, 200}, Case {PortDirection::Receive, 0, 200, 2048, 200},
            Case {PortDirection::Receive, 100, 0, 100, 512}, Case {PortDirection::Send, 100, 200, 2048, 512}}) {
        ScriptedPort port;
        port.line.xonLimit = 2048;
        port.line.xoffLimit = 512;
        ASSERT_TRUE(OpenPortWithSettings(port, XonXoffSet(c.xonLimit, c.xoffLimit), c.direction));
        EXPECT_EQ(port.line.xonLimit, c.expectedXon);
        EXPECT_EQ(port.line.xoffLimit, c.expectedXoff);
        EXPECT_TRUE(port.line.outX);
        EXPECT_TRUE(port.line.inX);
        EXPECT_EQ(port.line.baudRate, 4800u);
        EXPECT_EQ(port.line.byteSize, 7);
        EXPECT_EQ(port.line.parity, kParityEven);
        EXPECT_EQ(port.line.stopBits, kTwoStopBits);
    }
}

TEST(OpenPortTest, HardwareHandshakeChoicesLeaveTheDriversHandshakeBits)
{
    for (const std::uint8_t flow : {kFlowNone, kFlowRtsCts, kFlowDtrDsr}) {
        ScriptedPort port;
        port.line.ctsOutFlow = true;
        port.line.dsrOutFlow = false;
        port.line.dtrControl = 2;
        port.line.rtsControl = 1;
        port.line.outX = true;
        port.line.xonChar = 0x11;
        SerialSettings s = XonXoffSet(100, 100);
        s.flowControl = flow;
        ASSERT_TRUE(OpenPortWithSettings(port, s, PortDirection::Send));
        EXPECT_TRUE(port.line.ctsOutFlow);
        EXPECT_FALSE(port.line.dsrOutFlow);
        EXPECT_EQ(port.line.dtrControl, 2);
        EXPECT_EQ(port.line.rtsControl, 1);
        EXPECT_FALSE(port.line.outX);
        EXPECT_FALSE(port.line.inX);
        EXPECT_EQ(port.line.xonChar, 0);
        EXPECT_EQ(port.line.xoffChar, 0);
    }
}

TEST(OpenPortTest, APortThatCannotBeSetUpIsClosedAgain)
{
    struct Case {
        const char* name;
        bool lineFails;
        bool timeoutsFail;
    };
    for (const Case& c : {Case {"line settings unreadable", true, false}, Case {"time-outs refused", false, true}}) {
        ScriptedPort port;
        port.lineSettingsFail = c.lineFails;
        port.timeoutsFail = c.timeoutsFail;
        EXPECT_FALSE(OpenPortWithSettings(port, XonXoffSet(0, 0), PortDirection::Receive)) << c.name;
        EXPECT_FALSE(port.isOpen()) << c.name;
    }
    ScriptedPort port;
    EXPECT_FALSE(OpenPort(port, std::string(256, 'C'), 9600, 8, 0, 0, 0, PortDirection::Send, XonXoffSet(0, 0)));
    EXPECT_FALSE(port.isOpen());
    port.openResult = PortOpenResult::InUse;
    EXPECT_FALSE(OpenPortWithSettings(port, XonXoffSet(0, 0), PortDirection::Send));
}

// --- Handshake lines ----------------------------------------------------------------

TEST(ResetHandshakeLinesTest, TheFirstFailingStepIsReportedAndEndsTheReset)
{
    const char* expected[]
        = {"Failed to clear DTR: 5\n", "Failed to clear RTS: 5\n", "Failed to set DTR: 5\n", "Failed to set RTS: 5\n"};
    for (int step = 0; step < 4; ++step) {
        ScriptedPort port;
        port.failingLineStep = step;
        std::ostringstream out;
        EXPECT_EQ(ResetHandshakeLines(port, out), 0);
        EXPECT_EQ(out.str(), expected[step]);
        EXPECT_EQ(port.lineSteps.size(), static_cast<std::size_t>(step + 1));
    }
}

TEST(ResetHandshakeLinesTest, LinesGoDownForAtLeast100Milliseconds)
{
    ScriptedPort port;
    std::ostringstream out;
    EXPECT_EQ(ResetHandshakeLines(port, out), 1);
    EXPECT_EQ(out.str(), "");
    ASSERT_EQ(port.lineSteps.size(), 4u);
    EXPECT_EQ(port.lineSteps[0].first, "clear DTR");
    EXPECT_EQ(port.lineSteps[1].first, "clear RTS");
    EXPECT_EQ(port.lineSteps[2].first, "set DTR");
    EXPECT_EQ(port.lineSteps[3].first, "set RTS");
    EXPECT_GE(port.lineSteps[2].second - port.lineSteps[1].second, 100ms);
}

// --- Modem status monitor -------------------------------------------------------------

TEST(ModemStatusMonitorTest, LineConnectedFollowsAnyOfTheFourLines)
{
    ScriptedPort port;
    SerialLinkState state;
    RecordingEvents events;
    ModemStatusMonitor monitor(port, state, events);
    port.setModemStatus(modem_line::kDsr);
    ASSERT_TRUE(monitor.start(false));
    EXPECT_TRUE(Eventually([&] { return state.indicator(Indicator::LineConnected) == 1; }));
    EXPECT_TRUE(Eventually([&] { return state.indicatorChanged[2] == 1; }));
    port.setModemStatus(0);
    EXPECT_TRUE(Eventually([&] { return state.indicator(Indicator::LineConnected) == 0; }));
    port.setModemStatus(modem_line::kRlsd | modem_line::kCts);
    EXPECT_TRUE(Eventually([&] { return state.indicator(Indicator::LineConnected) == 1; }));
    port.setModemStatus(modem_line::kRing, false); // unreadable status counts as nothing
    EXPECT_TRUE(Eventually([&] { return state.indicator(Indicator::LineConnected) == 0; }));
    EXPECT_GT(events.redraws(), 0);
    const auto start = std::chrono::steady_clock::now();
    monitor.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms); // its sleep wakes on stop
    EXPECT_EQ(events.posts(), std::vector<int> {kMessageMonitorEnded});
}

TEST(ModemStatusMonitorTest, ACtsChangeAsksTheWindowToSendAndEndsTheMonitor)
{
    ScriptedPort port;
    SerialLinkState state;
    RecordingEvents events;
    ModemStatusMonitor monitor(port, state, events);
    ASSERT_TRUE(monitor.start(true));
    ASSERT_TRUE(Eventually([&] { return port.eventWaits() == 1; }));
    EXPECT_EQ(state.statusWaitMark, 1);
    EXPECT_EQ(port.eventMasks(), std::vector<std::uint32_t> {line_event::kCtsChanged | line_event::kEventChar});
    port.pushEvent(line_event::kCtsChanged);
    ASSERT_TRUE(monitor.waitFinished(2000ms));
    EXPECT_EQ(events.posts(), (std::vector<int> {kMessageStartSending, kMessageMonitorEnded}));
    EXPECT_FALSE(monitor.waitingForCts());
}

TEST(ModemStatusMonitorTest, AnEventCharacterRestartsTheCtsWait)
{
    ScriptedPort port;
    SerialLinkState state;
    RecordingEvents events;
    ModemStatusMonitor monitor(port, state, events);
    ASSERT_TRUE(monitor.start(true));
    ASSERT_TRUE(Eventually([&] { return port.eventWaits() == 1; }));
    port.pushEvent(line_event::kEventChar);
    ASSERT_TRUE(Eventually([&] { return port.eventWaits() == 2; }));
    EXPECT_EQ(port.eventMasks().size(), 2u); // the mask is set again for the new wait
    EXPECT_TRUE(events.posts().empty());
    EXPECT_TRUE(monitor.waitingForCts());
    port.pushEvent(line_event::kCtsChanged);
    EXPECT_TRUE(events.waitForPost(kMessageStartSending));
}

TEST(ModemStatusMonitorTest, StopEndsABlockedCtsWaitAfterTheGraceAndFreesThePort)
{
    ScriptedPort port;
    SerialLinkState state;
    RecordingEvents events;
    ModemStatusMonitor monitor(port, state, events);
    ASSERT_TRUE(monitor.start(true));
    ASSERT_TRUE(Eventually([&] { return port.eventWaits() == 1; }));
    const auto start = std::chrono::steady_clock::now();
    monitor.stop();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 950ms);
    EXPECT_LT(took, 2000ms);
    EXPECT_FALSE(monitor.running());
    EXPECT_FALSE(port.cancelled());
    EXPECT_EQ(events.posts(), std::vector<int> {kMessageMonitorEnded});
}

TEST(ModemStatusMonitorTest, WithoutAWindowItShowsError7AndPostsNothing)
{
    ScriptedPort port;
    SerialLinkState state;
    RecordingEvents events;
    events.setHasWindow(false);
    ModemStatusMonitor monitor(port, state, events);
    ASSERT_TRUE(monitor.start(false));
    std::this_thread::sleep_for(50ms);
    monitor.stop();
    ASSERT_EQ(events.messages().size(), 1u);
    EXPECT_EQ(events.messages()[0].text, "Error 7");
    EXPECT_EQ(events.messages()[0].caption, "v");
    EXPECT_EQ(events.messages()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(events.posts().empty());
    EXPECT_EQ(events.redraws(), 0);
}

TEST(ModemStatusMonitorTest, AFailedEventMaskEndsTheMonitorAndSaysSo)
{
    ScriptedPort port;
    port.eventMaskFails = true;
    SerialLinkState state;
    RecordingEvents events;
    ModemStatusMonitor monitor(port, state, events);
    ASSERT_TRUE(monitor.start(true));
    ASSERT_TRUE(monitor.waitFinished(1000ms));
    EXPECT_EQ(events.posts(), std::vector<int> {kMessageMonitorEnded});
    EXPECT_EQ(port.eventWaits(), 0);
}

// --- Options page port test -----------------------------------------------------------

class RecordingLines : public ModemLineView {
public:
    void showModemLines(const ModemLines& lines) override
    {
        std::lock_guard lock(m_mutex);
        m_last = lines;
        ++m_count;
    }
    ModemLines last() const
    {
        std::lock_guard lock(m_mutex);
        return m_last;
    }
    int count() const
    {
        std::lock_guard lock(m_mutex);
        return m_count;
    }

private:
    mutable std::mutex m_mutex;
    ModemLines m_last;
    int m_count = 0;
};

TEST(OptionsPortMonitorTest, CheckBoxesShowEachLineAndConnectedForAny)
{
    struct Case {
        std::uint32_t status;
        bool ok;
        ModemLines expected;
    };
    const Case cases[] = {
        {modem_line::kCts, true, {true, false, false, false, true}},
        {modem_line::kDsr | modem_line::kRing, true, {false, true, true, false, true}},
        {modem_line::kRlsd, true, {false, false, false, true, true}}, {0, true, {}},
        {modem_line::kCts, false, {}}, // unreadable: all cleared
    };
    for (const Case& c : cases) {
        ScriptedPort port;
        port.setModemStatus(c.status, c.ok);
        RecordingLines view;
        OptionsPortMonitor monitor(port, view);
        ASSERT_TRUE(monitor.start());
        ASSERT_TRUE(Eventually([&] { return view.count() >= 1; }));
        EXPECT_TRUE(Eventually([&] { return monitor.looping(); }));
        EXPECT_EQ(view.last(), c.expected) << c.status;
        monitor.stop();
        EXPECT_FALSE(monitor.looping());
    }
}

// --- Receive progress -------------------------------------------------------------------

TEST(ReceiveProgressMonitorTest, StatusTextFollowsTheCounterInEitherLanguage)
{
    class German : public TextLookup {
    public:
        std::string text(int, std::string_view) const override { return " Bytes empfangen"; }
    };
    const German german;
    const BuiltinTexts builtin;
    struct Case {
        const TextLookup* texts;
        const char* expected;
    };
    for (const Case& c : {Case {&builtin, "1234 *Bytes received"}, Case {&german, "1234 Bytes empfangen"}}) {
        SerialLinkState state;
        RecordingEvents events;
        state.receivedBytes = 1234;
        ReceiveProgressMonitor monitor(state, events, *c.texts);
        ASSERT_TRUE(monitor.start());
        EXPECT_TRUE(Eventually([&] { return state.statusText() == c.expected; })) << state.statusText();
        const int redrawsBefore = events.redraws();
        state.receivedBytes = 1300;
        EXPECT_TRUE(Eventually([&] { return state.statusText().rfind("1300 ", 0) == 0; }));
        EXPECT_TRUE(Eventually([&] { return events.redraws() > redrawsBefore; }));
        monitor.stop();
        EXPECT_FALSE(monitor.running());
    }
}

} // namespace
} // namespace kvt
