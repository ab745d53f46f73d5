#pragma once
// Cutting data: spindle speed, feed rates, plunge feed, dwell time and rotary-axis feed
// from a tool diameter and a cutting speed, and the choice of the machine's real speed
// step. All values are metric (mm, m/min, mm/min, rev/min, ms, degrees/min).
//
// The precision of each formula is part of its result: the spindle speed is worked out
// in double precision and truncated, everything else in single precision, because the
// last digit a machinist reads off the window depends on it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kvt {

inline constexpr double kCuttingPi = 3.14159265359;
inline constexpr double kCuttingTwoPi = 6.28318530718;
inline constexpr std::size_t kSpeedStepTableSize = 250;

// n = trunc(Vc * 1000 / (D * pi)) in double precision. A diameter of 0 or less, or a
// speed that does not fit an int, gives 0 or the largest int instead of undefined
// behaviour.
std::int32_t SpindleSpeed(double cuttingSpeed, double diameter);

// Vc = (float)(D * pi * n) / 1000, m/min.
float CuttingSpeed(std::int32_t spindleSpeed, float diameter);

// vf = n * fn, mm/min.
float FeedRatePerRevolution(std::int32_t spindleSpeed, float feedPerRevolution);

// vf = z * fz * n, mm/min.
float FeedRatePerTooth(std::int32_t spindleSpeed, std::int32_t teeth, float feedPerTooth);

// vf * percent / 100 in single precision, mm/min.
float PlungeFeed(float feedRate, std::int32_t percent);

// 60000 / n * revolutions, ms; nothing when n or the revolutions are 0 or not a number.
std::optional<float> DwellTime(std::int32_t spindleSpeed, float revolutions);

// vf * 360 / (2 * pi * r) rounded half up to a whole number of degrees per minute; 0 for
// a radius of 0 or a feed of 0.
float RotaryFeed(float feedRate, float radius);

struct SpeedSteps {
    std::int32_t nearest = 0;
    std::int32_t lower = 0;
    std::int32_t higher = 0;
};

// The machine's step nearest to n and its two table neighbours. On equal distances the
// lower index wins; empty slots (0) behind the table fall back to the first real step.
SpeedSteps SelectSpeedSteps(std::int32_t spindleSpeed, std::span<const float, kSpeedStepTableSize> steps);

// Truncates toward zero like a C cast, but saturates at the int range and gives 0 for
// "not a number", so that a damaged speed table or an absurd input cannot overflow.
std::int32_t truncateToInt(double value);

} // namespace kvt
