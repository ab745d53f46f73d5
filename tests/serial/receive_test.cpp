// Receiving a program: on pseudo-terminals where the line matters, on the scripted port
// where the control's behaviour cannot be produced on a pseudo-terminal.

#include "common/text_lookup.h"
#include "serial/posix_serial_port.h"
#include "serial/serial_jobs.h"
#include "serial/serial_link.h"
#include "serial_test_support.h"
#include "state/state_blocks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace kvt {
namespace {

using namespace kvt::test;

// Counts what the reads of the port under test bring back.
class CountingPort : public SerialPort {
public:
    explicit CountingPort(SerialPort& inner)
        : m_inner(inner)
    {
    }
    PortOpenResult open(std::string_view name) override { return m_inner.open(name); }
    void close() override { m_inner.close(); }
    bool isOpen() const override { return m_inner.isOpen(); }
    bool lineSettings(LineSettings& s) override { return m_inner.lineSettings(s); }
    bool setLineSettings(const LineSettings& s) override { return m_inner.setLineSettings(s); }
    bool timeouts(PortTimeouts& t) override { return m_inner.timeouts(t); }
    bool setTimeouts(const PortTimeouts& t) override { return m_inner.setTimeouts(t); }
    bool setQueueSizes(std::uint32_t i, std::uint32_t o) override { return m_inner.setQueueSizes(i, o); }
    bool purge(PurgeScope scope = PurgeScope::All) override { return m_inner.purge(scope); }
    bool write(const std::uint8_t* d, std::size_t n, std::size_t& w) override { return m_inner.write(d, n, w); }
    ReadResult readByte(std::uint8_t& byte) override
    {
        const ReadResult result = m_inner.readByte(byte);
        if (result == ReadResult::Byte) {
            ++bytes;
            emptyInARow = 0;
        } else {
            ++emptyInARow;
        }
        return result;
    }
    bool setEventMask(std::uint32_t m) override { return m_inner.setEventMask(m); }
    bool waitEvent(std::uint32_t& e) override { return m_inner.waitEvent(e); }
    bool modemStatus(std::uint32_t& s) override { return m_inner.modemStatus(s); }
    bool setDtr(bool on) override { return m_inner.setDtr(on); }
    bool setRts(bool on) override { return m_inner.setRts(on); }
    void cancel() override { m_inner.cancel(); }
    void clearCancel() override { m_inner.clearCancel(); }
    int lastError() const override { return m_inner.lastError(); }

    std::atomic<int> bytes {0};
    std::atomic<int> emptyInARow {0};

private:
    SerialPort& m_inner;
};

// One NC text buffer for all tests: it is 60 MB.
NcTextBuffer& SharedTextBuffer()
{
    static const std::unique_ptr<NcTextBuffer> buffer(new NcTextBuffer());
    return *buffer;
}

SerialSettings ReceiveSettings(std::uint32_t minutes = 0)
{
    SerialSettings s {};
    s.portNumber = 1;
    s.baudRate = 115200;
    s.dataBits = 8;
    s.stopBits = 1.0f;
    s.transferTimeoutMinutes = minutes;
    return s;
}

class PtyReceiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PortNameMap map = PortNameMap::defaults();
        map.devices[0] = pty.slavePath();
        port = std::make_unique<PosixSerialPort>(map);
    }
    void open(std::uint32_t minutes = 0)
    {
        ASSERT_TRUE(OpenPortWithSettings(*port, ReceiveSettings(minutes), PortDirection::Receive));
    }

    PtyPair pty;
    std::unique_ptr<PosixSerialPort> port;
    SerialLinkState state;
    RecordingEvents events;
    BuiltinTexts texts;
};

TEST_F(PtyReceiveTest, AReceiveEndsAfterIdleLimitPlusOneEmptyReads)
{
    const std::string program = "%\r\nO1000\r\nN10 G00 X0 Y0\r\nN20 M30\r\n%\r\n";
    for (const std::uint32_t idleLimit : {0u, 1u, 3u}) {
        open();
        CountingPort counting(*port);
        std::vector<char> area(4096, '\0');
        ReceiveTarget target {area, 0};
        state.receiveControl.idleLimit = idleLimit;
        pty.writeAll(program);
        const auto start = std::chrono::steady_clock::now();
        std::uint32_t total = 0;
        EXPECT_TRUE(ReceiveToBuffer(counting, state, events, texts, target, total));
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(counting.emptyInARow, static_cast<int>(idleLimit) + 1) << idleLimit;
        EXPECT_EQ(total, program.size());
        EXPECT_EQ(std::string(area.data()), program);
        EXPECT_EQ(target.end, program.size());
        // Each empty read waits 10 + 50 ms.
        EXPECT_GE(took, std::chrono::milliseconds(60 * (idleLimit + 1) - 5)) << idleLimit;
        EXPECT_EQ(state.receiveControl.receiving, 0);
        EXPECT_EQ(state.receiveControl.waiting, 0);
        port->close();
    }
}

TEST_F(PtyReceiveTest, EveryByteValueIsCountedAndNulIsNotStored)
{
    open();
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes.push_back(static_cast<char>(value));
    }
    bytes += std::string("N1\0N2", 5);
    pty.writeAll(bytes);
    std::vector<char> area(4096, '\0');
    ReceiveTarget target {area, 0};
    std::uint32_t total = 0;
    EXPECT_TRUE(ReceiveToBuffer(*port, state, events, texts, target, total));
    EXPECT_EQ(total, bytes.size());
    EXPECT_EQ(state.receivedBytes, bytes.size());
    std::string expected;
    for (const char c : bytes) {
        if (c != '\0') {
            expected.push_back(c);
        }
    }
    EXPECT_EQ(std::string(area.data(), target.end), expected);
    EXPECT_EQ(area[target.end], '\0');
    ASSERT_EQ(events.messages().size(), 1u);
    EXPECT_EQ(events.messages()[0].text, std::to_string(bytes.size()) + " Bytes empfangen");
    EXPECT_EQ(events.receiveStartedCount(), 1);
}

TEST_F(PtyReceiveTest, AbortDuringALongTimeoutReceiveEndsAtOnceAndKeepsTheBytes)
{
    open(3); // a silent line would hold each read for three minutes
    NcTextBuffer& buffer = SharedTextBuffer();
    ReceiveJob job(*port, state, events, texts);
    ASSERT_TRUE(job.start(buffer, 5));
    const std::string part = "N10 G01 X12.5 F200\r\n";
    pty.writeAll(part);
    ASSERT_TRUE(Eventually([&] { return state.receivedBytes == part.size(); }));
    const auto start = std::chrono::steady_clock::now();
    job.abort();
    ASSERT_TRUE(job.waitFinished(2000ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_TRUE(events.waitForPost(kMessageReceiveFinished, 0ms));
    EXPECT_EQ(std::string(buffer.narrowText), part);
    EXPECT_EQ(buffer.length, part.size());
    EXPECT_EQ(state.sendLength, part.size());
    EXPECT_EQ(events.messageTexts(), std::vector<std::string> {std::to_string(part.size()) + " Bytes empfangen"});
    // The port works again for the next transfer.
    pty.writeAll("Z");
    std::uint8_t byte = 0;
    EXPECT_EQ(port->readByte(byte), ReadResult::Byte);
    EXPECT_EQ(byte, 'Z');
}

TEST_F(PtyReceiveTest, StoppingWhileWaitingForTheFirstByteEndsAfterTheGrace)
{
    open();
    ReceiveJob job(*port, state, events, texts);
    ASSERT_TRUE(job.start(SharedTextBuffer(), 1));
    ASSERT_TRUE(Eventually([&] { return state.receiveControl.waiting == 1; }));
    EXPECT_EQ(state.indicator(Indicator::Waiting), 1);
    const auto start = std::chrono::steady_clock::now();
    job.stop();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 950ms);
    EXPECT_LT(took, 2000ms);
    EXPECT_FALSE(job.running());
    EXPECT_TRUE(events.waitForPost(kMessageReceiveFinished, 0ms));
    EXPECT_EQ(events.messageTexts(), std::vector<std::string> {"Error 6"});
    EXPECT_EQ(state.indicator(Indicator::Waiting), 0);
    EXPECT_EQ(state.receiveControl.waiting, 0);
}

TEST_F(PtyReceiveTest, AFullBufferGivesError5AndKeepsWhatFits)
{
    open();
    NcTextBuffer& buffer = SharedTextBuffer();
    const std::size_t capacity = sizeof buffer.narrowText;
    const std::size_t sent = capacity + 100;
    ReceiveJob job(*port, state, events, texts);
    ASSERT_TRUE(job.start(buffer, 2));
    std::thread control([&] {
        std::string block(64 * 1024, '\0');
        for (std::size_t i = 0; i < block.size(); ++i) {
            block[i] = static_cast<char>('A' + i % 26);
        }
        std::size_t done = 0;
        while (done < sent) {
            const std::size_t n = std::min(block.size(), sent - done);
            pty.writeAll(block.substr(0, n));
            done += n;
        }
    });
    control.join();
    ASSERT_TRUE(job.waitFinished(20000ms));
    EXPECT_EQ(job.total(), sent);
    EXPECT_FALSE(job.succeeded());
    const std::vector<std::string> texts = events.messageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], std::to_string(sent) + " Bytes empfangen");
    EXPECT_EQ(texts[1], "Error 5");
    EXPECT_EQ(events.messages()[1].caption, "RS232");
    EXPECT_EQ(events.messages()[1].icon, MessageIcon::Error);
    // Everything up to the last byte before the terminator is the stream as sent.
    EXPECT_EQ(buffer.length, capacity - 1);
    EXPECT_EQ(buffer.narrowText[capacity - 1], '\0');
    bool intact = true;
    for (std::size_t i = 0; i < capacity - 1 && intact; ++i) {
        intact = buffer.narrowText[i] == static_cast<char>('A' + (i % (64 * 1024)) % 26);
    }
    EXPECT_TRUE(intact);
    EXPECT_EQ(state.receiveControl.receiving, 0);
    EXPECT_EQ(state.indicator(Indicator::Receiving), 0);
}

// --- Scripted port: the control's side of a receive ------------------------------

class ScriptedReceiveTest : public ::testing::Test {
protected:
    void runJob()
    {
        port.open("COM1");
        ReceiveJob job(port, state, events, texts);
        ASSERT_TRUE(job.start(SharedTextBuffer(), idleLimit));
        ASSERT_TRUE(job.waitFinished(3000ms));
        total = job.total();
        succeeded = job.succeeded();
    }

    ScriptedPort port;
    SerialLinkState state;
    RecordingEvents events;
    BuiltinTexts texts;
    std::uint32_t idleLimit = 0;
    std::uint32_t total = 0;
    bool succeeded = false;
};

TEST_F(ScriptedReceiveTest, AnEventCharacterEndsTheWaitWithBothErrorsAndFlagsAtRest)
{
    port.pushEvent(line_event::kEventChar | line_event::kCharReceived);
    runJob();
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(events.messageTexts(), (std::vector<std::string> {"Error 5", "Error 6"}));
    EXPECT_EQ(state.receiveControl.waiting, 0);
    EXPECT_EQ(state.indicator(Indicator::Waiting), 0);
    EXPECT_EQ(port.eventMasks(), std::vector<std::uint32_t> {line_event::kCharReceived | line_event::kEventChar});
    EXPECT_TRUE(events.waitForPost(kMessageReceiveFinished, 0ms));
}

TEST_F(ScriptedReceiveTest, AFailedWaitReportsNothingReceived)
{
    port.pushEvent(0, false);
    runJob();
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(events.messageTexts(), std::vector<std::string> {"Error 6"});
    EXPECT_EQ(SharedTextBuffer().length, 0u);
}

TEST_F(ScriptedReceiveTest, IdleReadsBetweenBytesDoNotEndTheReceiveBeforeTheLimit)
{
    idleLimit = 2;
    port.pushEvent(line_event::kCharReceived);
    port.reads = {'A', -1, -1, 'B', -1, -1, 'C', 0, -1, -1, -1, 'D'};
    runJob();
    EXPECT_EQ(std::string(SharedTextBuffer().narrowText), "ABC");
    EXPECT_EQ(total, 4u); // the NUL counts
    EXPECT_EQ(port.reads, std::deque<int> {'D'}); // three empty reads in a row ended it
    EXPECT_EQ(state.sendLength, 4u);
    EXPECT_TRUE(succeeded);
}

TEST_F(ScriptedReceiveTest, ATransferThatFillsTheAreaToItsLastByteIsRefused)
{
    // The area holds its size less one bytes of text; the last byte is the terminator.
    struct Case {
        std::size_t bytes;
        bool succeeded;
        std::size_t kept;
    };
    constexpr std::size_t kArea = 16;
    for (const Case& c : {Case {kArea - 2, true, kArea - 2}, Case {kArea - 1, true, kArea - 1},
             Case {kArea, false, kArea - 1}, Case {kArea + 1, false, kArea - 1}}) {
        ScriptedPort scripted;
        scripted.open("COM1");
        scripted.pushEvent(line_event::kCharReceived);
        for (std::size_t i = 0; i < c.bytes; ++i)
            scripted.reads.push_back('a' + static_cast<int>(i));
        SerialLinkState linkState;
        RecordingEvents recorded;
        std::vector<char> area(kArea, '\0');
        ReceiveTarget target {area, 0};
        std::uint32_t received = 0;
        EXPECT_EQ(ReceiveToBuffer(scripted, linkState, recorded, texts, target, received), c.succeeded) << c.bytes;
        EXPECT_EQ(received, c.bytes);
        EXPECT_EQ(std::string(area.data()), std::string("abcdefghijklmnopq").substr(0, c.kept)) << c.bytes;
        EXPECT_EQ(area[kArea - 1], '\0');
    }
}

TEST_F(ScriptedReceiveTest, ReceiveTextComesFromTheLanguageModuleWhenLoaded)
{
    class English : public TextLookup {
    public:
        std::string text(int id, std::string_view builtin) const override
        {
            if (id == kTextBytesReceived) {
                return " bytes received";
            }
            if (id == kTextBytesReceivedCaption) {
                return "Finished";
            }
            return std::string(builtin);
        }
    } english;
    port.open("COM1");
    port.pushEvent(line_event::kCharReceived);
    port.reads = {'G', '0'};
    ReceiveJob job(port, state, events, english);
    ASSERT_TRUE(job.start(SharedTextBuffer(), 0));
    ASSERT_TRUE(job.waitFinished(3000ms));
    ASSERT_EQ(events.messages().size(), 1u);
    EXPECT_EQ(events.messages()[0].text, "2 bytes received");
    EXPECT_EQ(events.messages()[0].caption, "Finished");
}

TEST(ReceiveWorkerTest, AnIdleLimitAbove2To31EndsAtTheFirstEmptyRead)
{
    ScriptedPort port;
    port.reads = {'A', -1, 'B'};
    std::atomic<std::uint32_t> counter {0};
    std::atomic<std::uint8_t> stop {0};
    std::vector<char> area(16, '\0');
    ReceiveTarget target {area, 0};
    ReceiveWorker(port, counter, 0x8000'0000u, target, stop);
    EXPECT_EQ(std::string(area.data()), "A");
    EXPECT_EQ(counter, 1u);
}

TEST(ReceiveWorkerTest, AHugeIdleLimitIsHeldAtTheLongestSilence)
{
    struct Case {
        std::uint32_t idleLimit;
        int emptyReadsBetween;
        const char* text;
    };
    const Case cases[] = {
        {0x7FFF'FFFFu, kMaxIdleLimit, "AB"},
        {0x7FFF'FFFFu, kMaxIdleLimit + 1, "A"},
        {kMaxIdleLimit + 1, kMaxIdleLimit + 1, "A"},
        {kMaxIdleLimit, kMaxIdleLimit, "AB"},
        {kMaxIdleLimit - 1, kMaxIdleLimit, "A"},
    };
    for (const Case& c : cases) {
        ScriptedPort port;
        port.reads.push_back('A');
        port.reads.insert(port.reads.end(), static_cast<std::size_t>(c.emptyReadsBetween), -1);
        port.reads.push_back('B');
        std::atomic<std::uint32_t> counter {0};
        std::atomic<std::uint8_t> stop {0};
        std::vector<char> area(16, '\0');
        ReceiveTarget target {area, 0};
        // Without the ceiling the first two would wait for 2^31 empty reads.
        ReceiveWorker(port, counter, c.idleLimit, target, stop);
        EXPECT_EQ(std::string(area.data()), c.text) << c.idleLimit << " " << c.emptyReadsBetween;
    }
}

} // namespace
} // namespace kvt
