#include "machining/coolant/coolant.h"

#include "common/units.h"

#include <array>
#include <cmath>

namespace kvt {

namespace {

struct VolumeUnitInfo {
    double millilitres;
    std::string_view text;
};

constexpr std::array<VolumeUnitInfo, kVolumeUnitCount> kVolumeUnits = {{
    {1000.0, "[Liter]"},
    {1.0, "[Milliliter]"},
    {3785.41, "[Gallon US]"},
    {4546.09, "[Gallon Imp]"},
    {473.176, "[Pint US]"},
    {568.261, "[Pint Imp]"},
    {946.353, "[Quart US]"},
    {1136.52, "[Quart Imp]"},
    {29.5735, "[Fluid Ounce US]"},
    {28.4131, "[Fluid Ounce Imp]"},
}};

const VolumeUnitInfo& info(VolumeUnit unit)
{
    return kVolumeUnits[static_cast<std::size_t>(volumeUnitFromOption(static_cast<int>(unit)))];
}

MixingOutcome refused(MixingMessage message)
{
    MixingOutcome outcome;
    outcome.message = message;
    return outcome;
}

} // namespace

VolumeUnit volumeUnitFromOption(int value)
{
    return value >= 0 && value < kVolumeUnitCount ? static_cast<VolumeUnit>(value) : VolumeUnit::Litre;
}

double millilitresPerUnit(VolumeUnit unit)
{
    return info(unit).millilitres;
}

std::string_view volumeUnitText(VolumeUnit unit)
{
    return info(unit).text;
}

double volumeToMillilitres(VolumeUnit unit, double value)
{
    if (volumeUnitFromOption(static_cast<int>(unit)) == VolumeUnit::Millilitre)
        return value;
    return roundDecimals(value * millilitresPerUnit(unit), 3);
}

double volumeToDisplay(VolumeUnit unit, double millilitres)
{
    if (volumeUnitFromOption(static_cast<int>(unit)) == VolumeUnit::Millilitre)
        return millilitres;
    return roundDecimals(millilitres / millilitresPerUnit(unit), 3);
}

std::optional<MixingOperation> operationAtRow(int row)
{
    switch (row) {
    case 0:
    case 2:
    case 3:
    case 4:
    case 6:
    case 7:
    case 8:
    case 9:
        return static_cast<MixingOperation>(row);
    default:
        return std::nullopt;
    }
}

MixingOutcome NewEmulsion(const MixingInputs& in)
{
    MixingOutcome out;
    MixingResults& r = out.results;
    r.concentrateToAdd = in.targetVolume / 100.0 * in.targetConcentration;
    r.waterToAdd = in.targetVolume - r.concentrateToAdd;
    r.totalVolume = r.waterToAdd + r.concentrateToAdd;
    r.refillVolume = r.totalVolume;
    r.mixerSetting = in.targetConcentration;
    return out;
}

MixingOutcome RaiseByConcentrate(const MixingInputs& in)
{
    const double vi = in.actualVolume;
    const double ci = in.actualConcentration;
    const double cs = in.targetConcentration;
    if (cs <= ci)
        return refused(MixingMessage::TargetNotAboveActual);
    MixingOutcome out;
    const double divisor = 1.0 - cs / 100.0;
    const double x = divisor == 0.0 ? 0.0 : (vi * cs / 100.0 - ci / 100.0 * vi) / divisor;
    out.results.concentrateToAdd = x;
    out.results.refillVolume = x;
    out.results.totalVolume = x + vi;
    return out;
}

MixingOutcome RaiseSameVolume(const MixingInputs& in)
{
    const double vi = in.actualVolume;
    const double ci = in.actualConcentration;
    const double cs = in.targetConcentration;
    if (cs <= ci)
        return refused(MixingMessage::TargetNotAboveActual);
    MixingOutcome out;
    const double divisor = 1.0 - ci / 100.0;
    const double x = divisor == 0.0 ? 0.0 : (cs / 100.0 * vi - ci / 100.0 * vi) / divisor;
    out.results.emulsionToRemove = x;
    out.results.concentrateToAdd = x;
    // What goes in is the concentrate that replaces the emulsion taken out.
    out.results.refillVolume = x;
    out.results.totalVolume = vi;
    return out;
}

MixingOutcome RaiseToTargetVolume(const MixingInputs& in)
{
    const double vi = in.actualVolume;
    const double ci = in.actualConcentration;
    const double vs = in.targetVolume;
    const double cs = in.targetConcentration;
    MixingOutcome out;
    if (vi != 0.0 && ci != 0.0 && vs == 0.0 && cs == 0.0)
        return out;
    if (ci > cs)
        return out;
    MixingResults& r = out.results;
    const double c = vs / 100.0 * cs - ci / 100.0 * vi;
    const double w = (vs - vi) - c;
    r.concentrateToAdd = c;
    r.waterToAdd = w;
    r.refillVolume = w + c;
    r.totalVolume = r.refillVolume + vi;
    // Nothing to refill leaves nothing to mix (and no 0 / 0 on the mixer).
    r.mixerSetting = r.refillVolume == 0.0 ? 0.0 : c / r.refillVolume * 100.0;
    return out;
}

MixingOutcome LowerWithWater(const MixingInputs& in)
{
    const double vi = in.actualVolume;
    const double ci = in.actualConcentration;
    const double cs = in.targetConcentration;
    if (cs >= ci)
        return refused(MixingMessage::TargetNotBelowActual);
    MixingOutcome out;
    // No amount of water brings a tank to 0 %; the balance check refuses the zeros.
    if (cs == 0.0)
        return out;
    out.results.totalVolume = (ci / 100.0 * vi) / (cs / 100.0);
    out.results.waterToAdd = out.results.totalVolume - vi;
    out.results.refillVolume = out.results.waterToAdd;
    return out;
}

MixingOutcome LowerWithWaterSameVolume(const MixingInputs& in)
{
    const double vi = in.actualVolume;
    const double ci = in.actualConcentration;
    const double cs = in.targetConcentration;
    if (cs == ci)
        return refused(MixingMessage::TargetEqualsActual);
    if (cs > ci)
        return refused(MixingMessage::RaiseNeedsOtherOperation);
    MixingOutcome out;
    const double difference = std::abs(cs - ci);
    const double divisor = cs + difference;
    const double x = divisor == 0.0 ? 0.0 : vi / divisor * difference;
    out.results.emulsionToRemove = x;
    out.results.waterToAdd = x;
    out.results.refillVolume = x;
    out.results.totalVolume = vi;
    return out;
}

MixingOutcome LowerWithOnePercentEmulsion(const MixingInputs& in)
{
    const double vi = in.actualVolume;
    const double ci = in.actualConcentration;
    const double cs = in.targetConcentration;
    if (cs < 2.0)
        return refused(MixingMessage::TargetBelowTwoPercent);
    // Adding 1 % emulsion to a weaker tank cannot make it stronger; the formula would
    // still give a volume, and a wrong one.
    if (cs > ci)
        return refused(MixingMessage::RaiseNeedsOtherOperation);
    MixingOutcome out;
    const double a = std::abs(cs - 1.0);
    const double b = std::abs(cs - ci);
    const double perA = a == 0.0 ? 0.0 : vi / a;
    out.results.totalVolume = (b + a) * perA;
    out.results.onePercentToAdd = out.results.totalVolume - vi;
    out.results.refillVolume = out.results.onePercentToAdd;
    return out;
}

MixingOutcome LowerWithOnePercentSameVolume(const MixingInputs& in)
{
    const double vi = in.actualVolume;
    const double ci = in.actualConcentration;
    const double cs = in.targetConcentration;
    if (cs == ci)
        return refused(MixingMessage::TargetEqualsActual);
    if (cs > ci)
        return refused(MixingMessage::RaiseNeedsOtherOperation);
    if (cs < 1.0)
        return refused(MixingMessage::TargetBelowOnePercent);
    MixingOutcome out;
    const double b = std::abs(cs - ci);
    const double a = std::abs(cs - 1.0);
    const double x = a + b == 0.0 ? 0.0 : vi / (a + b) * b;
    out.results.emulsionToRemove = x;
    out.results.onePercentToAdd = x;
    out.results.refillVolume = x;
    out.results.totalVolume = vi;
    return out;
}

MixingOutcome runMixingOperation(MixingOperation operation, const MixingInputs& in)
{
    switch (operation) {
    case MixingOperation::NewEmulsion:
        return NewEmulsion(in);
    case MixingOperation::RaiseByConcentrate:
        return RaiseByConcentrate(in);
    case MixingOperation::RaiseSameVolume:
        return RaiseSameVolume(in);
    case MixingOperation::RaiseToTargetVolume:
        return RaiseToTargetVolume(in);
    case MixingOperation::LowerWithWater:
        return LowerWithWater(in);
    case MixingOperation::LowerWithWaterSameVolume:
        return LowerWithWaterSameVolume(in);
    case MixingOperation::LowerWithOnePercentEmulsion:
        return LowerWithOnePercentEmulsion(in);
    case MixingOperation::LowerWithOnePercentSameVolume:
        return LowerWithOnePercentSameVolume(in);
    }
    return {};
}

ConcentrateBalance concentrateBalance(MixingOperation operation, const MixingInputs& in, const MixingResults& r)
{
    const double vi = in.actualVolume;
    const double ci = in.actualConcentration / 100.0;
    const double cs = in.targetConcentration / 100.0;
    const double v = in.targetVolume != 0.0 ? in.targetVolume : vi;
    const double removed = r.emulsionToRemove;
    const double concentrate = r.concentrateToAdd;
    const double onePercent = r.onePercentToAdd;
    const double water = r.waterToAdd;
    switch (operation) {
    case MixingOperation::NewEmulsion:
        return {concentrate, cs * v};
    case MixingOperation::RaiseByConcentrate:
        // Concentrate is added to the volume in the tank; a target volume typed for
        // another operation has no part in it.
        return {(concentrate + vi) * cs, ci * vi + concentrate};
    case MixingOperation::RaiseSameVolume:
        return {cs * vi, (vi - removed) * ci + concentrate};
    case MixingOperation::RaiseToTargetVolume:
        return {cs * v, ci * vi + concentrate};
    case MixingOperation::LowerWithWater:
        return {(water + vi) * cs, ci * vi};
    case MixingOperation::LowerWithWaterSameVolume:
        return {cs * vi + ci * removed, ci * vi};
    case MixingOperation::LowerWithOnePercentEmulsion:
        return {ci * vi + onePercent * 0.01, (onePercent + vi) * cs};
    case MixingOperation::LowerWithOnePercentSameVolume:
        return {std::abs(ci * vi - ci * removed + onePercent * 0.01), cs * vi};
    }
    return {};
}

bool CheckConcentrateBalance(MixingOperation operation, const MixingInputs& in, const MixingResults& r)
{
    const ConcentrateBalance balance = concentrateBalance(operation, in, r);
    // Written so that a result that is not a number fails the check.
    return std::abs(balance.expected - balance.computed) <= kConcentrateBalanceTolerance;
}

MixingCalculation calculateMixing(int operationRow, const MixingInputs& in)
{
    MixingCalculation calculation;
    const std::optional<MixingOperation> operation = operationAtRow(operationRow);
    if (!operation || in.targetConcentration == 0.0)
        return calculation;
    calculation.ran = true;

    const MixingOutcome outcome = runMixingOperation(*operation, in);
    if (outcome.message != MixingMessage::None) {
        calculation.message = outcome.message;
        return calculation;
    }
    // A new batch is what the user asked for, whatever the tank held before.
    if (*operation == MixingOperation::NewEmulsion) {
        calculation.results = outcome.results;
        calculation.stands = true;
        return calculation;
    }
    // A result that does not keep the concentrate balance is never shown: the numbers
    // would send the wrong amounts into a real tank. Raising to a target volume computes
    // nothing for a weaker target, and its zeros may balance by chance (6 % of 100 l is
    // 5 % of 120 l); they must not read as "add nothing".
    const bool dilution
        = *operation == MixingOperation::RaiseToTargetVolume && in.actualConcentration > in.targetConcentration;
    if (dilution || !CheckConcentrateBalance(*operation, in, outcome.results)) {
        calculation.message = MixingMessage::BalanceFailed;
        return calculation;
    }
    if (*operation == MixingOperation::RaiseToTargetVolume && outcome.results.waterToAdd < 0.0) {
        calculation.message = MixingMessage::RaiseTooLargeForVolume;
        calculation.showZeros = true;
        return calculation;
    }
    calculation.results = outcome.results;
    calculation.stands = true;
    return calculation;
}

double TankVolumeFromDimensions(double length, double width, double fillHeight, double cornerRadius)
{
    const double r = cornerRadius;
    return (length * width * fillHeight - (r * r - r * kTankPi * r * 0.25) * fillHeight * 4.0) / 1000.0;
}

double TankVolumeFromHeightUnits(double fillHeight, double heightUnit, double volumePerHeightUnit)
{
    if (heightUnit == 0.0)
        return 0.0;
    return fillHeight / heightUnit * volumePerHeightUnit;
}

} // namespace kvt
