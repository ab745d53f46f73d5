#include "design/parallels/parallels.h"

#include <algorithm>
#include <cmath>

namespace kvt {

double requiredParallelHeight(double jawHeight, double material, double safety)
{
    return jawHeight - material + safety;
}

ParallelChoice chooseParallel(double required, std::span<const float> heights, std::span<const float> depths)
{
    ParallelChoice choice;
    const double whole = std::ceil(required);
    // A height beyond any vice is of no use; the clamp only keeps the conversion defined.
    choice.wholeRequired = std::isfinite(whole) && std::fabs(whole) < 1.0e6 ? static_cast<int>(whole) : 0;
    if (heights.empty())
        return choice;

    std::size_t best = 0;
    double bestGap = std::fabs(required - heights[0]);
    for (std::size_t i = 1; i < heights.size(); ++i) {
        const double gap = std::fabs(required - heights[i]);
        if (gap < bestGap) {
            bestGap = gap;
            best = i;
        }
    }
    if (heights[best] >= required) {
        choice.recommended = heights[best];
        choice.slot = static_cast<int>(best);
    } else if (best + 1 < heights.size()) {
        choice.recommended = heights[best + 1];
        choice.slot = static_cast<int>(best + 1);
    }
    if (choice.recommended != 0.0 || required == 0.0)
        return choice;

    choice.slot = 0;
    std::size_t end = 0;
    for (std::size_t i = 1; i < heights.size(); ++i) {
        if (heights[i] == 0.0f) {
            end = i;
            break;
        }
    }
    for (std::size_t i = 1; i < end; ++i) {
        for (std::size_t j = 1; j < end; ++j) {
            if (heights[i] != heights[j]
                && static_cast<double>(heights[i]) + heights[j] == static_cast<double>(choice.wholeRequired)) {
                choice.recommended = kParallelPairMarker;
                choice.first = heights[i];
                choice.second = heights[j];
                const double a = i < depths.size() ? depths[i] : 0.0;
                const double b = j < depths.size() ? depths[j] : 0.0;
                choice.pairDepth = std::max(a, b);
                return choice;
            }
        }
    }
    choice.recommended = kParallelMissingMarker;
    return choice;
}

VisePosition visePosition(const ViseInput& in, double parallel, double parallelDepth)
{
    VisePosition result;
    const double cut = in.sideDepth + in.overhang;
    const double left = in.height - cut;
    const double cutPercent = in.height == 0.0 ? 0.0 : cut / in.height * 100.0;
    if (left < 1.0 || cutPercent > 95.0) {
        result.error = true;
        return result;
    }
    result.warning = left < 1.5 || (cutPercent >= 90.0 && cutPercent < 95.0);
    result.tooDeepForTwo = 2.0 * parallelDepth > in.depth - in.safety;
    result.atJawHeight = parallel >= in.jaw;
    result.nearJawHeight = parallel >= in.jaw - 1.0;
    result.clearance = std::max(0.0, left + parallel - in.jaw);
    const double top = in.height + parallel - in.jaw;
    result.aboveJaw = std::min(in.height, std::max(0.0, top));
    result.belowJaw = std::max(0.0, in.height - top);
    if (result.aboveJaw <= 0.0)
        result.percentClamped = 100.0;
    else if (result.aboveJaw == result.belowJaw)
        result.percentClamped = 50.0;
    else if (result.belowJaw != 0.0 && in.height != 0.0)
        result.percentClamped = std::min(100.0, result.belowJaw / in.height * 100.0);
    else
        result.percentClamped = 0.0; // standing on parallels as high as the jaws: nothing held
    return result;
}

} // namespace kvt
