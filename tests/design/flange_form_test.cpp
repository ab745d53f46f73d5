// The flange window's form: captions, the calculation in its order with the messages it
// asks for, which field is derived, the saved block, the report, the DXF export, the
// hand-over with the calculations dialog and the preview zoom.

#include "common/clock.h"
#include "common/code_page.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "design/dxf_reader.h"
#include "design/flanges/flange_form.h"
#include "state/app_message.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

namespace kvt {
namespace {

const BuiltinTexts kTexts;

std::string formatFixedForTest(double v)
{
    return formatFixed(v, 3);
}

int lk1(CircleField f)
{
    return circleInput(0, f);
}
int lk2(CircleField f)
{
    return circleInput(1, f);
}
int fl(FlangeField f)
{
    return flangeInput(f);
}

void type(FlangeForm& form, int input, std::string text)
{
    ASSERT_TRUE(form.setInputText(input, text)) << text;
}

std::string pointsOf(const HoleCircle& circle)
{
    std::string s;
    for (int i = 0; i < circle.holeCount; ++i) {
        const FlangePoint& p = circle.points[static_cast<std::size_t>(i)];
        s += "(" + formatFixedForTest(p.x) + ", " + formatFixedForTest(p.y) + ")";
    }
    return s;
}

TEST(FlangeForm, CaptionsFollowTheUnitSystem)
{
    const FlangeForm mm(0);
    const FlangeForm inch(1);
    EXPECT_EQ(mm.inputCaption(lk1(CircleField::HoleCount), kTexts), "*Anzahl Bohrungen:");
    EXPECT_EQ(mm.inputCaption(lk1(CircleField::Diameter), kTexts), "*Lochkreis-Durchmesser [mm]:");
    EXPECT_EQ(mm.inputCaption(lk1(CircleField::Pitch), kTexts), "*Bohrungs-Stich [mm]:");
    EXPECT_EQ(mm.inputCaption(lk1(CircleField::HoleAngle), kTexts), "*Winkel Bohrungen [ ° ]:");
    EXPECT_EQ(mm.inputCaption(lk1(CircleField::OffsetAngle), kTexts), "*Winkeloffset A [ ° ]:");
    EXPECT_EQ(mm.inputCaption(lk2(CircleField::OffsetAngle), kTexts), "*Winkeloffset B [ ° ]:");
    EXPECT_EQ(mm.inputCaption(lk2(CircleField::CounterboreDiameter), kTexts), "*Senk-Durchmesser [mm]:");
    EXPECT_EQ(mm.inputCaption(fl(FlangeField::OuterDiameter), kTexts), "*Außendurchmesser [mm]:");
    EXPECT_EQ(mm.inputCaption(fl(FlangeField::ZeroPointY), kTexts), "*Nullpunkt Y:");
    EXPECT_EQ(inch.inputCaption(lk1(CircleField::Pitch), kTexts), "*Bohrungs-Stich [inch]:");
    EXPECT_EQ(FlangeForm::kindName(8, kTexts), "*Flansch, beliebige Form, 1 Lochkreis, Sektion");
    EXPECT_EQ(FlangeForm::kindName(3, kTexts), "*Flansch, rund, 2 Lochkreise, Zentrierbund");
}

TEST(FlangeForm, OffsetAndZeroPointTakeAMinusOthersDoNot)
{
    FlangeForm form(0);
    std::string text = "-15";
    EXPECT_TRUE(form.setInputText(lk1(CircleField::OffsetAngle), text));
    EXPECT_EQ(form.inputValue(lk1(CircleField::OffsetAngle)), -15.0f);
    text = "-5";
    EXPECT_TRUE(form.setInputText(fl(FlangeField::ZeroPointX), text));
    text = "-5";
    EXPECT_FALSE(form.setInputText(lk1(CircleField::Pitch), text));
    EXPECT_EQ(text, "");
    text = "4.5";
    EXPECT_FALSE(form.setInputText(lk1(CircleField::HoleCount), text));
    EXPECT_EQ(text, "4");
}

TEST(FlangeForm, PitchOnlySuggestsTheOuterDiameterAndListsTheHoles)
{
    FlangeForm form(0);
    type(form, lk1(CircleField::HoleCount), "4");
    type(form, lk1(CircleField::Pitch), "70.711");
    type(form, lk1(CircleField::HoleDiameter), "11");
    type(form, lk1(CircleField::CounterboreDiameter), "18");
    // No outer diameter: the one the holes need is suggested, 2 (50 + 9 + 1) = 120.
    ASSERT_FALSE(form.calculate(kTexts, false));
    EXPECT_TRUE(form.calculated());
    EXPECT_EQ(form.inputText(fl(FlangeField::OuterDiameter)), "120.00");
    EXPECT_EQ(form.inputText(lk1(CircleField::Diameter)), "100.00");
    EXPECT_EQ(form.inputText(lk1(CircleField::Pitch)), "70.711"); // as typed
    EXPECT_EQ(pointsOf(form.data().geometry.circle1), "(0.000, 50.000)(50.000, 0.000)(0.000, -50.000)(-50.000, 0.000)");
    EXPECT_EQ(form.data().counterboreDrawing, 2);

    // A larger outer diameter stays; a smaller one gives way to the suggestion.
    type(form, fl(FlangeField::OuterDiameter), "130");
    ASSERT_FALSE(form.calculate(kTexts, false));
    EXPECT_EQ(form.inputText(fl(FlangeField::OuterDiameter)), "130");
    type(form, fl(FlangeField::OuterDiameter), "110");
    ASSERT_FALSE(form.calculate(kTexts, false));
    EXPECT_EQ(form.inputText(fl(FlangeField::OuterDiameter)), "120.00");
    EXPECT_EQ(formatFixedForTest(form.data().suggestedOuter1), "120.000");
    EXPECT_EQ(formatFixedForTest(form.data().geometry.outerRadius), "60.000");
}

TEST(FlangeForm, AutoOffsetAndDerivedPitchGiveTheSameHolesOnEveryPress)
{
    FlangeForm form(0);
    type(form, lk1(CircleField::HoleCount), "6");
    type(form, lk1(CircleField::Diameter), "100");
    type(form, lk1(CircleField::HoleAngle), "60");
    type(form, lk1(CircleField::HoleDiameter), "10");
    form.setAutoOffset(0, true);
    for (int press = 0; press < 3; ++press) {
        ASSERT_FALSE(form.calculate(kTexts, false)) << press;
        EXPECT_EQ(form.derived(0), Derived::Pitch);
        EXPECT_EQ(form.inputText(lk1(CircleField::OffsetAngle)), " 30.00");
        EXPECT_EQ(form.inputText(lk1(CircleField::Pitch)), " 50.00");
        EXPECT_EQ(form.inputText(lk1(CircleField::Diameter)), "100");
        EXPECT_EQ(form.inputText(lk1(CircleField::HoleAngle)), "60");
        // 2 (50 + 5 + 1)
        EXPECT_EQ(form.inputText(fl(FlangeField::OuterDiameter)), "112.00");
        const FlangePoint first = form.data().geometry.circle1.points[0];
        EXPECT_EQ(formatFixedForTest(first.x) + " " + formatFixedForTest(first.y), "25.000 43.301");
    }
}

TEST(FlangeForm, DerivedFieldIsClearedWhenAllThreeAreFilled)
{
    FlangeForm form(0);
    type(form, lk1(CircleField::HoleCount), "4");
    type(form, lk1(CircleField::Pitch), "70.711");
    type(form, lk1(CircleField::HoleAngle), "90");
    type(form, lk1(CircleField::HoleDiameter), "10");
    type(form, fl(FlangeField::OuterDiameter), "150");
    ASSERT_FALSE(form.calculate(kTexts, false));
    EXPECT_EQ(form.derived(0), Derived::Diameter);
    EXPECT_EQ(form.inputText(lk1(CircleField::Diameter)), "100.00");
    // The user changes the pitch: the derived diameter goes, the new pitch counts.
    type(form, lk1(CircleField::Pitch), "141.421");
    ASSERT_FALSE(form.calculate(kTexts, false));
    EXPECT_EQ(form.inputText(lk1(CircleField::Diameter)), "200.00");
    EXPECT_EQ(form.inputText(fl(FlangeField::OuterDiameter)), "212.00");
}

TEST(FlangeForm, AllThreeTypedWithoutAnyDerivedIsOverDetermined)
{
    FlangeForm form(0);
    type(form, lk1(CircleField::HoleCount), "4");
    type(form, lk1(CircleField::Diameter), "100");
    type(form, lk1(CircleField::Pitch), "70.711");
    type(form, lk1(CircleField::HoleAngle), "90");
    type(form, lk1(CircleField::HoleDiameter), "10");
    const auto message = form.calculate(kTexts, false);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text,
        "*LK1: Lochkreis-Durchmesser, Bohrungs-Stich und Winkel Bohrungen sind alle angegeben. Bitte nur zwei der "
        "drei Werte angeben.");
}

TEST(FlangeForm, SquareAngleMustMatchExactly)
{
    FlangeForm form(0);
    form.setComboIndex(4);
    type(form, lk1(CircleField::HoleCount), "6");
    type(form, lk1(CircleField::Diameter), "100");
    type(form, lk1(CircleField::HoleAngle), "59.96");
    type(form, lk1(CircleField::HoleDiameter), "10");
    type(form, fl(FlangeField::OuterDiameter), "150");
    auto message = form.calculate(kTexts, false);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "*LK1: Der Winkel Bohrungen passt nicht zur Anzahl der Bohrungen (360° / Anzahl).");
    form.setComboIndex(0);
    EXPECT_FALSE(form.calculate(kTexts, false));
}

TEST(FlangeForm, MoreThanHundredHolesRefusesThePointList)
{
    FlangeForm form(0);
    form.setComboIndex(2);
    for (int c : {0, 1}) {
        type(form, circleInput(c, CircleField::HoleCount), "100");
        type(form, circleInput(c, CircleField::Pitch), "3");
        type(form, circleInput(c, CircleField::HoleDiameter), "1");
    }
    type(form, fl(FlangeField::OuterDiameter), "500");
    type(form, lk2(CircleField::HoleCount), "101");
    auto message = form.calculate(kTexts, false);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "Anzahl der Bohrungen LK2 zu gro0 für Punkteliste");
    EXPECT_EQ(message->caption, "Error");
    EXPECT_EQ(message->icon, MessageIcon::Error);
    EXPECT_FALSE(form.calculated());
    type(form, lk1(CircleField::HoleCount), "101");
    message = form.calculate(kTexts, true);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "Anzahl der Bohrungen LK1 zu gro0 für Punkteliste");
    EXPECT_EQ(message->icon, MessageIcon::Information);
}

TEST(FlangeForm, OneCircleKindsLeaveLk2Alone)
{
    FlangeForm form(0);
    type(form, lk1(CircleField::HoleCount), "4");
    type(form, lk1(CircleField::Pitch), "70.711");
    type(form, lk1(CircleField::HoleDiameter), "10");
    type(form, lk1(CircleField::CounterboreDiameter), "16");
    type(form, fl(FlangeField::OuterDiameter), "150");
    // Left over from a two-circle flange: neither checked nor drawn.
    type(form, lk2(CircleField::CounterboreDiameter), "3");
    type(form, lk2(CircleField::HoleCount), "500");
    ASSERT_FALSE(form.calculate(kTexts, false));
    EXPECT_EQ(form.data().counterboreDrawing, 2);
    EXPECT_FALSE(form.inputEnabled(lk2(CircleField::Pitch)));
    EXPECT_FALSE(form.inputEnabled(fl(FlangeField::CentringDiameter)));
    form.setComboIndex(3);
    EXPECT_TRUE(form.inputEnabled(lk2(CircleField::Pitch)));
    EXPECT_TRUE(form.inputEnabled(fl(FlangeField::CentringDiameter)));
}

TEST(FlangeForm, ZeroPointChoicesByKind)
{
    FlangeForm form(0);
    struct Case {
        int combo;
        ZeroChoice choice;
        std::uint8_t mode;
    };
    const Case cases[] = {{0, ZeroChoice::Centre, 1}, {0, ZeroChoice::Entered, 2}, {4, ZeroChoice::BottomLeft, 3},
        {4, ZeroChoice::BottomRight, 4}, {4, ZeroChoice::TopLeft, 5}, {6, ZeroChoice::TopRight, 6},
        {6, ZeroChoice::Centre, 7}, {5, ZeroChoice::Entered, 8}, {8, ZeroChoice::Entered, 8}};
    for (const Case& c : cases) {
        form.setComboIndex(c.combo);
        ASSERT_TRUE(form.zeroChoiceEnabled(c.choice));
        form.setZeroChoice(c.choice);
        EXPECT_EQ(form.zeroPointMode(), c.mode) << c.combo << " " << int(c.choice);
    }
    form.setComboIndex(4);
    form.setZeroChoice(ZeroChoice::TopLeft);
    form.setComboIndex(0); // a round flange has no corners
    EXPECT_EQ(form.zeroChoice(), ZeroChoice::Centre);
    EXPECT_FALSE(form.zeroChoiceEnabled(ZeroChoice::BottomRight));
    form.setComboIndex(8);
    EXPECT_EQ(form.zeroChoice(), ZeroChoice::Entered);
    EXPECT_FALSE(form.zeroChoiceEnabled(ZeroChoice::Centre));
}

TEST(FlangeForm, ZeroPointCountsOnlyWhenChosen)
{
    FlangeForm form(0);
    type(form, lk1(CircleField::HoleCount), "4");
    type(form, lk1(CircleField::Pitch), "70.711");
    type(form, lk1(CircleField::HoleDiameter), "10");
    type(form, fl(FlangeField::OuterDiameter), "150");
    type(form, fl(FlangeField::ZeroPointX), "10");
    type(form, fl(FlangeField::ZeroPointY), "-5");
    ASSERT_FALSE(form.calculate(kTexts, false));
    EXPECT_EQ(pointsOf(form.data().geometry.circle1), "(0.000, 50.000)(50.000, 0.000)(0.000, -50.000)(-50.000, 0.000)");
    form.setZeroChoice(ZeroChoice::Entered);
    ASSERT_FALSE(form.calculate(kTexts, false));
    EXPECT_EQ(
        pointsOf(form.data().geometry.circle1), "(10.000, 45.000)(60.000, -5.000)(10.000, -55.000)(-40.000, -5.000)");
}

TEST(FlangeForm, FreeFormClearsTheOuterDiameter)
{
    FlangeForm form(0);
    form.setComboIndex(8);
    type(form, lk1(CircleField::HoleCount), "3");
    type(form, lk1(CircleField::Diameter), "80");
    type(form, lk1(CircleField::HoleAngle), "30");
    type(form, lk1(CircleField::HoleDiameter), "10");
    type(form, fl(FlangeField::OuterDiameter), "150");
    ASSERT_FALSE(form.calculate(kTexts, false));
    EXPECT_EQ(form.inputText(fl(FlangeField::OuterDiameter)), "");
    EXPECT_EQ(form.inputText(lk1(CircleField::Pitch)), " 20.71"); // chord of 30 degrees on radius 40
    EXPECT_EQ(pointsOf(form.data().geometry.circle1), "(0.000, 40.000)(20.000, 34.641)(34.641, 20.000)");
}

TEST(FlangeForm, InchInputsAreWorkedInMillimetres)
{
    FlangeForm form(1);
    type(form, lk1(CircleField::HoleCount), "4");
    type(form, lk1(CircleField::Pitch), "2.78390");
    type(form, lk1(CircleField::HoleDiameter), "0.25");
    type(form, fl(FlangeField::OuterDiameter), "6");
    ASSERT_FALSE(form.calculate(kTexts, false));
    // 2.7839 inch = 70.7107 mm: radius 50.000 mm, shown as 3.93700 inch
    EXPECT_EQ(form.inputText(lk1(CircleField::Diameter)), "  3.94");
    EXPECT_EQ(formatFixedForTest(form.data().geometry.circle1.points[0].y), "50.000");
}

TEST(FlangeForm, DetermineDiameterNeedsCountAndPitch)
{
    FlangeForm form(0);
    auto message = form.determineDiameter(kTexts);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text,
        "*Für die Ermittlung des Lochkreis-Durchmessers muss die Anzahl der Bohrungen und der Bohrungs-Stich "
        "angeben werden");
    EXPECT_EQ(message->caption, "*Fehler");
    EXPECT_EQ(form.inputText(lk1(CircleField::Diameter)), "");

    form.setComboIndex(2);
    form.selectCircle(1);
    type(form, lk2(CircleField::HoleCount), "4");
    type(form, lk2(CircleField::Pitch), "70.711");
    EXPECT_FALSE(form.determineDiameter(kTexts));
    EXPECT_EQ(form.inputText(lk2(CircleField::Diameter)), "100.00");
    EXPECT_EQ(form.inputText(lk2(CircleField::HoleAngle)), " 90.00");
    EXPECT_EQ(form.inputText(lk1(CircleField::Diameter)), "");
    EXPECT_EQ(form.derived(1), Derived::Diameter);
}

TEST(FlangeForm, PitchHandOverBothWays)
{
    FlangeForm form(0);
    form.setComboIndex(2);
    form.selectCircle(1);
    type(form, lk2(CircleField::HoleDiameter), "12");
    OpenRequest request;
    form.fillPitchRequest(request);
    EXPECT_EQ(request.returnDataWanted, 1);
    EXPECT_EQ(request.calcValue1, 14);
    float diameter = 0;
    std::memcpy(&diameter, &request.calcValue2, sizeof diameter);
    EXPECT_EQ(diameter, 12.0f);
    EXPECT_EQ(request.calcValue3, 2);

    FlangeForm back(0);
    back.setComboIndex(2);
    const float pitch = 42.5f;
    std::int32_t bits = 0;
    std::memcpy(&bits, &pitch, sizeof bits);
    EXPECT_TRUE(back.takeOverPitch(bits, 2));
    EXPECT_EQ(back.inputText(lk2(CircleField::Pitch)), "42.500");
    EXPECT_EQ(back.selectedCircle(), 1);
    EXPECT_FALSE(back.takeOverPitch(0, 1)); // no pitch came back
    EXPECT_FALSE(back.takeOverPitch(bits, 3));
    back.setComboIndex(0);
    EXPECT_FALSE(back.takeOverPitch(bits, 2)); // LK2 is not in use
}

TEST(FlangeForm, BlockRoundTripAndDamagedValues)
{
    FlangeForm form(0);
    form.setComboIndex(7);
    form.selectCircle(1);
    form.setAutoOffset(1, true);
    form.setZeroChoice(ZeroChoice::BottomRight);
    type(form, lk1(CircleField::HoleCount), "8");
    type(form, lk2(CircleField::Pitch), "12.5");
    type(form, fl(FlangeField::ZeroPointX), "-7.25");
    const FlangeBlock block = form.store(true);
    EXPECT_EQ(block.openReportAutomatically, 1);

    FlangeForm again(0);
    EXPECT_FALSE(again.fill(block));
    EXPECT_EQ(again.comboIndex(), 7);
    EXPECT_EQ(again.selectedCircle(), 1);
    EXPECT_TRUE(again.autoOffset(1));
    EXPECT_FALSE(again.autoOffset(0));
    EXPECT_EQ(again.zeroChoice(), ZeroChoice::BottomRight);
    EXPECT_EQ(again.inputText(lk1(CircleField::HoleCount)), "8");
    EXPECT_EQ(again.inputText(lk2(CircleField::Pitch)), "12.500");
    EXPECT_EQ(again.inputText(fl(FlangeField::ZeroPointX)), "-7.250");
    EXPECT_EQ(again.inputText(lk1(CircleField::Diameter)), "");

    FlangeForm inch(1);
    inch.fill(block);
    EXPECT_EQ(inch.inputText(lk2(CircleField::Pitch)), "0.4921");

    FlangeBlock damaged = block;
    damaged.inputs[lk1(CircleField::HoleCount)] = std::numeric_limits<float>::quiet_NaN();
    damaged.inputs[lk2(CircleField::Pitch)] = -3;
    damaged.inputs[lk2(CircleField::HoleCount)] = 1e30f;
    damaged.comboIndex = 200;
    damaged.zeroChoice = 99;
    damaged.derived[0] = 7;
    damaged.lastDxfPath[0] = u'/';
    FlangeForm broken(0);
    broken.fill(damaged);
    EXPECT_EQ(broken.inputText(lk1(CircleField::HoleCount)), "");
    EXPECT_EQ(broken.inputText(lk2(CircleField::Pitch)), "");
    EXPECT_EQ(broken.inputText(lk2(CircleField::HoleCount)), "1000000");
    EXPECT_EQ(broken.comboIndex(), 0);
    EXPECT_EQ(broken.zeroChoice(), ZeroChoice::Centre);
    EXPECT_EQ(broken.derived(0), Derived::None);
}

TEST(FlangeForm, ReportListsEveryHoleInTheZeroPointsCoordinates)
{
    FlangeForm form(0);
    form.setComboIndex(4);
    form.setZeroChoice(ZeroChoice::BottomLeft);
    type(form, lk1(CircleField::HoleCount), "4");
    type(form, lk1(CircleField::Pitch), "42.42641");
    type(form, lk1(CircleField::HoleDiameter), "10");
    type(form, fl(FlangeField::OuterDiameter), "100");
    type(form, fl(FlangeField::InnerDiameter), "20");
    ASSERT_FALSE(form.calculate(kTexts, false));
    const std::string report = form.reportText(kTexts, 49, LocalDateTime {2025, 3, 7, 14, 5, 9});
    const std::string expected = "07.03.2025_14:05\r\n"
                                 "--------------------------------------------\r\n"
                                 "---------------------------------------------------------------------\r\n"
                                 "*Flansche\r\n"
                                 "*Flansch, quadratisch, 1 Lochkreis\r\n"
                                 "*Außendurchmesser [mm]\t:  100.0\r\n"
                                 "*Innendurchmesser [mm]\t:   20.0\r\n"
                                 "*Nullpunkt X\t:    0.0\r\n"
                                 "*Nullpunkt Y\t:    0.0\r\n"
                                 "*Nullpunkt\t: *Ecke unten links\r\n"
                                 "--------------------------------------------\r\n"
                                 "*Lochkreis LK1\r\n"
                                 "*Anzahl Bohrungen\t: 4\r\n"
                                 "*Lochkreis-Durchmesser [mm]\t:   60.0\r\n"
                                 "*Bohrungs-Durchmesser [mm]\t:   10.0\r\n"
                                 "*Bohrungs-Stich [mm]\t:   42.4\r\n"
                                 "*Winkel Bohrungen [ ° ]\t:  90.00\r\n"
                                 "*Winkeloffset A [ ° ]\t:   0.00\r\n"
                                 "--------------------------------------------\r\n"
                                 "*Punkteliste\r\n"
                                 "0001 X:   50.000 Y:   80.000\r\n"
                                 "0002 X:   80.000 Y:   50.000\r\n"
                                 "0003 X:   50.000 Y:   20.000\r\n"
                                 "0004 X:   20.000 Y:   50.000\r\n"
                                 "---------------------------------------------------------------------\r\n";
    EXPECT_EQ(report, expected);
}

TEST(FlangeForm, ReportInInches)
{
    FlangeForm form(1);
    type(form, lk1(CircleField::HoleCount), "2");
    type(form, lk1(CircleField::Pitch), "4");
    type(form, lk1(CircleField::HoleDiameter), "0.25");
    type(form, fl(FlangeField::OuterDiameter), "6");
    ASSERT_FALSE(form.calculate(kTexts, false));
    const std::string report = form.reportText(kTexts, 44, LocalDateTime {2025, 3, 7, 14, 5, 9});
    EXPECT_NE(report.find("*Außendurchmesser [inch]\t:  6.000\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("0001 X:    0.000 Y:    2.000\r\n0002 X:    0.000 Y:   -2.000\r\n"), std::string::npos)
        << report;
}

class DxfExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path()
            / ("kvt_flange_form_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    static std::string read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    FlangeForm calculated()
    {
        FlangeForm form(0);
        type(form, lk1(CircleField::HoleCount), "4");
        type(form, lk1(CircleField::Pitch), "70.711");
        type(form, lk1(CircleField::HoleDiameter), "10");
        type(form, fl(FlangeField::OuterDiameter), "150");
        type(form, fl(FlangeField::InnerDiameter), "40");
        EXPECT_FALSE(form.calculate(kTexts, false));
        return form;
    }

    std::filesystem::path m_folder;
};

TEST_F(DxfExportTest, WritesTheDrawingAndKeepsThePath)
{
    FlangeForm form = calculated();
    const auto path = m_folder / "flansch.dxf";
    EXPECT_FALSE(form.exportDxf(path, 0, kTexts));
    std::string error;
    const test::DxfDocument doc = test::readDxf(read(path), error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(doc.entities.size(), 6u);
    EXPECT_EQ(doc.entities[2].summary(), "CIRCLE CircleLayer 0.000 50.000 5.000");
    EXPECT_EQ(utf16ToUtf8(form.lastDxfPath()), path.string());
    EXPECT_EQ(utf16ToUtf8(fixedText(form.store(false).lastDxfPath)), path.string());
}

TEST_F(DxfExportTest, AFileThatCannotBeWrittenIsReportedWithItsPath)
{
    FlangeForm form = calculated();
    const auto path = m_folder / "missing" / "flansch.dxf";
    const auto message = form.exportDxf(path, 1, kTexts);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text.substr(0, message->text.find('\n') + path.string().size() + 1),
        "*Die DXF-Datei konnte nicht geschrieben werden:\n" + path.string());
    EXPECT_EQ(message->icon, MessageIcon::Error);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(DxfExportTest, ALongPathIsWrittenButNotKept)
{
    FlangeForm form = calculated();
    const auto first = m_folder / "first.dxf";
    ASSERT_FALSE(form.exportDxf(first, 0, kTexts));
    auto deep = m_folder;
    for (int i = 0; i < 5; ++i)
        deep /= std::string(60, char('a' + i));
    std::filesystem::create_directories(deep);
    const auto longPath = deep / "flansch.dxf";
    ASSERT_GE(longPath.string().size(), 256u);
    EXPECT_FALSE(form.exportDxf(longPath, 0, kTexts));
    EXPECT_TRUE(std::filesystem::exists(longPath));
    EXPECT_EQ(utf16ToUtf8(form.lastDxfPath()), first.string());
}

TEST_F(DxfExportTest, NothingBeforeACalculation)
{
    FlangeForm form(0);
    const auto path = m_folder / "none.dxf";
    EXPECT_FALSE(form.exportDxf(path, 0, kTexts));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(FlangeForm, CorrespondingFieldsAreDiameterPitchAndAngle)
{
    FlangeForm form(0);
    form.setComboIndex(2);
    for (int input = 0; input < kFlangeInputCount; ++input) {
        const bool expected = input == lk1(CircleField::Diameter) || input == lk1(CircleField::Pitch)
            || input == lk1(CircleField::HoleAngle) || input == lk2(CircleField::Diameter)
            || input == lk2(CircleField::Pitch) || input == lk2(CircleField::HoleAngle);
        EXPECT_EQ(FlangeForm::isCorresponding(input), expected) << input;
    }
    type(form, lk2(CircleField::HoleCount), "4");
    type(form, lk2(CircleField::Diameter), "100");
    type(form, lk2(CircleField::HoleAngle), "90");
    type(form, lk2(CircleField::HoleDiameter), "8");
    type(form, lk1(CircleField::Pitch), "20");
    form.clearCorresponding(lk2(CircleField::HoleAngle));
    EXPECT_EQ(form.inputText(lk2(CircleField::Diameter)), "");
    EXPECT_EQ(form.inputText(lk2(CircleField::HoleAngle)), "");
    EXPECT_EQ(form.inputValue(lk2(CircleField::Diameter)), 0.0f);
    EXPECT_EQ(form.inputText(lk2(CircleField::HoleDiameter)), "8");
    EXPECT_EQ(form.inputText(lk1(CircleField::Pitch)), "20");
    form.clearCorresponding(lk2(CircleField::HoleDiameter)); // not one of them: nothing
    EXPECT_EQ(form.inputText(lk2(CircleField::HoleDiameter)), "8");
}

TEST(FlangeForm, ZoomSteps)
{
    FlangeForm form(0);
    EXPECT_EQ(form.zoomTenths(), 10);
    std::string seen;
    for (int i = 0; i < 10; ++i) {
        form.zoomOut();
        seen += std::to_string(form.zoomTenths()) + " ";
    }
    EXPECT_EQ(seen, "9 8 7 6 5 4 3 2 1 1 ");
    for (int i = 0; i < 120; ++i)
        form.zoomIn();
    EXPECT_EQ(form.zoomTenths(), 100);
    form.zoomReset();
    EXPECT_EQ(form.zoom(), 1.0);
}

} // namespace
} // namespace kvt
