#pragma once
// The eighteen shop calculators of the calculations library as plain functions: angle
// and unit conversions, fractional inches, dwell time, torque-wrench offsets, thermal
// expansion, hole pitch, US drill sizes and a hole centre from touch points. They take
// numbers and give numbers; the form turns them into the texts the dialog shows.
//
// A calculator that cannot give a result (a zero divisor, a missing input) returns
// nullopt, and the caller leaves the results shown before unchanged.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kvt::calc {

// Millimetres per inch as the shop tables of these calculators were made with.
inline constexpr double kMmPerInch = 25.400051;

// Rounds half away from zero to the given count of decimals. Values typed as decimals
// (0.0985, 12.51) are rarely exact in binary, so the scaled value gets a guard of a few
// units in the last place before it is cut; without it 2.675 would round to 2.67.
double roundTo(double value, int decimals);

// Cuts toward zero after the same guard, for the "whole units" steps of the formulas.
double truncGuarded(double value);

// 0: decimal degrees to degrees, minutes and seconds (each cut, not rounded). A negative
// angle carries its sign on the first part that is not zero.
struct DegreesMinutesSeconds {
    std::int32_t degrees = 0;
    std::int32_t minutes = 0;
    std::int32_t seconds = 0;
};
DegreesMinutesSeconds decimalToDms(double degrees);

// 1: degrees, minutes and seconds to decimal degrees.
double dmsToDecimal(double degrees, double minutes, double seconds);

// A length as whole inches and a reduced fraction of 128ths. A numerator of 0 means
// "no fraction" and has denominator 0.
struct InchFraction {
    std::int32_t whole = 0;
    std::int32_t numerator = 0;
    std::int32_t denominator = 0;
};
// The 128ths rule for a length in millimetres.
InchFraction fractionOf128ths(double millimetres);

// 2 and 4: the fraction, the fraction back in the calculator's unit, and whether it is
// only an estimate (further than 0.001 inch from the exact value).
struct FractionResult {
    InchFraction fraction;
    double back = 0.0; // millimetres for 2, inches for 4
    bool estimated = false;
};
FractionResult mmToFraction(double millimetres); // 2
FractionResult decimalInchToFraction(double inches); // 4

// 3 and 5: a fraction to millimetres or decimal inches; nullopt for a denominator of 0.
std::optional<double> fractionToMm(double whole, double numerator, double denominator);
std::optional<double> fractionToInch(double whole, double numerator, double denominator);

double mmToInch(double millimetres); // 6
double inchToMm(double inches); // 7

// 8: the time in whole milliseconds that the spindle needs for the revolutions.
std::optional<std::int64_t> dwellMilliseconds(double revolutionsPerMinute, double revolutions);

// 9: the torque to set on the wrench when a tool extends its functional length.
std::optional<double> torqueOffsetV1(double torque, double functionalLength, double toolLength);
// 10: the same with the standard and special gauge lengths and an optional adapter.
std::optional<double> torqueOffsetV2(
    double torque, double functionalLength, double standardGauge, double specialGauge, double adapterGauge);

// 11: thermal expansion, alpha in 10^-6 per kelvin. Heating by more than
// kMaxTemperatureRise is refused: the tables behind the coefficients hold for that range.
inline constexpr double kMaxTemperatureRise = 100.0; // K
struct ThermalExpansion {
    double change = 0.0; // mm
    double newLength = 0.0; // mm
    std::optional<double> ratio; // new length / initial length, when that is not 0
};
enum class ThermalError { None, RiseTooLarge };
struct ThermalResult {
    ThermalError error = ThermalError::None;
    ThermalExpansion value;
};
ThermalResult thermalExpansion(double length, double startTemperature, double endTemperature, double alpha);

double nmToFootPounds(double newtonMetres); // 12
double footPoundsToNm(double footPounds); // 13

// 14: centre distance of two holes from their diameters and the inner or the outer
// distance (0 means "not given"). Both given must agree within 0.001.
enum class PitchError { None, NothingGiven, Contradiction };
struct PitchResult {
    PitchError error = PitchError::None;
    double pitch = 0.0;
};
PitchResult holePitch(double diameter1, double diameter2, double innerDistance, double outerDistance);

// 15 and 16: a US drill size typed as a number 1 to 104 or a letter A to Z in either
// case. Numbers above 104 are the smallest drill, 104; clampedText then holds what the
// field should show.
inline constexpr int kLargestDrillNumber = 104;
struct DrillSize {
    double inches = 0.0;
    std::optional<int> clampedNumber;
};
std::optional<DrillSize> usDrillSize(std::string_view text);
double drillInchesToMm(double inches); // 15: rounded to 5 decimals

// 17: hole centre and diameters from two touch points on each axis.
struct HoleCentre {
    double centreX = 0.0;
    double centreY = 0.0;
    double diameterX = 0.0;
    double diameterY = 0.0;
    double meanDiameter = 0.0;
};
HoleCentre holeCentre(double x1, double x2, double y1, double y2);

// 18: the theoretical roughness of a turned surface from the feed f (mm/rev) and the
// nose radius r (mm): Rz = f² / (8 r) and Ra ≈ f² / (32 r), in µm. Measured Ra is
// usually 1.5 to 3 times higher. nullopt unless f and r are above 0.
struct Roughness {
    double rz = 0.0; // µm
    double ra = 0.0; // µm
};
std::optional<Roughness> turningRoughness(double feed, double noseRadius);

} // namespace kvt::calc
