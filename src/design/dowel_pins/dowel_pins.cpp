#include "design/dowel_pins/dowel_pins.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kvt {

namespace {

constexpr std::array<MetricPinRow, 12> kMetricPins = {{
    {1.5, 1.425, {4, 5, 6, 8, 10, 12, 14, 16, 18, 20}},
    {2.0, 1.85, {4, 5, 6, 8, 10, 12, 14, 16, 18, 20, 22, 25}},
    {3.0, 2.85, {6, 8, 10, 12, 14, 16, 18, 20, 22, 25, 28, 30, 32, 35, 40, 45, 50}},
    {4.0, 3.85, {8, 10, 12, 14, 16, 18, 20, 22, 25, 28, 30, 32, 35, 40, 45, 50, 55, 60}},
    {5.0, 4.8, {5, 6, 8, 10, 12, 14, 16, 18, 20, 22, 25, 28, 30, 32, 35, 40, 45, 50, 55, 60}},
    {6.0, 5.8, {6, 8, 10, 12, 14, 16, 18, 20, 22, 25, 28, 30, 32, 35, 40, 45, 50, 55, 60}},
    {8.0, 7.8, {8, 10, 12, 14, 16, 18, 20, 22, 25, 28, 30, 32, 35, 40, 45, 50, 55, 60, 70, 80}},
    {10.0, 9.8, {10, 12, 14, 16, 18, 20, 22, 25, 28, 30, 32, 35, 40, 45, 50, 55, 60, 70, 80}},
    {12.0, 11.8, {12, 14, 16, 18, 20, 22, 25, 28, 30, 32, 35, 40, 45, 50, 55, 60, 70, 80, 90, 100}},
    {16.0, 15.7, {16, 18, 20, 22, 25, 28, 30, 32, 35, 40, 45, 50, 55, 60, 70, 80, 90, 100}},
    {20.0, 19.7, {20, 22, 25, 28, 30, 32, 35, 40, 45, 50, 55, 60, 70, 80, 90, 100, 110, 120}},
    {25.0, 24.65, {25, 28, 30, 32, 35, 40, 45, 50, 55, 60, 70, 80, 90, 100, 110, 120}},
}};

// The 3/16 row appears twice in the stored tables; the list keeps both so that the
// positions stored windows refer to stay the same.
constexpr std::array<InchPinRow, 17> kInchPins = {{
    {1.59, 0.0625, 0.0595},
    {1.98, 0.0781, 0.0785},
    {2.38, 0.0938, 0.0935},
    {3.17, 0.125, 0.12},
    {3.97, 0.1562, 0.157},
    {4.76, 0.1875, 0.185},
    {4.76, 0.1875, 0.185},
    {5.556, 0.2188, 0.221},
    {6.35, 0.25, 0.2344},
    {7.94, 0.3125, 0.2812},
    {9.52, 0.375, 0.3437},
    {11.11, 0.4375, 0.3906},
    {12.7, 0.5, 0.4531},
    {15.88, 0.625, 0.5937},
    {19.05, 0.75, 0.7031},
    {22.23, 0.875, 0.8281},
    {25.4, 1.0, 0.9219},
}};

} // namespace

std::span<const MetricPinRow> metricPinRows()
{
    return kMetricPins;
}

std::span<const InchPinRow> inchPinRows()
{
    return kInchPins;
}

std::optional<PinDepths> pinDepths(const PinInput& in)
{
    if (in.factor == 0.0)
        return std::nullopt;
    PinDepths depths;
    depths.pin1 = in.factor * in.diameter;
    depths.pin2 = in.length - depths.pin1;
    depths.total = depths.pin1 + depths.pin2;
    if (in.drillAllowance != 0.0) {
        depths.bores = true;
        depths.drill1 = in.extra1 + depths.pin1 + in.drillAllowance + in.safety;
        depths.drill2 = in.extra2 + depths.pin2 + in.drillAllowance;
        depths.ream1 = in.extra1 + depths.pin1 + in.reamAllowance + in.safety;
        depths.ream2 = in.extra2 + depths.pin2 + in.reamAllowance;
    }
    return depths;
}

std::optional<std::size_t> optimumPinLength(std::span<const int> lengths, double diameter, double factor)
{
    const double target = 2.0 * diameter * factor;
    if (!(target > 0.0))
        return std::nullopt;
    // Of the lengths from 10 below the target up to it, the one whose ratio target/length
    // is smallest: the longest one not above the target.
    std::optional<std::size_t> best;
    double bestRatio = 0.0;
    for (std::size_t i = 0; i < lengths.size() && i < kPinLengthCount; ++i) {
        const double length = lengths[i];
        if (length <= 0.0 || length < target - 10.0 || length > target + 0.001)
            continue;
        const double ratio = target / length;
        if (!best || ratio < bestRatio - 0.001) {
            best = i;
            bestRatio = ratio;
        }
    }
    return best;
}

} // namespace kvt
