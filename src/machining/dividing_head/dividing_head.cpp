#include "machining/dividing_head/dividing_head.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kvt {

namespace {

constexpr int kEuclidRounds = 500;
constexpr std::int64_t kEuclidGaveUp = 9999999;
// Larger scaled angles (far beyond a million turns of the spindle) would overflow the
// products below; nobody indexes that far.
constexpr double kLargestScaledAngle = 1e12;

std::int64_t greatestCommonDivisor(std::int64_t a, std::int64_t b)
{
    for (int round = 0; round < kEuclidRounds; ++round) {
        if (b == 0)
            return a;
        const std::int64_t rest = a % b;
        a = b;
        b = rest;
    }
    return b == 0 ? a : kEuclidGaveUp;
}

IndexResult noSolution(std::int64_t needed)
{
    return {kNoSolution, kNoSolution, kNoSolution, kNoSolution, needed};
}

// The multiplier search: for each entry the multiplier m (2 to 19) with d * m equal to
// it; the last entry of the list that has one wins. 0 when none has.
std::int64_t lastMultipleCircle(std::span<const std::uint16_t, kIndexPlateListSize> list, std::int64_t d)
{
    std::int64_t circle = 0;
    for (std::uint16_t entry : list) {
        for (std::int64_t m = 2; m <= 19; ++m) {
            if (d * m == entry) {
                circle = entry;
                break;
            }
        }
    }
    return circle;
}

bool contains(std::span<const std::uint16_t, kIndexPlateListSize> list, std::int64_t value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

IndexPlateTable makeIndexPlateTable(std::uint8_t ratio, std::span<const std::uint16_t, kIndexPlateListSize> machine)
{
    IndexPlateTable table;
    table.ratio = ratio;
    std::copy(kStandardHoleCircles.begin(), kStandardHoleCircles.end(), table.standard.begin());
    std::copy(machine.begin(), machine.end(), table.machine.begin());
    return table;
}

bool ReduceToMixedFraction(std::int64_t p, std::int64_t q, MixedFraction& result)
{
    const std::int64_t a = std::llabs(p);
    const std::int64_t b = std::llabs(q);
    if (a == 0 && b == 0)
        return false;
    const std::int64_t g = greatestCommonDivisor(a, b);
    const std::int64_t num = p / g;
    const std::int64_t den = q / g;
    if (den <= 0)
        return false;
    if (num < den) {
        result.numerator = num;
        result.denominator = den;
        return true;
    }
    const double x = static_cast<double>(num) / static_cast<double>(den);
    const double whole = std::trunc(x);
    result.whole = static_cast<std::int64_t>(whole);
    if (x == whole) {
        result.numerator = 0;
        result.denominator = 0;
    } else {
        result.numerator = static_cast<std::int64_t>(std::round(static_cast<double>(den) * (x - whole)));
        result.denominator = den;
    }
    return true;
}

IndexResult IndexForDivisions(std::int64_t divisions, IndexPlateTable& table)
{
    if (divisions != 0)
        table.divisionAngle = static_cast<float>(360.0 / static_cast<double>(divisions));

    MixedFraction turns;
    ReduceToMixedFraction(table.ratio, divisions, turns);
    const std::int64_t w = turns.whole;
    const std::int64_t n = turns.numerator;
    const std::int64_t d = turns.denominator;

    // Whole turns only (d == 0) meet the first empty entry: no circle, no holes.
    if (contains(table.machine, d))
        return {w, n, d, 0, 0};
    if (const std::int64_t circle = lastMultipleCircle(table.machine, d); circle != 0)
        return {w, circle / d * n, circle, 0, 0};
    if (contains(table.standard, d))
        return {w, n, 0, d, 0};
    if (const std::int64_t circle = lastMultipleCircle(table.standard, d); circle != 0)
        return {w, circle / d * n, 0, circle, 0};
    return noSolution(d);
}

std::int64_t angleScale(std::string_view angleText)
{
    const auto point = angleText.find_first_of(".,");
    const std::size_t decimals = point == std::string_view::npos ? 0 : angleText.size() - point - 1;
    if (decimals <= 1)
        return 10;
    return decimals == 2 ? 100 : 1000;
}

IndexResult IndexForAngle(double angle, std::int64_t scale, const IndexPlateTable& table)
{
    MixedFraction perDegree; // R / 360 reduced
    ReduceToMixedFraction(table.ratio, 360, perDegree);
    const std::int64_t p = perDegree.numerator;
    const std::int64_t q = perDegree.denominator;

    // The scale makes the typed angle a whole number, so the product is rounded, not
    // truncated: 0.7 is 0.69999998 as a float and must not become 6 tenths.
    double scaled = static_cast<double>(scale) * angle;
    scaled = std::isfinite(scaled) ? std::clamp(std::round(scaled), -kLargestScaledAngle, kLargestScaledAngle) : 0.0;
    MixedFraction turns;
    ReduceToMixedFraction(static_cast<std::int64_t>(scaled) * p, q * scale, turns);
    const std::int64_t w = turns.whole;
    const std::int64_t n = turns.numerator;
    const std::int64_t d = turns.denominator;

    // Whole turns, or an angle too small to move the crank by one step of the scale.
    if (d == 0 || n == 0)
        return {w, 0, 0, 0, 0};

    // The first of the machine's hole circles that d divides. An empty entry is no hole
    // circle: taking it would drop the fraction and show the whole turns alone.
    for (std::uint16_t entry : table.machine) {
        if (entry != 0 && entry % d == 0)
            return {w, entry / d * n, entry, 0, 0};
    }
    return noSolution(d);
}

} // namespace kvt
