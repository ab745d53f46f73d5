#include "design/flanges/flange.h"

#include <algorithm>
#include <cmath>

namespace kvt {

namespace {

constexpr std::array<std::uint8_t, kFlangeKindCount> kKindCodes = {
    kKindRoundOne,
    kKindRoundOne,
    kKindRoundTwo,
    kKindRoundTwo,
    kKindSquareOne,
    kKindSquareOne,
    kKindSquareTwo,
    kKindSquareTwo,
    kKindFreeForm,
};

// Below this the chord factor of a circle counts as 0: with pi taken to 11 decimals the
// sine of 180 degrees is about 2e-13, not 0, and would blow a single hole's circle up to
// billions of millimetres.
constexpr double kZeroChordFactor = 1e-9;

double radians(double degrees)
{
    return degrees * kFlangePi / 180.0;
}

// The round kinds accept an angle up to this far from 360 / holeCount, so that a value
// read off a drawing to two decimals still passes.
constexpr double kRoundAngleTolerance = 0.05;

bool angleMatches(const HoleCircle& circle, std::uint8_t kindCode)
{
    const double step = std::fabs(360.0 / static_cast<double>(circle.holeCount));
    const double entered = std::fabs(static_cast<double>(circle.holeAngle));
    if (isRoundKind(kindCode))
        return entered - kRoundAngleTolerance <= step && step <= entered + kRoundAngleTolerance;
    return step == entered;
}

// The checks of one circle; `second` selects LK2's message ids.
int checkCircle(const HoleCircle& circle, const FlangeData& data, bool second, bool checkOuter)
{
    using namespace flange_message;
    const int shift = second ? kSecondCircleOffset : 0;
    const bool hasRadius = circle.radius != 0.0f;
    const bool hasPitch = circle.pitch != 0.0f;
    const bool hasAngle = circle.holeAngle != 0.0f;
    if (circle.holeCount == 0)
        return kNoHoles1 + shift;
    // An angle alone fixes no size: every hole would land on the centre.
    if (!hasRadius && !hasPitch)
        return kNothingGiven1 + shift;
    // The free form takes its radius as entered and steps by the entered angle.
    if (data.kindCode == kKindFreeForm && (!hasRadius || !hasAngle))
        return kNothingGiven1 + shift;
    if (hasRadius && hasPitch && hasAngle)
        return kOverDetermined1 + shift;
    if (circle.holeRadius == 0.0f)
        return kNoHoleDiameter1 + shift;
    if (hasRadius && !hasPitch && !hasAngle)
        return kOnlyDiameter1 + shift;
    if (checkOuter && data.geometry.outerRadius <= effectiveRadius(circle, data.kindCode))
        return kOuterTooSmall1 + shift;
    if (hasAngle && data.kindCode != kKindFreeForm && !angleMatches(circle, data.kindCode))
        return kAngleMismatch1 + shift;
    if (circle.counterboreRadius != 0.0f && circle.counterboreRadius <= circle.holeRadius)
        return kCounterboreTooSmall1 + shift;
    return 0;
}

int checkFlange(const FlangeData& data)
{
    using namespace flange_message;
    const FlangeGeometry& g = data.geometry;
    if (isRoundKind(data.kindCode)) {
        if (g.outerRadius == 0.0f)
            return kNoOuter;
        if (g.innerRadius >= g.outerRadius)
            return kInnerTooLarge;
        if (g.centringRadius >= g.outerRadius)
            return kCentringTooLarge;
    } else if (isSquareKind(data.kindCode)) {
        if (g.outerSize == 0.0f)
            return kNoOuter;
        if (2.0f * g.innerRadius >= g.outerSize)
            return kInnerTooLarge;
        if (2.0f * g.centringRadius >= g.outerSize)
            return kCentringTooLarge;
    }
    if (hasCentringCollar(data.comboIndex) && g.centringRadius == 0.0f)
        return kNoCentring;
    return 0;
}

} // namespace

std::uint8_t kindCodeForIndex(int comboIndex)
{
    if (comboIndex < 0 || comboIndex >= kFlangeKindCount)
        return 0;
    return kKindCodes[static_cast<std::size_t>(comboIndex)];
}

bool isRoundKind(std::uint8_t kindCode)
{
    return kindCode == kKindRoundOne || kindCode == kKindRoundTwo;
}

bool isSquareKind(std::uint8_t kindCode)
{
    return kindCode == kKindSquareOne || kindCode == kKindSquareTwo;
}

bool hasSecondCircle(std::uint8_t kindCode)
{
    return kindCode == kKindRoundTwo || kindCode == kKindSquareTwo;
}

bool hasCentringCollar(int comboIndex)
{
    return comboIndex == 1 || comboIndex == 3 || comboIndex == 5 || comboIndex == 7;
}

float roundCoordinate(double value)
{
    if (!std::isfinite(value) || value == 0.0)
        return 0.0f;
    const double shifted = value > 0.0 ? value * 1000.0 + 0.5 : value * 1000.0 - 0.5;
    return static_cast<float>(std::trunc(shifted) / 1000.0);
}

std::uint8_t counterboreDrawingFor(const HoleCircle& circle1, const HoleCircle& circle2)
{
    const bool first = circle1.counterboreRadius != 0.0f;
    const bool second = circle2.counterboreRadius != 0.0f;
    if (first && second)
        return 4;
    if (second)
        return 3;
    return first ? 2 : 1;
}

float autoOffsetAngle(std::int32_t holeCount)
{
    if (holeCount == 0)
        return 0.0f;
    return static_cast<float>(360.0 / holeCount * 0.5);
}

bool pitchToCircle(HoleCircle& circle, std::uint8_t kindCode)
{
    if (kindCode == kKindFreeForm) {
        circle.diameter = 2.0f * circle.radius;
        circle.stepAngle = circle.holeAngle;
        return true;
    }
    if (circle.holeCount == 0)
        return false;
    const double stepAngle = 360.0 / circle.holeCount;
    const double chordFactor = 2.0 * std::sin(radians(stepAngle * 0.5));
    if (std::fabs(chordFactor) < kZeroChordFactor)
        return false;
    circle.radius = static_cast<float>(circle.pitch / chordFactor);
    circle.diameter = 2.0f * circle.radius;
    circle.stepAngle = static_cast<float>(stepAngle);
    return true;
}

float angleToPitch(float holeAngle, float radius)
{
    const double theta = radians(holeAngle);
    const double r2 = static_cast<double>(radius) * radius;
    // Rounding can leave a hair below zero for an angle of 0 or 360 degrees.
    return static_cast<float>(std::sqrt(std::max(0.0, 2.0 * r2 - 2.0 * r2 * std::cos(theta))));
}

float effectiveRadius(const HoleCircle& circle, std::uint8_t kindCode)
{
    if (kindCode == kKindFreeForm || circle.pitch == 0.0f)
        return circle.radius;
    HoleCircle derived = circle;
    return pitchToCircle(derived, kindCode) ? derived.radius : circle.radius;
}

OuterSuggestion suggestOuterDiameter(const HoleCircle& circle1, const HoleCircle& circle2, std::uint8_t kindCode)
{
    auto suggest = [kindCode](const HoleCircle& circle) -> float {
        const float radius = effectiveRadius(circle, kindCode);
        if (radius == 0.0f || circle.holeRadius == 0.0f)
            return 0.0f;
        const float edge = circle.counterboreRadius != 0.0f ? circle.counterboreRadius : circle.holeRadius;
        return 2.0f * (radius + edge + kOuterMarginMillimetres);
    };
    OuterSuggestion s;
    s.outer1 = suggest(circle1);
    s.outer2 = suggest(circle2);
    s.larger = std::max(s.outer1, s.outer2);
    return s;
}

int validateFlange(const FlangeData& data)
{
    const std::uint8_t kind = data.kindCode;
    // The outer edge is checked against the circles of a round flange; of a square
    // flange only LK1 of the two-circle kind is checked (the corners leave more room
    // than the edge length says).
    const bool round = isRoundKind(kind);
    if (const int failed = checkCircle(data.geometry.circle1, data, false, round || kind == kKindSquareTwo))
        return failed;
    if (hasSecondCircle(kind)) {
        if (const int failed = checkCircle(data.geometry.circle2, data, true, round))
            return failed;
    }
    if (kind == kKindFreeForm)
        return 0;
    return checkFlange(data);
}

const char* flangeCheckText(int messageId)
{
    using namespace flange_message;
    switch (messageId) {
    case kNoHoles1:
        return "*LK1: Die Anzahl der Bohrungen fehlt.";
    case kNothingGiven1:
        return "*LK1: Bitte zwei der drei Werte Lochkreis-Durchmesser, Bohrungs-Stich und Winkel Bohrungen "
               "angeben (beliebige Form: Lochkreis-Durchmesser und Winkel Bohrungen).";
    case kNoHoleDiameter1:
        return "*LK1: Der Bohrungs-Durchmesser fehlt.";
    case kOnlyDiameter1:
        return "*LK1: Nur der Lochkreis-Durchmesser ist angegeben. Bitte auch Bohrungs-Stich oder Winkel "
               "Bohrungen angeben.";
    case kOuterTooSmall1:
        return "*LK1: Der Außendurchmesser muss größer als der Lochkreis-Durchmesser sein.";
    case kOverDetermined1:
        return "*LK1: Lochkreis-Durchmesser, Bohrungs-Stich und Winkel Bohrungen sind alle angegeben. Bitte nur "
               "zwei der drei Werte angeben.";
    case kCounterboreTooSmall1:
        return "*LK1: Der Senk-Durchmesser muss größer als der Bohrungs-Durchmesser sein.";
    case kAngleMismatch1:
        return "*LK1: Der Winkel Bohrungen passt nicht zur Anzahl der Bohrungen (360° / Anzahl).";
    case kNoHoles1 + kSecondCircleOffset:
        return "*LK2: Die Anzahl der Bohrungen fehlt.";
    case kNothingGiven1 + kSecondCircleOffset:
        return "*LK2: Bitte zwei der drei Werte Lochkreis-Durchmesser, Bohrungs-Stich und Winkel Bohrungen "
               "angeben (beliebige Form: Lochkreis-Durchmesser und Winkel Bohrungen).";
    case kNoHoleDiameter1 + kSecondCircleOffset:
        return "*LK2: Der Bohrungs-Durchmesser fehlt.";
    case kOnlyDiameter1 + kSecondCircleOffset:
        return "*LK2: Nur der Lochkreis-Durchmesser ist angegeben. Bitte auch Bohrungs-Stich oder Winkel "
               "Bohrungen angeben.";
    case kOuterTooSmall1 + kSecondCircleOffset:
        return "*LK2: Der Außendurchmesser muss größer als der Lochkreis-Durchmesser sein.";
    case kOverDetermined1 + kSecondCircleOffset:
        return "*LK2: Lochkreis-Durchmesser, Bohrungs-Stich und Winkel Bohrungen sind alle angegeben. Bitte nur "
               "zwei der drei Werte angeben.";
    case kCounterboreTooSmall1 + kSecondCircleOffset:
        return "*LK2: Der Senk-Durchmesser muss größer als der Bohrungs-Durchmesser sein.";
    case kAngleMismatch1 + kSecondCircleOffset:
        return "*LK2: Der Winkel Bohrungen passt nicht zur Anzahl der Bohrungen (360° / Anzahl).";
    case kNoOuter:
        return "*Der Außendurchmesser fehlt.";
    case kInnerTooLarge:
        return "*Der Innendurchmesser muss kleiner als der Außendurchmesser sein.";
    case kCentringTooLarge:
        return "*Der Zentrier-Durchmesser muss kleiner als der Außendurchmesser sein.";
    case kNoCentring:
        return "*Der Zentrier-Durchmesser fehlt.";
    default:
        return "";
    }
}

FlangePoint cornerOrigin(std::uint8_t zeroPointMode, float outerSize)
{
    const float a = outerSize / 2.0f;
    switch (zeroPointMode) {
    case 3:
        return {a, a};
    case 4:
        return {-a, a};
    case 5:
        return {a, -a};
    case 6:
        return {-a, -a};
    default:
        return {};
    }
}

void rotateHoles(HoleCircle& circle)
{
    const int count = std::clamp(circle.holeCount, 0, kMaxHolesPerCircle);
    if (count == 0)
        return;
    const double r = circle.radius;
    const double offset = radians(circle.offsetAngle);
    double x = roundCoordinate(r * std::sin(offset));
    double y = roundCoordinate(r * std::cos(offset));
    circle.points[0] = {static_cast<float>(x), static_cast<float>(y)};
    const double step = radians(circle.stepAngle);
    const double c = std::cos(step);
    const double s = std::sin(step);
    for (int i = 1; i < count; ++i) {
        // Turned clockwise from the previous point as it was rounded, so that the list
        // reads the same whatever precision the sine has.
        const double nx = roundCoordinate(c * x + s * y);
        const double ny = roundCoordinate(c * y - s * x);
        x = nx;
        y = ny;
        circle.points[static_cast<std::size_t>(i)] = {static_cast<float>(x), static_cast<float>(y)};
    }
}

int computeHoleCentres(FlangeData& data)
{
    FlangeGeometry& g = data.geometry;
    const bool second = hasSecondCircle(data.kindCode);
    if (g.circle1.holeCount > kMaxHolesPerCircle || g.circle1.holeCount < 0)
        return 1;
    if (second && (g.circle2.holeCount > kMaxHolesPerCircle || g.circle2.holeCount < 0))
        return 2;

    auto place = [&](HoleCircle& circle) {
        pitchToCircle(circle, data.kindCode);
        rotateHoles(circle);
        if (data.zeroPointX == 0.0f && data.zeroPointY == 0.0f)
            return;
        for (int i = 0; i < circle.holeCount; ++i) {
            FlangePoint& p = circle.points[static_cast<std::size_t>(i)];
            p.x += data.zeroPointX;
            p.y += data.zeroPointY;
        }
    };
    place(g.circle1);
    if (second)
        place(g.circle2);

    // Corners left from an earlier square flange must not reach another kind's drawing.
    g.corners = {};
    if (isSquareKind(data.kindCode)) {
        const float a = g.outerSize / 2.0f;
        g.corners = {{{a, a}, {a, -a}, {-a, -a}, {-a, a}}};
    }
    return 0;
}

} // namespace kvt
