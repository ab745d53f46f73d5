// What the control sends by itself: the end of a punched program ends a receive at
// once, and a request program is answered with the file of its number, or not at all.

#include "serial/posix_serial_port.h"
#include "serial/remote_request.h"
#include "serial/request_listener.h"
#include "serial_test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kvt {
namespace {

using namespace kvt::test;

TEST(ReceiveEndWatchTest, TheDefaultPatternEndsAtThePercentAfterTheProgramEnd)
{
    const std::pair<const char*, int> cases[] = {
        {"%\nO1\nG0 X0\nM30\n%", 15}, // ends at the closing '%'
        {"%\nM02 %", 6},
        {"%\nM2\r\n%", 6},
        {"%\nM99\n\n%", 7},
        {"%\nM300\n%", -1}, // M300 is no program end
        {"%\nM30 (END)\n%", -1}, // a comment between: not the closing '%'
        {"%\nM3 S100\n%", -1},
    };
    for (const auto& [text, at] : cases) {
        SCOPED_TRACE(text);
        ReceiveEndWatch watch(builtInProfiles()[0].receiveEndPattern);
        int ended = -1;
        for (int i = 0; text[i] != '\0' && ended < 0; ++i)
            if (watch.feed(text[i]))
                ended = i;
        EXPECT_EQ(ended, at);
    }
    ReceiveEndWatch heidenhain(builtInProfiles()[2].receiveEndPattern);
    bool ended = false;
    for (const char c : std::string("0 BEGIN PGM 12 MM\r\n1 L X+0\r\n2 END PGM 12 MM\r\n"))
        ended = ended || heidenhain.feed(c);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(ReceiveEndWatch("(").valid());
    EXPECT_FALSE(ReceiveEndWatch("").valid());
}

TEST(ReceiveEndWatchTest, AReceiveEndsAtThePatternWithoutWaitingForSilence)
{
    PtyPair pty;
    PortNameMap names = PortNameMap::defaults();
    names.devices[0] = pty.slavePath();
    PosixSerialPort port(names);
    ASSERT_EQ(port.open("COM1"), PortOpenResult::Opened);
    PortTimeouts t;
    t.readTotalConstant = 50;
    port.setTimeouts(t);
    std::array<char, 256> text {};
    ReceiveTarget target {std::span<char>(text), 0};
    ReceiveEndWatch watch(builtInProfiles()[0].receiveEndPattern);
    target.endWatch = &watch;
    std::atomic<std::uint32_t> counter {0};
    std::atomic<std::uint8_t> stop {0};
    pty.writeAll("%\nO1\nM30\n%\nNEXT");
    const auto began = std::chrono::steady_clock::now();
    ReceiveWorker(port, counter, 10'000, target, stop); // silence would take over ten minutes
    EXPECT_LT(std::chrono::steady_clock::now() - began, 2s);
    EXPECT_EQ(std::string(text.data()), "%\nO1\nM30\n%");
    EXPECT_EQ(counter.load(), 10u);
}

TEST(RequestMatcherTest, ARequestProgramGivesItsNumber)
{
    const std::tuple<const char*, bool, std::optional<std::string>> cases[] = {
        {"%\n(PRG=1234)\nM30\n%", false, "1234"},
        {"%\n(O0042)\n%", false, "0042"},
        {"(PRG=77)\n", true, "77"}, // no closing '%': the silence completes it
        {"\x12%\n(PRG=5)\n%\x14", false, "5"}, // punch codes around it
        {"%\n(NOTHING)\n%", false, std::nullopt},
        {"%\nG0 X0\n", true, std::nullopt},
    };
    const std::string pattern = builtInProfiles()[0].requestPattern;
    for (const auto& [text, silence, number] : cases) {
        SCOPED_TRACE(text);
        RequestMatcher matcher(pattern);
        std::optional<std::string> got;
        for (const char* c = text; *c != '\0' && !got; ++c)
            got = matcher.feed(*c);
        if (silence)
            got = matcher.idle();
        EXPECT_EQ(got, number);
    }
    // A whole program is no request, even with the comment in it.
    RequestMatcher matcher(pattern);
    std::string big = "%\n(PRG=1)\n";
    while (big.size() < 2 * RequestMatcher::kLongestRequest)
        big += "G1 X10 Y10\n";
    std::optional<std::string> got;
    for (const char c : big + "%")
        got = got ? got : matcher.feed(c);
    EXPECT_EQ(got, std::nullopt);
}

class RequestFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("kvt_request_" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        for (const char* f : {"a", "b"})
            std::filesystem::create_directories(root / f);
        std::ofstream(root / "b" / "O1234.NC") << "%\nO1234\nG0 X0\nM30\n%\n";
        std::ofstream(root / "a" / "O7.nc") << "%\nO7\nM30\n%\n";
        std::ofstream(root / "b" / "O7.nc") << "other";
        profile = builtInProfiles().back();
        profile.folders = {(root / "a").string(), (root / "b").string(), ""};
        profile.requestDelayMs = 0;
    }
    void TearDown() override { std::filesystem::remove_all(root); }
    std::filesystem::path root;
    ControlProfile profile;
};

TEST_F(RequestFolders, TheFileIsLookedUpInTheFoldersInOrder)
{
    EXPECT_EQ(findRequestedFile(profile, "7"), root / "a" / "O7.nc");
    EXPECT_EQ(findRequestedFile(profile, "1234"), root / "b" / "O1234.NC"); // case differs
    EXPECT_EQ(findRequestedFile(profile, "99"), std::filesystem::path());
    EXPECT_EQ(findRequestedFile(profile, "../b/O7"), std::filesystem::path());
    EXPECT_EQ(findRequestedFile(profile, ""), std::filesystem::path());
}

class NoWindow : public JobEvents {
public:
    void post(int) override { }
    void showMessage(MessageBoxRequest) override { }
    void redraw() override { }
};

TEST_F(RequestFolders, ARequestIsAnsweredWithItsFileAndAnUnknownOneWithNothing)
{
    PtyPair pty;
    PortNameMap names = PortNameMap::defaults();
    names.devices[0] = pty.slavePath();
    PosixSerialPort port(names);
    ASSERT_EQ(port.open("COM1"), PortOpenResult::Opened);
    NoWindow events;
    RequestListener listener(port, events);
    ASSERT_TRUE(listener.start(profile, 11520));

    pty.writeAll("%\n(PRG=999)\nM30\n%\n");
    EXPECT_EQ(pty.readFor(1, 500ms), "");
    pty.writeAll("%\n(O1234)\nM30\n%\n");
    const std::string expected = "%\r\nO1234\r\nG0 X0\r\nM30\r\n%\r\n";
    EXPECT_EQ(pty.readFor(expected.size(), 3000ms), expected);
    std::vector<RequestEvent> told;
    ASSERT_TRUE(Eventually([&] {
        for (RequestEvent& e : listener.takeEvents())
            told.push_back(e);
        return told.size() >= 3;
    }));
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0].kind, RequestEvent::Kind::Unknown);
    EXPECT_EQ(told[0].number, "999");
    EXPECT_EQ(told[1].kind, RequestEvent::Kind::Asked);
    EXPECT_EQ(told[1].file, root / "b" / "O1234.NC");
    EXPECT_EQ(told[2].kind, RequestEvent::Kind::Sent);
    EXPECT_EQ(told[2].bytes, expected.size());
    listener.stop();
    EXPECT_FALSE(listener.running());
}

} // namespace
} // namespace kvt
