// Drip-feed from the transfer window: the chosen file goes out framed by the machine's
// control profile, the panel shows the feed and ends it, the end is told with the line
// to restart from.

#include "serial/control_profile.h"
#include "serial/drip_feed_panel.h"
#include "serial/serial_settings.h"
#include "serial/transfer_window.h"
#include "state/page_ids.h"

#include "serial_test_support.h"
#include "window_test_fixture.h"

#include <QKeyEvent>
#include <QMenu>

#include <fstream>

namespace kvt {
namespace {

using namespace std::chrono_literals;

bool pumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout = 5000ms)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class TransferDripFeedTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        settings.texts["Ports/COM1"] = pty.slavePath();
        startProgram(page::Rs232, &makeWindow<TransferWindow>);
        MachineRecord& machine = controller->options()->machines[0];
        for (const PortDirection direction : {PortDirection::Send, PortDirection::Receive}) {
            SerialSettings set {};
            set.portNumber = 1;
            set.baudRate = 115200;
            set.dataBits = 8;
            set.stopBits = 1.0f;
            StoreSerialSettings(machine, direction, set);
        }
        machine.editorMode = 1;
    }
    void TearDown() override
    {
        delete window();
        FunctionWindowFixture::TearDown();
    }
    void open(const std::string& profile)
    {
        StoreMachineProfileName(controller->options()->machines[0], profile);
        openPage(page::Rs232);
        ASSERT_NE(window(), nullptr);
        program = root / "O4711.nc";
        std::ofstream(program, std::ios::binary) << "%\nO4711\nG0 X0\nM30\n%\n";
        window()->setFileChooser([this](bool save) { return save ? std::filesystem::path() : program; });
    }
    TransferWindow* window() const { return FunctionWindowFixture::window<TransferWindow>(page::Rs232); }
    std::string lastBox() const { return boxes.shown.empty() ? std::string() : boxes.shown.back().text; }

    test::PtyPair pty;
    std::filesystem::path program;
};

TEST_F(TransferDripFeedTest, TheChosenFileGoesOutInTheProfilesFormAndTheEndIsTold)
{
    open("Haas");
    std::unique_ptr<QMenu> menu(window()->buildMoreMenu(nullptr));
    QAction* drip = menu->actions().back();
    EXPECT_EQ(drip->text(), "*Drip-Feed: Datei senden...");
    EXPECT_TRUE(drip->isEnabled());

    window()->dripFeedCommand();
    ASSERT_NE(window()->dripFeedPanel(), nullptr);
    EXPECT_TRUE(window()->session().sending());
    const std::string expected = "%\r\nO4711\r\nG0 X0\r\nM30\r\n%\r\n";
    EXPECT_EQ(pty.readFor(expected.size(), 3000ms), expected);
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
    EXPECT_EQ(lastBox(), "*Drip-Feed beendet: 5 Zeilen gesendet.");
    EXPECT_TRUE(pumpUntil([this] { return window()->dripFeedPanel() == nullptr; }));
    EXPECT_TRUE(window()->session().portOpen());
    EXPECT_FALSE(window()->cancelEnabled());
}

TEST_F(TransferDripFeedTest, APanelCancelWhileTheControlHasNotStartedTellsTheFirstLine)
{
    open("Fanuc"); // waits for DC1
    window()->dripFeedCommand();
    DripFeedPanel* panel = window()->dripFeedPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(pumpUntil([panel] { return panel->lineText(0) == "*Warte auf den Start der Steuerung"; }));
    EXPECT_EQ(panel->lineText(1), "*Zeilen gesendet: 0 von 5");
    EXPECT_EQ(panel->lineText(3), "*Restzeit: 0:00:01");

    // Escape does not close the panel: it is the way to stop the feed.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(panel, &escape);
    EXPECT_TRUE(panel->isVisible());

    panel->cancelCommand();
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
    EXPECT_EQ(lastBox(), "*Drip-Feed abgebrochen. Neustart ab Zeile 1.");
    EXPECT_EQ(pty.readFor(1, 100ms), "");
}

TEST_F(TransferDripFeedTest, PauseInThePanelHoldsTheFeedAndTheMenuCancelEndsIt)
{
    open("Heidenhain");
    window()->dripFeedCommand();
    DripFeedPanel* panel = window()->dripFeedPanel();
    ASSERT_NE(panel, nullptr);
    panel->pauseCommand();
    EXPECT_TRUE(panel->paused());
    pty.writeAll("\x11"); // the control's reader starts, but the operator holds the feed
    ASSERT_TRUE(pumpUntil([panel] { return panel->lineText(0) == "*Pausiert"; }));
    EXPECT_EQ(pty.readFor(1, 200ms), "");
    window()->cancelTransferCommand();
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
    EXPECT_EQ(lastBox(), "*Drip-Feed abgebrochen. Neustart ab Zeile 1.");
}

} // namespace
} // namespace kvt
