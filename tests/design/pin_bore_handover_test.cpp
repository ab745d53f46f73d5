// The dowel pin and drill-depth dialogs together, offscreen: "*Erm." hands the pin diameter
// over in the display unit and the drill-depth window reams it; "*Zurück" brings the drill
// point (and the reamer chamfer) back as t (and r); the inputs of both windows survive the
// round trip; opened from the menu the drill-depth window offers no way back.

#include "design/dowel_pins/dowel_pins_window.h"
#include "design/drill_depths/drill_depths_window.h"

#include "window_test_fixture.h"

#include <QComboBox>
#include <QRadioButton>

namespace kvt {
namespace {

class PinBoreHandOverTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        startProgram(page::DowelPins, &makeWindow<DowelPinsWindow>);
        host.setWindowFactory([this](int wanted, AppController& c) -> FunctionWindow* {
            if (wanted == page::DowelPins)
                return new DowelPinsWindow(c, services());
            if (wanted == page::DrillDepths)
                return new DrillDepthsWindow(c, services());
            return new TitleOnlyWindow(c, wanted);
        });
    }

    DowelPinsWindow* pins() const { return window<DowelPinsWindow>(page::DowelPins); }
    DrillDepthsWindow* drill() const { return window<DrillDepthsWindow>(page::DrillDepths); }
    void choosePin(int index) const
    {
        pins()->diameterList()->setCurrentIndex(index);
        emit pins()->diameterList()->activated(index);
    }
    static void click(QWidget* window, const char* name)
    {
        QTest::mouseClick(window->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
        QApplication::processEvents();
    }
};

TEST_F(PinBoreHandOverTest, DetermineHandsThePinDiameterInTheDisplayUnit)
{
    struct Case {
        int unitSystem;
        int pin;
        const char* listed;
        const char* diameter; // exactly as the drill-depth window shows it
        int allowanceChoices;
    };
    const Case cases[] = {
        {kUnitSystemMetric, 5, "6", "6.000", 2}, // 0.2 and 0.3 for 5 < d <= 10
        {kUnitSystemMetric, 0, "1.5", "1.500", 2},
        {kUnitSystemInch, 8, "1/4", "0.250", 3}, // tight, loose, own
        {kUnitSystemInch, 4, "5/32", "0.156", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listed);
        controller->options()->settings.unitSystem = c.unitSystem;
        openPage(page::DowelPins);
        choosePin(c.pin);
        ASSERT_EQ(pins()->diameterList()->currentText(), QString::fromLatin1(c.listed));
        click(pins(), "drillDepthsButton");
        ASSERT_EQ(controller->state()->currentPage, page::DrillDepths);
        ASSERT_NE(drill(), nullptr);
        EXPECT_EQ(pins(), nullptr); // the dowel pin window gave way
        EXPECT_EQ(drill()->field(DrillField::Diameter)->text(), QString::fromLatin1(c.diameter));
        EXPECT_TRUE(drill()->modeButton(DrillMode::Ream)->isChecked());
        EXPECT_EQ(drill()->allowanceList()->count(), c.allowanceChoices);
        EXPECT_TRUE(drill()->backButton()->isVisibleTo(drill()));
        EXPECT_EQ(drill()->backButton()->accessibleName(), QStringLiteral("*Zurück"));
        click(drill(), "backButton");
        ASSERT_EQ(controller->state()->currentPage, page::DowelPins);
    }
}

TEST_F(PinBoreHandOverTest, BackBringsTheDrillPointAndKeepsEveryInput)
{
    openPage(page::DowelPins);
    choosePin(5); // 6 mm
    click(pins(), "optimumButton");
    typeInto(pins()->field(PinField::Extra1), "0.7");
    typeInto(pins()->field(PinField::DrillAllowance), "0.4");
    typeInto(pins()->field(PinField::ReamAllowance), "0.3");

    // Back before any calculation: nothing comes back, nothing is lost.
    click(pins(), "drillDepthsButton");
    typeInto(drill()->field(DrillField::Chamfer), "1");
    typeInto(drill()->field(DrillField::Depth), "9");
    typeInto(drill()->field(DrillField::RunIn), "2");
    click(drill(), "backButton");
    ASSERT_NE(pins(), nullptr);
    EXPECT_EQ(pins()->field(PinField::DrillAllowance)->text(), QStringLiteral("0.400"));
    EXPECT_EQ(pins()->field(PinField::ReamAllowance)->text(), QStringLiteral("0.300"));
    EXPECT_EQ(pins()->result(PinResult::Pin1)->text(), QStringLiteral("")); // nothing came back, nothing calculated

    click(pins(), "drillDepthsButton");
    ASSERT_NE(drill(), nullptr);
    EXPECT_EQ(drill()->field(DrillField::Chamfer)->text(), QStringLiteral("1.000"));
    EXPECT_EQ(drill()->field(DrillField::RunIn)->text(), QStringLiteral("2.000"));
    emit drill()->allowanceList()->activated(0); // 0.2: pre-drill 5.8
    click(drill(), "calculateButton");
    EXPECT_EQ(drill()->field(DrillField::DrillDiameter)->text(), QStringLiteral("5.800"));
    EXPECT_EQ(drill()->result(DrillResult::PointLength)->text(), QStringLiteral("1.742")); // 5.8 / (2 tan 59)
    click(drill(), "backButton");

    ASSERT_NE(pins(), nullptr);
    EXPECT_EQ(pins()->field(PinField::DrillAllowance)->text(), QStringLiteral("1.742"));
    EXPECT_EQ(pins()->field(PinField::ReamAllowance)->text(), QStringLiteral("1.000"));
    EXPECT_EQ(pins()->diameterList()->currentText(), QStringLiteral("6"));
    EXPECT_EQ(pins()->field(PinField::Length)->text(), QStringLiteral("18.000"));
    EXPECT_EQ(pins()->field(PinField::Extra1)->text(), QStringLiteral("0.700"));
    // The depths are shown with the new t at once, without a report.
    EXPECT_EQ(pins()->result(PinResult::Drill2)->text(), QStringLiteral("11.242")); // 0.5 + 9 + 1.742
    EXPECT_TRUE(reports("STFT").empty());

    // From the menu the drill-depth window keeps its inputs but has no way back.
    pins()->switchToPage(page::DrillDepths);
    QApplication::processEvents();
    ASSERT_NE(drill(), nullptr);
    EXPECT_EQ(drill()->field(DrillField::RunIn)->text(), QStringLiteral("2.000"));
    EXPECT_EQ(drill()->field(DrillField::Diameter)->text(), QStringLiteral("6.000"));
    EXPECT_FALSE(drill()->backButton()->isVisibleTo(drill()));
    drill()->goBack();
    QApplication::processEvents();
    EXPECT_EQ(controller->state()->currentPage, page::DrillDepths);
}

} // namespace
} // namespace kvt
