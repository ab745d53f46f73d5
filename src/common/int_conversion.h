#pragma once
// Float-to-integer conversions of typed, handed-over and stored values. A plain cast of
// a value outside the target's range is undefined behaviour (an optimised build turned
// a typed plunge percent into a negative plunge feed), so every such value passes
// through one of these.

#include <cmath>
#include <cstdint>
#include <limits>

namespace kvt {

// A typed or handed-over value: truncated toward zero and held within the range of
// int32; NaN gives 0.
inline std::int32_t clampToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double highest = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    constexpr double lowest = static_cast<double>(std::numeric_limits<std::int32_t>::min());
    if (value >= highest)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= lowest)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// A value read back from a file: truncated toward zero; NaN or a value whose whole part
// lies outside int32 counts as 0, since only a damaged file holds one.
inline std::int32_t storedToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    const double whole = std::trunc(value);
    if (whole > static_cast<double>(std::numeric_limits<std::int32_t>::max())
        || whole < static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return 0;
    return static_cast<std::int32_t>(whole);
}

} // namespace kvt
