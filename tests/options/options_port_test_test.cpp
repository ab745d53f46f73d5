// The port test of the serial group on a pseudo-terminal, a missing device, a busy
// device, refused settings, a scripted port with modem lines, and a device whose open
// never comes back.

#include "options/options_port_test.h"
#include "options/options_serial_form.h"
#include "serial/posix_serial_port.h"
#include "serial/serial_test_support.h"

#include "app/fakes.h"

#include <future>

#include <gtest/gtest.h>

namespace kvt::test {
namespace {

PortTest::PortFactory posixPorts()
{
    return [] { return std::make_unique<PosixSerialPort>(); };
}

// Waits until the test has left "opening".
PortTestStatus settled(const PortTest& test)
{
    Eventually([&] { return test.status() != PortTestStatus::Opening; });
    return test.status();
}

TEST(PortTest, PseudoTerminalOpensWithoutModemLines)
{
    PtyPair pty;
    PortTest test(posixPorts());
    test.start(pty.slavePath(), defaultSerialSettings(), PortDirection::Send);
    // A pseudo-terminal has no modem lines to read; the test says so instead of
    // showing four lines that are merely unknown as off.
    EXPECT_EQ(settled(test), PortTestStatus::OpenNoLines);
    EXPECT_TRUE(test.running());
    BuiltinTexts texts;
    EXPECT_EQ(test.statusText(texts), "*Port geöffnet, keine Modemleitungen lesbar: " + pty.slavePath());

    // While the test holds the port no transfer can have it...
    PosixSerialPort other;
    EXPECT_EQ(other.open(pty.slavePath()), PortOpenResult::InUse);
    // ...and after the test it is free again.
    test.stop();
    EXPECT_FALSE(test.running());
    EXPECT_EQ(test.status(), PortTestStatus::Idle);
    EXPECT_EQ(other.open(pty.slavePath()), PortOpenResult::Opened);
}

TEST(PortTest, MissingBusyAndRefusedPortsSaySo)
{
    BuiltinTexts texts;
    {
        PortTest test(posixPorts());
        test.start("/dev/kvt-no-such-port", defaultSerialSettings(), PortDirection::Send);
        EXPECT_EQ(settled(test), PortTestStatus::NotFound);
        EXPECT_EQ(test.statusText(texts), "*Port nicht vorhanden: /dev/kvt-no-such-port");
        EXPECT_FALSE(test.running());
    }
    {
        PtyPair pty;
        PosixSerialPort holder;
        ASSERT_EQ(holder.open(pty.slavePath()), PortOpenResult::Opened);
        PortTest test(posixPorts());
        test.start(pty.slavePath(), defaultSerialSettings(), PortDirection::Receive);
        EXPECT_EQ(settled(test), PortTestStatus::InUse);
        EXPECT_EQ(test.statusText(texts), "*Port belegt: " + pty.slavePath());
    }
    {
        // Four data bits: stored and offered, but no termios device takes them.
        PtyPair pty;
        SerialSettings set = defaultSerialSettings();
        set.dataBits = 4;
        PortTest test(posixPorts());
        test.start(pty.slavePath(), set, PortDirection::Send);
        EXPECT_EQ(settled(test), PortTestStatus::Refused);
        EXPECT_EQ(test.statusText(texts), "*Port nimmt die Einstellungen nicht an: " + pty.slavePath());
        EXPECT_FALSE(test.running());
        PosixSerialPort after; // the refused port was closed again
        EXPECT_EQ(after.open(pty.slavePath()), PortOpenResult::Opened);
    }
}

TEST(PortTest, ModemLinesAreShownLive)
{
    ScriptedPort* port = nullptr;
    PortTest test([&port] {
        auto scripted = std::make_unique<ScriptedPort>();
        scripted->line.byteSize = 8;
        scripted->setModemStatus(modem_line::kCts | modem_line::kRlsd);
        port = scripted.get();
        return scripted;
    });
    test.start("COM3", defaultSerialSettings(), PortDirection::Send);
    ASSERT_EQ(settled(test), PortTestStatus::Open);
    PortTestLines lines = test.lines();
    EXPECT_TRUE(lines.cts);
    EXPECT_FALSE(lines.dsr);
    EXPECT_FALSE(lines.ring);
    EXPECT_TRUE(lines.rlsd);
    EXPECT_TRUE(lines.connected);

    port->setModemStatus(0);
    EXPECT_TRUE(Eventually([&] { return !test.lines().connected; }));
    port->setModemStatus(modem_line::kRing);
    EXPECT_TRUE(Eventually([&] { return test.lines().ring && test.lines().connected; }));
    test.stop();
    EXPECT_FALSE(test.lines().connected);
}

// A device whose open does not come back until the test lets it.
class HangingPort : public ScriptedPort {
public:
    explicit HangingPort(std::shared_future<void> release)
        : m_release(std::move(release))
    {
    }
    PortOpenResult open(std::string_view name) override
    {
        m_release.wait();
        return ScriptedPort::open(name);
    }

private:
    std::shared_future<void> m_release;
};

TEST(PortTest, AnOpenThatNeverReturnsDoesNotHoldUpThePage)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    auto test = std::make_unique<PortTest>(
        [released] { return std::make_unique<HangingPort>(released); }, std::chrono::milliseconds(100));
    const auto started = std::chrono::steady_clock::now();
    test->start("COM1", defaultSerialSettings(), PortDirection::Send);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(100));
    EXPECT_TRUE(Eventually([&] { return test->status() == PortTestStatus::NoAnswer; }));
    BuiltinTexts texts;
    EXPECT_EQ(test->statusText(texts), "*Port antwortet nicht: COM1");

    // Leaving the page waits no longer than the stop grace.
    const auto stopping = std::chrono::steady_clock::now();
    test.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, PortTest::kStopGrace + std::chrono::milliseconds(500));

    // The device comes back late: the abandoned thread closes the port by itself.
    release.set_value();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

} // namespace
} // namespace kvt::test
