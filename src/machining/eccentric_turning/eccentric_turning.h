#pragma once
// Eccentric turning in a three-jaw chuck: the thickness of the packing piece under one
// jaw that moves the work off centre by an offset e, the offset a given packing piece
// gives, and the error to expect from the approximation. All lengths in millimetres.
//
// The mixed precision is deliberate: the squares are formed in single precision as the
// tables machinists compare against were, so the fourth decimal matches them.

#include <optional>

namespace kvt {

// A piece thicker than this much away from the wanted one does not count as a root.
inline constexpr double kShimRootTolerance = 0.001;

// t = 1.5 e - r + sqrt(r^2 - 0.75 e^2); nothing when the square root has no real value.
std::optional<double> ShimThickness(double offset, double radius);

// The offset a packing piece of thickness t gives: the root of
// 3e^2 - 3(r + t)e + t^2 + 2rt = 0 whose thickness comes back within t +- 0.001, the
// larger root first. 0 when neither does (a piece as thick as the radius or thicker).
double OffsetFromShim(double thickness, double radius);

// 0.00125 e, single precision.
float ExpectedError(float offset);

} // namespace kvt
