#include "machining/sine_bar/sine_bar.h"

#include <cmath>

namespace kvt {

float SineBarHeight(float length, float angle)
{
    const auto radians = static_cast<float>(static_cast<double>(angle) * kSineBarPi / 180.0);
    return static_cast<float>(static_cast<double>(length) * std::sin(static_cast<double>(radians)));
}

double SineBarAngle(float length, float height)
{
    const float ratio = height / length;
    return std::asin(static_cast<double>(ratio)) * 180.0 / kSineBarPi;
}

} // namespace kvt
