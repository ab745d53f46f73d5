#pragma once
// Flange hole patterns: one or two hole circles on a round, square or free-form flange.
// From the hole count and two of hole-circle diameter, pitch (the chord between
// neighbouring holes) and angle between holes the pattern derives the third, checks the
// geometry, suggests an outer diameter and lists every hole centre.
//
// Lengths are millimetres, angles degrees. Values are single-precision floats, as the
// window's saved block and the exported drawing hold them; the formulas work in double
// and round only where the point list says so.

#include <array>
#include <cstdint>

namespace kvt {

inline constexpr double kFlangePi = 3.14159265359;
inline constexpr int kMaxHolesPerCircle = 100;
inline constexpr int kFlangeKindCount = 9;
// The margin between the outermost hole (or counterbore) and the flange edge that the
// suggested outer diameter keeps.
inline constexpr float kOuterMarginMillimetres = 1.0f;

struct FlangePoint {
    float x = 0.0f;
    float y = 0.0f;
};

struct HoleCircle {
    std::int32_t holeCount = 0;
    float pitch = 0.0f; // chord between neighbouring hole centres
    float radius = 0.0f; // half the hole-circle diameter
    float diameter = 0.0f; // result
    float stepAngle = 0.0f; // result: from one hole to the next
    float holeAngle = 0.0f; // angle between holes as entered
    float counterboreRadius = 0.0f; // 0 = no counterbore
    float holeRadius = 0.0f;
    float offsetAngle = 0.0f; // angle of the first hole, clockwise from straight up
    std::array<FlangePoint, kMaxHolesPerCircle> points {};
};

// Everything that is drawn; the DXF export makes a copy of it in the file's unit.
struct FlangeGeometry {
    HoleCircle circle1; // LK1
    HoleCircle circle2; // LK2
    // (a, a), (a, -a), (-a, -a), (-a, a) with a = outerSize / 2; all 0 for the kinds
    // that are not square.
    std::array<FlangePoint, 4> corners {};
    float outerSize = 0.0f; // outer diameter as entered; the edge length of a square flange
    float innerRadius = 0.0f;
    float outerRadius = 0.0f;
    float centringRadius = 0.0f;
};

// kindCode: 1 round with one circle, 2 round with two, 3 square with one, 4 square with
// two, 8 free form (a sector) with one.
inline constexpr std::uint8_t kKindRoundOne = 1;
inline constexpr std::uint8_t kKindRoundTwo = 2;
inline constexpr std::uint8_t kKindSquareOne = 3;
inline constexpr std::uint8_t kKindSquareTwo = 4;
inline constexpr std::uint8_t kKindFreeForm = 8;

// zeroPointMode: where the drawing origin lies.
inline constexpr std::uint8_t kZeroRoundCentre = 1;
inline constexpr std::uint8_t kZeroRoundEntered = 2;
inline constexpr std::uint8_t kZeroCornerFirst = 3; // 3 to 6: one corner each
inline constexpr std::uint8_t kZeroCornerLast = 6;
inline constexpr std::uint8_t kZeroSquareCentre = 7;
inline constexpr std::uint8_t kZeroSquareEntered = 8;

struct FlangeData {
    std::uint8_t kindCode = kKindRoundOne;
    std::uint8_t comboIndex = 0; // 0..8, the kind as chosen
    std::uint8_t counterboreDrawing = 1; // 1 none, 2 on LK1, 3 on LK2, 4 on both
    std::uint8_t zeroPointMode = kZeroRoundCentre;
    FlangeGeometry geometry;
    FlangeGeometry exportCopy; // geometry in the unit of the DXF file being written
    float zeroPointX = 0.0f;
    float zeroPointY = 0.0f;
    float exportZeroX = 0.0f;
    float exportZeroY = 0.0f;
    float suggestedOuter1 = 0.0f;
    float suggestedOuter2 = 0.0f;
    float suggestedOuter = 0.0f;
};

// The kind code of a combo index (0..8); 0 for an index outside the table.
std::uint8_t kindCodeForIndex(int comboIndex);
bool isRoundKind(std::uint8_t kindCode);
bool isSquareKind(std::uint8_t kindCode);
bool hasSecondCircle(std::uint8_t kindCode);
// The kinds with a centring collar are the odd combo indices 1, 3, 5 and 7.
bool hasCentringCollar(int comboIndex);

// Rounds to 3 decimals, halves away from zero: 1.0005 -> 1.001, -1.0005 -> -1.001.
float roundCoordinate(double value);

// 1 if no circle has a counterbore, 2 only LK1, 3 only LK2, 4 both.
std::uint8_t counterboreDrawingFor(const HoleCircle& circle1, const HoleCircle& circle2);

// (360 / holeCount) / 2: the offset that puts the first hole between two axis positions.
float autoOffsetAngle(std::int32_t holeCount);

// The circle's radius from its pitch: stepAngle = 360 / holeCount, radius = pitch / (2
// sin(stepAngle / 2)). False, and the circle unchanged, when there is no hole or the
// chord factor is 0 (a single hole has no neighbour to measure a pitch to). The free
// form takes the radius as entered and the angle between holes as its step.
bool pitchToCircle(HoleCircle& circle, std::uint8_t kindCode);

// The radius the point list will use: derived from the pitch for the round and square
// kinds whenever a pitch is given, otherwise the radius as entered. The suggested outer
// diameter and the outer check go by it, so that a flange whose diameter is derived is
// measured against its real hole circle.
float effectiveRadius(const HoleCircle& circle, std::uint8_t kindCode);

// The chord of holeAngle on a circle of radius r.
float angleToPitch(float holeAngle, float radius);

// Suggested outer diameters: per circle 2 (radius + e + 1 mm) with e the counterbore
// radius, or the hole radius without a counterbore; a circle without a hole radius or
// without a radius suggests 0.
struct OuterSuggestion {
    float outer1 = 0.0f;
    float outer2 = 0.0f;
    float larger = 0.0f;
};
OuterSuggestion suggestOuterDiameter(const HoleCircle& circle1, const HoleCircle& circle2, std::uint8_t kindCode);

// The first failing check of the geometry, as the id of the message that names it; 0
// when everything passes. Checks the circles the kind has, then the flange itself.
int validateFlange(const FlangeData& data);

// Message ids of the checks; each also has a built-in text (flangeCheckText).
namespace flange_message {
inline constexpr int kNoHoles1 = 65337;
inline constexpr int kNothingGiven1 = 65338;
inline constexpr int kNoHoleDiameter1 = 65339;
inline constexpr int kOnlyDiameter1 = 65340;
inline constexpr int kOuterTooSmall1 = 65341;
inline constexpr int kOverDetermined1 = 65342;
inline constexpr int kCounterboreTooSmall1 = 65343;
inline constexpr int kAngleMismatch1 = 65344;
inline constexpr int kSecondCircleOffset = 10; // LK2's id of the same check
inline constexpr int kNoOuter = 65357;
inline constexpr int kInnerTooLarge = 65360;
inline constexpr int kCentringTooLarge = 65361;
inline constexpr int kNoCentring = 65362;
inline constexpr int kCaption = 65470;
inline constexpr int kTooManyHoles1 = 67571;
inline constexpr int kTooManyHoles2 = 67572;
inline constexpr int kTooManyHolesCaption = 67557;
} // namespace flange_message

// The built-in German text of a check's message id; empty for an unknown id.
const char* flangeCheckText(int messageId);

// The hole centres of every circle the kind has, after the circle is derived from its
// pitch. Each hole is the previous rounded one turned clockwise by the step angle; the
// zero point is added to the stored points only. The corners are set for the square
// kinds. Returns 0, or 1 or 2 for a circle with more than kMaxHolesPerCircle holes, in
// which case nothing at all is changed.
int computeHoleCentres(FlangeData& data);

// The shift a corner zero point (modes 3 to 6) gives every point of a square flange of
// edge length outerSize, so that the opposite corner lies at (0, 0): mode 3 (a, a),
// 4 (-a, a), 5 (a, -a), 6 (-a, -a) with a = outerSize / 2. (0, 0) for every other mode.
FlangePoint cornerOrigin(std::uint8_t zeroPointMode, float outerSize);

// A circle's hole centres alone (no zero point), for tests and the preview.
void rotateHoles(HoleCircle& circle);

} // namespace kvt
