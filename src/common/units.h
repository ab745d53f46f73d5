#pragma once
// Unit systems and conversions. Values are kept metric inside the program; toMetric
// converts what the user typed in the inch system, toDisplay converts a stored value for
// an inch display. The inch factor is 25.400051 (not 25.4): stored records and every
// window's expected results were made with it.
//
// Unit kinds: 1 and 5 length (millimetre / inch), 6 metres / feet, 2, 3, 4 and 7 plain
// numbers. Unit system 0 is metric, 1 inch.

#include "common/text_lookup.h"

#include <cstdint>
#include <string>

namespace kvt {

inline constexpr double kMillimetresPerInch = 25.400051;
inline constexpr double kMetresPerFoot = 0.3048;
inline constexpr double kMillilitresPerUsFluidOunce = 29.5735;
inline constexpr double kMillilitresPerImperialFluidOunce = 28.4131;

inline constexpr int kUnitSystemMetric = 0;
inline constexpr int kUnitSystemInch = 1;

// How a value converts between the unit systems; the numbers are the unit kinds that
// stored data and every caller were written with. Kinds 2, 3 and 4 pass unchanged as
// Plain does; no window uses them.
enum class ConversionKind : int {
    Length = 1, // millimetre / inch
    Feed = 5, // millimetre / inch, for feeds
    MetresFeet = 6, // metre / foot, also cutting speeds in m/min / ft/min
    Plain = 7, // counts, percentages, degrees, times: never converted
};

// The unit text a field label carries ("[mm]" or "[inch]"); the numbers are the unit
// text kinds below.
enum class UnitText : int {
    Millimetre = 1,
    FeedRate = 2, // [mm/min]
    FeedPerRevolution = 3, // [mm/U]
    CuttingSpeed = 4, // [m/min]
    SpindleSpeed = 5, // [U/min]
    Metre = 6,
    Degree = 7,
    Percent = 8,
    Second = 9,
    Millisecond = 10,
    Volume = 11, // [l] / [gal]
    Area = 12,
    Mass = 13,
    Temperature = 14,
    WithoutText = 15,
    None = 9999, // kNoUnit
};

// Rounds to `decimals` places the way every stored value was rounded: add half a unit of
// the last place, scale, truncate to a 64-bit integer, scale back. Negative values are
// therefore truncated towards zero after the shift, not rounded symmetrically.
double roundDecimals(double value, int decimals);

// An unknown unit system or unit kind returns the value as given, so a caller that
// converts a variable in place keeps it unchanged.
float toMetric(int unitSystem, int unitKind, float value);
double toMetric(int unitSystem, int unitKind, double value);
float toDisplay(int unitSystem, int unitKind, float value);
// The double display variant rounds lengths of unit kind 1 to 4 decimals.
double toDisplay(int unitSystem, int unitKind, double value);

inline float toMetric(int unitSystem, ConversionKind kind, float value)
{
    return toMetric(unitSystem, static_cast<int>(kind), value);
}
inline double toMetric(int unitSystem, ConversionKind kind, double value)
{
    return toMetric(unitSystem, static_cast<int>(kind), value);
}
inline float toDisplay(int unitSystem, ConversionKind kind, float value)
{
    return toDisplay(unitSystem, static_cast<int>(kind), value);
}
inline double toDisplay(int unitSystem, ConversionKind kind, double value)
{
    return toDisplay(unitSystem, static_cast<int>(kind), value);
}

double millilitresToUsFluidOunces(double millilitres); // rounded to 3 decimals
double millilitresToImperialFluidOunces(double millilitres); // rounded to 3 decimals

// whole + numerator / denominator, rounded to 3 decimals; the fraction counts 0 when the
// denominator is 0.
double mixedFraction(std::int32_t whole, std::int32_t numerator, std::int32_t denominator);

// Unit texts for field labels. Unit kinds 1 to 14 have a text per unit system; kind 15
// and kNoUnit have none.
inline constexpr int kNoUnit = 9999;
inline constexpr int kUnitKindWithoutText = 15;
inline constexpr int kMetricUnitTextIdBase = 68100; // + unit kind
inline constexpr int kInchUnitTextIdBase = 68120; // + unit kind

std::string unitText(const TextLookup& texts, int unitSystem, int unitKind);
// The label of `labelId` followed by a blank and the unit text (no blank when there is
// no unit text).
std::string unitLabel(
    const TextLookup& texts, int labelId, std::string_view builtinLabel, int unitSystem, int unitKind);
inline std::string unitLabel(
    const TextLookup& texts, int labelId, std::string_view builtinLabel, int unitSystem, UnitText unit)
{
    return unitLabel(texts, labelId, builtinLabel, unitSystem, static_cast<int>(unit));
}
static_assert(static_cast<int>(UnitText::None) == kNoUnit);
static_assert(static_cast<int>(UnitText::WithoutText) == kUnitKindWithoutText);

} // namespace kvt
