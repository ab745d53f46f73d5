// Cutting data: the formulas with the precision a machinist reads off the window, the
// choice of the machine's speed step, and the window form (fields, modes, saved block,
// report, tool hand-over) without any widget.

#include "common/clock.h"
#include "common/text_lookup.h"
#include "machining/cutting_data/cutting_data.h"
#include "machining/cutting_data/cutting_data_form.h"
#include "state/open_dialog_data.h"

#include "common/number_format.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace kvt {
namespace {

using StepTable = std::array<float, kSpeedStepTableSize>;

StepTable steps(std::initializer_list<float> values)
{
    StepTable table {};
    std::size_t i = 0;
    for (float value : values)
        table[i++] = value;
    return table;
}

// ---- formulas -------------------------------------------------------------------

struct SpindleCase {
    const char* name;
    double cuttingSpeed;
    double diameter;
    std::int32_t expected;
};

class SpindleSpeedTest : public ::testing::TestWithParam<SpindleCase> { };

TEST_P(SpindleSpeedTest, TruncatesTowardZero)
{
    const SpindleCase& c = GetParam();
    EXPECT_EQ(SpindleSpeed(c.cuttingSpeed, c.diameter), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SpindleSpeedTest,
    ::testing::Values(SpindleCase {"Metric20mmAt24", 24.0, 20.0, 381},
        // 0.3125 inch at 100 ft/min after the conversions to 7.93752 mm and 30.48 m/min.
        SpindleCase {"InchConvertedValues", 30.48, 7.93752, 1222},
        SpindleCase {"ZeroDiameterGivesNothing", 24.0, 0.0, 0},
        // 30441.99805 in single precision: the formula needs double.
        SpindleCase {"DoublePrecisionKeepsTheLastRevolution", 263.0, 2.75, 30442},
        SpindleCase {"HugeSpeedSaturates", 1e12, 0.001, std::numeric_limits<std::int32_t>::max()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CuttingDataFormulas, DwellTimeGivesNothingForZeroOrNotANumber)
{
    ASSERT_TRUE(DwellTime(381, 2.0f).has_value());
    EXPECT_EQ(truncateToInt(*DwellTime(381, 2.0f)), 314); // 60000 / 381 * 2 = 314.96
    EXPECT_FALSE(DwellTime(0, 2.0f).has_value());
    EXPECT_FALSE(DwellTime(381, 0.0f).has_value());
    EXPECT_FALSE(DwellTime(381, std::nanf("")).has_value());
}

struct RotaryCase {
    const char* name;
    float feedRate;
    float radius;
    float expected;
};

class RotaryFeedTest : public ::testing::TestWithParam<RotaryCase> { };

TEST_P(RotaryFeedTest, RoundsHalfUpToWholeDegrees)
{
    const RotaryCase& c = GetParam();
    EXPECT_EQ(RotaryFeed(c.feedRate, c.radius), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RotaryFeedTest,
    ::testing::Values(RotaryCase {"Feed1000Radius50", 1000.0f, 50.0f, 1146.0f}, // 1145.92
        RotaryCase {"FractionAboveHalfRoundsUp", 100.0f, 50.0f, 115.0f}, // 114.59
        RotaryCase {"FractionBelowHalfTruncates", 10.0f, 50.0f, 11.0f}, // 11.46
        // 248.5 exactly in single precision (248.49998 in double): half goes up.
        RotaryCase {"FractionOfExactlyHalfRoundsUp", 379.5f, 87.5f, 249.0f},
        RotaryCase {"RadiusZero", 1000.0f, 0.0f, 0.0f}, RotaryCase {"FeedZero", 0.0f, 50.0f, 0.0f}),
    [](const auto& info) { return std::string(info.param.name); });

struct StepCase {
    const char* name;
    std::int32_t n;
    StepTable table;
    SpeedSteps expected;
};

class SelectSpeedStepsTest : public ::testing::TestWithParam<StepCase> { };

TEST_P(SelectSpeedStepsTest, PicksNearestAndNeighbours)
{
    const StepCase& c = GetParam();
    const SpeedSteps got = SelectSpeedSteps(c.n, c.table);
    EXPECT_EQ(got.nearest, c.expected.nearest);
    EXPECT_EQ(got.lower, c.expected.lower);
    EXPECT_EQ(got.higher, c.expected.higher);
}

INSTANTIATE_TEST_SUITE_P(Cases, SelectSpeedStepsTest,
    ::testing::Values(StepCase {"InTheMiddle", 381, steps({100, 250, 400, 630}), {400, 250, 630}},
        StepCase {"HalfwayTakesLowerIndex", 250, steps({100, 200, 300, 400}), {200, 100, 300}},
        StepCase {"HalfwayOnFirstStep", 150, steps({100, 200}), {100, 100, 200}},
        // n nearer to the empty slots behind the table than to any step.
        StepCase {"EmptySlotsBehindTheTable", 100, steps({500, 1000}), {500, 1000, 1000}},
        StepCase {"AboveTheHighestStep", 5000, steps({500, 1000, 2000}), {2000, 1000, 1000}},
        StepCase {"EmptyTableGivesZeros", 381, steps({}), {0, 0, 0}},
        // The first of two equal steps wins; its equal neighbour is no step higher, so
        // higher falls back to the second entry of the table.
        StepCase {"EqualNeighbouringSteps", 300, steps({100, 200, 300, 300}), {300, 200, 200}},
        StepCase {"FractionalStepsTruncated", 381, steps({99.9f, 380.7f, 500.5f}), {380, 99, 500}},
        StepCase {"DamagedEntryNeverWins", 381, steps({std::nanf(""), 400, 500}), {400, 400, 500}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CuttingDataFormulas, CuttingSpeedIsComputedInDoubleAndRoundedOnce)
{
    // In single precision throughout, 1.25 x pi x 5650 / 1000 shows as 22.188.
    EXPECT_EQ(cformat("%6.3f", CuttingSpeed(5650, 1.25f)), "22.187");
    EXPECT_EQ(cformat("%6.3f", CuttingSpeed(381, 20.0f)), "23.939");
}

TEST(CuttingDataFormulas, FullTableUsesEveryEntry)
{
    StepTable table {};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<float>(10 * (i + 1));
    const SpeedSteps top = SelectSpeedSteps(1'000'000, table);
    EXPECT_EQ(top.nearest, 2500);
    EXPECT_EQ(top.lower, 2490);
    // No entry beyond the last one: rule "nearest >= higher" falls back to entry 1.
    EXPECT_EQ(top.higher, 20);
}

// ---- window form ----------------------------------------------------------------

void type(CuttingDataForm& form, CuttingInput input, const char* text)
{
    std::string t = text;
    form.setInputText(input, t);
}

class CuttingDataFormTest : public ::testing::Test {
protected:
    BuiltinTexts texts;
    StepTable machine = steps({100, 250, 400, 630, 1000, 1600});
};

TEST_F(CuttingDataFormTest, InvalidTypingKeepsTheLastValidValue)
{
    CuttingDataForm form(0);
    std::string text = "12a";
    EXPECT_FALSE(form.setInputText(CuttingInput::Diameter, text));
    EXPECT_EQ(text, "12");
    EXPECT_FLOAT_EQ(form.inputValue(CuttingInput::Diameter), 20.0f);

    text = "2,5";
    EXPECT_TRUE(form.setInputText(CuttingInput::FeedPerTooth, text));
    EXPECT_FLOAT_EQ(form.inputValue(CuttingInput::FeedPerTooth), 2.5f);

    text = "4.5"; // a count has no decimals
    EXPECT_FALSE(form.setInputText(CuttingInput::Teeth, text));
    EXPECT_EQ(text, "4");
}

TEST_F(CuttingDataFormTest, MetricSpeedOnlyWithEachStepChoice)
{
    CuttingDataForm form(0);
    ASSERT_TRUE(form.calculateCommand(machine));
    EXPECT_EQ(form.resultText(CuttingResult::SpindleSpeed), "381");
    EXPECT_EQ(form.resultText(CuttingResult::StepSpeed), "400");
    EXPECT_EQ(form.resultText(CuttingResult::CorrectedCuttingSpeed), "25.133");
    EXPECT_EQ(form.resultText(CuttingResult::Dwell), "0"); // no revolutions typed
    EXPECT_TRUE(form.resultsValid());

    ASSERT_TRUE(form.chooseSpeedStep(SpeedStepChoice::OneStepLower, machine));
    EXPECT_EQ(form.resultText(CuttingResult::StepSpeed), "250");
    EXPECT_EQ(form.resultText(CuttingResult::CorrectedCuttingSpeed), "15.708");

    // One step higher shows the cutting speed as a whole number (39.584 -> 39).
    ASSERT_TRUE(form.chooseSpeedStep(SpeedStepChoice::OneStepHigher, machine));
    EXPECT_EQ(form.resultText(CuttingResult::StepSpeed), "630");
    EXPECT_EQ(form.resultText(CuttingResult::CorrectedCuttingSpeed), "39.000");

    // "*Berechnen" goes back to the nearest step.
    ASSERT_TRUE(form.calculateCommand(machine));
    EXPECT_EQ(form.speedStepChoice(), SpeedStepChoice::Nearest);
    EXPECT_EQ(form.resultText(CuttingResult::StepSpeed), "400");
}

TEST_F(CuttingDataFormTest, InchDefaultsGive1222AndInchResults)
{
    CuttingDataForm form(1);
    form.setFeedMode(FeedMode::PerRevolution);
    type(form, CuttingInput::FeedPerRevolution, "0.004");
    type(form, CuttingInput::DwellRevolutions, "2");
    ASSERT_TRUE(form.calculateCommand(machine));
    EXPECT_EQ(form.resultText(CuttingResult::SpindleSpeed), "1222");
    EXPECT_EQ(form.resultText(CuttingResult::StepSpeed), "1000");
    EXPECT_EQ(form.resultText(CuttingResult::Dwell), "98"); // 60000 / 1222 * 2
    EXPECT_EQ(form.resultText(CuttingResult::CorrectedDwell), "120");
    // 1222 * 0.004 inch = 4.888 inch/min, shown with four decimals.
    EXPECT_EQ(form.resultText(CuttingResult::FeedRate), "4.8880");
    EXPECT_EQ(form.resultText(CuttingResult::CorrectedFeedRate), "4.0000");
    // 1000 rev/min on 7.93752 mm is 24.9365 m/min = 81.8125 ft/min.
    EXPECT_EQ(form.resultText(CuttingResult::CorrectedCuttingSpeed), "81.8125");
}

TEST_F(CuttingDataFormTest, PerToothFeedsPlungeAndRotary)
{
    CuttingDataForm form(0);
    form.setFeedMode(FeedMode::PerTooth);
    type(form, CuttingInput::FeedPerTooth, "0.05");
    type(form, CuttingInput::Teeth, "4");
    type(form, CuttingInput::Radius, "50");
    ASSERT_TRUE(form.calculateCommand(machine));
    EXPECT_EQ(form.resultText(CuttingResult::FeedRate), "76.200");
    EXPECT_EQ(form.resultText(CuttingResult::PlungeFeed), "38.100");
    EXPECT_EQ(form.resultText(CuttingResult::CorrectedFeedRate), "80.000");
    EXPECT_EQ(form.resultText(CuttingResult::CorrectedPlungeFeed), "40.000");
    EXPECT_EQ(form.resultText(CuttingResult::RotaryFeed), "87.000"); // 76.2*360/314.16 = 87.3
    EXPECT_EQ(form.resultText(CuttingResult::CorrectedRotaryFeed), "92.000"); // 91.67
}

TEST_F(CuttingDataFormTest, ZeroDiameterOrSpeedChangesNothing)
{
    for (CuttingInput zeroed : {CuttingInput::Diameter, CuttingInput::CuttingSpeed}) {
        CuttingDataForm form(0);
        ASSERT_TRUE(form.calculateCommand(machine));
        type(form, zeroed, "");
        type(form, CuttingInput::Diameter == zeroed ? CuttingInput::CuttingSpeed : CuttingInput::Diameter, "10");
        EXPECT_FALSE(form.calculateCommand(machine));
        EXPECT_EQ(form.resultText(CuttingResult::SpindleSpeed), "381");
    }
    CuttingDataForm fresh(0);
    type(fresh, CuttingInput::CuttingSpeed, "0");
    EXPECT_FALSE(fresh.calculateCommand(machine));
    EXPECT_FALSE(fresh.resultsValid());
    EXPECT_EQ(fresh.resultText(CuttingResult::SpindleSpeed), "");
}

TEST_F(CuttingDataFormTest, AxialModeLeavesFeedRateAndRotaryUntouched)
{
    CuttingDataForm form(0);
    form.setFeedMode(FeedMode::PerRevolution);
    type(form, CuttingInput::FeedPerRevolution, "0.1");
    type(form, CuttingInput::Radius, "50");
    ASSERT_TRUE(form.chooseSpeedStep(SpeedStepChoice::OneStepHigher, machine));
    const std::string feedRate = form.resultText(CuttingResult::FeedRate);
    const std::string corrected = form.resultText(CuttingResult::CorrectedFeedRate);
    const std::string rotary = form.resultText(CuttingResult::RotaryFeed);
    EXPECT_EQ(feedRate, "38.100");

    form.setFeedMode(FeedMode::PerRevolutionAxial);
    EXPECT_EQ(form.speedStepChoice(), SpeedStepChoice::Nearest);
    type(form, CuttingInput::FeedPerRevolution, "0.2");
    type(form, CuttingInput::PlungePercent, "100");
    ASSERT_TRUE(form.calculateCommand(machine));
    EXPECT_EQ(form.resultText(CuttingResult::FeedRate), feedRate);
    EXPECT_EQ(form.resultText(CuttingResult::CorrectedFeedRate), corrected);
    EXPECT_EQ(form.resultText(CuttingResult::RotaryFeed), rotary);
    EXPECT_EQ(form.resultText(CuttingResult::PlungeFeed), "76.200"); // 381 * 0.2 * 100 %
    EXPECT_EQ(form.resultText(CuttingResult::CorrectedPlungeFeed), "80.000");
}

struct EnableCase {
    FeedMode mode;
    const char* name;
    std::array<bool, kCuttingInputCount> inputs;
    std::array<bool, kCuttingResultCount> results;
};

class FeedModeEnableTest : public ::testing::TestWithParam<EnableCase> { };

TEST_P(FeedModeEnableTest, EnablesTheFieldsOfTheMode)
{
    const EnableCase& c = GetParam();
    for (int i = 0; i < kCuttingInputCount; ++i)
        EXPECT_EQ(CuttingDataForm::inputEnabled(c.mode, static_cast<CuttingInput>(i)), c.inputs[i]) << "input " << i;
    for (int i = 0; i < kCuttingResultCount; ++i)
        EXPECT_EQ(CuttingDataForm::resultEnabled(c.mode, static_cast<CuttingResult>(i)), c.results[i])
            << "result " << i;
}

// Inputs: D, Vc, fn, fz, z, plunge %, dwell revolutions, radius.
// Results: vf, plunge, n, vf corr., plunge corr., step, Vc corr., dwell x2, rotary x2.
INSTANTIATE_TEST_SUITE_P(Modes, FeedModeEnableTest,
    ::testing::Values(EnableCase {FeedMode::PerRevolution, "PerRevolution", {1, 1, 1, 0, 0, 1, 1, 1},
                          {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        EnableCase {FeedMode::PerTooth, "PerTooth", {1, 1, 0, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        EnableCase {FeedMode::PerRevolutionAxial, "PerRevolutionAxial", {1, 1, 1, 0, 0, 0, 1, 0},
            {0, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0}},
        EnableCase {FeedMode::SpeedOnly, "SpeedOnly", {1, 1, 0, 0, 0, 0, 1, 0}, {0, 0, 1, 0, 0, 1, 1, 1, 1, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

class StoreFillTest : public ::testing::TestWithParam<int> { };

TEST_P(StoreFillTest, RestoresEveryInputModeAndStep)
{
    const int unitSystem = GetParam();
    CuttingDataForm form(unitSystem);
    const bool inch = unitSystem == 1;
    type(form, CuttingInput::Diameter, inch ? "0.5" : "12.5");
    type(form, CuttingInput::CuttingSpeed, inch ? "250" : "80");
    type(form, CuttingInput::FeedPerRevolution, inch ? "0.004" : "0.12");
    type(form, CuttingInput::FeedPerTooth, inch ? "0.002" : "0.04");
    type(form, CuttingInput::Teeth, "3");
    type(form, CuttingInput::PlungePercent, "30");
    type(form, CuttingInput::DwellRevolutions, "2.5");
    type(form, CuttingInput::Radius, inch ? "1.25" : "40");
    form.setFeedMode(FeedMode::PerTooth);
    StepTable machine = steps({500, 1000, 2000});
    ASSERT_TRUE(form.chooseSpeedStep(SpeedStepChoice::OneStepLower, machine));

    const CuttingDataBlock block = form.store(true);
    EXPECT_EQ(block.openReportAutomatically, 1);
    if (inch) {
        EXPECT_FLOAT_EQ(block.diameter, 12.70003f); // metric in the block
    }
    CuttingDataForm reopened(unitSystem);
    EXPECT_TRUE(reopened.fill(block));
    for (int i = 0; i < kCuttingInputCount; ++i) {
        const auto input = static_cast<CuttingInput>(i);
        EXPECT_FLOAT_EQ(reopened.inputValue(input), form.inputValue(input)) << "input " << i;
    }
    EXPECT_EQ(reopened.inputText(CuttingInput::Diameter), inch ? "0.5000" : "12.500");
    EXPECT_EQ(reopened.inputText(CuttingInput::Teeth), "3");
    EXPECT_EQ(reopened.feedMode(), FeedMode::PerTooth);
    EXPECT_EQ(reopened.speedStepChoice(), SpeedStepChoice::OneStepLower);
}

INSTANTIATE_TEST_SUITE_P(UnitSystems, StoreFillTest, ::testing::Values(0, 1),
    [](const auto& info) { return info.param == 0 ? std::string("Metric") : std::string("Inch"); });

TEST_F(CuttingDataFormTest, FillFromEmptyOrDamagedBlockKeepsTheDefaults)
{
    CuttingDataBlock empty {};
    CuttingDataForm fresh(0);
    EXPECT_FALSE(fresh.fill(empty));
    EXPECT_EQ(fresh.inputText(CuttingInput::Diameter), "20.0");
    EXPECT_EQ(fresh.inputText(CuttingInput::CuttingSpeed), "24");
    EXPECT_EQ(fresh.inputText(CuttingInput::PlungePercent), "50");
    EXPECT_EQ(fresh.inputText(CuttingInput::FeedPerRevolution), " 0.000");
    EXPECT_EQ(fresh.feedMode(), FeedMode::SpeedOnly);
    EXPECT_EQ(fresh.speedStepChoice(), SpeedStepChoice::Nearest);
    EXPECT_EQ(fresh.resultCaption(CuttingResult::StepSpeed, texts), "*Drehzahlstufe [U/min]:");

    CuttingDataBlock damaged {};
    damaged.diameter = std::numeric_limits<float>::quiet_NaN();
    damaged.cuttingSpeed = std::numeric_limits<float>::infinity();
    damaged.teeth = 1e30f;
    damaged.radius = -5.0f;
    damaged.plungePercent = -20;
    damaged.feedModeFlags[0] = 1;
    damaged.feedModeFlags[2] = 1; // two modes at once
    CuttingDataForm inch(1);
    EXPECT_EQ(inch.inputCaption(CuttingInput::Diameter, texts), "*Durchmesser D [inch]:");
    inch.fill(damaged);
    EXPECT_EQ(inch.inputText(CuttingInput::Diameter), "0.3125");
    EXPECT_EQ(inch.inputText(CuttingInput::CuttingSpeed), "100");
    EXPECT_EQ(inch.inputText(CuttingInput::PlungePercent), "50");
    EXPECT_FLOAT_EQ(inch.inputValue(CuttingInput::Radius), 0.0f);
    EXPECT_EQ(inch.feedMode(), FeedMode::SpeedOnly);
}

TEST_F(CuttingDataFormTest, CountsBeyondTheIntegerRangeAreHeldAtItsEdge)
{
    // What a typed count of 2147483647 gives, the largest count there is.
    auto results = [&](const char* teeth, const char* percent) {
        CuttingDataForm form(0);
        form.setFeedMode(FeedMode::PerTooth);
        type(form, CuttingInput::FeedPerTooth, "0.05");
        type(form, CuttingInput::Teeth, teeth);
        type(form, CuttingInput::PlungePercent, percent);
        EXPECT_TRUE(form.calculateCommand(machine));
        return std::vector<std::string> {form.resultText(CuttingResult::FeedRate),
            form.resultText(CuttingResult::PlungeFeed), form.resultText(CuttingResult::CorrectedPlungeFeed)};
    };
    const auto edge = results("2147483647", "2147483647");
    for (const std::string& text : edge)
        EXPECT_EQ(text.find('-'), std::string::npos) << text;
    EXPECT_EQ(results("4444444444", "2147483647"), edge);
    EXPECT_EQ(results("2147483647", "4444444444"), edge);

    // A tool handed over with the largest count: a float holds it as 2^31, one beyond.
    ToolHandOver tool {};
    tool.diameter = 20.0f;
    tool.cuttingSpeed = 24.0f;
    tool.feedPerTooth = 0.05f;
    tool.teeth = std::numeric_limits<std::int32_t>::max();
    CuttingDataForm handed(0);
    handed.takeOverTool(tool);
    type(handed, CuttingInput::PlungePercent, "2147483647");
    ASSERT_TRUE(handed.calculateCommand(machine));
    EXPECT_EQ(handed.resultText(CuttingResult::FeedRate), edge[0]);
    EXPECT_EQ(handed.resultText(CuttingResult::PlungeFeed), edge[1]);
}

TEST_F(CuttingDataFormTest, AStoredCountOutOfRangeCountsAsZero)
{
    for (float stored : {3e9f, -3e9f, std::numeric_limits<float>::quiet_NaN(), 2147483648.0f}) {
        CuttingDataBlock block {};
        block.diameter = 10.0f;
        block.cuttingSpeed = 100.0f;
        block.teeth = stored;
        CuttingDataForm form(0);
        form.fill(block);
        EXPECT_EQ(form.inputText(CuttingInput::Teeth), "0") << stored;
    }
    CuttingDataBlock block {};
    block.teeth = 2147483520.0f; // the largest float below 2^31 is in range
    CuttingDataForm form(0);
    form.fill(block);
    EXPECT_EQ(form.inputText(CuttingInput::Teeth), "2147483520");
}

std::vector<std::string> reportLabels(const std::string& report)
{
    std::vector<std::string> labels;
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        if (const auto tab = line.find("\t: "); tab != std::string::npos)
            labels.push_back(line.substr(0, tab));
    }
    return labels;
}

struct ReportCase {
    FeedMode mode;
    const char* name;
    std::vector<std::string> labels;
};

class CuttingDataReportTest : public ::testing::TestWithParam<ReportCase> { };

TEST_P(CuttingDataReportTest, LinesInTheOrderOfTheMode)
{
    const ReportCase& c = GetParam();
    BuiltinTexts texts;
    CuttingDataForm form(0);
    form.setFeedMode(c.mode);
    type(form, CuttingInput::FeedPerRevolution, "0.1");
    type(form, CuttingInput::FeedPerTooth, "0.05");
    type(form, CuttingInput::Teeth, "4");
    ASSERT_TRUE(form.calculateCommand(steps({400})));
    const std::string report = form.reportText(texts, 49, LocalDateTime {2025, 3, 7, 14, 5, 9});

    const std::string head = "07.03.2025_14:05\r\n" + std::string(44, '-') + "\r\n" + std::string(69, '-')
        + "\r\n*Schnittdaten Calculator\r\n" + CuttingDataForm::feedModeName(c.mode, texts) + "\r\n";
    EXPECT_EQ(report.substr(0, head.size()), head);
    EXPECT_EQ(reportLabels(report), c.labels);
    EXPECT_NE(report.find("*Durchmesser D [mm]\t: 20.000\r\n"), std::string::npos);
    EXPECT_NE(report.find("*Drehzahl theoretisch [U/min]\t: 381\r\n"), std::string::npos);
}

const std::vector<std::string> kFeedResults
    = {"*Vorschubsgeschwindigkeit vf theoretisch [mm/min]", "*Tauchvorschub vf theoretisch [mm/min]",
        "*Drehzahl theoretisch [U/min]", "*Verweilzeit theoretisch [ms]", "*Rot. Vorschub theoretisch [Grad/min]",
        "*Vorschubsgeschwindigkeit vf korrigiert [mm/min]", "*Tauchvorschub vf korrigiert [mm/min]",
        "*Drehzahlstufe [U/min]", "*Schnittgeschwindigkeit Vc bei Drehzahlstufe [m/min]",
        "*Verweilzeit korrigiert [ms]", "*Rot. Vorschub korrigiert [Grad/min]"};

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(Modes, CuttingDataReportTest,
    ::testing::Values(ReportCase {FeedMode::SpeedOnly, "SpeedOnly",
                          {"*Durchmesser D [mm]", "*Schnittgeschwindigkeit Vc [m/min]", "*Tauchvorschub % von vf",
                              "*Umdrehungen während Verweilzeit", "*Drehzahl theoretisch [U/min]",
                              "*Verweilzeit theoretisch [ms]", "*Drehzahlstufe [U/min]",
                              "*Schnittgeschwindigkeit Vc bei Drehzahlstufe [m/min]", "*Verweilzeit korrigiert [ms]"}},
        ReportCase {FeedMode::PerRevolutionAxial, "PerRevolutionAxial",
            {"*Durchmesser D [mm]", "*Schnittgeschwindigkeit Vc [m/min]", "*Tauchvorschub % von vf",
                "*Vorschub pro Umdrehung axial fn [mm/U]", "*Umdrehungen während Verweilzeit",
                "*Drehzahl theoretisch [U/min]", "*Tauchvorschub vf theoretisch [mm/min]",
                "*Verweilzeit theoretisch [ms]", "*Drehzahlstufe [U/min]",
                "*Schnittgeschwindigkeit Vc bei Drehzahlstufe [m/min]", "*Tauchvorschub vf korrigiert [mm/min]",
                "*Verweilzeit korrigiert [ms]"}},
        ReportCase {FeedMode::PerRevolution, "PerRevolution",
            join({"*Durchmesser D [mm]", "*Schnittgeschwindigkeit Vc [m/min]", "*Tauchvorschub % von vf",
                     "*Vorschub pro Umdrehung fn [mm/U]", "*Umdrehungen während Verweilzeit",
                     "*Radius für rot. Vorschub [mm]"},
                kFeedResults)},
        ReportCase {FeedMode::PerTooth, "PerTooth",
            join({"*Durchmesser D [mm]", "*Schnittgeschwindigkeit Vc [m/min]", "*Zahnvorschub fz [mm]",
                     "*Zähne Anzahl n", "*Tauchvorschub % von vf", "*Umdrehungen während Verweilzeit",
                     "*Radius für rot. Vorschub [mm]"},
                kFeedResults)}),
    [](const auto& info) { return std::string(info.param.name); });

struct ToolCase {
    const char* name;
    float perTooth;
    float perRevolution;
    float axial;
    std::int32_t teeth;
    FeedMode expected;
};

class ToolTakeOverTest : public ::testing::TestWithParam<ToolCase> { };

TEST_P(ToolTakeOverTest, PicksTheModeFromTheNonZeroValues)
{
    const ToolCase& c = GetParam();
    ToolHandOver tool {};
    tool.diameter = 10.0f;
    tool.cuttingSpeed = 120.0f;
    tool.feedPerTooth = c.perTooth;
    tool.feedPerRevolution = c.perRevolution;
    tool.axialFeedPerRevolution = c.axial;
    tool.teeth = c.teeth;
    CuttingDataForm form(0);
    ASSERT_TRUE(form.chooseSpeedStep(SpeedStepChoice::OneStepHigher, steps({400})));
    form.takeOverTool(tool);
    EXPECT_EQ(form.feedMode(), c.expected);
    EXPECT_EQ(form.speedStepChoice(), SpeedStepChoice::Nearest);
    EXPECT_EQ(form.inputText(CuttingInput::Diameter), "10.000");
    EXPECT_EQ(form.inputText(CuttingInput::CuttingSpeed), "120.000");
    if (c.expected == FeedMode::PerRevolutionAxial) {
        EXPECT_FLOAT_EQ(form.inputValue(CuttingInput::FeedPerRevolution), c.axial);
        EXPECT_EQ(form.inputText(CuttingInput::PlungePercent), "100");
    } else {
        EXPECT_FLOAT_EQ(form.inputValue(CuttingInput::FeedPerRevolution), c.perRevolution);
        EXPECT_EQ(form.inputText(CuttingInput::PlungePercent), "50");
    }
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolTakeOverTest,
    ::testing::Values(ToolCase {"FeedPerRevolutionAlone", 0, 0.15f, 0, 0, FeedMode::PerRevolution},
        ToolCase {"AxialFeedAlone", 0, 0, 0.08f, 0, FeedMode::PerRevolutionAxial},
        ToolCase {"FeedPerToothWithTeeth", 0.04f, 0, 0, 4, FeedMode::PerTooth},
        ToolCase {"FeedPerToothWithoutTeeth", 0.04f, 0, 0, 0, FeedMode::SpeedOnly},
        ToolCase {"NoFeed", 0, 0, 0, 3, FeedMode::SpeedOnly}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CuttingDataToolReturn, ReturnCodesFillTheHandOver)
{
    CuttingDataForm form(0);
    form.setFeedMode(FeedMode::PerRevolution);
    std::string fn = "0.1";
    form.setInputText(CuttingInput::FeedPerRevolution, fn);
    ASSERT_TRUE(form.calculateCommand(steps({250, 400, 630})));
    auto state = std::make_unique<OpenDialogData>();

    form.handBack(ToolReturnCode::TheoreticalValue, *state);
    EXPECT_EQ(state->toolHandOver.returnCode, 1);
    EXPECT_FLOAT_EQ(state->toolHandOver.returnSpindleSpeed, 381.0f);
    EXPECT_FLOAT_EQ(state->toolHandOver.returnCuttingSpeed, 24.0f);
    EXPECT_FLOAT_EQ(state->toolHandOver.returnDiameter, 20.0f);
    EXPECT_FLOAT_EQ(state->toolHandOver.returnFeedRate, 38.1f);
    EXPECT_FLOAT_EQ(state->toolHandOver.returnPlungeFeed, 19.05f);

    form.handBack(ToolReturnCode::StepValue, *state);
    EXPECT_EQ(state->toolHandOver.returnCode, 2);
    EXPECT_FLOAT_EQ(state->toolHandOver.returnSpindleSpeed, 400.0f);
    EXPECT_NEAR(state->toolHandOver.returnCuttingSpeed, 25.1327f, 0.0001f);
    EXPECT_FLOAT_EQ(state->toolHandOver.returnFeedRate, 40.0f);
    EXPECT_FLOAT_EQ(state->toolHandOver.returnPlungeFeed, 20.0f);
    EXPECT_FLOAT_EQ(state->toolHandOver.returnDiameter, 20.0f);

    form.handBack(ToolReturnCode::WithoutData, *state);
    EXPECT_EQ(state->toolHandOver.returnCode, 3);
    EXPECT_FLOAT_EQ(state->toolHandOver.returnSpindleSpeed, 400.0f); // untouched
}

// Zero rpm and zero feeds handed back would overwrite the tool's own values: a way back
// without a result goes back without data.
TEST(CuttingDataToolReturn, AWayBackWithoutAResultHandsNothingOver)
{
    struct Case {
        const char* name;
        bool calculated;
        StepTable table;
        ToolReturnCode code;
        bool offered;
        std::int32_t returnCode;
        float spindleSpeed; // what the hand-over holds afterwards
    };
    const Case cases[] = {
        {"StepWithoutSteps", true, steps({}), ToolReturnCode::StepValue, false, 3, -1.0f},
        {"TheoreticalWithoutSteps", true, steps({}), ToolReturnCode::TheoreticalValue, true, 1, 381.0f},
        {"StepWithSteps", true, steps({250, 400}), ToolReturnCode::StepValue, true, 2, 400.0f},
        {"TheoreticalBeforeACalculation", false, steps({250, 400}), ToolReturnCode::TheoreticalValue, false, 3, -1.0f},
        {"StepBeforeACalculation", false, steps({250, 400}), ToolReturnCode::StepValue, false, 3, -1.0f},
        {"WithoutDataBeforeACalculation", false, steps({}), ToolReturnCode::WithoutData, true, 3, -1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CuttingDataForm form(0);
        form.setFeedMode(FeedMode::PerRevolution);
        std::string fn = "0.1";
        form.setInputText(CuttingInput::FeedPerRevolution, fn);
        if (c.calculated) {
            ASSERT_TRUE(form.calculateCommand(c.table));
        }
        EXPECT_EQ(form.canHandBack(c.code), c.offered);
        auto state = std::make_unique<OpenDialogData>();
        state->toolHandOver.returnSpindleSpeed = -1.0f;
        state->toolHandOver.returnFeedRate = -1.0f;
        form.handBack(c.code, *state);
        EXPECT_EQ(state->toolHandOver.returnCode, c.returnCode);
        EXPECT_EQ(state->toolHandOver.returnSpindleSpeed, c.spindleSpeed);
        if (c.returnCode == 3) {
            EXPECT_EQ(state->toolHandOver.returnFeedRate, -1.0f);
        }
    }
}

} // namespace
} // namespace kvt
