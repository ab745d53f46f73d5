#pragma once
// Coolant emulsion: mixing a new batch of water-mixed coolant, raising or lowering the
// concentration of a tank, the balance of pure concentrate that every result has to
// keep, and the volume a tank holds from its inner dimensions. Volumes are millilitres,
// lengths millimetres, concentrations percent of concentrate in the emulsion.

#include <optional>
#include <string_view>

namespace kvt {

// ---- volume units -------------------------------------------------------------------

// The program-wide volume unit of the options record. A value outside 0 to 9 (a damaged
// record) counts as litres.
enum class VolumeUnit : int {
    Litre = 0,
    Millilitre = 1,
    GallonUs = 2,
    GallonImperial = 3,
    PintUs = 4,
    PintImperial = 5,
    QuartUs = 6,
    QuartImperial = 7,
    FluidOunceUs = 8,
    FluidOunceImperial = 9,
};
inline constexpr int kVolumeUnitCount = 10;

VolumeUnit volumeUnitFromOption(int value);
double millilitresPerUnit(VolumeUnit unit);
// The unit as the window's unit line and the report show it: "[Liter]", "[Gallon US]".
std::string_view volumeUnitText(VolumeUnit unit);

// Display value to millilitres and back: multiply (divide) by the unit's factor and round
// to 3 decimals like every stored value; millilitres pass unchanged.
double volumeToMillilitres(VolumeUnit unit, double value);
double volumeToDisplay(VolumeUnit unit, double millilitres);

// ---- mixing operations ----------------------------------------------------------------

// The rows of the operation list; rows 1 and 5 are separators and run nothing.
enum class MixingOperation : int {
    NewEmulsion = 0,
    RaiseByConcentrate = 2,
    RaiseSameVolume = 3,
    RaiseToTargetVolume = 4,
    LowerWithWater = 6,
    LowerWithWaterSameVolume = 7,
    LowerWithOnePercentEmulsion = 8,
    LowerWithOnePercentSameVolume = 9,
};
inline constexpr int kOperationRowCount = 10;
// The operation of a list row; nothing for a separator or a row that does not exist.
std::optional<MixingOperation> operationAtRow(int row);

struct MixingInputs {
    double actualVolume = 0; // Vi, ml
    double actualConcentration = 0; // Ci, %
    double targetVolume = 0; // Vs, ml
    double targetConcentration = 0; // Cs, %
};

// What goes out of and into the tank. The refill volume is everything that goes in, the
// total volume what the tank holds afterwards; what an operation does not name stays 0.
struct MixingResults {
    double emulsionToRemove = 0; // ml
    double onePercentToAdd = 0; // ml of 1 % emulsion
    double waterToAdd = 0; // ml
    double concentrateToAdd = 0; // ml
    double mixerSetting = 0; // % concentrate a proportional mixer is set to
    double refillVolume = 0; // ml
    double totalVolume = 0; // ml
};

// Why an operation gave no result.
enum class MixingMessage {
    None,
    TargetNotAboveActual, // raising, but Cs <= Ci
    TargetNotBelowActual, // adding water, but Cs >= Ci
    TargetEqualsActual, // exchanging emulsion, but Cs = Ci
    RaiseNeedsOtherOperation, // a lowering operation asked to raise
    TargetBelowTwoPercent, // 1 % emulsion cannot lower below 2 %
    TargetBelowOnePercent, // 1 % emulsion exchange cannot go below 1 %
    BalanceFailed, // the result does not keep the concentrate balance
    RaiseTooLargeForVolume, // more concentrate than the new volume can take
};

struct MixingOutcome {
    MixingResults results; // all 0 when there is a message
    MixingMessage message = MixingMessage::None;
};

MixingOutcome NewEmulsion(const MixingInputs& in);
MixingOutcome RaiseByConcentrate(const MixingInputs& in);
MixingOutcome RaiseSameVolume(const MixingInputs& in);
// Reaches Vs at Cs; when Ci > Cs nothing is computed and the balance check refuses it.
MixingOutcome RaiseToTargetVolume(const MixingInputs& in);
MixingOutcome LowerWithWater(const MixingInputs& in);
MixingOutcome LowerWithWaterSameVolume(const MixingInputs& in);
MixingOutcome LowerWithOnePercentEmulsion(const MixingInputs& in);
MixingOutcome LowerWithOnePercentSameVolume(const MixingInputs& in);

MixingOutcome runMixingOperation(MixingOperation operation, const MixingInputs& in);

// Pure concentrate (ml) the operation promises against what the tank really holds
// afterwards.
struct ConcentrateBalance {
    double expected = 0;
    double computed = 0;
};
inline constexpr double kConcentrateBalanceTolerance = 0.1; // ml of concentrate, both ends included

ConcentrateBalance concentrateBalance(MixingOperation operation, const MixingInputs& in, const MixingResults& r);
bool CheckConcentrateBalance(MixingOperation operation, const MixingInputs& in, const MixingResults& r);

// The calculate command after the inputs are in internal units: runs the operation,
// checks the balance and decides what the window shows.
struct MixingCalculation {
    bool ran = false; // false: Cs is 0 or the row is a separator; nothing changes
    MixingResults results; // all 0 unless the result stands
    MixingMessage message = MixingMessage::None;
    bool showZeros = false; // the result fields show 0 instead of being emptied
    bool stands = false; // results valid; a report may be written
};
MixingCalculation calculateMixing(int operationRow, const MixingInputs& in);

// ---- tank estimate ----------------------------------------------------------------------

inline constexpr double kTankPi = 3.1415927;

// A rectangular tank with four rounded inner corners of radius R filled to height H:
// (L x B x H - 4 x (R^2 - pi R^2 / 4) x H) / 1000, mm^3 to ml.
double TankVolumeFromDimensions(double length, double width, double fillHeight, double cornerRadius);
// H / h x v: v millilitres for every height unit h of fill height H; 0 when h is 0.
double TankVolumeFromHeightUnits(double fillHeight, double heightUnit, double volumePerHeightUnit);

} // namespace kvt
