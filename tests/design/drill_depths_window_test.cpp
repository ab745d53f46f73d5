// The drill-depth dialog offscreen: drilling with its report, the fields each mode shows,
// tapping an M8 from the thread list, reaming with a proposed allowance, an inch tap, and
// the inputs kept across switching away.

#include "design/drill_depths/drill_depths_window.h"

#include "window_test_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include <fstream>

namespace kvt {
namespace {

class DrillDepthsWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override { startProgram(page::DrillDepths, &makeWindow<DrillDepthsWindow>); }

    DrillDepthsWindow* window() const { return FunctionWindowFixture::window<DrillDepthsWindow>(page::DrillDepths); }
    QString shown(DrillResult which) const { return window()->result(which)->text(); }
    void type(DrillField which, const char* text) const { typeInto(window()->field(which), text); }
    void calculate() const
    {
        QTest::mouseClick(window()->findChild<QPushButton*>(QStringLiteral("calculateButton")), Qt::LeftButton);
    }
    void mode(DrillMode which) const { window()->modeButton(which)->click(); }
};

TEST_F(DrillDepthsWindowTest, DrillsAndReports)
{
    controller->options()->settings.safetyValue = 0.0f;
    openPage(page::DrillDepths);
    DrillDepthsWindow* w = window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->accessibleName(), QStringLiteral("*Bohrtiefen / Reibtiefen Berechnung metrisch"));
    EXPECT_EQ(w->field(DrillField::Diameter)->accessibleName(), QStringLiteral("*Durchmesser [mm]:"));
    EXPECT_EQ(w->modeButton(DrillMode::Ream)->accessibleName(), QStringLiteral("*Reiben"));
    EXPECT_TRUE(w->modeButton(DrillMode::Drill)->isChecked());
    EXPECT_FALSE(w->threadList()->isVisibleTo(w));
    EXPECT_FALSE(w->result(DrillResult::ReamingDepth)->isVisibleTo(w));

    type(DrillField::Diameter, "10");
    type(DrillField::Depth, "20");
    type(DrillField::DrillStep, "0.5");
    calculate();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(shown(DrillResult::DrillingDepth), QStringLiteral("23.500"));
    EXPECT_EQ(shown(DrillResult::PointLength), QStringLiteral("3.004"));
    const auto written = reports("BTB");
    ASSERT_EQ(written.size(), 1u);
    std::ifstream in(written[0], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("*Bohrtiefe [mm]\t: 23.5000\r\n"), std::string::npos);
}

TEST_F(DrillDepthsWindowTest, TapsAnM8FromTheList)
{
    openPage(page::DrillDepths);
    DrillDepthsWindow* w = window();
    mode(DrillMode::Tap);
    EXPECT_TRUE(w->threadList()->isVisibleTo(w));
    EXPECT_FALSE(w->field(DrillField::Diameter)->isVisibleTo(w));
    ASSERT_EQ(w->threadList()->count(), 24);
    EXPECT_EQ(w->threadList()->itemText(5), QStringLiteral("M8x1.25 M"));
    w->threadList()->setCurrentIndex(5);
    emit w->threadList()->activated(5);
    type(DrillField::Depth, "16");
    type(DrillField::TapLead, "3");
    type(DrillField::DrillStep, "0.5");
    calculate();
    EXPECT_EQ(shown(DrillResult::CoreHoleDepth), QStringLiteral("20.000"));
    EXPECT_EQ(shown(DrillResult::Surplus), QStringLiteral("0.250"));
    EXPECT_EQ(w->field(DrillField::DrillDiameter)->text(), QStringLiteral("6.800"));

    type(DrillField::TapLead, "0");
    calculate();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Anschnitt des Gewindebohrers darf nicht 0 sein.");
}

TEST_F(DrillDepthsWindowTest, ReamsWithAProposedAllowance)
{
    openPage(page::DrillDepths);
    DrillDepthsWindow* w = window();
    mode(DrillMode::Ream);
    type(DrillField::Diameter, "8");
    ASSERT_EQ(w->form().mode(), DrillMode::Ream);
    ASSERT_EQ(w->allowanceList()->count(), 2);
    EXPECT_EQ(w->allowanceList()->itemText(0), QStringLiteral("0.20"));
    emit w->allowanceList()->activated(0);
    EXPECT_EQ(w->field(DrillField::Allowance)->text(), QStringLiteral("0.200"));
    type(DrillField::Depth, "20");
    type(DrillField::Chamfer, "1");
    EXPECT_EQ(w->form().mode(), DrillMode::Ream);
    EXPECT_EQ(w->form().text(DrillField::Chamfer), "1");
    calculate();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(w->field(DrillField::DrillDiameter)->text(), QStringLiteral("7.800"));
    EXPECT_EQ(shown(DrillResult::ReamingDepth), QStringLiteral("21.000"));
}

TEST_F(DrillDepthsWindowTest, InchTapFromTheUnifiedList)
{
    controller->options()->settings.unitSystem = kUnitSystemInch;
    openPage(page::DrillDepths);
    DrillDepthsWindow* w = window();
    mode(DrillMode::Tap);
    ASSERT_EQ(w->threadList()->count(), 28);
    EXPECT_EQ(w->threadList()->itemText(4), QStringLiteral("1/4-20 UNC"));
    w->threadList()->setCurrentIndex(4);
    emit w->threadList()->activated(4);
    type(DrillField::Depth, "0.5");
    type(DrillField::TapLead, "3");
    calculate();
    EXPECT_EQ(shown(DrillResult::CoreHoleDepth), QStringLiteral("0.650"));
    EXPECT_EQ(w->field(DrillField::DrillDiameter)->text(), QStringLiteral("0.201"));
}

TEST_F(DrillDepthsWindowTest, InputsStayAcrossSwitchingAway)
{
    openPage(page::DrillDepths);
    mode(DrillMode::Tap);
    window()->threadList()->setCurrentIndex(7);
    emit window()->threadList()->activated(7);
    type(DrillField::Depth, "16");
    QTest::mouseClick(window()->throughHoleBox(), Qt::LeftButton);
    window()->switchToPage(page::CuttingData);
    QApplication::processEvents();
    openPage(page::DrillDepths);
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->modeButton(DrillMode::Tap)->isChecked());
    EXPECT_EQ(window()->threadList()->currentIndex(), 7);
    EXPECT_EQ(window()->field(DrillField::Depth)->text(), QStringLiteral("16.000"));
    EXPECT_TRUE(window()->throughHoleBox()->isChecked());
}

} // namespace
} // namespace kvt
