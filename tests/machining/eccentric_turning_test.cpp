// Eccentric turning: the packing piece formulas with the digits a machinist reads, and
// the window form (both roles of the largest diameter, the recompute rule, the offset
// check, the saved block and the report) without any widget.

#include "common/clock.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "locale_test_support.h"
#include "machining/eccentric_turning/eccentric_turning.h"
#include "machining/eccentric_turning/eccentric_turning_form.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace kvt {
namespace {

std::string four(double value)
{
    return formatNumber("%.4f", value);
}

// ---- formulas -------------------------------------------------------------------

struct ShimCase {
    const char* name;
    double offset;
    double radius;
    const char* thickness; // "none" when there is no real root
};

class ShimThicknessTest : public ::testing::TestWithParam<ShimCase> { };

TEST_P(ShimThicknessTest, FourDecimals)
{
    const ShimCase& c = GetParam();
    const auto t = ShimThickness(c.offset, c.radius);
    EXPECT_EQ(t ? four(*t) : std::string("none"), c.thickness);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShimThicknessTest,
    ::testing::Values(ShimCase {"Offset2Diameter40", 2.0, 20.0, "2.9249"},
        ShimCase {"Offset3Diameter40", 3.0, 20.0, "4.3305"}, ShimCase {"NoOffsetNoPiece", 0.0, 20.0, "0.0000"},
        // At e = r the piece is as thick as the radius.
        ShimCase {"OffsetEqualsRadius", 20.0, 20.0, "20.0000"},
        // r^2 - 0.75 e^2 < 0 from e > 2r / sqrt(3) on.
        ShimCase {"NoRealRoot", 24.0, 20.0, "none"}),
    [](const auto& info) { return std::string(info.param.name); });

struct OffsetCase {
    const char* name;
    double thickness;
    double radius;
    const char* offset;
};

class OffsetFromShimTest : public ::testing::TestWithParam<OffsetCase> { };

TEST_P(OffsetFromShimTest, RootThatGivesThePieceBack)
{
    const OffsetCase& c = GetParam();
    EXPECT_EQ(four(OffsetFromShim(c.thickness, c.radius)), c.offset);
}

INSTANTIATE_TEST_SUITE_P(Cases, OffsetFromShimTest,
    ::testing::Values(
        // The larger root (20.92) gives a piece of 19.85 back and is refused.
        OffsetCase {"SmallerRootOfTheEdgeCase", 2.9249, 20.0, "2.0000"},
        OffsetCase {"RoundedPieceStillWithinTolerance", 2.925, 20.0, "2.0001"},
        OffsetCase {"PieceAsThickAsTheRadius", 20.0, 20.0, "20.0000"},
        // 9r^2 - 6rt - 3t^2 < 0: no root at all.
        OffsetCase {"PieceThickerThanTheRadius", 21.0, 20.0, "0.0000"}, OffsetCase {"NoPiece", 0.0, 20.0, "0.0000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExpectedErrorTest, OneAndAQuarterThousandthOfTheOffset)
{
    EXPECT_EQ(four(ExpectedError(2.0f)), "0.0025");
    EXPECT_EQ(four(ExpectedError(0.0f)), "0.0000");
    EXPECT_EQ(four(ExpectedError(10.0f)), "0.0125");
}

// ---- form -----------------------------------------------------------------------

void type(EccentricTurningForm& form, EccentricField field, const char* text)
{
    std::string t = text;
    form.setText(field, t);
}

struct FieldTexts {
    std::string offset, diameter, thickness, largest, error;
};

FieldTexts texts(const EccentricTurningForm& form)
{
    return {form.text(EccentricField::Offset), form.text(EccentricField::Diameter),
        form.text(EccentricField::Thickness), form.text(EccentricField::LargestDiameter), form.errorText()};
}

void expectTexts(const EccentricTurningForm& form, const FieldTexts& expected)
{
    const FieldTexts shown = texts(form);
    EXPECT_EQ(shown.offset, expected.offset);
    EXPECT_EQ(shown.diameter, expected.diameter);
    EXPECT_EQ(shown.thickness, expected.thickness);
    EXPECT_EQ(shown.largest, expected.largest);
    EXPECT_EQ(shown.error, expected.error);
}

TEST(EccentricTurningFormTest, ThicknessForAnOffset)
{
    EccentricTurningForm form(kUnitSystemMetric);
    type(form, EccentricField::Offset, "2");
    type(form, EccentricField::Diameter, "40");
    EXPECT_EQ(form.calculate(), EccentricOutcome::Calculated);
    expectTexts(form, {"2", "40", " 2.925", "36.000", "0.0025"});
    EXPECT_EQ(form.lastComputed(), EccentricComputed::Thickness);
}

TEST(EccentricTurningFormTest, OffsetForAPiece)
{
    EccentricTurningForm form(kUnitSystemMetric);
    type(form, EccentricField::Diameter, "40");
    type(form, EccentricField::Thickness, "2.9249");
    EXPECT_EQ(form.calculate(), EccentricOutcome::Calculated);
    expectTexts(form, {" 2.000", "40", "2.9249", "36.000", "0.0025"});
    EXPECT_EQ(form.lastComputed(), EccentricComputed::Offset);
}

TEST(EccentricTurningFormTest, OffsetNotSmallerThanTheRadius)
{
    EccentricTurningForm form(kUnitSystemMetric);
    type(form, EccentricField::Offset, "20");
    type(form, EccentricField::Diameter, "40");
    EXPECT_EQ(form.calculate(), EccentricOutcome::OffsetTooLarge);
    expectTexts(form, {"20", "40", " 0.000", " 0.000", " 0.000"});
    EXPECT_EQ(form.lastComputed(), EccentricComputed::None);
}

TEST(EccentricTurningFormTest, PieceThickerThanTheRadiusIsNoOffsetOfZero)
{
    EccentricTurningForm form(kUnitSystemMetric);
    type(form, EccentricField::Diameter, "40");
    type(form, EccentricField::Thickness, "25");
    EXPECT_EQ(form.calculate(), EccentricOutcome::OffsetTooLarge);
    expectTexts(form, {" 0.000", "40", "25", " 0.000", " 0.000"});
}

TEST(EccentricTurningFormTest, ChangedInputRecomputesWhatWasComputedLast)
{
    EccentricTurningForm form(kUnitSystemMetric);
    type(form, EccentricField::Offset, "2");
    type(form, EccentricField::Diameter, "40");
    ASSERT_EQ(form.calculate(), EccentricOutcome::Calculated);
    type(form, EccentricField::Offset, "3");
    EXPECT_EQ(form.calculate(), EccentricOutcome::Calculated);
    expectTexts(form, {"3", "40", " 4.331", "34.000", "0.0037"});

    // Now the offset was computed last: a changed piece gives a new offset.
    type(form, EccentricField::Offset, "");
    type(form, EccentricField::Thickness, "2.9249");
    ASSERT_EQ(form.calculate(), EccentricOutcome::Calculated);
    type(form, EccentricField::Thickness, "4.3305");
    EXPECT_EQ(form.calculate(), EccentricOutcome::Calculated);
    expectTexts(form, {" 3.000", "40", "4.3305", "34.000", "0.0037"});
}

struct NothingCase {
    const char* name;
    const char* offset;
    const char* diameter;
    const char* thickness;
};

class EccentricNothingTest : public ::testing::TestWithParam<NothingCase> { };

TEST_P(EccentricNothingTest, OtherCombinationsLeaveEverything)
{
    const NothingCase& c = GetParam();
    EccentricTurningForm form(kUnitSystemMetric);
    type(form, EccentricField::Offset, c.offset);
    type(form, EccentricField::Diameter, c.diameter);
    type(form, EccentricField::Thickness, c.thickness);
    EXPECT_EQ(form.calculate(), EccentricOutcome::Nothing);
    expectTexts(form, {c.offset, c.diameter, c.thickness, "", ""});
}

INSTANTIATE_TEST_SUITE_P(Cases, EccentricNothingTest,
    ::testing::Values(NothingCase {"AllEmpty", "", "", ""}, NothingCase {"NoDiameter", "2", "", "3"},
        NothingCase {"OnlyDiameter", "", "40", ""},
        // All three filled before anything was computed: nothing to recompute.
        NothingCase {"AllThreeWithoutAnEarlierResult", "2", "40", "3"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EccentricTurningFormTest, LargestDiameterAsInput)
{
    EccentricTurningForm form(kUnitSystemMetric);
    form.setLargestDiameterIsInput(true);
    type(form, EccentricField::Diameter, "40");
    type(form, EccentricField::LargestDiameter, "36");
    EXPECT_EQ(form.calculate(), EccentricOutcome::Calculated);
    expectTexts(form, {" 2.000", "40", " 2.925", "36", "0.0025"});
    // Offset and piece filled now: a second press does nothing.
    EXPECT_EQ(form.calculate(), EccentricOutcome::Nothing);
}

TEST(EccentricTurningFormTest, LargestDiameterAsInputEqualAndLarger)
{
    EccentricTurningForm form(kUnitSystemMetric);
    form.setLargestDiameterIsInput(true);
    type(form, EccentricField::Diameter, "40");
    type(form, EccentricField::LargestDiameter, "40");
    EXPECT_EQ(form.calculate(), EccentricOutcome::Nothing);
    expectTexts(form, {" 0.000", "40", " 0.000", "40", ""});

    EccentricTurningForm larger(kUnitSystemMetric);
    larger.setLargestDiameterIsInput(true);
    type(larger, EccentricField::Diameter, "40");
    type(larger, EccentricField::LargestDiameter, "41");
    EXPECT_EQ(larger.calculate(), EccentricOutcome::Nothing);
    expectTexts(larger, {"", "40", "", "41", ""});
}

TEST(EccentricTurningFormTest, InchFormatsAndConversion)
{
    EccentricTurningForm form(kUnitSystemInch);
    EXPECT_STREQ(form.lengthFormat(), "%7.4f");
    type(form, EccentricField::Offset, "0.1");
    type(form, EccentricField::Diameter, "2");
    ASSERT_EQ(form.calculate(), EccentricOutcome::Calculated);
    // 0.00125 x 0.1 inch, shown in inch.
    expectTexts(form, {"0.1", "2", " 0.1462", " 1.8000", "0.0001"});
    // Stored in millimetres (the piece as its field shows it): a metric window shows them so.
    EccentricTurningForm metric(kUnitSystemMetric);
    metric.fill(form.store(false));
    expectTexts(metric, {" 2.540", "50.800", " 3.713", "45.720", ""});
}

TEST(EccentricTurningFormTest, CorrespondingFieldsClearTogether)
{
    EccentricTurningForm form(kUnitSystemMetric);
    type(form, EccentricField::Offset, "2");
    type(form, EccentricField::Diameter, "40");
    ASSERT_EQ(form.calculate(), EccentricOutcome::Calculated);
    form.clearCorresponding();
    expectTexts(form, {"", "40", "", "", ""});
    EXPECT_EQ(form.lastComputed(), EccentricComputed::None);
}

TEST(EccentricTurningFormTest, BlockRoundTripAndDamagedValues)
{
    EccentricTurningForm form(kUnitSystemMetric);
    type(form, EccentricField::Offset, "2");
    type(form, EccentricField::Diameter, "40");
    form.setLargestDiameterIsInput(true);
    const EccentricTurningBlock block = form.store(true);
    EXPECT_EQ(block.largestDiameterIsInput, 1);
    EXPECT_EQ(block.openReportAutomatically, 1);

    EccentricTurningForm again(kUnitSystemMetric);
    again.fill(block);
    expectTexts(again, {" 2.000", "40.000", "", "", ""});
    EXPECT_TRUE(again.largestDiameterIsInput());

    EccentricTurningBlock damaged {};
    damaged.offset = std::numeric_limits<float>::quiet_NaN();
    damaged.diameter = -40.0f;
    damaged.thickness = std::numeric_limits<float>::infinity();
    damaged.largestDiameter = 36.0f;
    damaged.largestDiameterIsInput = 7;
    EccentricTurningForm fromDamaged(kUnitSystemMetric);
    fromDamaged.fill(damaged);
    expectTexts(fromDamaged, {"", "", "", "36.000", ""});
    EXPECT_FALSE(fromDamaged.largestDiameterIsInput());
}

TEST(EccentricTurningFormTest, ReportOfEachKind)
{
    BuiltinTexts builtin;
    const LocalDateTime time {2025, 3, 7, 14, 5, 9};
    const std::string head
        = "07.03.2025_14:05\r\n" + std::string(44, '-') + "\r\n" + std::string(69, '-') + "\r\n*Außer Mitte Drehen\r\n";
    const std::string results = std::string(44, '-') + "\r\n*Ergebnisse:\r\n";

    EccentricTurningForm thickness(kUnitSystemMetric);
    type(thickness, EccentricField::Offset, "2");
    type(thickness, EccentricField::Diameter, "40");
    ASSERT_EQ(thickness.calculate(), EccentricOutcome::Calculated);
    EXPECT_EQ(thickness.reportText(builtin, 49, time),
        head + "*Durchmesser [mm]\t: 40\r\n*Offset [mm]\t: 2\r\n" + results
            + "*Dicke Unterlegstück [mm]\t:  2.925\r\n*Max D erstellbar [mm]\t: 36.000\r\n");

    EccentricTurningForm offset(kUnitSystemMetric);
    type(offset, EccentricField::Diameter, "40");
    type(offset, EccentricField::Thickness, "2.9249");
    ASSERT_EQ(offset.calculate(), EccentricOutcome::Calculated);
    EXPECT_EQ(offset.reportText(builtin, 49, time),
        head + "*Durchmesser [mm]\t: 40\r\n*Dicke Unterlegstück [mm]\t: 2.9249\r\n" + results
            + "*Offset [mm]\t:  2.000\r\n*Max D erstellbar [mm]\t: 36.000\r\n");

    EccentricTurningForm largest(kUnitSystemInch);
    largest.setLargestDiameterIsInput(true);
    type(largest, EccentricField::Diameter, "2");
    type(largest, EccentricField::LargestDiameter, "1.8");
    ASSERT_EQ(largest.calculate(), EccentricOutcome::Calculated);
    EXPECT_EQ(largest.reportText(builtin, 49, time),
        head + "*Durchmesser [inch]\t: 2\r\n*Max D erstellbar [inch]\t: 1.8\r\n" + results
            + "*Offset [inch]\t:  0.1000\r\n*Dicke Unterlegstück [inch]\t:  0.1462\r\n");
}

} // namespace
} // namespace kvt
