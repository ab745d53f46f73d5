// The Qt dialog offscreen: controls reachable by their captions, lists read when the
// dialog is confirmed, a refused list keeps it open, Cancel takes everything back.

#include "locale_test_support.h"
#include "options/options_dialog.h"
#include "options/options_serial_form.h"
#include "options_dialog_fixture.h"
#include "qt_test_support.h"
#include "serial/posix_serial_port.h"
#include "serial/serial_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <cstdlib>
#include <map>

namespace kvt::test {
namespace {

class OptionsDialogWidgetTest : public OptionsDialogTest {
protected:
    template<typename T> T* control(OptionsDialog& dialog, const char* caption)
    {
        for (T* widget : dialog.findChildren<T*>()) {
            if (widget->accessibleName() == QString::fromUtf8(caption))
                return widget;
        }
        ADD_FAILURE() << "no control named " << caption;
        return nullptr;
    }
};

TEST_F(OptionsDialogWidgetTest, EveryControlCarriesItsCaption)
{
    OptionsDialog dialog(context);
    EXPECT_EQ(dialog.accessibleName(), "*Kalvora Tools 2025 Optionen");
    int controls = 0;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!qobject_cast<QLineEdit*>(widget) && !qobject_cast<QComboBox*>(widget)
            && !qobject_cast<QPlainTextEdit*>(widget) && !qobject_cast<QAbstractButton*>(widget))
            continue;
        if (widget->parent() && qobject_cast<QComboBox*>(widget->parent()))
            continue; // the combo's own line edit
        if (widget->objectName().startsWith(QLatin1String("qt_")))
            continue; // the tab bar's scroll buttons
        ++controls;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->metaObject()->className();
    }
    EXPECT_GE(controls, 20);
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (QWidget* buddy = label->buddy()) {
            EXPECT_EQ(buddy->accessibleName(), label->text());
        }
    }
}

TEST_F(OptionsDialogWidgetTest, OkReadsTheTypedListsAndAsksForTheWrite)
{
    OptionsDialog dialog(context);
    dialog.show();
    auto* speeds = control<QPlainTextEdit>(dialog, "*Verfügbare Drehzahlen, gestuft:");
    auto* name = control<QLineEdit>(dialog, "*Maschinenname:");
    ASSERT_TRUE(speeds && name);
    QTest::keyClicks(speeds, "2000 500");
    QTest::keyClick(speeds, Qt::Key_Return);
    QTest::keyClicks(speeds, "1000");
    QTest::keyClicks(name, "Mill 3");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(storedSpeeds(), (std::vector<float> {500, 1000, 2000}));
    EXPECT_EQ(dialog.form().machine().nameText(), "Mill 3");
    EXPECT_EQ(sent, std::vector<AppMessage> {AppMessage::SaveOptions});
    EXPECT_EQ(record->settings.changed, 1);
}

TEST_F(OptionsDialogWidgetTest, RefusedListKeepsTheDialogOpenWithTheText)
{
    OptionsDialog dialog(context);
    dialog.show();
    auto* parallels = control<QPlainTextEdit>(dialog, "*Verfügbare Parallelstücke: [mm]");
    ASSERT_TRUE(parallels);
    QTest::keyClicks(parallels, "10 x 12");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(parallels->toPlainText(), "10 x 12");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(sent.empty());
    dialog.reject();
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(OptionsDialogWidgetTest, CancelTakesBackComboChoicesAndFields)
{
    OptionsDialog dialog(context);
    dialog.show();
    control<QComboBox>(dialog, "*Sprache:")->setCurrentIndex(1);
    control<QComboBox>(dialog, "*Anfangseite:")->setCurrentIndex(13);
    control<QCheckBox>(dialog, "*Berichte standardmäßig öffnen")->setChecked(true);
    EXPECT_EQ(state->languageCode, 44);
    EXPECT_TRUE(control<QPushButton>(dialog, "*Übernehmen")->isEnabled());
    dialog.reject();
    EXPECT_EQ(state->languageCode, 49);
    EXPECT_EQ(state->languageChanged, 0);
    EXPECT_EQ(record->settings.startPageIsLastUsed, 0);
    EXPECT_EQ(record->settings.openReportsAutomatically, 0);
    EXPECT_TRUE(sent.empty());
}

TEST_F(OptionsDialogWidgetTest, DecliningTheUnitQuestionPutsTheComboBack)
{
    OptionsDialog dialog(context);
    dialog.show();
    auto* unit = control<QComboBox>(dialog, "*Einheit für Längen:");
    boxes.answers = {MessageAnswer::No};
    unit->setCurrentIndex(1);
    EXPECT_EQ(unit->currentIndex(), 0);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(record->settings.restartMarker, 0);

    boxes.answers = {MessageAnswer::Yes};
    unit->setCurrentIndex(1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(record->settings.restartMarker, 1);
    EXPECT_EQ(sent, std::vector<AppMessage> {AppMessage::SaveOptions});
}

TEST_F(OptionsDialogWidgetTest, SerialGroupEditsTheSetOfTheChosenDirection)
{
    OptionsDialog dialog(context);
    dialog.show();
    control<QRadioButton>(dialog, "*Receive")->click();
    control<QComboBox>(dialog, "*Flowcontrol:")->setCurrentIndex(3);
    auto* xon = control<QLineEdit>(dialog, "XOn Char:");
    auto* limit = control<QLineEdit>(dialog, "XOn Buff:");
    ASSERT_TRUE(xon && limit);
    EXPECT_TRUE(limit->isEnabled());
    xon->selectAll();
    QTest::keyClicks(xon, "17");
    limit->selectAll();
    QTest::keyClicks(limit, "99999");
    dialog.accept();
    const SerialSettings receive = LoadSerialSettings(machine(), PortDirection::Receive);
    EXPECT_EQ(receive.flowControl, kFlowXonXoff);
    EXPECT_EQ(receive.softwareFlowIn, 1u);
    EXPECT_EQ(receive.xonChar, 0x11);
    EXPECT_EQ(receive.xonLimit, 65535);
    EXPECT_EQ(xon->text(), QStringLiteral("0x11"));
    EXPECT_EQ(limit->text(), QStringLiteral("65535"));
    EXPECT_EQ(LoadSerialSettings(machine(), PortDirection::Send).flowControl, kFlowNone);

    control<QRadioButton>(dialog, "*Send")->click();
    EXPECT_FALSE(limit->isEnabled());
    EXPECT_EQ(control<QComboBox>(dialog, "*Flowcontrol:")->currentIndex(), 0);
}

TEST_F(OptionsDialogWidgetTest, RefusedSerialTextKeepsTheDialogOpenWithOneMessage)
{
    OptionsDialog dialog(context);
    dialog.show();
    auto* xoff = control<QLineEdit>(dialog, "XOff Char:");
    ASSERT_TRUE(xoff);
    xoff->selectAll();
    QTest::keyClicks(xoff, "0x1G");
    emit xoff->editingFinished(); // the field is left
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(xoff->text(), QStringLiteral("0x1G"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Zeichen als 0x00 bis 0xFF oder als Zahl von 0 bis 255 eingeben.");
    control<QRadioButton>(dialog, "*Receive")->click(); // not away from the refused text
    EXPECT_TRUE(control<QRadioButton>(dialog, "*Send")->isChecked());

    xoff->selectAll();
    QTest::keyClicks(xoff, "19");
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(LoadSerialSettings(machine(), PortDirection::Send).xoffChar, 0x13);
}

TEST_F(OptionsDialogWidgetTest, PortTestShowsWhatThePortSaysAndStopsWithThePage)
{
    PtyPair pty;
    std::map<std::string, std::string> settings {{"Ports/COM2", pty.slavePath()}};
    PortDeviceSettings devices {[&settings](const std::string& key) -> std::optional<std::string> {
                                    auto it = settings.find(key);
                                    return it == settings.end() ? std::nullopt : std::optional(it->second);
                                },
        [&settings](const std::string& key, const std::string& value) { settings[key] = value; }};
    StoreSerialSettings(machine(), PortDirection::Send, defaultSerialSettings());
    OptionsDialog dialog(context, nullptr, devices, [] { return std::make_unique<PosixSerialPort>(); });
    dialog.show();
    auto* port = control<QComboBox>(dialog, "*Port:");
    auto* device = control<QComboBox>(dialog, "*Gerät:");
    auto* test = control<QPushButton>(dialog, "*Test");
    auto* status = control<QLabel>(dialog, "*Port Status");
    ASSERT_TRUE(port && device && test && status);
    port->setCurrentIndex(1);
    EXPECT_EQ(port->currentText(), QString::fromStdString("COM2 (" + pty.slavePath() + ")"));
    EXPECT_EQ(device->currentText(), QString::fromStdString(pty.slavePath()));

    QTest::mouseClick(test, Qt::LeftButton);
    const QString open = QString::fromStdString("*Port geöffnet, keine Modemleitungen lesbar: " + pty.slavePath());
    EXPECT_TRUE(Eventually([&] {
        QApplication::processEvents();
        return status->text() == open;
    }));
    EXPECT_EQ(test->text(), QStringLiteral("*Test beenden"));
    EXPECT_FALSE(control<QCheckBox>(dialog, "Connected")->isChecked());
    PosixSerialPort other;
    EXPECT_EQ(other.open(pty.slavePath()), PortOpenResult::InUse);

    // Leaving the page ends the test and frees the port.
    dialog.findChild<QTabWidget*>()->setCurrentIndex(2);
    EXPECT_EQ(status->text(), QString());
    EXPECT_EQ(other.open(pty.slavePath()), PortOpenResult::Opened);
    other.close();

    // A device that is not there says so in the group.
    dialog.findChild<QTabWidget*>()->setCurrentIndex(1);
    device->setEditText(QStringLiteral("/dev/kvt-no-such-port"));
    emit device->lineEdit()->editingFinished();
    QTest::mouseClick(test, Qt::LeftButton);
    EXPECT_TRUE(Eventually([&] {
        QApplication::processEvents();
        return status->text() == QStringLiteral("*Port nicht vorhanden: /dev/kvt-no-such-port");
    }));
    EXPECT_EQ(test->text(), QStringLiteral("*Test"));
    EXPECT_TRUE(boxes.shown.empty());

    dialog.reject(); // the device edit is dropped with everything else
    EXPECT_EQ(settings["Ports/COM2"], pty.slavePath());

    if (const char* folder = std::getenv("KVT_SCREENSHOTS")) {
        OptionsDialog shown(context);
        shown.resize(1100, 640);
        shown.show();
        for (int page = 0; page < 3; ++page) {
            shown.findChild<QTabWidget*>()->setCurrentIndex(page);
            shown.grab().save(QString::fromUtf8(folder) + QStringLiteral("/options_page%1.png").arg(page + 1));
        }
    }
}

TEST_F(OptionsDialogWidgetTest, SecondPageEntriesAreTakenBackByCancel)
{
    OptionsDialog dialog(context);
    dialog.show();
    auto* format = control<QLineEdit>(dialog, "*NC Zeilennummerierungs-Format:");
    auto* words = control<QLineEdit>(dialog, "*Farbe1 *Wörter");
    ASSERT_TRUE(format && words);
    QTest::keyClicks(format, "N0010");
    emit format->editingFinished();
    QTest::keyClicks(words, "G0 G1");
    emit words->editingFinished();
    // Without a program of its own the external editor is the text editor.
    control<QCheckBox>(dialog, "*NC Daten in externem Editor bearbeiten")->click();
    EXPECT_TRUE(control<QCheckBox>(dialog, "*Notepad benutzen")->isChecked());
    EXPECT_EQ(machine().editorMode, kEditorTextEditor);
    EXPECT_EQ(machine().keywordPairStart, 2u);
    EXPECT_TRUE(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Apply)->isEnabled());
    dialog.reject();
    EXPECT_EQ(machine().ncLineNumberFormat[0], 0);
    EXPECT_EQ(machine().keywords[0].text[0], 0);
    EXPECT_EQ(machine().editorMode, 0);
    EXPECT_TRUE(sent.empty());
}

} // namespace
} // namespace kvt::test
