// Flange formulas: the kind table, the circle from its pitch, the pitch from the angle,
// the suggested outer diameter, every check in its order, and the hole centres with
// their rounding.

#include "common/number_format.h"
#include "design/flanges/flange.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace kvt {
namespace {

std::string fixed3(double v)
{
    return formatFixed(v, 3);
}

std::string points(const HoleCircle& circle)
{
    std::string s;
    for (int i = 0; i < circle.holeCount; ++i) {
        const FlangePoint& p = circle.points[static_cast<std::size_t>(i)];
        s += "(" + fixed3(p.x) + ", " + fixed3(p.y) + ")";
    }
    return s;
}

TEST(FlangeKinds, EveryComboIndexHasItsCodeAndCollar)
{
    const std::uint8_t codes[] = {1, 1, 2, 2, 3, 3, 4, 4, 8};
    const bool collars[] = {false, true, false, true, false, true, false, true, false};
    for (int i = 0; i < kFlangeKindCount; ++i) {
        EXPECT_EQ(kindCodeForIndex(i), codes[i]) << i;
        EXPECT_EQ(hasCentringCollar(i), collars[i]) << i;
    }
    EXPECT_EQ(kindCodeForIndex(-1), 0);
    EXPECT_EQ(kindCodeForIndex(9), 0);
    EXPECT_TRUE(isRoundKind(1) && isRoundKind(2) && !isRoundKind(3) && !isRoundKind(8));
    EXPECT_TRUE(isSquareKind(3) && isSquareKind(4) && !isSquareKind(2) && !isSquareKind(8));
    EXPECT_TRUE(
        hasSecondCircle(2) && hasSecondCircle(4) && !hasSecondCircle(1) && !hasSecondCircle(3) && !hasSecondCircle(8));
}

TEST(FlangeFormulas, RoundCoordinateHalvesAwayFromZero)
{
    const std::pair<double, const char*> cases[] = {{0.0625, "0.063"}, {-0.0625, "-0.063"}, {1.23449, "1.234"},
        {-1.23451, "-1.235"}, {49.99995, "50.000"}, {0.0, "0.000"}, {1e-12, "0.000"}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(fixed3(roundCoordinate(value)), expected) << value;
    EXPECT_EQ(roundCoordinate(std::numeric_limits<double>::quiet_NaN()), 0.0f);
}

TEST(FlangeFormulas, CounterboreDrawingAndAutoOffset)
{
    HoleCircle with;
    with.counterboreRadius = 9;
    const HoleCircle without;
    EXPECT_EQ(counterboreDrawingFor(without, without), 1);
    EXPECT_EQ(counterboreDrawingFor(with, without), 2);
    EXPECT_EQ(counterboreDrawingFor(without, with), 3);
    EXPECT_EQ(counterboreDrawingFor(with, with), 4);
    EXPECT_EQ(formatNumber("%6.2f", autoOffsetAngle(6)), " 30.00");
    EXPECT_EQ(formatNumber("%6.2f", autoOffsetAngle(7)), " 25.71");
    EXPECT_EQ(autoOffsetAngle(0), 0.0f);
}

TEST(FlangeFormulas, FourHolesPitch70711GiveRadius50)
{
    HoleCircle circle;
    circle.holeCount = 4;
    circle.pitch = 70.711f;
    ASSERT_TRUE(pitchToCircle(circle, kKindRoundOne));
    EXPECT_EQ(fixed3(circle.radius), "50.000");
    EXPECT_EQ(fixed3(circle.diameter), "100.000");
    EXPECT_EQ(circle.stepAngle, 90.0f);
}

TEST(FlangeFormulas, PitchToCircleWithoutNeighbourChangesNothing)
{
    for (int count : {0, 1}) {
        HoleCircle circle;
        circle.holeCount = count;
        circle.pitch = 10;
        circle.radius = 25;
        EXPECT_FALSE(pitchToCircle(circle, kKindRoundOne)) << count;
        EXPECT_EQ(circle.radius, 25.0f);
        EXPECT_EQ(circle.stepAngle, 0.0f);
    }
}

TEST(FlangeFormulas, FreeFormKeepsItsRadiusAndAngle)
{
    HoleCircle circle;
    circle.holeCount = 3;
    circle.pitch = 99;
    circle.radius = 40;
    circle.holeAngle = 30;
    ASSERT_TRUE(pitchToCircle(circle, kKindFreeForm));
    EXPECT_EQ(circle.radius, 40.0f);
    EXPECT_EQ(circle.diameter, 80.0f);
    EXPECT_EQ(circle.stepAngle, 30.0f);
}

TEST(FlangeFormulas, AngleToPitchIsTheChord)
{
    EXPECT_EQ(fixed3(angleToPitch(90, 50)), "70.711");
    EXPECT_EQ(fixed3(angleToPitch(60, 50)), "50.000");
    EXPECT_EQ(fixed3(angleToPitch(180, 50)), "100.000");
    EXPECT_EQ(fixed3(angleToPitch(0, 50)), "0.000");
    EXPECT_EQ(fixed3(angleToPitch(360, 50)), "0.000");
}

TEST(FlangeFormulas, SuggestedOuterDiameter)
{
    HoleCircle one;
    one.radius = 50;
    one.holeRadius = 5.5f;
    one.counterboreRadius = 9;
    HoleCircle two;
    two.radius = 80;
    two.holeRadius = 4;
    OuterSuggestion s = suggestOuterDiameter(one, HoleCircle {}, kKindRoundOne);
    EXPECT_EQ(s.outer1, 120.0f);
    EXPECT_EQ(s.outer2, 0.0f);
    EXPECT_EQ(s.larger, 120.0f);
    s = suggestOuterDiameter(one, two, kKindRoundTwo);
    EXPECT_EQ(s.outer2, 170.0f);
    EXPECT_EQ(s.larger, 170.0f);
    one.counterboreRadius = 0;
    EXPECT_EQ(suggestOuterDiameter(one, HoleCircle {}, kKindRoundOne).outer1, 113.0f);
    // A given pitch decides the radius: 4 holes at pitch 70.711 lie on radius 50.
    HoleCircle byPitch;
    byPitch.holeCount = 4;
    byPitch.pitch = 70.711f;
    byPitch.radius = 80; // as left from an earlier calculation
    byPitch.holeRadius = 5;
    EXPECT_EQ(formatFixed(suggestOuterDiameter(byPitch, HoleCircle {}, kKindSquareOne).outer1, 3), "112.000");
    // The free form keeps its entered radius.
    EXPECT_EQ(suggestOuterDiameter(byPitch, HoleCircle {}, kKindFreeForm).outer1, 172.0f);
    one.holeRadius = 0; // no hole radius: nothing to suggest
    EXPECT_EQ(suggestOuterDiameter(one, HoleCircle {}, kKindRoundOne).outer1, 0.0f);
}

// A round flange with one circle that passes every check; each case breaks one thing.
FlangeData validRound()
{
    FlangeData d;
    d.kindCode = kKindRoundOne;
    d.comboIndex = 0;
    HoleCircle& c = d.geometry.circle1;
    c.holeCount = 6;
    c.radius = 50;
    c.holeAngle = 60;
    c.holeRadius = 5.5f;
    d.geometry.circle2 = c;
    d.geometry.outerSize = 130;
    d.geometry.outerRadius = 65;
    d.geometry.innerRadius = 20;
    d.geometry.centringRadius = 30;
    return d;
}

struct CheckCase {
    const char* name;
    void (*change)(FlangeData&);
    int expected;
};

class FlangeCheckTest : public ::testing::TestWithParam<CheckCase> { };

TEST_P(FlangeCheckTest, FirstFailingCheckNamesItself)
{
    FlangeData d = validRound();
    GetParam().change(d);
    EXPECT_EQ(validateFlange(d), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FlangeCheckTest,
    ::testing::Values(CheckCase {"Valid", [](FlangeData&) {}, 0},
        CheckCase {"NoHoles", [](FlangeData& d) { d.geometry.circle1.holeCount = 0; }, 65337},
        CheckCase {"NothingGiven",
            [](FlangeData& d) {
                d.geometry.circle1.radius = 0;
                d.geometry.circle1.holeAngle = 0;
            },
            65338},
        CheckCase {"AngleAloneFixesNoSize", [](FlangeData& d) { d.geometry.circle1.radius = 0; }, 65338},
        CheckCase {"PitchAloneIsEnough",
            [](FlangeData& d) {
                d.geometry.circle1.radius = 0;
                d.geometry.circle1.holeAngle = 0;
                d.geometry.circle1.pitch = 50;
            },
            0},
        CheckCase {"OverDetermined", [](FlangeData& d) { d.geometry.circle1.pitch = 50; }, 65342},
        CheckCase {"OverDeterminedBeforeMissingHole",
            [](FlangeData& d) {
                d.geometry.circle1.pitch = 50;
                d.geometry.circle1.holeRadius = 0;
            },
            65342},
        CheckCase {"NoHoleDiameter", [](FlangeData& d) { d.geometry.circle1.holeRadius = 0; }, 65339},
        CheckCase {"OnlyDiameter", [](FlangeData& d) { d.geometry.circle1.holeAngle = 0; }, 65340},
        CheckCase {"OuterEqualToCircle", [](FlangeData& d) { d.geometry.outerRadius = 50; }, 65341},
        // Six holes at pitch 70 lie on radius 70, beyond the outer radius 65.
        CheckCase {"OuterAgainstCircleFromPitch",
            [](FlangeData& d) {
                d.geometry.circle1.radius = 0;
                d.geometry.circle1.pitch = 70;
            },
            65341},
        CheckCase {"AngleWithinTolerance", [](FlangeData& d) { d.geometry.circle1.holeAngle = 59.96f; }, 0},
        CheckCase {"AngleOnToleranceEdge", [](FlangeData& d) { d.geometry.circle1.holeAngle = 59.95f; }, 0},
        CheckCase {"AngleBeyondTolerance", [](FlangeData& d) { d.geometry.circle1.holeAngle = 59.94f; }, 65344},
        CheckCase {"AngleAboveTolerance", [](FlangeData& d) { d.geometry.circle1.holeAngle = 60.06f; }, 65344},
        CheckCase {"SquareAngleMustBeExact",
            [](FlangeData& d) {
                d.kindCode = kKindSquareOne;
                d.comboIndex = 4;
                d.geometry.circle1.holeAngle = 59.96f;
            },
            65344},
        CheckCase {"FreeFormHasNoAngleCheck",
            [](FlangeData& d) {
                d.kindCode = kKindFreeForm;
                d.comboIndex = 8;
                d.geometry.circle1.holeAngle = 45;
                d.geometry.outerRadius = 0;
            },
            0},
        CheckCase {"FreeFormNeedsItsAngle",
            [](FlangeData& d) {
                d.kindCode = kKindFreeForm;
                d.comboIndex = 8;
                d.geometry.circle1.holeAngle = 0;
                d.geometry.circle1.pitch = 20;
            },
            65338},
        CheckCase {"CounterboreNotLarger", [](FlangeData& d) { d.geometry.circle1.counterboreRadius = 5.5f; }, 65343},
        CheckCase {"CounterboreLarger", [](FlangeData& d) { d.geometry.circle1.counterboreRadius = 5.6f; }, 0},
        CheckCase {"SecondCircleChecked",
            [](FlangeData& d) {
                d.kindCode = kKindRoundTwo;
                d.comboIndex = 2;
                d.geometry.circle2.holeRadius = 0;
            },
            65349},
        CheckCase {"SecondCircleOuter",
            [](FlangeData& d) {
                d.kindCode = kKindRoundTwo;
                d.comboIndex = 2;
                d.geometry.circle2.radius = 70;
            },
            65351},
        CheckCase {"SecondCircleIgnoredWithOneCircle", [](FlangeData& d) { d.geometry.circle2.holeCount = 0; }, 0},
        CheckCase {"SquareOneCircleHasNoOuterCheck",
            [](FlangeData& d) {
                d.kindCode = kKindSquareOne;
                d.comboIndex = 4;
                d.geometry.outerRadius = 40;
                d.geometry.outerSize = 80;
            },
            0},
        CheckCase {"SquareTwoCirclesChecksLk1Outer",
            [](FlangeData& d) {
                d.kindCode = kKindSquareTwo;
                d.comboIndex = 6;
                d.geometry.outerRadius = 40;
                d.geometry.outerSize = 80;
            },
            65341},
        CheckCase {"SquareTwoCirclesNotLk2Outer",
            [](FlangeData& d) {
                d.kindCode = kKindSquareTwo;
                d.comboIndex = 6;
                d.geometry.circle2.radius = 90;
                d.geometry.circle2.holeAngle = 60;
            },
            0},
        // The circle's own outer check comes first and names the missing outer edge.
        CheckCase {"RoundNoOuter",
            [](FlangeData& d) {
                d.geometry.outerRadius = 0;
                d.geometry.circle1.radius = 0;
                d.geometry.circle1.pitch = 50;
                d.geometry.circle1.holeAngle = 60;
            },
            65341},
        CheckCase {"RoundInnerEqualsOuter", [](FlangeData& d) { d.geometry.innerRadius = 65; }, 65360},
        CheckCase {"RoundCentringEqualsOuter", [](FlangeData& d) { d.geometry.centringRadius = 65; }, 65361},
        CheckCase {"SquareNoOuter",
            [](FlangeData& d) {
                d.kindCode = kKindSquareOne;
                d.comboIndex = 4;
                d.geometry.outerSize = 0;
            },
            65357},
        CheckCase {"SquareInnerAgainstEdge",
            [](FlangeData& d) {
                d.kindCode = kKindSquareOne;
                d.comboIndex = 4;
                d.geometry.innerRadius = 65;
            },
            65360},
        CheckCase {"SquareCentringAgainstEdge",
            [](FlangeData& d) {
                d.kindCode = kKindSquareOne;
                d.comboIndex = 4;
                d.geometry.centringRadius = 65;
            },
            65361},
        CheckCase {"CollarNeedsCentring",
            [](FlangeData& d) {
                d.comboIndex = 1;
                d.geometry.centringRadius = 0;
            },
            65362},
        CheckCase {"SquareCollarNeedsCentring",
            [](FlangeData& d) {
                d.kindCode = kKindSquareTwo;
                d.comboIndex = 7;
                d.geometry.centringRadius = 0;
            },
            65362}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FlangeMessages, EveryCheckHasAGermanText)
{
    for (int id : {65337, 65338, 65339, 65340, 65341, 65342, 65343, 65344, 65347, 65348, 65349, 65350, 65351, 65352,
             65353, 65354, 65357, 65360, 65361, 65362}) {
        const std::string text = flangeCheckText(id);
        EXPECT_EQ(text.substr(0, 1), "*") << id;
    }
    EXPECT_EQ(std::string(flangeCheckText(65344)),
        "*LK1: Der Winkel Bohrungen passt nicht zur Anzahl der Bohrungen (360° / Anzahl).");
    EXPECT_EQ(std::string(flangeCheckText(65354)),
        "*LK2: Der Winkel Bohrungen passt nicht zur Anzahl der Bohrungen (360° / Anzahl).");
    EXPECT_EQ(std::string(flangeCheckText(1)), "");
}

TEST(FlangeHoles, FourHolesStartStraightUpAndTurnClockwise)
{
    FlangeData d;
    d.geometry.circle1.holeCount = 4;
    d.geometry.circle1.pitch = 70.711f;
    ASSERT_EQ(computeHoleCentres(d), 0);
    EXPECT_EQ(points(d.geometry.circle1), "(0.000, 50.000)(50.000, 0.000)(0.000, -50.000)(-50.000, 0.000)");
}

TEST(FlangeHoles, AutoOffsetSixHoles)
{
    HoleCircle circle;
    circle.holeCount = 6;
    circle.radius = 50;
    circle.stepAngle = 60;
    circle.offsetAngle = autoOffsetAngle(6);
    rotateHoles(circle);
    EXPECT_EQ(points(circle),
        "(25.000, 43.301)(50.000, 0.000)(25.000, -43.301)(-25.000, -43.301)(-50.000, 0.000)(-25.000, 43.301)");
}

TEST(FlangeHoles, ZeroPointMovesStoredPointsOnly)
{
    FlangeData d;
    d.kindCode = kKindRoundTwo;
    d.geometry.circle1.holeCount = 4;
    d.geometry.circle1.pitch = 70.711f;
    d.geometry.circle2.holeCount = 2;
    d.geometry.circle2.pitch = 140;
    d.zeroPointX = 10;
    d.zeroPointY = -5;
    ASSERT_EQ(computeHoleCentres(d), 0);
    EXPECT_EQ(points(d.geometry.circle1), "(10.000, 45.000)(60.000, -5.000)(10.000, -55.000)(-40.000, -5.000)");
    EXPECT_EQ(points(d.geometry.circle2), "(10.000, 65.000)(10.000, -75.000)");
}

TEST(FlangeHoles, HundredHolesAreTheLimit)
{
    FlangeData d;
    d.kindCode = kKindRoundTwo;
    d.geometry.circle1.holeCount = 100;
    d.geometry.circle1.pitch = 3;
    d.geometry.circle2.holeCount = 101;
    d.geometry.circle2.pitch = 3;
    EXPECT_EQ(computeHoleCentres(d), 2);
    EXPECT_EQ(d.geometry.circle1.radius, 0.0f); // nothing changed
    d.geometry.circle1.holeCount = 101;
    EXPECT_EQ(computeHoleCentres(d), 1);
    d.geometry.circle1.holeCount = 100;
    d.geometry.circle2.holeCount = 100;
    EXPECT_EQ(computeHoleCentres(d), 0);
    // The hundredth hole closes the circle next to the first.
    // The hundredth hole closes the circle next to the first; turning the rounded points
    // ninety-nine times costs a few thousandths at most.
    EXPECT_NEAR(std::hypot(d.geometry.circle1.points[99].x - d.geometry.circle1.points[0].x,
                    d.geometry.circle1.points[99].y - d.geometry.circle1.points[0].y),
        3.0, 0.005);
    // One circle only: LK2's count does not matter.
    d.kindCode = kKindRoundOne;
    d.geometry.circle2.holeCount = 500;
    EXPECT_EQ(computeHoleCentres(d), 0);
}

TEST(FlangeHoles, CornersOnlyForSquareKinds)
{
    FlangeData d;
    d.kindCode = kKindSquareOne;
    d.geometry.outerSize = 100;
    d.geometry.circle1.holeCount = 4;
    d.geometry.circle1.pitch = 70.711f;
    ASSERT_EQ(computeHoleCentres(d), 0);
    const auto& c = d.geometry.corners;
    EXPECT_EQ(fixed3(c[0].x) + " " + fixed3(c[0].y) + " " + fixed3(c[1].x) + " " + fixed3(c[1].y) + " " + fixed3(c[2].x)
            + " " + fixed3(c[2].y) + " " + fixed3(c[3].x) + " " + fixed3(c[3].y),
        "50.000 50.000 50.000 -50.000 -50.000 -50.000 -50.000 50.000");
    d.kindCode = kKindFreeForm;
    d.geometry.circle1.radius = 50;
    d.geometry.circle1.holeAngle = 90;
    ASSERT_EQ(computeHoleCentres(d), 0);
    EXPECT_EQ(d.geometry.corners[0].x, 0.0f);
    EXPECT_EQ(d.geometry.corners[2].y, 0.0f);
}

TEST(FlangeHoles, CornerOrigins)
{
    const std::pair<std::uint8_t, const char*> cases[] = {{1, "0.000 0.000"}, {2, "0.000 0.000"}, {3, "50.000 50.000"},
        {4, "-50.000 50.000"}, {5, "50.000 -50.000"}, {6, "-50.000 -50.000"}, {7, "0.000 0.000"}, {8, "0.000 0.000"}};
    for (const auto& [mode, expected] : cases) {
        const FlangePoint p = cornerOrigin(mode, 100);
        EXPECT_EQ(fixed3(p.x) + " " + fixed3(p.y), expected) << int(mode);
    }
}

} // namespace
} // namespace kvt
