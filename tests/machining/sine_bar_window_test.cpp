// The sine bar dialog offscreen: computing either field, the messages, the report, the
// inch system, clearing the corresponding fields and the inputs kept across switching.

#include "machining/sine_bar/sine_bar_window.h"

#include "window_test_fixture.h"

#include <QCheckBox>
#include <QLabel>

#include <fstream>

namespace kvt {
namespace {

class SineBarWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override { startProgram(page::SineBar, &makeWindow<SineBarWindow>); }

    SineBarWindow* window() const { return FunctionWindowFixture::window<SineBarWindow>(page::SineBar); }
    QString shown(SineBarField which) const { return window()->field(which)->text(); }
    void type(SineBarField which, const char* text) const { typeInto(window()->field(which), text); }
    void calculate() const
    {
        QTest::mouseClick(window()->findChild<QPushButton*>(QStringLiteral("calculateButton")), Qt::LeftButton);
    }
};

TEST_F(SineBarWindowTest, HeightFromAngleIsShownAndReported)
{
    openPage(page::SineBar);
    SineBarWindow* w = window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->accessibleName(), QStringLiteral("*Sinuslineal"));
    EXPECT_EQ(w->field(SineBarField::Length)->accessibleName(), QStringLiteral("*Länge [mm]:"));
    EXPECT_EQ(w->field(SineBarField::Height)->accessibleName(), QStringLiteral("*Unterleghöhe [mm]:"));
    EXPECT_FALSE(w->autoOpenBox()->isChecked());

    type(SineBarField::Length, "100");
    type(SineBarField::Angle, "30");
    calculate();
    EXPECT_EQ(shown(SineBarField::Height), QStringLiteral("50.000"));
    const auto written = reports("SLN");
    ASSERT_EQ(written.size(), 1u);
    std::ifstream in(written[0], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The report is in Windows-1252: "Unterleghöhe" with the single byte 0xF6.
    EXPECT_NE(text.find("*Unterlegh\xF6he [mm]\t: 50.00\r\n"), std::string::npos);
    EXPECT_TRUE(viewer.opened.empty());

    // Changing the angle computes the height again, not the angle.
    type(SineBarField::Angle, "45");
    calculate();
    EXPECT_EQ(shown(SineBarField::Height), QStringLiteral("70.711"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SineBarWindowTest, TooLargeAnAngleOrHeightIsTold)
{
    openPage(page::SineBar);
    type(SineBarField::Length, "100");
    type(SineBarField::Angle, "90.001");
    calculate();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Eingabewerte überprüfen, wahrscheinlich ist der Winkel zu groß");
    EXPECT_EQ(boxes.shown[0].caption, "*ERROR");
    EXPECT_EQ(shown(SineBarField::Height), QStringLiteral("0.000"));

    type(SineBarField::Angle, "");
    type(SineBarField::Height, "120");
    calculate();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "*Eingabewerte überprüfen, wahrscheinlich ist die Unterleghöhe zu groß");
    EXPECT_EQ(shown(SineBarField::Angle), QStringLiteral("0.000"));
    EXPECT_TRUE(reports("SLN").empty());
}

TEST_F(SineBarWindowTest, InchesGiveTheSameAngle)
{
    controller->options()->settings.unitSystem = kUnitSystemInch;
    controller->options()->settings.openReportsAutomatically = 1;
    openPage(page::SineBar);
    SineBarWindow* w = window();
    EXPECT_EQ(w->field(SineBarField::Length)->accessibleName(), QStringLiteral("*Länge [inch]:"));
    EXPECT_TRUE(w->autoOpenBox()->isChecked());
    type(SineBarField::Length, "5");
    type(SineBarField::Height, "2,5");
    calculate();
    EXPECT_EQ(shown(SineBarField::Angle), QStringLiteral("30.000"));
    EXPECT_EQ(viewer.opened.size(), 1u);
}

TEST_F(SineBarWindowTest, ClearingAnAngleOrHeightClearsBoth)
{
    openPage(page::SineBar);
    type(SineBarField::Length, "100");
    type(SineBarField::Angle, "30");
    calculate();
    window()->clearCorrespondingFields(window()->field(SineBarField::Angle));
    EXPECT_EQ(shown(SineBarField::Angle), QString());
    EXPECT_EQ(shown(SineBarField::Height), QString());
    EXPECT_EQ(shown(SineBarField::Length), QStringLiteral("100"));
    type(SineBarField::Height, "50");
    calculate();
    EXPECT_EQ(shown(SineBarField::Angle), QStringLiteral("30.000"));
}

TEST_F(SineBarWindowTest, ValuesStayAcrossSwitchingAway)
{
    openPage(page::SineBar);
    type(SineBarField::Length, "200");
    type(SineBarField::Angle, "10");
    calculate();
    window()->switchToPage(page::CuttingData);
    QApplication::processEvents();
    openPage(page::SineBar);
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(shown(SineBarField::Length), QStringLiteral("200.000"));
    EXPECT_EQ(shown(SineBarField::Angle), QStringLiteral("10.000"));
    EXPECT_EQ(shown(SineBarField::Height), QStringLiteral("34.730"));
}

} // namespace
} // namespace kvt
