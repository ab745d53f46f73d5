#pragma once
// The sine bar: a bar of length L (between the centres of its rolls) tilted by a stack of
// gauge blocks of height H stands at the angle a with H = L * sin(a). Lengths in mm,
// angles in degrees.

namespace kvt {

inline constexpr double kSineBarPi = 3.14159265359;

// H = L * sin(a). The angle goes to radians in double precision and is then rounded to
// single precision before the sine is taken.
float SineBarHeight(float length, float angle);

// a = asin(H / L) in degrees, the quotient formed in single precision. Not a number when
// H is greater than L (or L is 0).
double SineBarAngle(float length, float height);

} // namespace kvt
