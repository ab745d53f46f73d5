// The dowel pin dialog offscreen: a 6 mm joint laid out with the optimum length, the
// depths and their report, the factor message, "*Erm." opening the drill-depth window,
// and the inputs kept across switching away.

#include "common/number_format.h"
#include "design/dowel_pins/dowel_pins_window.h"
#include "design/dowel_pins/joint_picture.h"

#include "window_test_fixture.h"

#include <QCheckBox>
#include <QComboBox>

#include <fstream>

namespace kvt {
namespace {

class DowelPinsWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        startProgram(page::DowelPins, &makeWindow<DowelPinsWindow>);
        controller->options()->settings.safetyValue = 0.2f;
    }

    DowelPinsWindow* window() const { return FunctionWindowFixture::window<DowelPinsWindow>(page::DowelPins); }
    QString shown(PinResult which) const { return window()->result(which)->text(); }
    void type(PinField which, const char* text) const { typeInto(window()->field(which), text); }
    void click(const char* name) const
    {
        QTest::mouseClick(window()->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
};

TEST_F(DowelPinsWindowTest, SixMillimetreJoint)
{
    openPage(page::DowelPins);
    DowelPinsWindow* w = window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->accessibleName(), QStringLiteral("*Verstiftungen"));
    EXPECT_EQ(w->diameterList()->accessibleName(), QStringLiteral("*Durchmesser Zylinderstift [mm]:"));
    EXPECT_EQ(w->field(PinField::Factor)->accessibleName(), QStringLiteral("*D/L Faktor der 1. Bohrung:"));
    EXPECT_EQ(w->diameterList()->currentText(), QStringLiteral("5"));

    w->diameterList()->setCurrentIndex(5);
    emit w->diameterList()->activated(5);
    EXPECT_EQ(w->lengthList()->count(), 19);
    click("optimumButton");
    EXPECT_EQ(w->field(PinField::Length)->text(), QStringLiteral("18.000"));
    EXPECT_EQ(w->lengthList()->currentText(), QStringLiteral("18* D/L Opt."));

    type(PinField::DrillAllowance, "1.8");
    type(PinField::ReamAllowance, "0.5");
    click("calculateButton");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(shown(PinResult::Pin1), QStringLiteral(" 9.000"));
    EXPECT_EQ(shown(PinResult::Pin2), QStringLiteral(" 9.000"));
    EXPECT_EQ(shown(PinResult::Drill1), QStringLiteral("11.500")); // 0.5 + 9 + 1.8 + 0.2
    EXPECT_EQ(shown(PinResult::Drill2), QStringLiteral("11.300"));
    EXPECT_EQ(shown(PinResult::Ream1), QStringLiteral("10.200"));
    EXPECT_EQ(shown(PinResult::Ream2), QStringLiteral("10.000"));
    EXPECT_EQ(formatNumber("%.3f", w->picture()->data().bore1), "11.500");
    const auto written = reports("STFT");
    ASSERT_EQ(written.size(), 1u);
    std::ifstream in(written[0], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("*Reibtiefe WS 2 [mm]\t: 10.000\r\n"), std::string::npos);

    type(PinField::Factor, "0");
    click("calculateButton");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*D / L Faktor darf nicht 0 sein");
    EXPECT_EQ(reports("STFT").size(), 1u);
}

TEST_F(DowelPinsWindowTest, DetermineOpensTheDrillDepthWindow)
{
    openPage(page::DowelPins);
    click("drillDepthsButton");
    QApplication::processEvents();
    EXPECT_EQ(controller->state()->currentPage, page::DrillDepths);
}

TEST_F(DowelPinsWindowTest, InputsStayAcrossSwitchingAway)
{
    openPage(page::DowelPins);
    window()->diameterList()->setCurrentIndex(6);
    emit window()->diameterList()->activated(6);
    type(PinField::DrillAllowance, "2");
    window()->switchToPage(page::CuttingData);
    QApplication::processEvents();
    openPage(page::DowelPins);
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->diameterList()->currentText(), QStringLiteral("8"));
    EXPECT_EQ(window()->field(PinField::DrillAllowance)->text(), QStringLiteral("2.000"));
    EXPECT_FALSE(window()->grab().isNull());
}

} // namespace
} // namespace kvt
