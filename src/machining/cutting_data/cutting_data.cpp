#include "machining/cutting_data/cutting_data.h"

#include "common/int_conversion.h"

#include <cmath>
#include <limits>

namespace kvt {

std::int32_t truncateToInt(double value)
{
    return clampToInt32(value);
}

std::int32_t SpindleSpeed(double cuttingSpeed, double diameter)
{
    if (!(diameter > 0.0))
        return 0;
    return truncateToInt(cuttingSpeed * 1000.0 / (diameter * kCuttingPi));
}

float CuttingSpeed(std::int32_t spindleSpeed, float diameter)
{
    return static_cast<float>(diameter * kCuttingPi * spindleSpeed) / 1000.0f;
}

float FeedRatePerRevolution(std::int32_t spindleSpeed, float feedPerRevolution)
{
    return static_cast<float>(spindleSpeed) * feedPerRevolution;
}

float FeedRatePerTooth(std::int32_t spindleSpeed, std::int32_t teeth, float feedPerTooth)
{
    return static_cast<float>(teeth) * feedPerTooth * static_cast<float>(spindleSpeed);
}

float PlungeFeed(float feedRate, std::int32_t percent)
{
    return feedRate * static_cast<float>(percent) / 100.0f;
}

std::optional<float> DwellTime(std::int32_t spindleSpeed, float revolutions)
{
    if (spindleSpeed == 0 || revolutions == 0.0f || std::isnan(revolutions))
        return std::nullopt;
    return 60000.0f / static_cast<float>(spindleSpeed) * revolutions;
}

float RotaryFeed(float feedRate, float radius)
{
    const float circumference = static_cast<float>(radius * kCuttingTwoPi);
    if (circumference == 0.0f)
        return 0.0f;
    const float degrees = feedRate * 360.0f / circumference;
    if (degrees == 0.0f)
        return 0.0f;
    const float whole = std::trunc(degrees);
    return degrees - whole >= 0.5f ? whole + 1.0f : whole;
}

SpeedSteps SelectSpeedSteps(std::int32_t spindleSpeed, std::span<const float, kSpeedStepTableSize> steps)
{
    const float n = static_cast<float>(spindleSpeed);
    std::size_t k = 0;
    float best = std::fabs(n - steps[0]);
    for (std::size_t i = 1; i < steps.size(); ++i) {
        const float distance = std::fabs(n - steps[i]);
        // Strictly smaller: on a tie the lower index stays. A damaged entry (not a
        // number) never wins, unless the first one is and nothing beats it.
        if (distance < best || (std::isnan(best) && !std::isnan(distance))) {
            best = distance;
            k = i;
        }
    }

    auto firstRealStep = [&steps]() -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            if (steps[i] > 0.0f)
                return i;
        }
        return std::nullopt;
    };

    SpeedSteps result;
    result.nearest = truncateToInt(steps[k]);
    result.lower = truncateToInt(k >= 1 ? steps[k - 1] : steps[0]);
    result.higher = k + 1 < steps.size() ? truncateToInt(steps[k + 1]) : 0;

    std::size_t j = 0;
    if (steps[k] == 0.0f) {
        // n fell nearer to an empty slot behind the table than to any step.
        if (auto first = firstRealStep()) {
            j = *first;
            result.nearest = truncateToInt(steps[j]);
        }
    }
    if (result.lower == 0) {
        if (auto first = firstRealStep())
            result.lower = truncateToInt(steps[*first]);
    }
    if (result.nearest >= result.higher)
        result.higher = j + 1 < steps.size() ? truncateToInt(steps[j + 1]) : 0;
    return result;
}

} // namespace kvt
