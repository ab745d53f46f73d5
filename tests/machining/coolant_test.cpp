// Coolant emulsion: the volume units, the eight mixing operations with the messages and
// the concentrate balance, the tank estimate, the refractometer readings, the saved
// block with the machine's tank and the report, all without a widget. Expected texts
// are what the user reads in the window ("%6.2f").

#include "common/clock.h"
#include "common/text_lookup.h"
#include "machining/coolant/coolant.h"
#include "machining/coolant/coolant_form.h"
#include "options/machine_data.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace kvt {
namespace {

const BuiltinTexts kTexts;

void type(CoolantForm& form, CoolantInput input, const char* text)
{
    std::string value = text;
    ASSERT_TRUE(form.setInputText(input, value)) << text;
}

std::array<std::string, kCoolantResultCount> results(const CoolantForm& form)
{
    std::array<std::string, kCoolantResultCount> texts;
    for (int i = 0; i < kCoolantResultCount; ++i)
        texts[static_cast<std::size_t>(i)] = form.resultText(static_cast<CoolantResult>(i));
    return texts;
}

// ---- volume units --------------------------------------------------------------------

struct UnitCase {
    VolumeUnit unit;
    double millilitres;
    const char* text;
    double oneUnit; // ml, after the rounding to 3 decimals
};

TEST(CoolantVolumeUnits, EveryUnitHasItsFactorTextAndShowsOneUnitAsOne)
{
    const std::array<UnitCase, kVolumeUnitCount> cases = {{
        {VolumeUnit::Litre, 1000.0, "[Liter]", 1000.0},
        {VolumeUnit::Millilitre, 1.0, "[Milliliter]", 1.0},
        {VolumeUnit::GallonUs, 3785.41, "[Gallon US]", 3785.41},
        {VolumeUnit::GallonImperial, 4546.09, "[Gallon Imp]", 4546.09},
        {VolumeUnit::PintUs, 473.176, "[Pint US]", 473.176},
        {VolumeUnit::PintImperial, 568.261, "[Pint Imp]", 568.261},
        {VolumeUnit::QuartUs, 946.353, "[Quart US]", 946.353},
        {VolumeUnit::QuartImperial, 1136.52, "[Quart Imp]", 1136.52},
        {VolumeUnit::FluidOunceUs, 29.5735, "[Fluid Ounce US]", 29.573},
        {VolumeUnit::FluidOunceImperial, 28.4131, "[Fluid Ounce Imp]", 28.413},
    }};
    for (const UnitCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(millilitresPerUnit(c.unit), c.millilitres);
        EXPECT_EQ(volumeUnitText(c.unit), c.text);
        EXPECT_EQ(volumeToMillilitres(c.unit, 1.0), c.oneUnit);
        EXPECT_EQ(volumeToDisplay(c.unit, c.millilitres), 1.0);
        EXPECT_EQ(volumeToDisplay(c.unit, c.oneUnit), 1.0);
        // What the user sees after an estimate of exactly one unit.
        CoolantForm form(0, static_cast<int>(c.unit), false);
        form.setTankMethod(TankMethod::HeightUnits);
        type(form, CoolantInput::FillHeight, "1");
        type(form, CoolantInput::HeightUnit, "1");
        type(form, CoolantInput::VolumePerHeightUnit, "1");
        ASSERT_FALSE(form.estimateTank(kTexts).message);
        EXPECT_EQ(form.inputText(CoolantInput::ActualVolume), "  1.00");
    }
}

TEST(CoolantVolumeUnits, ConversionsRoundToThreeDecimalsExceptMillilitres)
{
    EXPECT_EQ(volumeToMillilitres(VolumeUnit::Litre, 1.0000004), 1000.0);
    EXPECT_EQ(volumeToMillilitres(VolumeUnit::Litre, 1.0000005), 1000.001);
    EXPECT_EQ(volumeToDisplay(VolumeUnit::Litre, 1052.6315), 1.053);
    EXPECT_EQ(volumeToDisplay(VolumeUnit::Litre, 1052.4), 1.052);
    EXPECT_EQ(volumeToMillilitres(VolumeUnit::Millilitre, 1.23456), 1.23456);
    EXPECT_EQ(volumeToDisplay(VolumeUnit::Millilitre, 1.23456), 1.23456);
    // A damaged option counts as litres.
    EXPECT_EQ(volumeUnitFromOption(10), VolumeUnit::Litre);
    EXPECT_EQ(volumeUnitFromOption(-1), VolumeUnit::Litre);
    EXPECT_EQ(volumeToMillilitres(static_cast<VolumeUnit>(200), 1.0), 1000.0);
}

TEST(CoolantForm, UnitLineNamesLengthAndVolumeUnit)
{
    EXPECT_EQ(CoolantForm(0, 0, false).unitLine(kTexts), "Eingaben in [mm], [Liter]");
    EXPECT_EQ(CoolantForm(1, 2, false).unitLine(kTexts), "Eingaben in [Inch US], [Gallon US]");
    EXPECT_EQ(CoolantForm(7, 42, false).unitLine(kTexts), "Eingaben in [mm], [Liter]");
}

// ---- the operations as the user reads them -------------------------------------------

struct OperationCase {
    const char* name;
    int row;
    VolumeUnit unit;
    const char* vi;
    const char* ci;
    const char* vs;
    const char* cs;
    // remove, 1 % emulsion, water, concentrate, mixer, refill, total
    std::array<const char*, kCoolantResultCount> expected;
};

class CoolantOperationTest : public ::testing::TestWithParam<OperationCase> { };

TEST_P(CoolantOperationTest, ShowsTheResultsAndLetsTheReportBeWritten)
{
    const OperationCase& c = GetParam();
    CoolantForm form(0, static_cast<int>(c.unit), true);
    form.setOperationRow(c.row);
    type(form, CoolantInput::ActualVolume, c.vi);
    type(form, CoolantInput::ActualConcentration, c.ci);
    type(form, CoolantInput::TargetVolume, c.vs);
    type(form, CoolantInput::TargetConcentration, c.cs);
    const CoolantCommandResult command = form.calculate(kTexts);
    EXPECT_FALSE(command.message) << command.message->text;
    EXPECT_TRUE(command.reportReady);
    const auto shown = results(form);
    for (int i = 0; i < kCoolantResultCount; ++i)
        EXPECT_EQ(shown[static_cast<std::size_t>(i)], c.expected[static_cast<std::size_t>(i)]) << "result " << i;
}

INSTANTIATE_TEST_SUITE_P(Litres, CoolantOperationTest,
    ::testing::Values(OperationCase {"NewBatch100lAt5", 0, VolumeUnit::Litre, "0", "0", "100", "5",
                          {"  0.00", "  0.00", " 95.00", "  5.00", "  5.00", "100.00", "100.00"}},
        OperationCase {"Raise4To5ByConcentrate", 2, VolumeUnit::Litre, "100", "4", "0", "5",
            {"  0.00", "  0.00", "  0.00", "  1.05", "  0.00", "  1.05", "101.05"}},
        // A target volume left from another operation has no part in adding concentrate.
        OperationCase {"Raise4To5IgnoresTargetVolume", 2, VolumeUnit::Litre, "100", "4", "250", "5",
            {"  0.00", "  0.00", "  0.00", "  1.05", "  0.00", "  1.05", "101.05"}},
        OperationCase {"Raise4To5SameVolume", 3, VolumeUnit::Litre, "100", "4", "0", "5",
            {"  1.04", "  0.00", "  0.00", "  1.04", "  0.00", "  1.04", "100.00"}},
        OperationCase {"Raise4To5AndTo120l", 4, VolumeUnit::Litre, "100", "4", "120", "5",
            {"  0.00", "  0.00", " 18.00", "  2.00", " 10.00", " 20.00", "120.00"}},
        OperationCase {"Lower6To5WithWater", 6, VolumeUnit::Litre, "100", "6", "0", "5",
            {"  0.00", "  0.00", " 20.00", "  0.00", "  0.00", " 20.00", "120.00"}},
        OperationCase {"Lower6To5WithWaterSameVolume", 7, VolumeUnit::Litre, "100", "6", "0", "5",
            {" 16.67", "  0.00", " 16.67", "  0.00", "  0.00", " 16.67", "100.00"}},
        OperationCase {"Lower6To5WithOnePercent", 8, VolumeUnit::Litre, "100", "6", "0", "5",
            {"  0.00", " 25.00", "  0.00", "  0.00", "  0.00", " 25.00", "125.00"}},
        OperationCase {"Lower6To5WithOnePercentSameVolume", 9, VolumeUnit::Litre, "100", "6", "0", "5",
            {" 20.00", " 20.00", "  0.00", "  0.00", "  0.00", " 20.00", "100.00"}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(OtherUnits, CoolantOperationTest,
    ::testing::Values(OperationCase {"NewBatchUsGallons", 0, VolumeUnit::GallonUs, "0", "0", "10", "5",
                          {"  0.00", "  0.00", "  9.50", "  0.50", "  5.00", " 10.00", " 10.00"}},
        OperationCase {"RaiseByConcentrateMillilitres", 2, VolumeUnit::Millilitre, "100000", "4", "0", "5",
            {"  0.00", "  0.00", "  0.00", "1052.63", "  0.00", "1052.63", "101052.63"}},
        OperationCase {"RaiseSameVolumeImperialGallons", 3, VolumeUnit::GallonImperial, "100", "4", "0", "5",
            {"  1.04", "  0.00", "  0.00", "  1.04", "  0.00", "  1.04", "100.00"}},
        OperationCase {"RaiseToTargetVolumeUsQuarts", 4, VolumeUnit::QuartUs, "100", "4", "120", "5",
            {"  0.00", "  0.00", " 18.00", "  2.00", " 10.00", " 20.00", "120.00"}},
        OperationCase {"LowerWithWaterUsPints", 6, VolumeUnit::PintUs, "100", "6", "0", "5",
            {"  0.00", "  0.00", " 20.00", "  0.00", "  0.00", " 20.00", "120.00"}},
        OperationCase {"LowerSameVolumeUsFluidOunces", 7, VolumeUnit::FluidOunceUs, "100", "6", "0", "5",
            {" 16.67", "  0.00", " 16.67", "  0.00", "  0.00", " 16.67", "100.00"}},
        OperationCase {"LowerOnePercentImperialFluidOunces", 8, VolumeUnit::FluidOunceImperial, "100", "6", "0", "5",
            {"  0.00", " 25.00", "  0.00", "  0.00", "  0.00", " 25.00", "125.00"}},
        OperationCase {"LowerOnePercentSameVolumeImperialQuarts", 9, VolumeUnit::QuartImperial, "100", "6", "0", "5",
            {" 20.00", " 20.00", "  0.00", "  0.00", "  0.00", " 20.00", "100.00"}},
        OperationCase {"LowerWithWaterImperialPints", 6, VolumeUnit::PintImperial, "100", "6", "0", "5",
            {"  0.00", "  0.00", " 20.00", "  0.00", "  0.00", " 20.00", "120.00"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- messages -----------------------------------------------------------------------

struct MessageCase {
    const char* name;
    int row;
    const char* vi;
    const char* ci;
    const char* vs;
    const char* cs;
    const char* text;
    const char* caption;
    bool zeros; // the result fields show 0 instead of nothing
};

class CoolantMessageTest : public ::testing::TestWithParam<MessageCase> { };

TEST_P(CoolantMessageTest, ClearsTheResultsAndWritesNoReport)
{
    const MessageCase& c = GetParam();
    CoolantForm form(0, 0, true);
    // A result from before that the failed calculation must not leave standing.
    type(form, CoolantInput::TargetVolume, "100");
    type(form, CoolantInput::TargetConcentration, "5");
    ASSERT_TRUE(form.calculate(kTexts).reportReady);

    form.setOperationRow(c.row);
    type(form, CoolantInput::ActualVolume, c.vi);
    type(form, CoolantInput::ActualConcentration, c.ci);
    type(form, CoolantInput::TargetVolume, c.vs);
    type(form, CoolantInput::TargetConcentration, c.cs);
    const CoolantCommandResult command = form.calculate(kTexts);
    ASSERT_TRUE(command.message);
    EXPECT_EQ(command.message->text, c.text);
    EXPECT_EQ(command.message->caption, c.caption);
    EXPECT_EQ(command.message->icon, MessageIcon::Information);
    EXPECT_FALSE(command.reportReady);
    EXPECT_FALSE(form.resultStands());
    EXPECT_EQ(form.reportText(kTexts, 49, LocalDateTime {}), "");
    for (const std::string& shown : results(form))
        EXPECT_EQ(shown, c.zeros ? "  0.00" : "");
}

constexpr const char* kNotAbove = "*Eingabefehler: Sollkonzentration ist kleiner oder gleich Istkonzentration!";
constexpr const char* kNotBelow = "*Eingabefehler: Sollkonzentration ist grösser oder gleich Istkonzentration!";
constexpr const char* kEqual = "*Eingabefehler: Sollkonzentration ist gleich Istkonzentration!";
constexpr const char* kOtherRaise = "*Zum Erhöhen der Konzentration andere Funktion auswählen!";
constexpr const char* kOtherOperation = "*Für Verdünnungsberechnung andere Rechenoperation auswählen!";

INSTANTIATE_TEST_SUITE_P(Table, CoolantMessageTest,
    ::testing::Values(MessageCase {"RaiseEqual", 2, "100", "5", "0", "5", kNotAbove, "Fehler", false},
        MessageCase {"RaiseLower", 2, "100", "5", "0", "4", kNotAbove, "Fehler", false},
        MessageCase {"RaiseSameVolumeEqual", 3, "100", "5", "0", "5", kNotAbove, "Fehler", false},
        MessageCase {"RaiseSameVolumeLower", 3, "100", "5", "0", "4", kNotAbove, "Fehler", false},
        MessageCase {"WaterEqual", 6, "100", "5", "0", "5", kNotBelow, "Fehler", false},
        MessageCase {"WaterHigher", 6, "100", "5", "0", "6", kNotBelow, "Fehler", false},
        MessageCase {"WaterSameVolumeEqual", 7, "100", "5", "0", "5", kEqual, "Fehler", false},
        MessageCase {"WaterSameVolumeHigher", 7, "100", "4", "0", "5", kOtherRaise, "Fehler", false},
        MessageCase {"OnePercentBelowTwo", 8, "100", "6", "0", "1.99",
            "*Zielkonzentration kann nicht kleiner als 2% sein", "Fehler", false},
        MessageCase {"OnePercentHigher", 8, "100", "4", "0", "5", kOtherRaise, "Fehler", false},
        MessageCase {"OnePercentSameVolumeEqual", 9, "100", "5", "0", "5", kEqual, "Fehler", false},
        MessageCase {"OnePercentSameVolumeHigher", 9, "100", "4", "0", "5", kOtherRaise, "Fehler", false},
        MessageCase {"OnePercentSameVolumeBelowOne", 9, "100", "6", "0", "0.99",
            "*Konzentration kann nicht kleiner als 1% sein, da mit einer 1%igen Emulsion aufgefüllt wird!", "Fehler",
            false},
        // Pure concentrate cannot raise a tank to 100 %: the balance refuses it.
        MessageCase {"RaiseTo100Percent", 2, "100", "4", "0", "100", kOtherOperation, "Fehler", false},
        MessageCase {"TargetVolumeButLowering", 4, "100", "6", "150", "5", kOtherOperation, "Fehler", false},
        // Nothing computed for a weaker target, though its zeros keep the balance.
        MessageCase {"TargetVolumeLoweringThatBalances", 4, "100", "6", "120", "5", kOtherOperation, "Fehler", false},
        MessageCase {"TargetVolumeSmallerThanTank", 4, "100", "4", "90", "5",
            "*Konzentrationserhöhung für neues Volumen zu groß!", "*ERROR", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CoolantForm, NoTargetConcentrationOrASeparatorRowDoesNothing)
{
    CoolantForm form(0, 0, true);
    type(form, CoolantInput::TargetVolume, "100");
    type(form, CoolantInput::TargetConcentration, "5");
    ASSERT_TRUE(form.calculate(kTexts).reportReady);
    const auto before = results(form);

    for (int row : {1, 5}) {
        form.setOperationRow(row);
        const CoolantCommandResult command = form.calculate(kTexts);
        EXPECT_FALSE(command.changed);
        EXPECT_FALSE(command.message);
        EXPECT_EQ(results(form), before);
    }
    form.setOperationRow(0);
    type(form, CoolantInput::TargetConcentration, "0");
    const CoolantCommandResult command = form.calculate(kTexts);
    EXPECT_FALSE(command.changed);
    EXPECT_FALSE(command.message);
    EXPECT_EQ(results(form), before);
}

// ---- the concentrate balance ----------------------------------------------------------

TEST(CoolantBalance, EveryOperationsResultBalancesAndATamperedOneDoesNot)
{
    const MixingInputs raise {100000.0, 4.0, 120000.0, 5.0};
    const MixingInputs lower {100000.0, 6.0, 0.0, 5.0};
    struct Case {
        MixingOperation operation;
        MixingInputs in;
        double MixingResults::*tampered;
    };
    const std::array<Case, 8> cases = {{
        {MixingOperation::NewEmulsion, raise, &MixingResults::concentrateToAdd},
        {MixingOperation::RaiseByConcentrate, raise, &MixingResults::concentrateToAdd},
        {MixingOperation::RaiseSameVolume, raise, &MixingResults::emulsionToRemove},
        {MixingOperation::RaiseToTargetVolume, raise, &MixingResults::concentrateToAdd},
        {MixingOperation::LowerWithWater, lower, &MixingResults::waterToAdd},
        {MixingOperation::LowerWithWaterSameVolume, lower, &MixingResults::emulsionToRemove},
        {MixingOperation::LowerWithOnePercentEmulsion, lower, &MixingResults::onePercentToAdd},
        {MixingOperation::LowerWithOnePercentSameVolume, lower, &MixingResults::emulsionToRemove},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.operation));
        const MixingOutcome outcome = runMixingOperation(c.operation, c.in);
        ASSERT_EQ(outcome.message, MixingMessage::None);
        EXPECT_TRUE(CheckConcentrateBalance(c.operation, c.in, outcome.results));
        MixingResults wrong = outcome.results;
        // A result 5 % off sends the wrong amount into the tank.
        wrong.*c.tampered *= 1.05;
        EXPECT_FALSE(CheckConcentrateBalance(c.operation, c.in, wrong));
        wrong.*c.tampered = std::numeric_limits<double>::quiet_NaN();
        EXPECT_FALSE(CheckConcentrateBalance(c.operation, c.in, wrong));
    }
}

TEST(CoolantBalance, ToleranceIsOneTenthOfAMillilitreBothEndsIncluded)
{
    // New emulsion: the concentrate added against Cs / 100 x Vs; 5 % of 2 ml is 0.1 ml.
    const MixingInputs in {0.0, 0.0, 2.0, 5.0};
    MixingResults r;
    r.concentrateToAdd = 0.0;
    EXPECT_TRUE(CheckConcentrateBalance(MixingOperation::NewEmulsion, in, r));
    r.concentrateToAdd = 0.2;
    EXPECT_TRUE(CheckConcentrateBalance(MixingOperation::NewEmulsion, in, r));
    r.concentrateToAdd = 0.20001;
    EXPECT_FALSE(CheckConcentrateBalance(MixingOperation::NewEmulsion, in, r));
    r.concentrateToAdd = -0.00001;
    EXPECT_FALSE(CheckConcentrateBalance(MixingOperation::NewEmulsion, in, r));
    // Without a target volume the actual volume counts.
    const MixingInputs noTarget {2.0, 0.0, 0.0, 5.0};
    r.concentrateToAdd = 0.1;
    EXPECT_EQ(concentrateBalance(MixingOperation::NewEmulsion, noTarget, r).computed, 0.1);
}

TEST(CoolantOperations, EdgeValuesGiveNumbersNotDivisionsByZero)
{
    // Nothing to refill: the mixer setting is 0, not 0 / 0.
    const MixingOutcome same = RaiseToTargetVolume({100000.0, 5.0, 100000.0, 5.0});
    EXPECT_EQ(same.results.refillVolume, 0.0);
    EXPECT_EQ(same.results.mixerSetting, 0.0);
    const MixingCalculation calculation = calculateMixing(4, {100000.0, 5.0, 100000.0, 5.0});
    EXPECT_TRUE(calculation.stands);
    // A tank of 100 % concentrate cannot be raised by exchanging emulsion.
    EXPECT_EQ(RaiseSameVolume({1000.0, 100.0, 0.0, 101.0}).results.concentrateToAdd, 0.0);
    EXPECT_EQ(LowerWithWater({1000.0, 5.0, 0.0, 0.0}).results.totalVolume, 0.0);
    EXPECT_EQ(LowerWithWaterSameVolume({1000.0, 0.0, 0.0, 0.0}).message, MixingMessage::TargetEqualsActual);
    // Vi and Ci without any target: nothing computed.
    const MixingOutcome nothing = RaiseToTargetVolume({1000.0, 5.0, 0.0, 0.0});
    EXPECT_EQ(nothing.results.totalVolume, 0.0);
    EXPECT_EQ(nothing.message, MixingMessage::None);
}

// ---- tank estimate ---------------------------------------------------------------------

TEST(CoolantTank, VolumeFromDimensionsAndFromHeightUnits)
{
    EXPECT_EQ(TankVolumeFromDimensions(1000.0, 500.0, 300.0, 0.0), 150000.0);
    // Each rounded corner leaves out R^2 - pi R^2 / 4 of the rectangle.
    EXPECT_NEAR(TankVolumeFromDimensions(1000.0, 500.0, 300.0, 50.0), 150000.0 - 4 * (2500.0 - 1963.495) * 0.3, 0.001);
    EXPECT_EQ(TankVolumeFromHeightUnits(300.0, 10.0, 5000.0), 150000.0);
    EXPECT_EQ(TankVolumeFromHeightUnits(300.0, 0.0, 5000.0), 0.0);
}

struct EstimateCase {
    const char* name;
    int unitSystem;
    VolumeUnit unit;
    TankMethod method;
    std::array<const char*, 6> inputs; // width, length, fill height, radius, height unit, volume per unit
    const char* expected; // nullptr: "*Eingabewerte überprüfen!"
};

class CoolantEstimateTest : public ::testing::TestWithParam<EstimateCase> { };

TEST_P(CoolantEstimateTest, WritesTheActualVolumeOrAsksToCheckTheInputs)
{
    const EstimateCase& c = GetParam();
    CoolantForm form(c.unitSystem, static_cast<int>(c.unit), false);
    type(form, CoolantInput::ActualVolume, "7");
    form.setTankMethod(c.method);
    const std::array<CoolantInput, 6> fields
        = {CoolantInput::TankWidth, CoolantInput::TankLength, CoolantInput::FillHeight, CoolantInput::CornerRadius,
            CoolantInput::HeightUnit, CoolantInput::VolumePerHeightUnit};
    for (std::size_t i = 0; i < fields.size(); ++i)
        type(form, fields[i], c.inputs[i]);
    const CoolantCommandResult command = form.estimateTank(kTexts);
    if (c.expected) {
        EXPECT_FALSE(command.message);
        EXPECT_EQ(form.inputText(CoolantInput::ActualVolume), c.expected);
        return;
    }
    ASSERT_TRUE(command.message);
    EXPECT_EQ(command.message->text, "*Eingabewerte überprüfen!");
    EXPECT_EQ(command.message->caption, "Fehler");
    EXPECT_EQ(form.inputText(CoolantInput::ActualVolume), "7");
}

INSTANTIATE_TEST_SUITE_P(Cases, CoolantEstimateTest,
    ::testing::Values(EstimateCase {"Tank1000x500Filled300", 0, VolumeUnit::Litre, TankMethod::Dimensions,
                          {"500", "1000", "300", "0", "0", "0"}, "150.00"},
        EstimateCase {"SameTankInMillilitres", 0, VolumeUnit::Millilitre, TankMethod::Dimensions,
            {"500", "1000", "300", "0", "0", "0"}, "150000.00"},
        // 39.37 x 19.685 x 11.811 inch with the 25.400051 inch factor: 150.00 l in US gallons.
        EstimateCase {"InchTankInUsGallons", 1, VolumeUnit::GallonUs, TankMethod::Dimensions,
            {"19.685", "39.37", "11.811", "0", "0", "0"}, " 39.63"},
        EstimateCase {"ByHeightUnits", 0, VolumeUnit::Litre, TankMethod::HeightUnits, {"0", "0", "300", "0", "10", "5"},
            "150.00"},
        EstimateCase {
            "NoFillHeight", 0, VolumeUnit::Litre, TankMethod::Dimensions, {"500", "1000", "0", "0", "0", "0"}, nullptr},
        EstimateCase {
            "NoWidth", 0, VolumeUnit::Litre, TankMethod::Dimensions, {"0", "1000", "300", "0", "0", "0"}, nullptr},
        EstimateCase {
            "NoLength", 0, VolumeUnit::Litre, TankMethod::Dimensions, {"500", "0", "300", "0", "0", "0"}, nullptr},
        EstimateCase {"NoVolumePerHeightUnit", 0, VolumeUnit::Litre, TankMethod::HeightUnits,
            {"0", "0", "300", "0", "10", "0"}, nullptr},
        EstimateCase {
            "NoHeightUnit", 0, VolumeUnit::Litre, TankMethod::HeightUnits, {"0", "0", "300", "0", "0", "5"}, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CoolantTank, EachMethodSwitchesOnTheFieldsItReads)
{
    const std::array<CoolantInput, 6> tankFields
        = {CoolantInput::TankWidth, CoolantInput::TankLength, CoolantInput::FillHeight, CoolantInput::CornerRadius,
            CoolantInput::HeightUnit, CoolantInput::VolumePerHeightUnit};
    const std::array<bool, 6> byDimensions = {true, true, true, true, false, false};
    const std::array<bool, 6> byHeightUnits = {false, false, true, false, true, true};
    for (std::size_t i = 0; i < tankFields.size(); ++i) {
        EXPECT_EQ(CoolantForm::inputEnabled(TankMethod::Dimensions, tankFields[i]), byDimensions[i]) << i;
        EXPECT_EQ(CoolantForm::inputEnabled(TankMethod::HeightUnits, tankFields[i]), byHeightUnits[i]) << i;
    }
    for (CoolantInput always : {CoolantInput::ActualVolume, CoolantInput::ActualConcentration,
             CoolantInput::TargetVolume, CoolantInput::TargetConcentration, CoolantInput::RefractometerFactor}) {
        EXPECT_TRUE(CoolantForm::inputEnabled(TankMethod::Dimensions, always));
        EXPECT_TRUE(CoolantForm::inputEnabled(TankMethod::HeightUnits, always));
    }
}

// ---- refractometer -------------------------------------------------------------------

TEST(CoolantRefractometer, SwitchingRewritesBothFieldsAndComesBackExactly)
{
    CoolantForm form(0, 0, false);
    type(form, CoolantInput::ActualConcentration, "4");
    type(form, CoolantInput::TargetConcentration, "5");
    type(form, CoolantInput::RefractometerFactor, "1.43");

    form.setRefractometerInUse(true);
    EXPECT_EQ(form.inputText(CoolantInput::ActualConcentration), "  2.80");
    EXPECT_EQ(form.inputText(CoolantInput::TargetConcentration), "  3.50");
    EXPECT_DOUBLE_EQ(form.concentration(CoolantInput::TargetConcentration), 5.0);
    for (int round = 0; round < 3; ++round) {
        form.setRefractometerInUse(false);
        form.setRefractometerInUse(true);
    }
    form.setRefractometerInUse(false);
    EXPECT_EQ(form.inputText(CoolantInput::ActualConcentration), "  4.00");
    EXPECT_EQ(form.inputText(CoolantInput::TargetConcentration), "  5.00");
    EXPECT_DOUBLE_EQ(form.inputValue(CoolantInput::TargetConcentration), 5.0);
}

TEST(CoolantRefractometer, TypedReadingsTimesTheFactorAreTheConcentrations)
{
    CoolantForm form(0, 0, false);
    form.setRefractometerInUse(true);
    type(form, CoolantInput::RefractometerFactor, "2");
    type(form, CoolantInput::TargetVolume, "100");
    type(form, CoolantInput::TargetConcentration, "2.5");
    EXPECT_EQ(form.concentration(CoolantInput::TargetConcentration), 5.0);
    ASSERT_TRUE(form.calculate(kTexts).reportReady);
    EXPECT_EQ(form.resultText(CoolantResult::ConcentrateToAdd), "  5.00");
    EXPECT_EQ(form.resultText(CoolantResult::MixerSetting), "  5.00");
    EXPECT_EQ(form.inputText(CoolantInput::TargetConcentration), "  2.50");
    // A new factor reads the same reading anew.
    type(form, CoolantInput::RefractometerFactor, "1.5");
    EXPECT_EQ(form.concentration(CoolantInput::TargetConcentration), 3.75);
    form.setRefractometerInUse(false);
    EXPECT_EQ(form.inputText(CoolantInput::TargetConcentration), "  3.75");
}

TEST(CoolantRefractometer, WithoutAFactorReadingsAreNotCalculated)
{
    CoolantForm form(0, 0, false);
    type(form, CoolantInput::TargetConcentration, "5");
    type(form, CoolantInput::RefractometerFactor, "0");
    form.setRefractometerInUse(true);
    EXPECT_EQ(form.inputText(CoolantInput::TargetConcentration), "5");
    type(form, CoolantInput::TargetVolume, "100");
    const CoolantCommandResult command = form.calculate(kTexts);
    ASSERT_TRUE(command.message);
    EXPECT_EQ(command.message->text, "*Eingabewerte überprüfen!");
    EXPECT_FALSE(command.reportReady);
}

// ---- operation list ------------------------------------------------------------------

TEST(CoolantForm, OperationListHasEightOwnRowsOrTenWithALanguageModule)
{
    const std::string separator(41, '-');
    const std::vector<std::string> own = {"*Neue Emulsion ansetzen", separator, "*Konzentration erhöhen",
        "*Konzentration erhöhen gleiches Vol.", "*Konz. und Volumen erhöhen", separator, "*Konz. verringern mit Wasser",
        "*Konz. verr. m. Wasser gleiches Vol."};
    CoolantForm builtin(0, 0, false);
    EXPECT_EQ(builtin.operationRows(kTexts), own);
    builtin.setOperationRow(8);
    EXPECT_EQ(builtin.operationRow(), 0);
    builtin.setOperationRow(7);
    EXPECT_EQ(builtin.operationRow(), 7);

    CoolantForm loaded(0, 0, true);
    const std::vector<std::string> rows = loaded.operationRows(kTexts);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 8), own);
    loaded.setOperationRow(9);
    EXPECT_EQ(loaded.operationRow(), 9);
    loaded.setOperationRow(10);
    EXPECT_EQ(loaded.operationRow(), 9);
    EXPECT_EQ(operationAtRow(1), std::nullopt);
    EXPECT_EQ(operationAtRow(5), std::nullopt);
    EXPECT_EQ(operationAtRow(9), MixingOperation::LowerWithOnePercentSameVolume);
}

// ---- saved block and machine tank ------------------------------------------------------

CoolantBlock savedBlock()
{
    CoolantBlock block {};
    block.saved = 1;
    block.operationRow = 3;
    block.tankMethod = 1;
    block.actualVolume = 80000.0;
    block.actualConcentration = 4.0;
    block.targetVolume = 120000.0;
    block.targetConcentration = 5.0;
    block.tankWidth = 500.0;
    block.tankLength = 1000.0;
    block.fillHeight = 300.0;
    block.cornerRadius = 20.0;
    block.heightUnit = 10.0;
    block.volumePerHeightUnit = 5000.0;
    block.refractometerFactor = 2.0;
    return block;
}

TEST(CoolantBlockStore, FillAndStoreGiveTheSameBlockInEveryUnit)
{
    for (int unitSystem : {0, 1}) {
        for (int unit = 0; unit < kVolumeUnitCount; ++unit) {
            SCOPED_TRACE(unitSystem * 100 + unit);
            CoolantForm form(unitSystem, unit, true);
            const CoolantBlock block = savedBlock();
            form.fill(block, nullptr);
            const CoolantBlock back = form.store(false);
            EXPECT_EQ(back.operationRow, 3);
            EXPECT_EQ(back.tankMethod, 1);
            EXPECT_EQ(back.actualConcentration, 4.0);
            EXPECT_EQ(back.targetConcentration, 5.0);
            EXPECT_EQ(back.refractometerFactor, 2.0);
            // Volumes and lengths come back to within what two (lengths three or four)
            // shown decimals of the unit hold, after the rounding to three.
            const double volumeStep = millilitresPerUnit(static_cast<VolumeUnit>(unit)) * 0.0055 + 0.001;
            EXPECT_NEAR(back.actualVolume, 80000.0, volumeStep);
            EXPECT_NEAR(back.targetVolume, 120000.0, volumeStep);
            EXPECT_NEAR(back.volumePerHeightUnit, 5000.0, volumeStep);
            EXPECT_NEAR(back.tankLength, 1000.0, 0.003);
            EXPECT_NEAR(back.cornerRadius, 20.0, 0.003);
        }
    }
}

TEST(CoolantBlockStore, ReadingsAreShownButConcentrationsStored)
{
    CoolantForm form(0, 0, false);
    CoolantBlock block = savedBlock();
    block.refractometerInUse = 1;
    form.fill(block, nullptr);
    EXPECT_TRUE(form.refractometerInUse());
    EXPECT_EQ(form.inputText(CoolantInput::ActualConcentration), "  2.00");
    EXPECT_EQ(form.inputText(CoolantInput::TargetConcentration), "  2.50");
    EXPECT_EQ(form.inputText(CoolantInput::ActualVolume), " 80.00");
    EXPECT_EQ(form.inputText(CoolantInput::TankLength), "1000.000");
    EXPECT_EQ(form.store(true).targetConcentration, 5.0);
    EXPECT_EQ(form.store(true).openReportAutomatically, 1);
}

TEST(CoolantBlockStore, AFreshOrDamagedBlockGivesDefaultsAndZeros)
{
    CoolantForm fresh(0, 0, true);
    fresh.fill(CoolantBlock {}, nullptr);
    EXPECT_EQ(fresh.inputText(CoolantInput::RefractometerFactor), "  1.43");
    EXPECT_EQ(fresh.operationRow(), 0);
    EXPECT_FALSE(fresh.refractometerInUse());
    EXPECT_EQ(fresh.tankMethod(), TankMethod::Dimensions);

    CoolantBlock damaged = savedBlock();
    damaged.operationRow = 200;
    damaged.tankMethod = 7;
    damaged.actualVolume = std::numeric_limits<double>::quiet_NaN();
    damaged.targetVolume = -5.0;
    damaged.tankLength = std::numeric_limits<double>::infinity();
    damaged.refractometerFactor = -1.0;
    CoolantForm form(0, 0, true);
    form.fill(damaged, nullptr);
    EXPECT_EQ(form.operationRow(), 0);
    EXPECT_EQ(form.tankMethod(), TankMethod::Dimensions);
    EXPECT_EQ(form.inputText(CoolantInput::ActualVolume), "  0.00");
    EXPECT_EQ(form.inputText(CoolantInput::TargetVolume), "  0.00");
    EXPECT_EQ(form.inputText(CoolantInput::TankLength), " 0.000");
    EXPECT_EQ(form.inputText(CoolantInput::RefractometerFactor), "  1.43");

    // Rows 8 and 9 exist only with a language module.
    CoolantBlock lastRow = savedBlock();
    lastRow.operationRow = 9;
    CoolantForm builtin(0, 0, false);
    builtin.fill(lastRow, nullptr);
    EXPECT_EQ(builtin.operationRow(), 0);
}

CoolantTank machineTank()
{
    CoolantTank tank {};
    tank.name[0] = u'A';
    tank.length = 1200.0f;
    tank.width = 600.0f;
    tank.cornerRadius = 25.0f;
    tank.heightUnit = 20.0f;
    tank.volumePerHeightUnit = 14400.0f;
    tank.refractometerFactor = 1.5f;
    return tank;
}

TEST(CoolantBlockStore, TheMachinesCurrentTankReplacesTheTankData)
{
    CoolantForm form(0, 0, true);
    const CoolantTank tank = machineTank();
    form.fill(savedBlock(), &tank);
    EXPECT_EQ(form.inputText(CoolantInput::TankLength), "1200.000");
    EXPECT_EQ(form.inputText(CoolantInput::TankWidth), "600.000");
    EXPECT_EQ(form.inputText(CoolantInput::CornerRadius), "25.000");
    EXPECT_EQ(form.inputText(CoolantInput::HeightUnit), "20.000");
    EXPECT_EQ(form.inputText(CoolantInput::VolumePerHeightUnit), " 14.40"); // ml shown as litres
    EXPECT_EQ(form.inputText(CoolantInput::RefractometerFactor), "  1.50");
    // The fill height is the user's own, and so are the concentrations.
    EXPECT_EQ(form.inputText(CoolantInput::FillHeight), "300.000");
    EXPECT_EQ(form.inputText(CoolantInput::TargetConcentration), "  5.00");

    CoolantForm millilitres(0, 1, true);
    millilitres.fill(savedBlock(), &tank);
    EXPECT_EQ(millilitres.inputText(CoolantInput::VolumePerHeightUnit), "14400.00");
    CoolantForm gallons(0, 2, true);
    gallons.fill(savedBlock(), &tank);
    EXPECT_EQ(gallons.inputText(CoolantInput::VolumePerHeightUnit), "  3.80");

    // With the refractometer in use the readings follow the tank's factor.
    CoolantBlock reading = savedBlock();
    reading.refractometerInUse = 1;
    CoolantForm refractometer(0, 0, true);
    refractometer.fill(reading, &tank);
    EXPECT_EQ(refractometer.inputText(CoolantInput::TargetConcentration), "  3.33");
    EXPECT_DOUBLE_EQ(refractometer.concentration(CoolantInput::TargetConcentration), 5.0);
}

TEST(CoolantBlockStore, AnUnusedTankEntryLeavesWhatWasTyped)
{
    CoolantForm form(0, 0, true);
    const CoolantTank empty {};
    form.fill(savedBlock(), &empty);
    EXPECT_EQ(form.inputText(CoolantInput::TankLength), "1000.000");
    EXPECT_EQ(form.inputText(CoolantInput::RefractometerFactor), "  2.00");

    CoolantTank noFactor = machineTank();
    noFactor.refractometerFactor = 0.0f;
    form.fill(savedBlock(), &noFactor);
    EXPECT_EQ(form.inputText(CoolantInput::TankLength), "1200.000");
    EXPECT_EQ(form.inputText(CoolantInput::RefractometerFactor), "  2.00");
}

// ---- report ------------------------------------------------------------------------

const LocalDateTime kTime {2025, 3, 7, 14, 5, 9};

TEST(CoolantReport, RaiseByConcentrateInLitres)
{
    CoolantForm form(0, 0, false);
    form.setOperationRow(2);
    type(form, CoolantInput::ActualVolume, "100");
    type(form, CoolantInput::ActualConcentration, "4");
    type(form, CoolantInput::TargetConcentration, "5");
    ASSERT_TRUE(form.calculate(kTexts).reportReady);
    // Typing after the calculation does not change what the report describes.
    type(form, CoolantInput::ActualVolume, "300");
    const std::string separator = std::string(41, '-') + "\r\n";
    EXPECT_EQ(form.reportText(kTexts, 49, kTime),
        "07.03.2025_14:05\r\n" + separator + "*Kühlschmiermittel Berechnung\r\n*Konzentration erhöhen\r\n" + separator
            + "*Istmenge Mischung [Liter]\t: 100.00\r\n"
              "*Istkonzentration [%]\t:   4.00\r\n"
              "*Istkonzentration Refraktometer-Ablesewert\t:   2.80\r\n"
              "*Sollkonzentration [%]\t:   5.00\r\n"
              "*Sollkonzentration Refraktometer-Ablesewert\t:   3.50\r\n"
              "*Refraktometerfaktor\t:   1.43\r\n"
              "*Konzentrat hinzufügen [Liter]\t:   1.05\r\n"
              "*Nachfüll-Volumen [Liter]\t:   1.05\r\n"
              "*Gesamt-Volumen [Liter]\t: 101.05\r\n");
}

// The labels of every operation's lines, in order.
struct ReportCase {
    int row;
    std::vector<std::string> labels;
};

std::vector<std::string> reportLabels(const std::string& report)
{
    std::vector<std::string> labels;
    std::size_t start = 0;
    while (start < report.size()) {
        const std::size_t end = report.find("\r\n", start);
        const std::string line = report.substr(start, end - start);
        if (const std::size_t tab = line.find("\t: "); tab != std::string::npos)
            labels.push_back(line.substr(0, tab));
        start = end + 2;
    }
    return labels;
}

TEST(CoolantReport, EveryOperationWritesItsLinesInOrder)
{
    const std::string vi = "*Istmenge Mischung [Gallon US]";
    const std::string ci = "*Istkonzentration [%]";
    const std::string ri = "*Istkonzentration Refraktometer-Ablesewert";
    const std::string vs = "*Sollmenge Mischung [Gallon US]";
    const std::string cs = "*Sollkonzentration [%]";
    const std::string rs = "*Sollkonzentration Refraktometer-Ablesewert";
    const std::string f = "*Refraktometerfaktor";
    const std::string remove = "*Emulsion entfernen [Gallon US]";
    const std::string one = "*1% Emulsion hinzufügen [Gallon US]";
    const std::string water = "*Wasser hinzufügen [Gallon US]";
    const std::string conc = "*Konzentrat hinzufügen [Gallon US]";
    const std::string mixer = "*Mischerstellung [%]";
    const std::string refill = "*Nachfüll-Volumen [Gallon US]";
    const std::string total = "*Gesamt-Volumen [Gallon US]";
    const std::vector<ReportCase> cases = {
        {0, {vs, cs, rs, f, water, conc, mixer, refill, total}},
        {2, {vi, ci, ri, cs, rs, f, conc, refill, total}},
        {3, {vi, ci, ri, cs, rs, f, remove, conc}},
        {4, {vi, ci, ri, vs, cs, rs, f, conc, water, refill, total}},
        {6, {vi, ci, ri, cs, rs, f, water, refill, total}},
        {7, {vi, ci, ri, cs, rs, f, remove, water}},
        {8, {vi, ci, ri, cs, rs, f, one, refill, total}},
        {9, {vi, ci, ri, cs, rs, f, remove, one, refill, total}},
    };
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.row);
        CoolantForm form(0, 2, true);
        form.setOperationRow(c.row);
        const bool raise = c.row >= 2 && c.row <= 4;
        type(form, CoolantInput::ActualVolume, "100");
        type(form, CoolantInput::ActualConcentration, raise ? "4" : "6");
        type(form, CoolantInput::TargetVolume, c.row == 4 || c.row == 0 ? "120" : "0");
        type(form, CoolantInput::TargetConcentration, "5");
        ASSERT_TRUE(form.calculate(kTexts).reportReady);
        EXPECT_EQ(reportLabels(form.reportText(kTexts, 44, kTime)), c.labels);
    }
}

} // namespace
} // namespace kvt
