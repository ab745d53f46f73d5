#pragma once
// Open requests carry 32-bit integers; a length handed between windows travels as the
// bits of its float, so that no digit is lost on the way and no conversion can overflow.

#include <cstdint>
#include <cstring>

namespace kvt {

inline std::int32_t floatBits(float value)
{
    std::int32_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    return bits;
}

inline float bitsFloat(std::int32_t bits)
{
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace kvt
