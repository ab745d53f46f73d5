#include "common/inch_fraction.h"

#include "common/number_format.h"
#include "common/units.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace kvt {

namespace {

// Euclid's algorithm, given up after 501 steps (a divisor that leaves the fraction as it
// is then); with 128ths it always ends far earlier.
std::int64_t commonDivisor(std::int64_t a, std::int64_t b)
{
    for (int step = 0; step < 501; ++step) {
        if (b == 0)
            return a == 0 ? 1 : a;
        const std::int64_t rest = a % b;
        a = b;
        b = rest;
    }
    return 1;
}

std::int64_t clampedTrunc(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double limit = 1.0e12;
    return static_cast<std::int64_t>(std::trunc(std::clamp(value, -limit, limit)));
}

} // namespace

std::string inchFraction(double millimetres)
{
    std::int64_t whole = clampedTrunc(millimetres / kMillimetresPerInch);
    double rest = millimetres - static_cast<double>(whole) * kMillimetresPerInch;
    rest = static_cast<double>(clampedTrunc((rest + 0.0005) * 1000.0)) / 1000.0;
    const double of128 = static_cast<double>(clampedTrunc((rest * 5.03937 + 0.005) * 100.0)) / 100.0;
    std::int64_t numerator = std::llabs(clampedTrunc(std::round(of128)));
    std::int64_t denominator = 128;
    const std::int64_t divisor = commonDivisor(denominator, numerator);
    numerator /= divisor;
    denominator /= divisor;
    if (numerator != 0 && numerator == denominator) {
        whole += 1;
        numerator = 0;
    }
    if (numerator == 0)
        return cformat("%i", whole);
    const std::string fraction = cformat("%i/%i", numerator, denominator);
    return whole == 0 ? fraction : cformat("%i", whole) + " " + fraction;
}

} // namespace kvt
