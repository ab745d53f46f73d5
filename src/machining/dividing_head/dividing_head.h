#pragma once
// Dividing head indexing: how many full crank turns, which hole circle of the index
// plate and how many holes to advance, for a number of equal divisions or for an angle.
// The crank turns per division are R / T (R the dividing head ratio, crank turns per
// spindle turn); the fraction left after the full turns is set on a hole circle whose
// hole count is a multiple of the fraction's denominator.
//
// The machine's own plates are searched first, then a set of standard hole circles that
// most dividing heads come with; otherwise the hole circle that would be needed is named.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kvt {

inline constexpr std::size_t kIndexPlateListSize = 360;
// Every result field holds this when no hole circle fits.
inline constexpr std::int64_t kNoSolution = 9999;

inline constexpr std::array<std::uint16_t, 18> kStandardHoleCircles
    = {15, 16, 17, 18, 19, 20, 21, 23, 27, 29, 31, 33, 37, 39, 41, 43, 47, 49};

// The ratio and the two lists of hole counts the search runs over; empty entries 0.
struct IndexPlateTable {
    std::uint8_t ratio = 0; // crank turns per spindle turn
    std::array<std::uint16_t, kIndexPlateListSize> standard {};
    std::array<std::uint16_t, kIndexPlateListSize> machine {};
    float divisionAngle = 0.0f; // degrees between two divisions, written by IndexForDivisions
};

// The standard list filled in, the machine list copied.
IndexPlateTable makeIndexPlateTable(std::uint8_t ratio, std::span<const std::uint16_t, kIndexPlateListSize> machine);

struct MixedFraction {
    std::int64_t whole = 0;
    std::int64_t numerator = 0;
    std::int64_t denominator = 0;
};

// p / q reduced by their greatest common divisor and split into whole + numerator /
// denominator. Returns false and leaves `result` as it was when p and q are both 0 or
// the reduced denominator is not positive. A proper fraction leaves `result.whole` as
// given (callers start from 0); a whole number gives numerator and denominator 0.
// Euclid gives up after 500 rounds and divides by 9999999 instead.
bool ReduceToMixedFraction(std::int64_t p, std::int64_t q, MixedFraction& result);

struct IndexResult {
    std::int64_t fullTurns = 0;
    std::int64_t holes = 0;
    std::int64_t machineCircle = 0; // a hole circle of the machine's plates, 0 for none
    std::int64_t standardCircle = 0; // a standard hole circle, 0 for none
    std::int64_t neededCircle = 0; // when nothing fits: the hole circle that would do
    bool solved() const { return fullTurns != kNoSolution || holes != kNoSolution; }
};

// T equal divisions. Writes the angle between divisions into the table when T is not 0.
IndexResult IndexForDivisions(std::int64_t divisions, IndexPlateTable& table);

// The scale that turns the typed angle into a whole number: 10, 100 or 1000 by the count
// of characters after the decimal point (a comma counts as the point).
std::int64_t angleScale(std::string_view angleText);

// A rotation by `angle` degrees, scaled by `scale` (angleScale of the typed text). Only
// the machine's plates are searched.
IndexResult IndexForAngle(double angle, std::int64_t scale, const IndexPlateTable& table);

} // namespace kvt
