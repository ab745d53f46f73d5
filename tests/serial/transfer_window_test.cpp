// The transfer window offscreen, with COM1 mapped to a pseudo-terminal whose master
// side plays the machine control.

#include "common/code_page.h"
#include "common/number_format.h"
#include "serial/nc_colour.h"
#include "serial/nc_text.h"
#include "serial/posix_serial_port.h"
#include "serial/serial_settings.h"
#include "serial/transfer_window.h"
#include "state/page_ids.h"
#include "tooldb/tool_table.h"

#include "serial_test_support.h"
#include "window_test_fixture.h"

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <chrono>
#include <fstream>
#include <sstream>

namespace kvt {
namespace {

using namespace std::chrono_literals;

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the window's event loop until pred holds or the timeout passes.
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

class TransferWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        settings.texts["Ports/COM1"] = pty.slavePath();
        startProgram(page::Rs232, &makeWindow<TransferWindow>);
        setUpMachine(9600, 1.0f);
    }

    // The controller leaves its windows to the program's end; this one has jobs running
    // and must go before the state it uses.
    void TearDown() override
    {
        delete window();
        FunctionWindowFixture::TearDown();
    }

    void setUpMachine(std::uint32_t baudRate, float stopBits)
    {
        MachineRecord& machine = controller->options()->machines[0];
        for (const PortDirection direction : {PortDirection::Send, PortDirection::Receive}) {
            SerialSettings set {};
            set.portNumber = 1;
            set.baudRate = baudRate;
            set.dataBits = 8;
            set.stopBits = stopBits;
            StoreSerialSettings(machine, direction, set);
        }
        StoreIdleLimit(machine, 3);
        machine.editorMode = 1;
    }

    void open()
    {
        openPage(page::Rs232);
        ASSERT_NE(window(), nullptr);
        window()->setFileChooser([this](bool save) {
            chooserCalls.push_back(save);
            return save ? saveAnswer : std::filesystem::path();
        });
    }

    TransferWindow* window() const { return FunctionWindowFixture::window<TransferWindow>(page::Rs232); }

    std::filesystem::path writeProgram(const std::string& name, const std::string& text)
    {
        const auto path = root / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::vector<std::string> boxTexts() const
    {
        std::vector<std::string> texts;
        for (const MessageBoxRequest& box : boxes.shown)
            texts.push_back(box.text);
        return texts;
    }

    test::PtyPair pty;
    std::filesystem::path saveAnswer;
    std::vector<bool> chooserCalls;
};

const std::string kProgram = "%\r\nN10 G00 X0 Y0\r\nN20 G01 X12.5 F200\r\nN30 M30\r\n";

TEST_F(TransferWindowTest, ALoadedProgramIsSavedWithItsBackupAndArrivesByteForByte)
{
    open();
    const auto path = writeProgram("P1.dat", kProgram);
    ASSERT_TRUE(window()->loadFile(path));
    EXPECT_EQ(window()->windowTitle().toStdString(), "*Serielle Kommunikation  - " + path.string());
    EXPECT_EQ(window()->statusText(2).toStdString(), cformat("%u *Bytes", unsigned(kProgram.size())));

    window()->sendCommand();
    EXPECT_TRUE(window()->session().sending());
    EXPECT_TRUE(window()->cancelEnabled());
    EXPECT_EQ(pty.readFor(kProgram.size(), 3000ms), kProgram);
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
    EXPECT_FALSE(window()->cancelEnabled());
    EXPECT_EQ(window()->session().portState(), PortState::OpenForSending);
    EXPECT_TRUE(window()->session().portOpen());
    EXPECT_EQ(window()->statusText(1), QString()); // the sending indicator is off again

    // The file was saved before the send; the old one stays beside it as its backup.
    int backups = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        if (entry.path().filename().string().starts_with("P1_Save_")) {
            ++backups;
            EXPECT_EQ(readFile(entry.path()), kProgram);
        }
    }
    EXPECT_EQ(backups, 1);
    EXPECT_EQ(readFile(path), kProgram);
    EXPECT_EQ(boxTexts(), std::vector<std::string> {"47 Bytes gesendet"});
}

TEST_F(TransferWindowTest, TypedTextIsSentAsShownWithCrLfLineEnds)
{
    open();
    window()->editor()->setPlainText(QStringLiteral("N10 G00\nN20 M30\n"));
    EXPECT_TRUE(window()->modified());
    window()->sendCommand();
    EXPECT_EQ(pty.readFor(18, 3000ms), "N10 G00\r\nN20 M30\r\n");
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
}

// The options dialog maps the port to another device while the window is open: the
// next transfer goes to that device, not to the one the window started with.
TEST_F(TransferWindowTest, APortMappedToAnotherDeviceIsUsedOnceTheOptionsAreBack)
{
    open();
    test::PtyPair other;
    settings.texts["Ports/COM1"] = other.slavePath();
    window()->refresh();
    EXPECT_TRUE(window()->session().portOpen());
    window()->editor()->setPlainText(QStringLiteral("N10 G00\nN20 M30\n"));
    window()->sendCommand();
    EXPECT_EQ(other.readFor(18, 3000ms), "N10 G00\r\nN20 M30\r\n");
    EXPECT_EQ(pty.readFor(1, 100ms), "");
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
}

TEST_F(TransferWindowTest, AReceivedProgramLandsInTheEditorAndInTheChosenFile)
{
    saveAnswer = root / "IN.dat";
    open();
    window()->armReceiveCommand();
    ASSERT_TRUE(window()->session().receiveArmed());
    EXPECT_TRUE(window()->stopWaitingEnabled());
    EXPECT_EQ(window()->statusText(4).toStdString(), "*Wartet");
    EXPECT_EQ(window()->windowTitle().toStdString(), "*Serielle Kommunikation  - *Keine Datei geöffnet");

    const std::string sent = std::string("N10 G00\r\nN20") + '\0' + "M30\r\n";
    pty.writeAll(sent);
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().receiveArmed(); }));

    EXPECT_EQ(chooserCalls, std::vector<bool> {true});
    // A NUL byte is not stored, and the text ends where the received bytes end.
    EXPECT_EQ(readFile(saveAnswer), "N10 G00\r\nN20M30\r\n");
    EXPECT_EQ(window()->editor()->toPlainText().toStdString(), "N10 G00\nN20M30\n");
    EXPECT_EQ(window()->currentFile(), saveAnswer);
    EXPECT_FALSE(window()->modified());
    EXPECT_EQ(window()->windowTitle().toStdString(), "*Serielle Kommunikation  - " + saveAnswer.string());
    EXPECT_FALSE(window()->stopWaitingEnabled());
    EXPECT_FALSE(window()->cancelEnabled());
    EXPECT_EQ(window()->session().portState(), PortState::OpenForSending);
    EXPECT_EQ(window()->statusText(4), QString());
}

TEST_F(TransferWindowTest, AReceivedProgramNotSavedStaysAndClosingAsksForIt)
{
    open(); // the save dialog is cancelled
    window()->armReceiveCommand();
    pty.writeAll("N10 G00\r\nN20 M30\r\n");
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().receiveArmed(); }));
    EXPECT_EQ(window()->editor()->toPlainText().toStdString(), "N10 G00\nN20 M30\n");
    EXPECT_TRUE(window()->modified());

    // Cancel keeps the window with its text, its port and its status monitor.
    boxes.shown.clear();
    boxes.answers = {MessageAnswer::Cancel};
    window()->requestQuit();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*NC Datei wurde geändert.\nDatei Speichern Ja / Nein oder Vorgang abbrechen ? ");
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::YesNoCancel);
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->editor()->toPlainText().toStdString(), "N10 G00\nN20 M30\n");
    EXPECT_TRUE(window()->modified());
    EXPECT_TRUE(window()->session().portOpen());
    EXPECT_TRUE(window()->session().statusMonitorRunning());

    // Yes saves where the dialog says, then the program asks whether to end.
    saveAnswer = root / "KEPT.dat";
    boxes.answers = {MessageAnswer::Yes, MessageAnswer::No};
    window()->requestQuit();
    EXPECT_EQ(readFile(saveAnswer), "N10 G00\r\nN20 M30\r\n");
    EXPECT_FALSE(window()->modified());
}

TEST_F(TransferWindowTest, ClosingDuringAReceiveKeepsWhatArrived)
{
    saveAnswer = root / "PART.dat";
    open();
    window()->armReceiveCommand();
    pty.writeAll("N10 G00\r\n");
    ASSERT_TRUE(pumpUntil([this] { return window()->session().linkState().receivedBytes.load() == 9; }));
    boxes.answers = {MessageAnswer::No}; // do not end the program
    window()->requestQuit();
    EXPECT_FALSE(window()->session().receiveArmed());
    EXPECT_EQ(readFile(saveAnswer), "N10 G00\r\n");
}

TEST_F(TransferWindowTest, CancelBeforeTheControlIsServedEmptiesTheBufferButNotTheEditor)
{
    open();
    const auto path = writeProgram("P2.dat", kProgram);
    ASSERT_TRUE(window()->loadFile(path));
    window()->sendCommand();
    ASSERT_TRUE(window()->session().sending());
    window()->cancelTransferCommand(); // within the pause before the first byte
    EXPECT_FALSE(window()->session().sending());
    EXPECT_FALSE(window()->cancelEnabled());
    EXPECT_EQ(controller->state()->ncTextBuffer->length, 0u);
    EXPECT_EQ(window()->session().linkState().sendLength.load(), 0u);
    EXPECT_EQ(window()->editor()->toPlainText().toStdString(), "%\nN10 G00 X0 Y0\nN20 G01 X12.5 F200\nN30 M30\n");
    EXPECT_EQ(pty.readFor(1, 600ms), "");
    EXPECT_TRUE(window()->session().portOpen());

    // The next send takes the program from the editor again.
    window()->sendCommand();
    EXPECT_EQ(pty.readFor(kProgram.size(), 3000ms), kProgram);
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
}

TEST_F(TransferWindowTest, ArmingAReceiveDuringASendDoesNothing)
{
    open();
    const auto path = writeProgram("P3.dat", kProgram);
    ASSERT_TRUE(window()->loadFile(path));
    window()->sendCommand();
    window()->armReceiveCommand();
    EXPECT_FALSE(window()->session().receiveArmed());
    EXPECT_EQ(window()->currentFile(), path);
    EXPECT_EQ(pty.readFor(kProgram.size(), 3000ms), kProgram);
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
}

TEST_F(TransferWindowTest, StopWaitingAndEscapeEndTheWaitAndReopenForSending)
{
    open();
    window()->armReceiveCommand();
    ASSERT_TRUE(window()->session().receiveArmed());
    window()->stopWaitingCommand();
    EXPECT_FALSE(window()->session().receiveArmed());
    EXPECT_FALSE(window()->stopWaitingEnabled());
    EXPECT_EQ(window()->session().portState(), PortState::OpenForSending);

    window()->armReceiveCommand();
    QTest::keyClick(window()->editor(), Qt::Key_Escape);
    EXPECT_FALSE(window()->session().receiveArmed());
    EXPECT_TRUE(window()->isVisible()); // Escape never closes the window
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TransferWindowTest, AMissingPortIsNamedInTheEditorAndNothingIsSentOrArmed)
{
    settings.texts["Ports/COM1"] = (root / "no-such-tty").string();
    open();
    EXPECT_EQ(window()->editor()->toPlainText().toStdString(), "COM1* ist auf diesem Rechner nicht vorhanden.");
    EXPECT_FALSE(window()->session().portAvailable());
    EXPECT_FALSE(window()->findChild<QPushButton*>(QStringLiteral("sendButton"))->isEnabled());
    window()->sendCommand();
    window()->armReceiveCommand();
    EXPECT_FALSE(window()->session().sending());
    EXPECT_FALSE(window()->session().receiveArmed());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TransferWindowTest, APortHeldByAnotherProgramIsToldWhenSending)
{
    open();
    const auto path = writeProgram("P4.dat", kProgram);
    ASSERT_TRUE(window()->loadFile(path));
    window()->session().shutDown();
    PosixSerialPort other(PortNameMap::fromSettings([this](const std::string& key) { return settings.readText(key); }));
    ASSERT_EQ(other.open("COM1"), PortOpenResult::Opened);
    window()->sendCommand();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*COM Port nicht geöffnet");
    EXPECT_EQ(boxes.shown[0].caption, "*Fehler");
    EXPECT_FALSE(window()->session().sending());
}

TEST_F(TransferWindowTest, TheSendTooltipGivesTheDurationAndTheClockTime)
{
    struct Case {
        float stopBits;
        const char* expected;
    };
    const Case cases[] = {
        {1.0f, "*Geschätzte Übertragungszeit: 0 *Std. 0 *Min. 11 *Sek., *fertig um 02:05:20 PM"},
        {2.0f, "*Geschätzte Übertragungszeit: 0 *Std. 0 *Min. 12 *Sek., *fertig um 02:05:21 PM"},
    };
    const auto path = writeProgram("P5.dat", std::string(10'000, 'X'));
    open();
    for (const Case& c : cases) {
        setUpMachine(9600, c.stopBits);
        window()->machineChanged();
        ASSERT_TRUE(window()->loadFile(path));
        EXPECT_EQ(window()->sendTooltip().toStdString(), c.expected);
    }
}

TEST_F(TransferWindowTest, SeveralDroppedFilesAreRefusedAndTheProgramStays)
{
    open();
    const auto path = writeProgram("P6.dat", kProgram);
    ASSERT_TRUE(window()->loadFile(path));
    window()->dropFiles({root / "A.dat", root / "B.dat"});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Nur 1 Datei auswählen!");
    EXPECT_EQ(boxes.shown[0].caption, "Fehler_QXTFRR_018");
    EXPECT_EQ(window()->currentFile(), path);

    const auto other = writeProgram("P7.dat", "N1 M30\r\n");
    window()->dropFiles({other});
    EXPECT_EQ(window()->currentFile(), other);
}

TEST_F(TransferWindowTest, TheSizeTextTurnsRedAtTheControlMemory)
{
    controller->options()->machines[0].controlMemorySize = 10;
    open();
    for (const auto& [text, shown, red] : {std::tuple {"12345678", "8 *Bytes", false},
             std::tuple {"1234\n678", "9 *Bytes", false}, std::tuple {"12345\n789", "10 *Bytes", true}}) {
        window()->editor()->setPlainText(QString::fromUtf8(text));
        QApplication::processEvents();
        EXPECT_EQ(window()->statusText(2).toStdString(), shown) << text;
        EXPECT_EQ(window()->sizeTextRed(), red) << text;
    }
}

TEST_F(TransferWindowTest, ButtonsAreNamedAsTheyReadAndTheSaveButtonWaitsForTyping)
{
    open();
    for (const char* name : {"chooseFileButton", "editButton", "sendButton", "moreButton"}) {
        const auto* button = window()->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_FALSE(button->text().isEmpty()) << name;
        EXPECT_EQ(button->accessibleName(), button->text()) << name;
    }
    auto* save = window()->findChild<QPushButton*>(QStringLiteral("editButton"));
    EXPECT_EQ(save->text(), QStringLiteral("*Speichern"));
    EXPECT_FALSE(save->isEnabled());
    QTest::keyClicks(window()->editor(), QStringLiteral("N10"));
    EXPECT_TRUE(save->isEnabled());
}

TEST_F(TransferWindowTest, ALoadedProgramIsColouredAndTypingRecoloursItsLine)
{
    MachineRecord& machine = controller->options()->machines[0];
    setFixedText(machine.keywordWordLists[0], u"G01");
    machine.colours[0][0] = 255; // red
    buildKeywordTable(machine);
    open();
    const auto path = writeProgram("P8.dat", kProgram);
    ASSERT_TRUE(window()->loadFile(path));
    QTextDocument* document = window()->editor()->document();
    const auto colourAt = [document](int position) {
        QTextCursor cursor(document);
        cursor.setPosition(position + 1);
        return cursor.charFormat().foreground().color();
    };
    const int g01 = static_cast<int>(window()->editor()->toPlainText().indexOf(QStringLiteral("G01")));
    ASSERT_TRUE(pumpUntil([&] { return colourAt(g01) == QColor(255, 0, 0); }));
    EXPECT_EQ(colourAt(0), QColor(Qt::black));
    EXPECT_FALSE(window()->modified()); // colouring is no edit

    // A G01 typed into the first line is coloured by the once-a-second check after the
    // editor lost the focus.
    QTextCursor cursor(document);
    cursor.setPosition(1);
    cursor.insertText(QStringLiteral(" G01"));
    EXPECT_TRUE(window()->modified());
    QFocusEvent focusOut(QEvent::FocusOut);
    QApplication::sendEvent(window()->editor(), &focusOut);
    ASSERT_TRUE(pumpUntil([&] { return colourAt(2) == QColor(255, 0, 0); }, 3000ms));
}

TEST_F(TransferWindowTest, TheMoreMenuGreysWhatCannotRunNow)
{
    open();
    const auto entries = [this] {
        std::vector<std::pair<std::string, bool>> shown;
        std::unique_ptr<QMenu> menu(window()->buildMoreMenu(nullptr));
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                shown.emplace_back(action->text().toStdString(), action->isEnabled());
        }
        return shown;
    };
    using Entries = std::vector<std::pair<std::string, bool>>;
    EXPECT_EQ(entries(),
        (Entries {{"*Text-Farben anwenden", false}, {"*Zeilen neu durchzählen", false},
            {"*Werkzeugdaten in NC File aktualisieren", false}, {"*Datei empfangen vormerken", true},
            {"*Warten auf Empfang beenden", false}, {"*Übertragung abbrechen", false},
            {"*Senden, sobald die Steuerung bereit ist (CTS)", false}, {"*Drip-Feed: Datei senden...", true},
            {"*Neustart: Datei ab Satz senden...", true}, {"*Auf Anforderung der Steuerung warten", true},
            {"*Übertragungsprotokoll anzeigen", true}}));

    window()->armReceiveCommand();
    EXPECT_EQ(entries(),
        (Entries {{"*Text-Farben anwenden", false}, {"*Zeilen neu durchzählen", false},
            {"*Werkzeugdaten in NC File aktualisieren", false}, {"*Datei empfangen vormerken", false},
            {"*Warten auf Empfang beenden", true}, {"*Übertragung abbrechen", false},
            {"*Senden, sobald die Steuerung bereit ist (CTS)", false}, {"*Drip-Feed: Datei senden...", false},
            {"*Neustart: Datei ab Satz senden...", false}, {"*Auf Anforderung der Steuerung warten", false},
            {"*Übertragungsprotokoll anzeigen", true}}));
    pty.writeAll("N1");
    ASSERT_TRUE(pumpUntil([this] { return window()->cancelEnabled(); }));
    EXPECT_FALSE(window()->stopWaitingEnabled());
    window()->cancelTransferCommand();
    EXPECT_FALSE(window()->session().receiveArmed());
    EXPECT_EQ(controller->state()->ncTextBuffer->length, 0u);
}

TEST_F(TransferWindowTest, RenumberingWantsASavedFile)
{
    open();
    window()->editor()->setPlainText(QStringLiteral("N10 G00\n"));
    window()->renumberCommand();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Datei muß erst gespeichert werden!");
    EXPECT_EQ(boxes.shown[0].caption, "*Fehler");
}

TEST_F(TransferWindowTest, OffsetsThatDifferFromTheToolTableAreAskedAboutAndCanBeUpdated)
{
    MachineRecord& machine = controller->options()->machines[0];
    setFixedText(machine.ncToolLengthFormat, u"D00");
    ToolRecord tool {};
    setFixedText(tool.ncData, u"D01 L+50.000 R+3.000");
    ASSERT_TRUE(storeTool(machine, 0, tool));
    open();
    const std::string program = "%\r\nD01 L+1 R+1\r\nN10 G01 X1\r\nM30\r\n";
    const auto path = writeProgram("P9.dat", program);
    ASSERT_TRUE(window()->loadFile(path));

    boxes.answers = {MessageAnswer::No};
    window()->sendCommand();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(boxes.shown[0].text.substr(0, 38), "*Die Werkzeug-Offsets bei mindestens e");
    EXPECT_FALSE(window()->session().sending());
    EXPECT_EQ(pty.readFor(1, 600ms), "");
    EXPECT_EQ(readFile(path), program); // not saved either

    window()->updateToolDataCommand();
    EXPECT_EQ(window()->editor()->toPlainText().toStdString(), "%\nD01 L+50.000 R+3.000\nN10 G01 X1\nM30\n");
    EXPECT_TRUE(window()->modified());

    // Now they match: the file is saved, then sent without a question.
    boxes.shown.clear();
    window()->sendCommand();
    const std::string updated = "%\r\nD01 L+50.000 R+3.000\r\nN10 G01 X1\r\nM30\r\n";
    EXPECT_EQ(pty.readFor(updated.size(), 3000ms), updated);
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().sending(); }));
    EXPECT_EQ(readFile(path), updated);
    EXPECT_FALSE(window()->modified());
    EXPECT_EQ(boxTexts(), std::vector<std::string> {cformat("%u Bytes gesendet", unsigned(updated.size()))});
}

TEST_F(TransferWindowTest, EscapeWhileBytesArriveEndsTheReceiveAndKeepsThem)
{
    saveAnswer = root / "ESC.dat";
    open();
    window()->armReceiveCommand();
    pty.writeAll("N10 G00");
    ASSERT_TRUE(pumpUntil([this] { return window()->session().linkState().receivedBytes.load() == 7; }));
    QTest::keyClick(window()->editor(), Qt::Key_Escape);
    ASSERT_TRUE(pumpUntil([this] { return !window()->session().receiveArmed(); }));
    EXPECT_EQ(readFile(saveAnswer), "N10 G00");
    EXPECT_EQ(window()->editor()->toPlainText().toStdString(), "N10 G00");
    EXPECT_TRUE(window()->isVisible());
}

} // namespace
} // namespace kvt
