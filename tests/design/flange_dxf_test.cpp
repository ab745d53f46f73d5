// The flange drawing: the export copy in millimetres and inches, the origin of every
// zero-point mode and the entities of every kind, read back from the written text and
// compared with references worked out by hand.

#include "common/number_format.h"
#include "design/dxf_reader.h"
#include "design/flanges/flange_dxf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvt {
namespace {

std::string C(double x, double y, double r)
{
    return "CIRCLE CircleLayer " + formatFixed(x, 3) + " " + formatFixed(y, 3) + " " + formatFixed(r, 3);
}

std::string L(double x1, double y1, double x2, double y2)
{
    return "LINE 0 " + formatFixed(x1, 3) + " " + formatFixed(y1, 3) + " 0.000 " + formatFixed(x2, 3) + " "
        + formatFixed(y2, 3) + " 0.000";
}

std::vector<std::string> entities(const std::string& text, const char* units = "4")
{
    std::string error;
    const test::DxfDocument doc = test::readDxf(text, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(doc.version, "AC1009");
    EXPECT_EQ(doc.insUnits, units);
    std::vector<std::string> list;
    for (const test::DxfEntity& e : doc.entities)
        list.push_back(e.summary());
    return list;
}

// The six-circle flange: round, one circle of 4 holes on radius 50 (hole radius 5),
// inner radius 20, outer radius 75.
FlangeData sixCircles()
{
    FlangeData d;
    d.kindCode = kKindRoundOne;
    d.geometry.circle1.holeCount = 4;
    d.geometry.circle1.pitch = 70.711f;
    d.geometry.circle1.holeRadius = 5;
    d.geometry.innerRadius = 20;
    d.geometry.outerRadius = 75;
    d.geometry.outerSize = 150;
    EXPECT_EQ(computeHoleCentres(d), 0);
    return d;
}

TEST(FlangeDxf, SixCirclesInMillimetres)
{
    FlangeData d = sixCircles();
    makeExportCopy(d, kDxfUnitMillimetre);
    const std::string text = WriteDxf(d, 1, kDxfUnitMillimetre);
    EXPECT_EQ(entities(text),
        (std::vector<std::string> {C(0, 0, 20), C(0, 0, 75), C(0, 50, 5), C(50, 0, 5), C(0, -50, 5), C(-50, 0, 5)}));
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.substr(0, 7), "0\nSECTI");
}

TEST(FlangeDxf, SixCirclesInInches)
{
    FlangeData d = sixCircles();
    makeExportCopy(d, kDxfUnitInch);
    // 20 / 25.400051 = 0.78740, 75 -> 2.95275, 50 -> 1.96850, 5 -> 0.19685; a hole below
    // or left of the centre is the mirror image of the one above, to the last digit.
    EXPECT_EQ(entities(WriteDxf(d, 1, kDxfUnitInch), "1"),
        (std::vector<std::string> {"CIRCLE CircleLayer 0.000 0.000 0.787", "CIRCLE CircleLayer 0.000 0.000 2.953",
            "CIRCLE CircleLayer 0.000 1.969 0.197", "CIRCLE CircleLayer 1.969 0.000 0.197",
            "CIRCLE CircleLayer 0.000 -1.969 0.197", "CIRCLE CircleLayer -1.969 0.000 0.197"}));
}

TEST(FlangeDxf, InchLengthsRoundToFiveDecimalsOnBothSides)
{
    const std::pair<float, const char*> cases[]
        = {{50.0f, "1.96850"}, {-50.0f, "-1.96850"}, {25.400051f, "1.00000"}, {0.0f, "0.00000"}, {100.0f, "3.93700"}};
    for (const auto& [mm, inch] : cases)
        EXPECT_EQ(formatFixed(dxfLength(mm, kDxfUnitInch), 5), inch) << mm;
    EXPECT_EQ(dxfLength(-12.345f, kDxfUnitMillimetre), -12.345f);
}

TEST(FlangeDxf, ExportCopyLeavesTheWorkingGeometryAlone)
{
    FlangeData d = sixCircles();
    d.zeroPointX = 25.400051f;
    makeExportCopy(d, kDxfUnitInch);
    EXPECT_EQ(d.geometry.outerRadius, 75.0f);
    EXPECT_EQ(d.exportCopy.circle1.holeCount, 4);
    EXPECT_EQ(d.exportCopy.circle1.stepAngle, 90.0f);
    EXPECT_EQ(d.exportZeroX, 1.0f);
}

struct KindCase {
    const char* name;
    int comboIndex;
    std::uint8_t mode;
    float zeroX, zeroY;
    std::vector<std::string> expected;
};

// Square flanges: edge 100, LK1 4 holes on radius 30 (hole radius 5), inner radius 10;
// LK2 (two-circle kinds) 2 holes on radius 40 with hole radius 3 and counterbore 6;
// centring radius 20 for the kinds with a collar.
FlangeData build(const KindCase& k)
{
    FlangeData d;
    d.comboIndex = static_cast<std::uint8_t>(k.comboIndex);
    d.kindCode = kindCodeForIndex(k.comboIndex);
    d.zeroPointMode = k.mode;
    d.zeroPointX = k.zeroX;
    d.zeroPointY = k.zeroY;
    FlangeGeometry& g = d.geometry;
    g.circle1.holeCount = 4;
    g.circle1.pitch = 42.42641f;
    g.circle1.holeRadius = 5;
    g.circle2.holeCount = 2;
    g.circle2.pitch = 80;
    g.circle2.holeRadius = 3;
    g.circle2.counterboreRadius = 6;
    g.innerRadius = 10;
    g.outerSize = 100;
    g.outerRadius = 50;
    g.centringRadius = hasCentringCollar(k.comboIndex) ? 20.0f : 0.0f;
    if (d.kindCode == kKindFreeForm) {
        g.circle1.holeCount = 3;
        g.circle1.radius = 40;
        g.circle1.holeAngle = 30;
        g.outerSize = 0;
        g.outerRadius = 0;
    }
    const bool second = hasSecondCircle(d.kindCode);
    d.counterboreDrawing = counterboreDrawingFor(g.circle1, second ? g.circle2 : HoleCircle {});
    EXPECT_EQ(computeHoleCentres(d), 0);
    return d;
}

class FlangeKindDxfTest : public ::testing::TestWithParam<KindCase> { };

TEST_P(FlangeKindDxfTest, EntitiesMatchTheReference)
{
    FlangeData d = build(GetParam());
    makeExportCopy(d, kDxfUnitMillimetre);
    EXPECT_EQ(entities(WriteDxf(d, 1, kDxfUnitMillimetre)), GetParam().expected);
}

const std::vector<std::string> kSquareLines
    = {L(50, 50, 50, -50), L(50, -50, -50, -50), L(-50, -50, -50, 50), L(-50, 50, 50, 50)};

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(Cases, FlangeKindDxfTest,
    ::testing::Values(KindCase {"RoundCentre", 0, 1, 0, 0,
                          {C(0, 0, 10), C(0, 0, 50), C(0, 30, 5), C(30, 0, 5), C(0, -30, 5), C(-30, 0, 5)}},
        KindCase {"RoundEnteredZeroPoint", 0, 2, 10, -5,
            {C(10, -5, 10), C(10, -5, 50), C(10, 25, 5), C(40, -5, 5), C(10, -35, 5), C(-20, -5, 5)}},
        KindCase {"RoundTwoCirclesWithCollar", 3, 1, 0, 0,
            {C(0, 0, 10), C(0, 0, 50), C(0, 30, 5), C(30, 0, 5), C(0, -30, 5), C(-30, 0, 5), C(0, 40, 3), C(0, -40, 3),
                C(0, 40, 6), C(0, -40, 6), C(0, 0, 20)}},
        KindCase {"RoundTwoCirclesCollarAtZeroPoint", 3, 2, 5, 5,
            {C(5, 5, 10), C(5, 5, 50), C(5, 35, 5), C(35, 5, 5), C(5, -25, 5), C(-25, 5, 5), C(5, 45, 3), C(5, -35, 3),
                C(5, 45, 6), C(5, -35, 6), C(5, 5, 20)}},
        KindCase {"SquareCornerBottomLeft", 4, 3, 0, 0,
            {L(100, 100, 100, 0), L(100, 0, 0, 0), L(0, 0, 0, 100), L(0, 100, 100, 100), C(50, 50, 10), C(50, 80, 5),
                C(80, 50, 5), C(50, 20, 5), C(20, 50, 5)}},
        KindCase {"SquareCornerBottomRight", 4, 4, 0, 0,
            {L(0, 100, 0, 0), L(0, 0, -100, 0), L(-100, 0, -100, 100), L(-100, 100, 0, 100), C(-50, 50, 10),
                C(-50, 80, 5), C(-20, 50, 5), C(-50, 20, 5), C(-80, 50, 5)}},
        KindCase {"SquareCornerTopLeft", 4, 5, 0, 0,
            {L(100, 0, 100, -100), L(100, -100, 0, -100), L(0, -100, 0, 0), L(0, 0, 100, 0), C(50, -50, 10),
                C(50, -20, 5), C(80, -50, 5), C(50, -80, 5), C(20, -50, 5)}},
        KindCase {"SquareCornerTopRight", 4, 6, 0, 0,
            {L(0, 0, 0, -100), L(0, -100, -100, -100), L(-100, -100, -100, 0), L(-100, 0, 0, 0), C(-50, -50, 10),
                C(-50, -20, 5), C(-20, -50, 5), C(-50, -80, 5), C(-80, -50, 5)}},
        KindCase {"SquareCentre", 4, 7, 0, 0,
            join(kSquareLines, {C(0, 0, 10), C(0, 30, 5), C(30, 0, 5), C(0, -30, 5), C(-30, 0, 5)})},
        KindCase {"SquareEnteredZeroPoint", 4, 8, 5, 5,
            {L(55, 55, 55, -45), L(55, -45, -45, -45), L(-45, -45, -45, 55), L(-45, 55, 55, 55), C(5, 5, 10),
                C(5, 35, 5), C(35, 5, 5), C(5, -25, 5), C(-25, 5, 5)}},
        KindCase {"SquareWithCollar", 5, 7, 0, 0,
            join(kSquareLines, {C(0, 0, 10), C(0, 0, 20), C(0, 30, 5), C(30, 0, 5), C(0, -30, 5), C(-30, 0, 5)})},
        KindCase {"SquareTwoCircles", 6, 7, 0, 0,
            join(kSquareLines,
                {C(0, 0, 10), C(0, 30, 5), C(30, 0, 5), C(0, -30, 5), C(-30, 0, 5), C(0, 40, 3), C(0, -40, 3),
                    C(0, 40, 6), C(0, -40, 6)})},
        KindCase {"SquareTwoCirclesCornerWithCollar", 7, 3, 0, 0,
            {L(100, 100, 100, 0), L(100, 0, 0, 0), L(0, 0, 0, 100), L(0, 100, 100, 100), C(50, 50, 10), C(50, 50, 20),
                C(50, 80, 5), C(80, 50, 5), C(50, 20, 5), C(20, 50, 5), C(50, 90, 3), C(50, 10, 3), C(50, 90, 6),
                C(50, 10, 6)}},
        // The free form has no outline of its own: its four lines collapse onto the
        // zero point.
        KindCase {"FreeForm", 8, 8, 0, 0,
            {L(0, 0, 0, 0), L(0, 0, 0, 0), L(0, 0, 0, 0), L(0, 0, 0, 0), C(0, 0, 10), C(0, 40, 5), C(20, 34.641, 5),
                C(34.641, 20, 5)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FlangeDxf, UnusedKindCodesDrawNothing)
{
    for (std::uint8_t kind : {0, 5, 6, 7, 9}) {
        FlangeData d;
        d.kindCode = kind;
        EXPECT_TRUE(entities(WriteDxf(d, 1, kDxfUnitMillimetre)).empty()) << int(kind);
    }
}

} // namespace
} // namespace kvt
