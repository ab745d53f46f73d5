#include "machining/cut_to_length/cut_to_length.h"

namespace kvt {

std::optional<CutOffResult> CutOffCoordinate(CutOperation operation, AxisOrigin origin, SideB side, float wanted,
    float raw, float start, float tool, float allowance)
{
    if (tool == 0.0f)
        return std::nullopt;
    const float a = wanted;
    const float b = start;
    const float w = tool;
    // Half the tool is formed in double precision (an end mill's centre stands half a
    // diameter from the cut); the sums that use the whole tool stay in single precision.
    const double half = static_cast<double>(tool) / 2.0;
    const bool left = origin == AxisOrigin::Left;

    CutOffResult result;
    if (operation == CutOperation::LatheParting) {
        result.coordinate = left ? b - w - a : w + b + a;
        result.infeed = w;
        return result;
    }

    // Towards the plus side of the axis the cut lies at B + ..., towards the minus side
    // at B - ...; milling from the left runs towards plus when the origin is left.
    const bool towardsPlus = (operation == CutOperation::MillFromLeft) == left;
    if (side == SideB::Raw) {
        result.coordinate = towardsPlus ? w + b + a : b - w - a;
    } else {
        const double b64 = static_cast<double>(b);
        const double a64 = static_cast<double>(a);
        result.coordinate = static_cast<float>(towardsPlus ? b64 + half + a64 : b64 - half - a64);
    }
    result.roughingCoordinate = towardsPlus ? result.coordinate + allowance : result.coordinate - allowance;
    result.infeed = raw - a;
    return result;
}

} // namespace kvt
