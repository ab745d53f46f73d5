// Dividing head: the fraction reduction, the search over the machine's plates and the
// standard hole circles, the angle calculation with the scale of the typed decimals, and
// the window form (markers, messages, saved block, report) without any widget.

#include "common/clock.h"
#include "common/language_codes.h"
#include "common/text_lookup.h"
#include "machining/dividing_head/dividing_head.h"
#include "machining/dividing_head/dividing_head_form.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <numeric>
#include <string>

namespace kvt {
namespace {

using HoleList = std::array<std::uint16_t, kIndexPlateListSize>;

HoleList holes(std::initializer_list<std::uint16_t> values)
{
    HoleList list {};
    std::size_t i = 0;
    for (std::uint16_t value : values)
        list[i++] = value;
    return list;
}

// The three plates most dividing heads come with.
const HoleList kUsualPlates = holes({15, 16, 17, 18, 19, 20, 21, 23, 27, 29, 31, 33, 37, 39, 41, 43, 47, 49});

// ---- ReduceToMixedFraction ------------------------------------------------------

struct FractionCase {
    const char* name;
    std::int64_t p;
    std::int64_t q;
    bool written;
    MixedFraction expected;
};

class ReduceTest : public ::testing::TestWithParam<FractionCase> { };

TEST_P(ReduceTest, SplitsTheReducedFraction)
{
    const FractionCase& c = GetParam();
    MixedFraction result {7, 8, 9}; // left as it is when nothing is written
    const std::int64_t givenWhole = c.expected.whole;
    if (c.written && c.p < c.q)
        result.whole = givenWhole; // a proper fraction keeps the whole the caller passed
    EXPECT_EQ(ReduceToMixedFraction(c.p, c.q, result), c.written);
    EXPECT_EQ(result.whole, c.expected.whole);
    EXPECT_EQ(result.numerator, c.expected.numerator);
    EXPECT_EQ(result.denominator, c.expected.denominator);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReduceTest,
    ::testing::Values(FractionCase {"WholeTurnOnly", 40, 40, true, {1, 0, 0}},
        FractionCase {"SixAndTwoThirds", 40, 6, true, {6, 2, 3}},
        FractionCase {"FiveAndFiveSevenths", 40, 7, true, {5, 5, 7}},
        FractionCase {"ProperFractionKeepsTheGivenWhole", 40, 127, true, {3, 40, 127}},
        FractionCase {"ReducedByTheDivisor", 100, 90, true, {1, 1, 9}},
        FractionCase {"RatioPerDegree", 40, 360, true, {0, 1, 9}},
        FractionCase {"ZeroOverAnything", 0, 5, true, {0, 0, 1}},
        FractionCase {"BothZeroWritesNothing", 0, 0, false, {7, 8, 9}},
        FractionCase {"NegativeDenominatorWritesNothing", 5, -3, false, {7, 8, 9}},
        FractionCase {"LargeValues", 255LL * 1'000'000'000, 360'000, true, {708333, 1, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- IndexForDivisions ----------------------------------------------------------

struct DivisionCase {
    const char* name;
    int ratio;
    std::int64_t divisions;
    HoleList machine;
    IndexResult expected;
};

class DivisionTest : public ::testing::TestWithParam<DivisionCase> { };

TEST_P(DivisionTest, FindsTheHoleCircle)
{
    const DivisionCase& c = GetParam();
    IndexPlateTable table = makeIndexPlateTable(static_cast<std::uint8_t>(c.ratio), c.machine);
    const IndexResult r = IndexForDivisions(c.divisions, table);
    EXPECT_EQ(r.fullTurns, c.expected.fullTurns);
    EXPECT_EQ(r.holes, c.expected.holes);
    EXPECT_EQ(r.machineCircle, c.expected.machineCircle);
    EXPECT_EQ(r.standardCircle, c.expected.standardCircle);
    EXPECT_EQ(r.neededCircle, c.expected.neededCircle);
}

HoleList fullList(std::uint16_t value)
{
    HoleList list;
    list.fill(value);
    return list;
}

INSTANTIATE_TEST_SUITE_P(Cases, DivisionTest,
    ::testing::Values(DivisionCase {"WholeTurnMeetsTheEmptyEntry", 40, 40, kUsualPlates, {1, 0, 0, 0, 0}},
        DivisionCase {"TwoThirdsOnFifteenOfTheMachine", 40, 6, holes({16, 15, 17, 19, 20, 23}), {6, 10, 15, 0, 0}},
        DivisionCase {"ExactMachineCircleBeforeMultiples", 40, 7, holes({21, 7, 49}), {5, 5, 7, 0, 0}},
        DivisionCase {"LastMachineMultipleWins", 40, 7, holes({49, 21}), {5, 15, 21, 0, 0}},
        DivisionCase {"MultiplierNineteenIsTheLast", 40, 3, holes({57}), {13, 19, 57, 0, 0}},
        DivisionCase {"MultiplierTwentyIsNotTried", 40, 3, holes({60}), {13, 13, 0, 39, 0}},
        DivisionCase {"StandardCircleWhenTheMachineHasNone", 40, 17, holes({}), {2, 6, 0, 17, 0}},
        DivisionCase {"LaterStandardMultipleWins", 40, 7, holes({}), {5, 35, 0, 49, 0}},
        DivisionCase {"PrimeFitsNowhere", 40, 127, kUsualPlates, {9999, 9999, 9999, 9999, 127}},
        // Every entry in use: whole turns find their empty entry in the standard list.
        DivisionCase {"WholeTurnWithAFullMachineList", 40, 20, fullList(16), {2, 0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DivisionAngle, IsThreeSixtyOverTheDivisions)
{
    IndexPlateTable table = makeIndexPlateTable(40, kUsualPlates);
    IndexForDivisions(7, table);
    EXPECT_FLOAT_EQ(table.divisionAngle, static_cast<float>(360.0 / 7.0));
    table.divisionAngle = 1.0f;
    IndexForDivisions(0, table);
    EXPECT_EQ(table.divisionAngle, 1.0f);
}

TEST(StandardList, HoldsTheEighteenCirclesAndZeros)
{
    const IndexPlateTable table = makeIndexPlateTable(40, kUsualPlates);
    const std::array<std::uint16_t, 18> expected
        = {15, 16, 17, 18, 19, 20, 21, 23, 27, 29, 31, 33, 37, 39, 41, 43, 47, 49};
    for (std::size_t i = 0; i < kIndexPlateListSize; ++i)
        EXPECT_EQ(table.standard[i], i < expected.size() ? expected[i] : 0) << i;
}

// Whatever circle is found, the crank moves R / T turns for every division: the full
// turns plus the holes over the circle, exactly.
TEST(DivisionProperty, EveryFoundDivisionGivesEqualCrankSteps)
{
    for (int ratio : {40, 60, 90, 120}) {
        for (const HoleList& machine : {kUsualPlates, holes({}), holes({24, 25, 28, 30, 34, 38, 42})}) {
            IndexPlateTable table = makeIndexPlateTable(static_cast<std::uint8_t>(ratio), machine);
            for (std::int64_t t = 1; t <= 500; ++t) {
                const IndexResult r = IndexForDivisions(t, table);
                if (!r.solved()) {
                    EXPECT_EQ(r.neededCircle, t / std::gcd<std::int64_t>(ratio, t));
                    continue;
                }
                const std::int64_t circle = r.machineCircle != 0 ? r.machineCircle : r.standardCircle;
                if (circle == 0) {
                    EXPECT_EQ(r.holes, 0);
                    EXPECT_EQ(r.fullTurns * t, ratio) << ratio << "/" << t;
                    continue;
                }
                EXPECT_LT(r.holes, circle);
                EXPECT_EQ((r.fullTurns * circle + r.holes) * t, ratio * circle) << ratio << "/" << t;
            }
        }
    }
}

// ---- IndexForAngle --------------------------------------------------------------

struct ScaleCase {
    const char* text;
    std::int64_t scale;
};

TEST(AngleScale, CountsTheDecimalsTyped)
{
    const ScaleCase cases[] = {{"10", 10}, {"10.", 10}, {"10.5", 10}, {"10,5", 10}, {"10.25", 100}, {"10,25", 100},
        {"10.125", 1000}, {"0,125", 1000}, {"10.1234", 1000}, {"", 10}};
    for (const ScaleCase& c : cases)
        EXPECT_EQ(angleScale(c.text), c.scale) << c.text;
}

struct AngleCase {
    const char* name;
    double angle;
    std::int64_t scale;
    HoleList machine;
    IndexResult expected;
};

class AngleTest : public ::testing::TestWithParam<AngleCase> { };

TEST_P(AngleTest, FindsTheFirstMachineMultiple)
{
    const AngleCase& c = GetParam();
    const IndexPlateTable table = makeIndexPlateTable(40, c.machine);
    const IndexResult r = IndexForAngle(c.angle, c.scale, table);
    EXPECT_EQ(r.fullTurns, c.expected.fullTurns);
    EXPECT_EQ(r.holes, c.expected.holes);
    EXPECT_EQ(r.machineCircle, c.expected.machineCircle);
    EXPECT_EQ(r.standardCircle, c.expected.standardCircle);
    EXPECT_EQ(r.neededCircle, c.expected.neededCircle);
}

INSTANTIATE_TEST_SUITE_P(Cases, AngleTest,
    ::testing::Values(AngleCase {"TenDegreesOnEighteen", 10.0, 10, kUsualPlates, {1, 2, 18, 0, 0}},
        AngleCase {"TenDegreesOnTwentySeven", 10.0, 10, holes({16, 27, 18}), {1, 3, 27, 0, 0}},
        AngleCase {"NinetyDegreesIsWholeTurns", 90.0, 10, kUsualPlates, {10, 0, 0, 0, 0}},
        // 0.7 as a float is 0.69999998: still seven tenths, 7/90 of a turn.
        AngleCase {"SevenTenthsIsNotSixTenths", static_cast<double>(0.7f), 10, holes({45, 90}), {0, 7, 90, 0, 0}},
        AngleCase {"ThreeDecimals", static_cast<double>(1.125f), 1000, holes({16, 32}), {0, 2, 16, 0, 0}},
        AngleCase {"TooSmallToMoveTheCrank", 0.0001, 1000, kUsualPlates, {0, 0, 0, 0, 0}},
        // An empty entry is no hole circle: without a multiple nothing fits.
        AngleCase {"EmptyEntryBeforeTheMultiple", 10.0, 10, holes({16, 0, 27}), {1, 3, 27, 0, 0}},
        AngleCase {"NoMultipleOnAnEmptyList", 10.0, 10, holes({}), {9999, 9999, 9999, 9999, 9}},
        AngleCase {"EveryEntryInUseAndNoneAMultiple", 10.0, 10, fullList(16), {9999, 9999, 9999, 9999, 9}},
        AngleCase {"HugeAngleDoesNotOverflow", 1e30, 10, kUsualPlates, {11111111111, 2, 18, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AngleProperty, EveryFoundAngleTurnsTheCrankExactly)
{
    const IndexPlateTable table = makeIndexPlateTable(40, kUsualPlates);
    for (int tenths = 1; tenths <= 3600; ++tenths) {
        const double angle = tenths / 10.0;
        const IndexResult r = IndexForAngle(angle, 10, table);
        if (!r.solved() || r.machineCircle == 0)
            continue;
        // (full + holes / circle) turns == angle * 40 / 360, i.e. * 3600 on both sides.
        EXPECT_EQ((r.fullTurns * r.machineCircle + r.holes) * 3600, 40 * tenths * r.machineCircle) << angle;
    }
}

// ---- the form -------------------------------------------------------------------

TEST(DividingMarkers, ShowWhatTheUserSets)
{
    EXPECT_EQ(fullTurnsText(9999), "X");
    EXPECT_EQ(fullTurnsText(0), "0");
    EXPECT_EQ(fullTurnsText(5), "  5");
    EXPECT_EQ(fullTurnsText(1234), "1234");
    EXPECT_EQ(holesText(9999), "X");
    EXPECT_EQ(holesText(0), " --- ");
    EXPECT_EQ(holesText(35), " 35");
    EXPECT_EQ(circleText(9999, 9999), "X");
    EXPECT_EQ(circleText(0, 0), " --- ");
    EXPECT_EQ(circleText(0, 10), "X");
    EXPECT_EQ(circleText(127, 0), "127");
}

class DividingFormTest : public ::testing::Test {
protected:
    void SetUp() override { form.takeMachine(40, kUsualPlates); }
    void type(DividingInput input, const char* text)
    {
        std::string s = text;
        form.setInputText(input, s);
    }
    std::array<std::string, kDividingResultCount> results() const
    {
        std::array<std::string, kDividingResultCount> texts;
        for (int i = 0; i < kDividingResultCount; ++i)
            texts[static_cast<std::size_t>(i)] = form.resultText(static_cast<DividingResult>(i));
        return texts;
    }
    using Texts = std::array<std::string, kDividingResultCount>;

    DividingHeadForm form;
    BuiltinTexts texts;
};

TEST_F(DividingFormTest, TheMachineRatioGoesIntoItsField)
{
    EXPECT_EQ(form.inputText(DividingInput::Ratio), "40");
    EXPECT_EQ(form.table().machine[17], 49);
}

TEST_F(DividingFormTest, ResultTextsOfTheDivisionCases)
{
    type(DividingInput::Divisions, "40");
    ASSERT_EQ(form.calculate(), DividingOutcome::Calculated);
    EXPECT_EQ(results(), (Texts {"  1", " --- ", " --- ", " --- ", "9.000"}));
    type(DividingInput::Divisions, "7");
    form.calculate();
    EXPECT_EQ(results(), (Texts {"  5", " 35", " 49", "X", "51.429"}));
    type(DividingInput::Divisions, "6");
    form.calculate();
    EXPECT_EQ(results(), (Texts {"  6", " 26", " 39", "X", "60.000"}));
    type(DividingInput::Divisions, "127");
    form.calculate();
    EXPECT_EQ(results(), (Texts {"X", "X", "X", "127", "2.835"}));
}

TEST_F(DividingFormTest, AngleResultsLeaveNoDivisionAngle)
{
    type(DividingInput::Divisions, "7");
    form.calculate();
    type(DividingInput::Divisions, "0");
    type(DividingInput::Angle, "10");
    ASSERT_EQ(form.calculate(), DividingOutcome::Calculated);
    EXPECT_TRUE(form.byAngle());
    EXPECT_EQ(results(), (Texts {"  1", "  2", " 18", "X", " --- "}));
    EXPECT_EQ(form.usedCircle(), 18);
}

TEST_F(DividingFormTest, PlateCaptionSaysWhatToSet)
{
    EXPECT_EQ(form.plateCaption(texts), "*Teilung oder Drehwinkel eingeben und berechnen");
    const std::pair<const char*, const char*> cases[] = {
        {"7", "*Volle Kurbelumdrehungen: 5, dann 35 Löcher auf dem Lochkreis mit 49 Löchern"},
        {"40", "*Volle Kurbelumdrehungen: 1, keine Löcher"},
        {"127", "*Kein passender Lochkreis: benötigt wird ein Lochkreis mit 127 Löchern"},
    };
    for (const auto& [divisions, caption] : cases) {
        type(DividingInput::Divisions, divisions);
        form.calculate();
        EXPECT_EQ(form.plateCaption(texts), caption) << divisions;
    }
}

TEST_F(DividingFormTest, BothGivenOrNeitherCalculatesNothing)
{
    type(DividingInput::Divisions, "7");
    type(DividingInput::Angle, "10");
    EXPECT_EQ(form.calculate(), DividingOutcome::BothGiven);
    EXPECT_FALSE(form.calculated());
    const MessageBoxRequest message = DividingHeadForm::bothGivenMessage(texts);
    EXPECT_EQ(message.text,
        "*Es kann entweder mit der Teilung oder dem Drehwinkel gerechnet werden. Bitte ein Eingabefeld löschen oder "
        "auf 0 setzen.");
    EXPECT_EQ(message.caption, "*Fehler");
    EXPECT_EQ(message.icon, MessageIcon::Error);
    type(DividingInput::Divisions, "");
    type(DividingInput::Angle, "0");
    EXPECT_EQ(form.calculate(), DividingOutcome::Nothing);
}

TEST_F(DividingFormTest, NoRatioCalculatesNothing)
{
    type(DividingInput::Ratio, "0");
    type(DividingInput::Divisions, "7");
    EXPECT_EQ(form.calculate(), DividingOutcome::NoRatio);
    EXPECT_FALSE(form.calculated());
    EXPECT_EQ(DividingHeadForm::noRatioMessage(texts).text,
        "*Bitte die Übersetzung des Teilapparats eingeben (Kurbelumdrehungen für 360 Grad).");
}

TEST_F(DividingFormTest, TheTypedRatioIsUsedAndKeptToAByte)
{
    type(DividingInput::Ratio, "60");
    type(DividingInput::Divisions, "7");
    form.calculate();
    EXPECT_EQ(form.result().fullTurns, 8); // 60 / 7 = 8 4/7
    type(DividingInput::Ratio, "300");
    form.calculate();
    EXPECT_EQ(form.inputText(DividingInput::Ratio), "255");
    EXPECT_EQ(form.table().ratio, 255);
}

TEST_F(DividingFormTest, TheCommaOfAnAngleCountsAsThePoint)
{
    type(DividingInput::Angle, "1,125");
    form.calculate();
    EXPECT_EQ(form.result().holes, 2); // 1.125 * 40 / 360 = 1/8 turn: 2 holes on the 16 circle
    EXPECT_EQ(form.result().machineCircle, 16);
}

TEST_F(DividingFormTest, BlockKeepsTheInputsAndTheFlag)
{
    DividingHeadBlock empty {};
    EXPECT_FALSE(form.fill(empty).has_value());

    type(DividingInput::Angle, "12.25");
    const DividingHeadBlock block = form.store(true);
    EXPECT_EQ(block.ratio, 40);
    DividingHeadForm other;
    EXPECT_EQ(other.fill(block), std::optional<bool>(true));
    EXPECT_EQ(other.inputText(DividingInput::Angle), "12.25");
    EXPECT_EQ(other.inputText(DividingInput::Divisions), "0");
    EXPECT_EQ(other.inputText(DividingInput::Ratio), "40");

    DividingHeadBlock damaged = block;
    damaged.angle = std::numeric_limits<float>::quiet_NaN();
    damaged.divisions = -5;
    other.fill(damaged);
    EXPECT_EQ(other.inputText(DividingInput::Angle), "0");
    EXPECT_EQ(other.inputText(DividingInput::Divisions), "0");
}

TEST_F(DividingFormTest, ReportOfADivision)
{
    type(DividingInput::Divisions, "7");
    form.calculate();
    EXPECT_EQ(form.reportText(texts, kLanguageGerman, {2025, 3, 7, 14, 5, 9}),
        "07.03.2025_14:05\r\n"
        "--------------------------------------------\r\n"
        "---------------------------------------------------------------------\r\n"
        "*Teilapparat Berechnungen\r\n"
        "*Kurbelumd./360 Grad\t: 40\r\n"
        "*Gewuenschte Teilung\t: 7\r\n"
        "*Volle Umdrehungen\t: 5\r\n"
        "*Bohrungen\t: 35\r\n"
        "*Auf Lochkreis\t: 49\r\n"
        "*Benoetigter Lochkreis\t: X\r\n"
        "*Winkel zw Teilungen\t: 51.429\r\n");
}

TEST_F(DividingFormTest, ReportOfAnAngle)
{
    type(DividingInput::Angle, "10");
    form.calculate();
    const std::string report = form.reportText(texts, kLanguageGerman, {2025, 3, 7, 14, 5, 9});
    const std::string body = report.substr(report.find("*Kurbelumd."));
    EXPECT_EQ(body,
        "*Kurbelumd./360 Grad\t: 40\r\n"
        "*Gewuenschte Drehung\t: 10\r\n"
        "*Volle Umdrehungen\t: 1\r\n"
        "*Bohrungen\t: 2\r\n"
        "*Auf Lochkreis\t: 18\r\n"
        "*Benoetigter Lochkreis\t: X\r\n");
}

} // namespace
} // namespace kvt
