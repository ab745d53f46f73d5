// The dividing head dialog offscreen: the machine's dividing head taken on opening and
// on a machine change, "*Berechnen" with results, drawing, message and report, and the
// inputs kept across switching away and back.

#include "machining/dividing_head/dividing_head_window.h"
#include "machining/dividing_head/index_plate_picture.h"
#include "options/machine_data.h"

#include "window_test_fixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

#include <fstream>
#include <initializer_list>

namespace kvt {
namespace {

void setDividingHead(MachineRecord& machine, std::uint8_t ratio, std::initializer_list<std::uint16_t> plates)
{
    MachineData& data = machineData(machine);
    data.dividingHeadRatio = ratio;
    std::fill(std::begin(data.indexPlateHoles), std::end(data.indexPlateHoles), 0);
    std::copy(plates.begin(), plates.end(), data.indexPlateHoles);
}

class DividingHeadWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        startProgram(page::DividingHead, &makeWindow<DividingHeadWindow>);
        setDividingHead(controller->options()->machines[0], 40,
            {15, 16, 17, 18, 19, 20, 21, 23, 27, 29, 31, 33, 37, 39, 41, 43, 47, 49});
        openPage(page::DividingHead);
    }

    DividingHeadWindow* window() const { return FunctionWindowFixture::window<DividingHeadWindow>(page::DividingHead); }
    QString result(DividingResult which) const { return window()->resultField(which)->text(); }
    void calculate() const
    {
        QTest::mouseClick(window()->findChild<QPushButton*>(QStringLiteral("calculateButton")), Qt::LeftButton);
    }
    static std::string contents(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(DividingHeadWindowTest, OpensWithTheMachineRatioAndNamedFields)
{
    DividingHeadWindow* w = window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->accessibleName(), QStringLiteral("*Teilapparat Berechnungen"));
    EXPECT_EQ(w->inputField(DividingInput::Ratio)->text(), QStringLiteral("40"));
    EXPECT_EQ(w->inputField(DividingInput::Divisions)->accessibleName(), QStringLiteral("*Gewuenschte Teilung:"));
    EXPECT_EQ(
        w->resultField(DividingResult::NeededCircle)->accessibleName(), QStringLiteral("*Benoetigter Lochkreis:"));
    int labelled = 0;
    for (QLabel* label : w->findChildren<QLabel*>()) {
        if (auto* edit = qobject_cast<QLineEdit*>(label->buddy())) {
            EXPECT_EQ(edit->accessibleName(), label->text());
            ++labelled;
        }
    }
    EXPECT_EQ(labelled, kDividingInputCount + kDividingResultCount);
    EXPECT_TRUE(w->resultField(DividingResult::Holes)->isReadOnly());
    EXPECT_EQ(w->picture()->accessibleName(), QStringLiteral("*Teilung oder Drehwinkel eingeben und berechnen"));
}

TEST_F(DividingHeadWindowTest, SevenDivisionsAreShownDrawnAndReported)
{
    DividingHeadWindow* w = window();
    typeInto(w->inputField(DividingInput::Divisions), "7");
    calculate();
    EXPECT_EQ(result(DividingResult::FullTurns), QStringLiteral("  5"));
    EXPECT_EQ(result(DividingResult::Holes), QStringLiteral(" 35"));
    EXPECT_EQ(result(DividingResult::MachineCircle), QStringLiteral(" 49"));
    EXPECT_EQ(result(DividingResult::NeededCircle), QStringLiteral("X"));
    EXPECT_EQ(result(DividingResult::DivisionAngle), QStringLiteral("51.429"));
    EXPECT_EQ(w->picture()->circle(), 49);
    EXPECT_EQ(w->picture()->holes(), 35);
    EXPECT_TRUE(w->picture()->fits());
    EXPECT_EQ(w->picture()->accessibleName(),
        QStringLiteral("*Volle Kurbelumdrehungen: 5, dann 35 Löcher auf dem Lochkreis mit 49 Löchern"));

    const auto written = reports("TA");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].filename().string(), "TA Report_20250307_140509.txt");
    EXPECT_NE(contents(written[0]).find("*Bohrungen\t: 35\r\n"), std::string::npos);
    EXPECT_TRUE(viewer.opened.empty());

    // The check box is the program-wide option: now the report opens.
    w->autoOpenBox()->click();
    EXPECT_EQ(controller->options()->settings.openReportsAutomatically, 1);
    typeInto(w->inputField(DividingInput::Divisions), "127");
    calculate();
    EXPECT_EQ(result(DividingResult::FullTurns), QStringLiteral("X"));
    EXPECT_EQ(result(DividingResult::NeededCircle), QStringLiteral("127"));
    EXPECT_FALSE(w->picture()->fits());
    EXPECT_EQ(w->picture()->circle(), 127);
    ASSERT_EQ(viewer.opened.size(), 1u);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DividingHeadWindowTest, DivisionAndAngleTogetherAreRefused)
{
    DividingHeadWindow* w = window();
    typeInto(w->inputField(DividingInput::Divisions), "13");
    typeInto(w->inputField(DividingInput::Angle), "10");
    calculate();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "*Fehler");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(result(DividingResult::FullTurns), QString());
    EXPECT_TRUE(reports("TA").empty());

    typeInto(w->inputField(DividingInput::Divisions), "0");
    typeInto(w->inputField(DividingInput::Ratio), "0");
    calculate();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(
        boxes.shown[1].text, "*Bitte die Übersetzung des Teilapparats eingeben (Kurbelumdrehungen für 360 Grad).");
    EXPECT_EQ(result(DividingResult::FullTurns), QString());

    typeInto(w->inputField(DividingInput::Ratio), "40");
    calculate();
    EXPECT_EQ(result(DividingResult::FullTurns), QStringLiteral("  1"));
    EXPECT_EQ(result(DividingResult::Holes), QStringLiteral("  2"));
    EXPECT_EQ(result(DividingResult::MachineCircle), QStringLiteral(" 18"));
    EXPECT_EQ(result(DividingResult::DivisionAngle), QStringLiteral(" --- "));
}

TEST_F(DividingHeadWindowTest, InputsStayAndAnotherMachineBringsItsDividingHead)
{
    typeInto(window()->inputField(DividingInput::Divisions), "13");
    window()->switchToPage(page::CuttingData);
    QApplication::processEvents();
    EXPECT_EQ(controller->options()->settings.changed, 1);
    openPage(page::DividingHead);

    DividingHeadWindow* again = window();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->inputField(DividingInput::Divisions)->text(), QStringLiteral("13"));
    EXPECT_EQ(again->inputField(DividingInput::Angle)->text(), QStringLiteral("0"));

    setDividingHead(controller->options()->machines[3], 60, {26, 39});
    std::unique_ptr<QMenu> menu(again->buildMenu(nullptr));
    QList<QAction*> machines;
    for (QAction* action : menu->actions()) {
        if (action->menu() && action->text() == QStringLiteral("*Maschine wählen..."))
            machines = action->menu()->actions();
    }
    ASSERT_EQ(machines.size(), 10);
    machines[3]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(again->inputField(DividingInput::Ratio)->text(), QStringLiteral("60"));
    calculate();
    // 60 / 13 = 4 8/13: the last multiple of 13 on this machine's plates is 39.
    EXPECT_EQ(result(DividingResult::FullTurns), QStringLiteral("  4"));
    EXPECT_EQ(result(DividingResult::Holes), QStringLiteral(" 24"));
    EXPECT_EQ(result(DividingResult::MachineCircle), QStringLiteral(" 39"));
}

} // namespace
} // namespace kvt
