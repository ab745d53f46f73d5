#include "machining/eccentric_turning/eccentric_turning.h"

#include <cmath>

namespace kvt {

std::optional<double> ShimThickness(double offset, double radius)
{
    const float radiusSquared = static_cast<float>(radius) * static_cast<float>(radius);
    const float offsetSquared = static_cast<float>(offset) * static_cast<float>(offset);
    const double argument = static_cast<double>(radiusSquared) - 0.75 * static_cast<double>(offsetSquared);
    if (!(argument >= 0.0))
        return std::nullopt;
    return 1.5 * offset - radius + std::sqrt(argument);
}

double OffsetFromShim(double thickness, double radius)
{
    const auto r = static_cast<float>(radius);
    const auto t = static_cast<float>(thickness);
    const float argument = 9.0f * r * r - 6.0f * r * t - 3.0f * t * t;
    if (!(argument >= 0.0f))
        return 0.0;
    const double s = static_cast<double>(std::sqrt(argument));
    const double sum = 3.0 * (radius + thickness);
    for (const double root : {(sum + s) / 6.0, (sum - s) / 6.0}) {
        const std::optional<double> back = ShimThickness(root, radius);
        if (back && std::fabs(*back - thickness) <= kShimRootTolerance)
            return root;
    }
    return 0.0;
}

float ExpectedError(float offset)
{
    return offset * 0.00125f;
}

} // namespace kvt
