// Drip-feed from the transfer window: the chosen file goes out framed by the machine's
// control profile, the panel shows the feed and ends it, the end is told with the line
// to restart from.

#include "common/code_page.h"
#include "common/text_lookup.h"
#include "serial/control_profile.h"
#include "serial/drip_feed_panel.h"
#include "serial/request_panel.h"
#include "serial/restart_dialog.h"
#include "serial/serial_settings.h"
#include "serial/transfer_window.h"
#include "state/page_ids.h"

#include "serial_test_support.h"
#include "window_test_fixture.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

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
    const QList<QAction*> actions = menu->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_EQ(actions[actions.size() - 4]->text(), "*Drip-Feed: Datei senden...");
    EXPECT_EQ(actions[actions.size() - 3]->text(), "*Neustart: Datei ab Satz senden...");
    EXPECT_EQ(actions.back()->text(), "*Übertragungsprotokoll anzeigen");
    EXPECT_TRUE(actions[actions.size() - 4]->isEnabled());
    EXPECT_TRUE(actions[actions.size() - 3]->isEnabled());

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

    // The transfer is in the machine's log beside the reports.
    const std::filesystem::path log = window()->transferLog();
    EXPECT_EQ(log.filename(), "TransferLog_Machine01.txt");
    EXPECT_EQ(log.parent_path().filename(), "RS232");
    std::ifstream in(log);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "2025-03-07 14:05:09\tdrip-feed\tO4711.nc\t" + std::to_string(expected.size()) + "\tdone\t");
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

    window()->showLogCommand();
    ASSERT_EQ(viewer.opened.size(), 1u);
    EXPECT_EQ(viewer.opened[0], window()->transferLog());
    const std::size_t boxCount = boxes.shown.size();
    viewer.starts = false;
    window()->showLogCommand();
    ASSERT_EQ(boxes.shown.size(), boxCount + 1);
    EXPECT_EQ(lastBox(),
        "*Das Übertragungsprotokoll kann nicht angezeigt werden. Es liegt in: " + pathToUtf8(window()->transferLog()));
    std::ifstream in(window()->transferLog());
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "2025-03-07 14:05:09\tdrip-feed\tO4711.nc\t0\tcancelled\trestart line 1");
}

TEST_F(TransferDripFeedTest, TheLogOfAMachineWithoutTransfersIsNotOpened)
{
    open("Generic");
    window()->showLogCommand();
    EXPECT_TRUE(viewer.opened.empty());
    EXPECT_EQ(lastBox(), "*Für diese Maschine wurde noch nichts übertragen.");
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

namespace kvt {
namespace {

const std::string kTwoTools = "%\nO1\nG21 G90\nT1 M6\nG54 S1000 M3\nG1 X10 F100\nT2 M6\nG1 X20\nM30\n%\n";

TEST(RestartDialogTest, ATypedToolChangeFindsItsLineAndTheEditedPreambleGoesOut)
{
    BuiltinTexts texts;
    std::vector<std::string> sent;
    std::size_t sentLine = 0;
    RestartDialog dialog(kTwoTools, 0, texts, [&](const std::string& text, std::size_t line) {
        sentLine = line;
        sent.push_back(text);
        return true;
    });
    EXPECT_EQ(dialog.byCombo()->accessibleName(), "*Neustart ab:");
    EXPECT_EQ(dialog.valueField()->accessibleName(), "*Wert:");
    EXPECT_EQ(dialog.preambleEdit()->accessibleName(), "*Vorspann (vor dem Senden prüfen):");
    dialog.sendCommand(); // nothing found yet: nothing to send
    EXPECT_TRUE(sent.empty());

    dialog.byCombo()->setCurrentIndex(2);
    dialog.valueField()->setText("2");
    dialog.findCommand();
    EXPECT_EQ(dialog.foundLine(), 7u);
    EXPECT_EQ(dialog.foundText(), "*Zeile 7: T2 M6");
    EXPECT_EQ(dialog.preambleEdit()->toPlainText(), "(RESTART LINE 7)\nG21\nG40 G49 G80 G90\nG54\nF100\nG1\n");
    dialog.preambleEdit()->setPlainText("G21\nG0 Z50");
    dialog.sendCommand();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], "G21\nG0 Z50\nT2 M6\nG1 X20\nM30\n%\n");
    EXPECT_EQ(sentLine, 7u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(RestartDialogTest, AnUnknownBlockOrABadNumberFindsNothing)
{
    BuiltinTexts texts;
    RestartDialog dialog(kTwoTools, 0, texts, [](const std::string&, std::size_t) { return true; });
    const std::tuple<int, const char*, const char*, const char*> cases[] = {
        {1, "30", "1", "*Keine passende Zeile gefunden."},
        {2, "3", "1", "*Keine passende Zeile gefunden."},
        {0, "0", "1", "*Wert und Vorkommen als ganze Zahl ab 1 eingeben."},
        {0, "2", "x", "*Wert und Vorkommen als ganze Zahl ab 1 eingeben."},
        {0, "-1", "1", "*Wert und Vorkommen als ganze Zahl ab 1 eingeben."},
        {0, "11", "1", "*Keine passende Zeile gefunden."},
        {0, "10", "1", "*Zeile 10: %"},
    };
    for (const auto& [by, value, occurrence, found] : cases) {
        SCOPED_TRACE(value);
        dialog.byCombo()->setCurrentIndex(by);
        dialog.valueField()->setText(value);
        dialog.occurrenceField()->setText(occurrence);
        dialog.findCommand();
        EXPECT_EQ(dialog.foundText(), found);
    }
}

TEST_F(TransferDripFeedTest, ARestartAfterABrokenFeedStartsAtTheLineItNamed)
{
    open("Fanuc");
    window()->dripFeedCommand();
    ASSERT_NE(window()->dripFeedPanel(), nullptr);
    window()->dripFeedPanel()->cancelCommand();
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));

    std::size_t suggested = 99;
    std::string shownName;
    window()->setRestartRunner([&](const std::string&, std::size_t line, const std::string& name) {
        suggested = line;
        shownName = name;
    });
    window()->restartCommand();
    EXPECT_EQ(suggested, 1u);
    EXPECT_EQ(shownName, "O4711");
}

} // namespace
} // namespace kvt

namespace kvt {
namespace {

TEST_F(TransferDripFeedTest, TheControlCallsAProgramAndAnUnknownOneGetsNothing)
{
    std::filesystem::create_directories(root / "nc");
    std::ofstream(root / "nc" / "O4711.nc", std::ios::binary) << "%\nO4711\nG0 X0\nM30\n%\n";
    std::ofstream(ControlProfiles::filePath(controller->dataDirectory()))
        << "[Mill]\nfolder1=" << (root / "nc").string() << "\nrequestDelayMs=0\n";
    open("Mill");
    std::unique_ptr<QMenu> menu(window()->buildMoreMenu(nullptr));
    const QList<QAction*> actions = menu->actions();
    EXPECT_EQ(actions[actions.size() - 2]->text(), "*Auf Anforderung der Steuerung warten");
    EXPECT_TRUE(actions[actions.size() - 2]->isEnabled());

    window()->listenCommand();
    RequestPanel* panel = window()->requestPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(window()->session().sending());
    pty.writeAll("%\n(PRG=12)\n%\n");
    ASSERT_TRUE(pumpUntil([panel] { return panel->logText().contains("keine Datei"); }));
    EXPECT_EQ(pty.readFor(1, 200ms), "");
    pty.writeAll("%\n(PRG=4711)\nM30\n%\n");
    const std::string expected = "%\r\nO4711\r\nG0 X0\r\nM30\r\n%\r\n";
    EXPECT_EQ(pty.readFor(expected.size(), 3000ms), expected);
    ASSERT_TRUE(pumpUntil([panel] { return panel->logText().contains("gesendet: "); }));
    EXPECT_EQ(panel->logText().toStdString(),
        "*Warte auf Anforderungen der Steuerung ...\n*Anforderung 12: keine Datei gefunden, keine Antwort\n"
        "*Anforderung 4711: O4711.nc wird gesendet\n*O4711.nc gesendet: "
            + std::to_string(expected.size()) + " Bytes");

    emit panel->stopRequested();
    EXPECT_FALSE(window()->session().sending());
    EXPECT_TRUE(pumpUntil([this] { return window()->requestPanel() == nullptr; }));
    std::ifstream in(window()->transferLog());
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "2025-03-07 14:05:09\trequest\t\t0\tfailed\trequest 12");
    EXPECT_EQ(
        second, "2025-03-07 14:05:09\trequest\tO4711.nc\t" + std::to_string(expected.size()) + "\tdone\trequest 4711");
}

} // namespace
} // namespace kvt

namespace kvt {
namespace {

std::string bytesText(std::uint64_t bytes)
{
    return std::to_string(bytes) + " *Bytes";
}

// Waits until the window's status timer has shown the state of now.
void letTheStatusCatchUp()
{
    pumpUntil([] { return false; }, 400ms);
}

// A feed sends from the disk, not from the editor: the status line counts the bytes
// going out and shows the sending mark, and gives the editor's count back afterwards.
// A fed program is meant to be larger than the control's memory, so it is not red.
TEST_F(TransferDripFeedTest, TheByteCounterFollowsAFeedAndNotTheEditor)
{
    open("Fanuc"); // waits for DC1
    controller->options()->machines[0].controlMemorySize = 10;
    ASSERT_TRUE(window()->loadFile(program));
    const QString editorCount = window()->statusText(2);
    EXPECT_NE(editorCount.toStdString(), bytesText(0));
    EXPECT_TRUE(window()->sizeTextRed());

    std::string text = "%\nO4711\n";
    for (int i = 0; i < 3000; ++i)
        text += "G1 X1.000 Y2.000\n";
    text += "M30\n%\n";
    ASSERT_TRUE(window()->startDripFeed(text, "O4711"));
    letTheStatusCatchUp();
    EXPECT_EQ(window()->statusText(1), "*Sendet");
    EXPECT_EQ(window()->statusText(2).toStdString(), bytesText(0));
    EXPECT_FALSE(window()->sizeTextRed());

    pty.writeAll("\x11");
    ASSERT_TRUE(pumpUntil([this] { return window()->session().dripFeed().progress().bytesSent > 100; }));
    window()->dripFeedPanel()->pauseCommand();
    ASSERT_TRUE(pumpUntil([this] { return window()->dripFeedPanel()->lineText(0) == "*Pausiert"; }));
    letTheStatusCatchUp();
    const std::size_t sent = window()->session().dripFeed().progress().bytesSent;
    EXPECT_LT(sent, text.size());
    EXPECT_EQ(window()->statusText(2).toStdString(), bytesText(sent));
    EXPECT_EQ(window()->statusText(1), "*Sendet");
    EXPECT_FALSE(window()->sizeTextRed());

    window()->dripFeedPanel()->cancelCommand();
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
    EXPECT_EQ(window()->statusText(2), editorCount);
    EXPECT_EQ(window()->statusText(1), "");
    EXPECT_TRUE(window()->sizeTextRed());
}

TEST_F(TransferDripFeedTest, TheByteCounterFollowsTheAnswerToARequest)
{
    std::filesystem::create_directories(root / "nc");
    std::string answer = "%\nO4711\n";
    for (int i = 0; i < 2000; ++i)
        answer += "G1 X1.000 Y2.000\n";
    answer += "M30\n%\n";
    std::ofstream(root / "nc" / "O4711.nc", std::ios::binary) << answer;
    std::ofstream(ControlProfiles::filePath(controller->dataDirectory()))
        << "[Mill]\nfolder1=" << (root / "nc").string()
        << "\nrequestDelayMs=0\nrequestDripFeed=1\nstart=xon\nflow=program\nstopAllowance=16\nlineEnd=LF\n";
    open("Mill");
    ASSERT_TRUE(window()->loadFile(program));
    const QString editorCount = window()->statusText(2);
    window()->listenCommand();
    letTheStatusCatchUp();
    EXPECT_EQ(window()->statusText(2), editorCount); // listening alone sends nothing
    EXPECT_EQ(window()->statusText(1), "");

    pty.writeAll("%\n(PRG=4711)\n%\n");
    ASSERT_TRUE(pumpUntil([this] { return window()->statusText(1) == "*Sendet"; }));
    EXPECT_EQ(window()->statusText(2).toStdString(), bytesText(0)); // the answer waits for DC1

    pty.writeAll("\x11");
    ASSERT_TRUE(pumpUntil([this] {
        const auto count = window()->session().feedCount();
        return count && count->bytes > 100;
    }));
    pty.writeAll("\x13"); // the control's buffer is full
    pumpUntil([] { return false; }, 200ms);
    const std::uint64_t held = window()->session().feedCount()->bytes;
    letTheStatusCatchUp();
    EXPECT_EQ(window()->session().feedCount()->bytes, held);
    EXPECT_EQ(window()->statusText(2).toStdString(), bytesText(held));

    pty.writeAll("\x11");
    EXPECT_EQ(pty.readFor(answer.size(), 3000ms), answer);
    ASSERT_TRUE(pumpUntil([this] { return window()->requestPanel()->logText().contains("gesendet: "); }));
    letTheStatusCatchUp();
    EXPECT_EQ(window()->statusText(2), editorCount);
    EXPECT_EQ(window()->statusText(1), "");
    window()->stopListeningCommand();
}

// A port set to XON/XOFF in the driver takes the control's DC1 off the line; an answer
// that waits for DC1 must still get it.
TEST_F(TransferDripFeedTest, AnAnswerThatWaitsForDc1StartsWithXonXoffInTheDriver)
{
    std::filesystem::create_directories(root / "nc");
    const std::string answer = "%\nO4711\nG0 X0\nM30\n%\n";
    std::ofstream(root / "nc" / "O4711.nc", std::ios::binary) << answer;
    std::ofstream(ControlProfiles::filePath(controller->dataDirectory()))
        << "[Mill]\nfolder1=" << (root / "nc").string()
        << "\nrequestDelayMs=0\nrequestDripFeed=0\nstart=xon\nflow=program\nlineEnd=LF\n";
    MachineRecord& machine = controller->options()->machines[0];
    SerialSettings set = LoadSerialSettings(machine, PortDirection::Send);
    set.flowControl = kFlowXonXoff;
    set.softwareFlowOut = 1;
    set.xonChar = 0x11;
    set.xoffChar = 0x13;
    StoreSerialSettings(machine, PortDirection::Send, set);
    open("Mill");
    window()->listenCommand();
    ASSERT_NE(window()->requestPanel(), nullptr);
    pty.writeAll("%\n(PRG=4711)\n%\n");
    ASSERT_TRUE(pumpUntil([this] { return window()->requestPanel()->logText().contains("wird gesendet"); }));
    pumpUntil([] { return false; }, 200ms);
    pty.writeAll("\x11");
    EXPECT_EQ(pty.readFor(answer.size(), 3000ms), answer);
    window()->stopListeningCommand();
}

// The restart goes out under the number of the program it was cut from, not one made
// from its file name.
TEST_F(TransferDripFeedTest, ARestartGoesOutUnderTheOriginalProgramNumber)
{
    open("Haas");
    const std::string original = "%\nO1234 (BRACKET)\nG20\nT1 M6\nT2 M6\nM30\n%\n";
    ASSERT_TRUE(window()->startRestart(root / "bracket_v2.nc", original, "(RESTART LINE 5)\nG20\nT2 M6\nM30\n%\n", 5));
    const std::string expected = "%\r\nO1234 (BRACKET)\r\n(RESTART LINE 5)\r\nG20\r\nT2 M6\r\nM30\r\n%\r\n";
    EXPECT_EQ(pty.readFor(expected.size(), 3000ms), expected);
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
    std::ifstream in(window()->transferLog());
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line,
        "2025-03-07 14:05:09\tdrip-feed\tbracket_v2.nc\t" + std::to_string(expected.size())
            + "\tdone\trestarted from line 5");
}

// A restarted program that breaks off again names the line of the file to restart
// from, not a line of the text that went out (name line and preamble before it).
TEST_F(TransferDripFeedTest, ABrokenRestartNamesTheLineOfTheFile)
{
    open("Fanuc"); // waits for DC1
    const std::string original = "%\nO4711\nG0 X0\nM30\n%\n";
    ASSERT_TRUE(window()->startRestart(program, original, "(RESTART LINE 3)\nG21\nG0 X0\nM30\n%\n", 3));
    window()->dripFeedPanel()->cancelCommand();
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
    EXPECT_EQ(lastBox(), "*Drip-Feed abgebrochen. Neustart ab Zeile 3.");
    std::ifstream in(window()->transferLog());
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "2025-03-07 14:05:09\tdrip-feed\tO4711.nc\t0\tcancelled\trestarted from line 3, restart line 3");

    std::size_t suggested = 0;
    window()->setRestartRunner([&](const std::string&, std::size_t at, const std::string&) { suggested = at; });
    window()->restartCommand();
    EXPECT_EQ(suggested, 3u);
}

} // namespace
} // namespace kvt
