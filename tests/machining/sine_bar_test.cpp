// Sine bar: height and angle with the precision the window shows, and the window form's
// decision which field to compute, its messages, the unit systems, the saved block and
// the report, without any widget.

#include "common/clock.h"
#include "common/language_codes.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "common/units.h"
#include "machining/sine_bar/sine_bar.h"
#include "machining/sine_bar/sine_bar_form.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace kvt {
namespace {

TEST(SineBarFormulas, ReadAsTheWindowShowsThem)
{
    EXPECT_EQ(formatNumber("%.3f", SineBarHeight(100.0f, 30.0f)), "50.000");
    EXPECT_EQ(formatNumber("%.3f", SineBarHeight(100.0f, 90.0f)), "100.000");
    EXPECT_EQ(formatNumber("%.3f", SineBarHeight(200.0f, 45.0f)), "141.421");
    EXPECT_EQ(formatNumber("%.3f", SineBarAngle(100.0f, 50.0f)), "30.000");
    EXPECT_EQ(formatNumber("%.3f", SineBarAngle(100.0f, 100.0f)), "90.000");
    EXPECT_TRUE(std::isnan(SineBarAngle(100.0f, 100.001f)));
}

constexpr const char* kOnlyOne = "*Es kann entweder die Unterleghöhe\noder der Winkel berechnet werden";
constexpr const char* kAngleTooLarge = "*Eingabewerte überprüfen, wahrscheinlich ist der Winkel zu groß";
constexpr const char* kHeightTooLarge = "*Eingabewerte überprüfen, wahrscheinlich ist die Unterleghöhe zu groß";

struct SineCase {
    const char* name;
    int unitSystem;
    const char* length;
    const char* angle;
    const char* height;
    // After "*Berechnen":
    const char* shownAngle;
    const char* shownHeight;
    bool calculated;
    const char* message; // nullptr for none
    SineBarComputed computed;
};

class SineBarDecisionTest : public ::testing::TestWithParam<SineCase> { };

TEST_P(SineBarDecisionTest, ComputesTheFieldLeftEmpty)
{
    const SineCase& c = GetParam();
    SineBarForm form(c.unitSystem);
    for (auto [field, text] : {std::pair {SineBarField::Length, c.length}, std::pair {SineBarField::Angle, c.angle},
             std::pair {SineBarField::Height, c.height}}) {
        std::string s = text;
        ASSERT_TRUE(form.setText(field, s));
    }
    const SineBarOutcome outcome = form.calculate(BuiltinTexts());
    EXPECT_EQ(form.text(SineBarField::Length), c.length);
    EXPECT_EQ(form.text(SineBarField::Angle), c.shownAngle);
    EXPECT_EQ(form.text(SineBarField::Height), c.shownHeight);
    EXPECT_EQ(outcome.calculated, c.calculated);
    ASSERT_EQ(outcome.message.has_value(), c.message != nullptr);
    if (c.message) {
        EXPECT_EQ(outcome.message->text, c.message);
        EXPECT_EQ(outcome.message->caption, "*ERROR");
        EXPECT_EQ(outcome.message->icon, MessageIcon::Error);
    }
    EXPECT_EQ(form.lastComputed(), c.computed);
}

INSTANTIATE_TEST_SUITE_P(Cases, SineBarDecisionTest,
    ::testing::Values(
        SineCase {"HeightFromAngle", 0, "100", "30", "", "30", "50.000", true, nullptr, SineBarComputed::Height},
        SineCase {"AngleFromHeight", 0, "100", "", "50", "30.000", "50", true, nullptr, SineBarComputed::Angle},
        SineCase {
            "NinetyDegreesIsAccepted", 0, "100", "90", "0", "90", "100.000", true, nullptr, SineBarComputed::Height},
        SineCase {"JustOverNinetyDegrees", 0, "100", "90.001", "", "90.001", "0.000", false, kAngleTooLarge,
            SineBarComputed::Height},
        SineCase {"HeightEqualToLength", 0, "100", "", "100", "90.000", "100", true, nullptr, SineBarComputed::Angle},
        SineCase {"HeightGreaterThanLength", 0, "100", "0", "100.5", "0.000", "100.5", false, kHeightTooLarge,
            SineBarComputed::Angle},
        SineCase {"NoLengthWithBoth", 0, "0", "30", "50", "30", "50", false, kOnlyOne, SineBarComputed::None},
        SineCase {"NoLengthWithAngleOnly", 0, "", "30", "", "30", "", false, nullptr, SineBarComputed::None},
        SineCase {"NoLengthWithHeightOnly", 0, "0", "", "50", "", "50", false, nullptr, SineBarComputed::None},
        SineCase {"LengthAlone", 0, "100", "0", "0", "0", "0", false, nullptr, SineBarComputed::None},
        SineCase {
            "AllThreeBeforeAnyCalculation", 0, "100", "30", "40", "30", "40", false, nullptr, SineBarComputed::None},
        // 5 inch and 2.5 inch stand at the same angle as their metric equivalents.
        SineCase {"InchAngle", 1, "5", "", "2.5", "30.000", "2.5", true, nullptr, SineBarComputed::Angle},
        SineCase {"InchHeight", 1, "5", "30", "", "30", "2.500", true, nullptr, SineBarComputed::Height}),
    [](const auto& info) { return std::string(info.param.name); });

class SineBarFormTest : public ::testing::Test {
protected:
    void type(SineBarField field, const char* text)
    {
        std::string s = text;
        form.setText(field, s);
    }
    SineBarOutcome calculate() { return form.calculate(texts); }

    SineBarForm form {kUnitSystemMetric};
    BuiltinTexts texts;
};

TEST_F(SineBarFormTest, AChangedAngleRecomputesTheHeight)
{
    type(SineBarField::Length, "100");
    type(SineBarField::Angle, "30");
    ASSERT_TRUE(calculate().calculated);
    type(SineBarField::Angle, "45");
    EXPECT_TRUE(calculate().calculated);
    EXPECT_EQ(form.text(SineBarField::Height), "70.711");
    EXPECT_EQ(form.text(SineBarField::Angle), "45");
    EXPECT_EQ(form.lastComputed(), SineBarComputed::Height);
}

TEST_F(SineBarFormTest, AChangedHeightRecomputesTheAngle)
{
    type(SineBarField::Length, "100");
    type(SineBarField::Height, "50");
    ASSERT_TRUE(calculate().calculated);
    type(SineBarField::Height, "70.711");
    EXPECT_TRUE(calculate().calculated);
    EXPECT_EQ(form.text(SineBarField::Angle), "45.000");
    EXPECT_EQ(form.lastComputed(), SineBarComputed::Angle);
}

TEST_F(SineBarFormTest, AFailedHeightIsStillTheOneRecomputed)
{
    type(SineBarField::Length, "100");
    type(SineBarField::Angle, "95");
    EXPECT_TRUE(calculate().message.has_value());
    type(SineBarField::Angle, "30");
    type(SineBarField::Height, "12"); // the user typed into the computed field as well
    EXPECT_TRUE(calculate().calculated);
    EXPECT_EQ(form.text(SineBarField::Height), "50.000");
}

TEST_F(SineBarFormTest, BlockIsMetricAndComesBackInInches)
{
    SineBarBlock empty {};
    EXPECT_FALSE(form.fill(empty).has_value());

    SineBarForm inch(kUnitSystemInch);
    std::string length = "5";
    std::string height = "2.5";
    inch.setText(SineBarField::Length, length);
    inch.setText(SineBarField::Height, height);
    inch.calculate(texts);
    const SineBarBlock block = inch.store(false);
    EXPECT_FLOAT_EQ(block.length, static_cast<float>(5 * kMillimetresPerInch));
    EXPECT_FLOAT_EQ(block.height, static_cast<float>(2.5 * kMillimetresPerInch));
    EXPECT_FLOAT_EQ(block.angle, 30.0f);

    EXPECT_EQ(form.fill(block), std::optional<bool>(false));
    EXPECT_EQ(form.text(SineBarField::Length), "127.000");
    EXPECT_EQ(form.text(SineBarField::Angle), "30.000");
    EXPECT_EQ(form.text(SineBarField::Height), "63.500");
    SineBarForm again(kUnitSystemInch);
    again.fill(block);
    EXPECT_EQ(again.text(SineBarField::Length), "5.000");

    SineBarBlock damaged = block;
    damaged.length = std::numeric_limits<float>::infinity();
    damaged.angle = std::numeric_limits<float>::quiet_NaN();
    damaged.height = -3.0f;
    damaged.openReportAutomatically = 1;
    EXPECT_EQ(form.fill(damaged), std::optional<bool>(true));
    EXPECT_EQ(form.text(SineBarField::Length), "0.000");
    EXPECT_EQ(form.text(SineBarField::Angle), "0.000");
    EXPECT_EQ(form.text(SineBarField::Height), "0.000");
}

TEST_F(SineBarFormTest, CaptionsFollowTheUnitSystem)
{
    EXPECT_EQ(form.caption(SineBarField::Length, texts), "*Länge [mm]:");
    EXPECT_EQ(form.caption(SineBarField::Angle, texts), "*Winkel [Grad]:");
    EXPECT_EQ(form.caption(SineBarField::Height, texts), "*Unterleghöhe [mm]:");
    EXPECT_EQ(SineBarForm(kUnitSystemInch).caption(SineBarField::Height, texts), "*Unterleghöhe [inch]:");
}

TEST_F(SineBarFormTest, Report)
{
    type(SineBarField::Length, "100");
    type(SineBarField::Angle, "30");
    calculate();
    EXPECT_EQ(form.reportText(texts, kLanguageGerman, {2025, 3, 7, 14, 5, 9}),
        "07.03.2025_14:05\r\n"
        "--------------------------------------------\r\n"
        "---------------------------------------------------------------------\r\n"
        "*Sinuslineal\r\n"
        "*Länge [mm]\t: 100.00\r\n"
        "*Unterleghöhe [mm]\t: 50.00\r\n"
        "*Einstellwinkel des Sinuslineals\r\n"
        "*Winkel [Grad]\t: 30.00\r\n");
}

} // namespace
} // namespace kvt
