// Loads the built calculations library the way the program does, through its own
// loader, and drives the dialog offscreen against a real central state.

#include "app/accessible_combo_box.h"
#include "app/qt_platform.h"
#include "calclib/calculations_form.h"
#include "common/units.h"
#include "options/options_record.h"
#include "options/window_blocks.h"
#include "qt_test_support.h"
#include "state/app_message.h"
#include "state/open_dialog_data.h"
#include "state/page_ids.h"
#include "state/state_blocks.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace kvt {
namespace {

struct Sent {
    std::uint32_t message;
    OpenRequest request;
};

struct ProgramSide {
    ProgramSide()
    {
        port.context = this;
        port.send = [](void* context, std::uint32_t message, std::intptr_t lParam) -> std::intptr_t {
            auto* self = static_cast<ProgramSide*>(context);
            if (message == static_cast<std::uint32_t>(AppMessage::RegisterCalcWindow)) {
                self->state->windows.calculations = reinterpret_cast<void*>(lParam);
                return 1;
            }
            Sent sent {message, {}};
            if (message != static_cast<std::uint32_t>(AppMessage::QuitRequest) && lParam)
                sent.request = *reinterpret_cast<OpenRequest*>(lParam);
            self->sent.push_back(sent);
            return 0;
        };
        state->mainWindow = &port;
        state->options = options.get();
        state->calcList = calcList.get();
        state->ncTextBuffer = ncText.get();
        state->languageCode = 49;
    }

    QDialog* open()
    {
        state->windows.calculations = nullptr;
        CalculationsEntry entry = services.loadCalculationsLibrary(
            std::filesystem::path(QCoreApplication::applicationDirPath().toStdString())
                / "Kalvora_Tools_Calculations_Common_x86",
            "ShowCalculationsDialog_Common");
        EXPECT_NE(entry, nullptr);
        if (!entry)
            return nullptr;
        entry(&port, state.get());
        auto* widget = static_cast<QWidget*>(state->windows.calculations);
        return qobject_cast<QDialog*>(widget);
    }

    MainWindowPort port {};
    std::unique_ptr<OpenDialogData> state = std::make_unique<OpenDialogData>();
    std::unique_ptr<OptionsRecord> options = std::make_unique<OptionsRecord>();
    std::unique_ptr<CalcList> calcList = std::make_unique<CalcList>();
    std::unique_ptr<NcTextBuffer> ncText = std::make_unique<NcTextBuffer>();
    QtSystemServices services;
    std::vector<Sent> sent;
};

template<class T> T* child(QDialog* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

void destroy(QDialog* dialog)
{
    dialog->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(CalculationsLibraryTest, OpensWithTheKeptCalculatorAndCalculates)
{
    ProgramSide program;
    writeWindowBlock(program.options->windows.calculations, CalculationsBlock {8, {1000.0f, 3.0f, 0, 0, 0}, 0});
    QDialog* dialog = program.open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("*Berechnungen"));
    EXPECT_EQ(child<QComboBox>(dialog, "calculator")->currentText(), QStringLiteral("*Verweilzeit"));
    EXPECT_EQ(child<QLineEdit>(dialog, "input0")->text(), QStringLiteral("1000"));
    EXPECT_TRUE(child<QLineEdit>(dialog, "input2")->isHidden());

    child<QPushButton>(dialog, "calculateButton")->click();
    EXPECT_EQ(child<QLineEdit>(dialog, "result0")->text(), QStringLiteral("180"));

    // The calculator list in the state block follows the search field.
    child<QLineEdit>(dialog, "search")->setText(QStringLiteral("DRILL"));
    EXPECT_EQ(child<QComboBox>(dialog, "calculator")->count(), 2);
    CalcListLayout list;
    std::memcpy(&list, program.calcList->bytes, sizeof list);
    EXPECT_EQ(list.shownCount, 2);
    EXPECT_EQ(list.shown[0].number, 15);
    EXPECT_EQ(child<QComboBox>(dialog, "calculator")->currentText(), QStringLiteral("*US Drill Bit Size zu mm"));
    child<QLineEdit>(dialog, "input0")->setText(QStringLiteral("120"));
    child<QPushButton>(dialog, "calculateButton")->click();
    EXPECT_EQ(child<QLineEdit>(dialog, "input0")->text(), QStringLiteral("104"));
    EXPECT_EQ(child<QLineEdit>(dialog, "result0")->text(), QStringLiteral(" 0.0787"));

    const auto kept = readWindowBlock<CalculationsBlock>(program.options->windows.calculations);
    EXPECT_EQ(kept.calculator, 15);
    EXPECT_EQ(kept.inputs[0], 104.0f);

    // The program unloads the library before the dialog it closed is deleted.
    program.services.unloadCalculationsLibrary();
    destroy(dialog);
}

// The library's dialog lives in a module of its own, yet its combo boxes get the
// program's accessible interface: they are announced by their captions.
TEST(CalculationsLibraryTest, ComboBoxesAreNamedByTheirCaptions)
{
    QAccessible::installFactory(&accessibleComboBoxFactory);
    ProgramSide program;
    writeWindowBlock(program.options->windows.calculations, CalculationsBlock {8, {1000.0f, 3.0f, 0, 0, 0}, 0});
    QDialog* dialog = program.open();
    ASSERT_NE(dialog, nullptr);
    QAccessibleInterface* calculator = QAccessible::queryAccessibleInterface(child<QComboBox>(dialog, "calculator"));
    EXPECT_EQ(calculator->text(QAccessible::Name), QStringLiteral("*Berechnung:"));
    EXPECT_EQ(calculator->text(QAccessible::Value), QStringLiteral("*Verweilzeit"));
    QAccessibleInterface* sets = QAccessible::queryAccessibleInterface(child<QComboBox>(dialog, "gaugeSet"));
    EXPECT_EQ(sets->text(QAccessible::Name), QStringLiteral("*Endmaßsatz:"));
    program.services.unloadCalculationsLibrary();
    destroy(dialog);
    QAccessible::removeFactory(&accessibleComboBoxFactory);
}

TEST(CalculationsLibraryTest, PitchGoesBackToTheFlangeWindow)
{
    ProgramSide program;
    float diameter = 10.0f;
    std::int32_t bits = 0;
    std::memcpy(&bits, &diameter, sizeof bits);
    program.state->handOverSenderPage = page::Flanges;
    program.state->calcReturnWanted = 1;
    program.state->calcHandOver1 = kPitchCalculator;
    program.state->calcHandOver2 = bits;
    program.state->calcHandOver3 = 2;
    QDialog* dialog = program.open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(child<QComboBox>(dialog, "calculator")->currentText(), QStringLiteral("*Stichmaß"));
    EXPECT_EQ(child<QLineEdit>(dialog, "input1")->text(), QStringLiteral("10"));
    child<QLineEdit>(dialog, "input2")->setText(QStringLiteral("20"));
    child<QPushButton>(dialog, "calculateButton")->click();
    EXPECT_EQ(child<QLineEdit>(dialog, "result0")->text(), QStringLiteral(" 30.00"));

    child<QPushButton>(dialog, "backButton")->click();
    QCoreApplication::processEvents();
    ASSERT_EQ(program.sent.size(), 1u);
    EXPECT_EQ(program.sent[0].message, static_cast<std::uint32_t>(AppMessage::OpenFlanges));
    const OpenRequest& back = program.sent[0].request;
    EXPECT_EQ(back.originPage, page::Calculations);
    EXPECT_EQ(back.senderWindow, static_cast<void*>(static_cast<QWidget*>(dialog)));
    float pitch = 0.0f;
    std::memcpy(&pitch, &back.value1, sizeof pitch);
    EXPECT_EQ(pitch, 30.0f);
    EXPECT_EQ(back.value3, 2);
    destroy(dialog);
}

TEST(CalculationsLibraryTest, AnInchFlangeWindowGetsItsPitchInMillimetresAndTypesInInches)
{
    ProgramSide program;
    program.state->options->settings.unitSystem = kUnitSystemInch;
    const float diameter = 25.400051f; // one inch, as the flange window hands it over
    std::int32_t bits = 0;
    std::memcpy(&bits, &diameter, sizeof bits);
    program.state->handOverSenderPage = page::Flanges;
    program.state->calcReturnWanted = 1;
    program.state->calcHandOver1 = kPitchCalculator;
    program.state->calcHandOver2 = bits;
    program.state->calcHandOver3 = 1;
    QDialog* dialog = program.open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(child<QLineEdit>(dialog, "input1")->text(), QStringLiteral("1"));
    child<QLineEdit>(dialog, "input2")->setText(QStringLiteral("1"));
    child<QPushButton>(dialog, "calculateButton")->click();
    EXPECT_EQ(child<QLineEdit>(dialog, "result0")->text(), QStringLiteral("  2.00"));

    child<QPushButton>(dialog, "backButton")->click();
    QCoreApplication::processEvents();
    ASSERT_EQ(program.sent.size(), 1u);
    float pitch = 0.0f;
    std::memcpy(&pitch, &program.sent[0].request.value1, sizeof pitch);
    EXPECT_FLOAT_EQ(pitch, 2.0f * 25.400051f);
    destroy(dialog);
}

// Answers the next modal window: the gauge-set editor gets `sets` typed and saved, a
// message box is noted and closed.
void answerModal(const QString& sets, QString* message)
{
    QTimer::singleShot(0, [sets, message] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (message)
                *message = box->text();
            box->accept();
            return;
        }
        if (!modal)
            return;
        modal->findChild<QPlainTextEdit*>(QStringLiteral("gaugeSets"))->setPlainText(sets);
        for (QPushButton* button : modal->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("*Speichern"))
                button->click();
        }
    });
}

TEST(CalculationsLibraryTest, GaugeSetsAreEditedSavedAndUsed)
{
    const auto folder = std::filesystem::temp_directory_path() / "kvt_calclib_gauge_sets";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    ProgramSide program;
    const std::u16string path = folder.u16string() + u"/";
    std::copy(path.begin(), path.end(), program.state->dataDirectory);
    writeWindowBlock(
        program.options->windows.calculations, CalculationsBlock {kGaugeStackCalculator, {58.345f, 0, 0, 0, 0}, 2});
    QDialog* dialog = program.open();
    ASSERT_NE(dialog, nullptr);
    auto* sets = child<QComboBox>(dialog, "gaugeSet");
    EXPECT_FALSE(sets->isHidden());
    EXPECT_EQ(sets->count(), 4);
    EXPECT_EQ(sets->currentText(), QStringLiteral("83 (mm)"));
    child<QPushButton>(dialog, "calculateButton")->click();
    EXPECT_EQ(child<QLineEdit>(dialog, "result1")->text(), QStringLiteral("50.000 + 6.000 + 1.340 + 1.005"));

    // A line that is no set is refused with its number; the sets stay as they were.
    QString message;
    answerModal(QStringLiteral("Klein; mm; 1 2 5\nKaputt; mm; 1 zwei\n"), nullptr);
    // The refusal box comes over the editor whenever the machine gets to it: note it,
    // then close the editor that stays open.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            message = box->text();
            box->accept();
        } else if (modal && !message.isEmpty()) {
            modal->close();
            poll.stop();
        }
    });
    poll.start(10);
    child<QPushButton>(dialog, "gaugeEdit")->click();
    EXPECT_EQ(message, QStringLiteral("*Diese Zeile ist kein gültiger Satz: *Zeile 2 (zwei)"));
    EXPECT_EQ(sets->count(), 4);
    EXPECT_FALSE(std::filesystem::exists(folder / "GaugeBlockSets.txt"));

    answerModal(QStringLiteral("Klein; mm; 1 2 5 10\n"), nullptr);
    child<QPushButton>(dialog, "gaugeEdit")->click();
    EXPECT_EQ(sets->count(), 1);
    EXPECT_EQ(sets->currentText(), QStringLiteral("Klein"));
    EXPECT_TRUE(std::filesystem::exists(folder / "GaugeBlockSets.txt"));
    child<QLineEdit>(dialog, "input0")->setText(QStringLiteral("8"));
    child<QPushButton>(dialog, "calculateButton")->click();
    EXPECT_EQ(child<QLineEdit>(dialog, "result1")->text(), QStringLiteral("5.000 + 2.000 + 1.000"));
    child<QLineEdit>(dialog, "input0")->setText(QStringLiteral("4"));
    child<QPushButton>(dialog, "calculateButton")->click();
    EXPECT_EQ(child<QLineEdit>(dialog, "result1")->text(), QStringLiteral("*Mit diesem Satz nicht möglich"));
    program.services.unloadCalculationsLibrary();
    destroy(dialog);

    // The next opening reads the saved sets; a damaged file is reported and not used.
    ProgramSide again;
    std::copy(path.begin(), path.end(), again.state->dataDirectory);
    std::ofstream(folder / "GaugeBlockSets.txt") << "KVT-GAUGE-BLOCK-SETS 1\nset\tA\tmm\tkaputt\n";
    message.clear();
    answerModal({}, &message);
    QDialog* reopened = again.open();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(message.toStdString(),
        "*Die Datei der Endmaßsätze ist beschädigt und wird nicht verwendet; es gelten die eingebauten Sätze.\n"
        "GaugeBlockSets.txt, *Zeile 2");
    EXPECT_EQ(child<QComboBox>(reopened, "gaugeSet")->count(), 4);
    again.services.unloadCalculationsLibrary();
    destroy(reopened);
    std::filesystem::remove_all(folder);
}

TEST(CalculationsLibraryTest, MissingEntryIsRefused)
{
    QtSystemServices services;
    EXPECT_EQ(
        services.loadCalculationsLibrary(std::filesystem::path(QCoreApplication::applicationDirPath().toStdString())
                / "Kalvora_Tools_Calculations_Common_x86",
            "ShowCalculationsDialog_QX"),
        nullptr);
}

} // namespace
} // namespace kvt
