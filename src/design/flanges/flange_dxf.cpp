#include "design/flanges/flange_dxf.h"

#include "common/units.h"
#include "design/dxf/dxf_writer.h"

#include <algorithm>

namespace kvt {

namespace {

void convertCircle(HoleCircle& circle, int unitFlag)
{
    circle.pitch = dxfLength(circle.pitch, unitFlag);
    circle.radius = dxfLength(circle.radius, unitFlag);
    circle.diameter = dxfLength(circle.diameter, unitFlag);
    circle.counterboreRadius = dxfLength(circle.counterboreRadius, unitFlag);
    circle.holeRadius = dxfLength(circle.holeRadius, unitFlag);
    for (FlangePoint& p : circle.points) {
        p.x = dxfLength(p.x, unitFlag);
        p.y = dxfLength(p.y, unitFlag);
    }
}

void writeHoles(DxfWriter& dxf, const HoleCircle& circle, bool counterbores, FlangePoint shift)
{
    const int count = std::clamp(circle.holeCount, 0, kMaxHolesPerCircle);
    for (int i = 0; i < count; ++i) {
        const FlangePoint& p = circle.points[static_cast<std::size_t>(i)];
        dxf.circle(double(p.x) + shift.x, double(p.y) + shift.y, circle.holeRadius);
    }
    if (!counterbores)
        return;
    for (int i = 0; i < count; ++i) {
        const FlangePoint& p = circle.points[static_cast<std::size_t>(i)];
        dxf.circle(double(p.x) + shift.x, double(p.y) + shift.y, circle.counterboreRadius);
    }
}

bool isCornerMode(std::uint8_t mode)
{
    return mode >= kZeroCornerFirst && mode <= kZeroCornerLast;
}

} // namespace

float dxfLength(float millimetres, int unitFlag)
{
    if (unitFlag != kDxfUnitInch)
        return millimetres;
    // Rounded on the magnitude: the shared rounding adds half a unit and truncates, which
    // would put a hole below the centre one thousandth of an inch closer than its mirror
    // image above.
    const double inches = static_cast<double>(millimetres) / kMillimetresPerInch;
    const double rounded = inches < 0.0 ? -roundDecimals(-inches, 5) : roundDecimals(inches, 5);
    return static_cast<float>(rounded);
}

void makeExportCopy(FlangeData& data, int unitFlag)
{
    FlangeGeometry copy = data.geometry;
    convertCircle(copy.circle1, unitFlag);
    convertCircle(copy.circle2, unitFlag);
    for (FlangePoint& p : copy.corners) {
        p.x = dxfLength(p.x, unitFlag);
        p.y = dxfLength(p.y, unitFlag);
    }
    copy.outerSize = dxfLength(copy.outerSize, unitFlag);
    copy.innerRadius = dxfLength(copy.innerRadius, unitFlag);
    copy.outerRadius = dxfLength(copy.outerRadius, unitFlag);
    copy.centringRadius = dxfLength(copy.centringRadius, unitFlag);
    data.exportCopy = copy;
    data.exportZeroX = dxfLength(data.zeroPointX, unitFlag);
    data.exportZeroY = dxfLength(data.zeroPointY, unitFlag);
}

FlangePoint dxfOrigin(const FlangeData& data)
{
    const std::uint8_t mode = data.zeroPointMode;
    const FlangePoint zero {data.exportZeroX, data.exportZeroY};
    if (isRoundKind(data.kindCode))
        return mode == kZeroRoundEntered ? zero : FlangePoint {};
    if (mode == kZeroSquareEntered)
        return zero;
    return cornerOrigin(mode, data.exportCopy.outerSize);
}

std::string WriteDxf(const FlangeData& data, int versionCode, int unitFlag)
{
    const FlangeGeometry& g = data.exportCopy;
    const FlangePoint origin = dxfOrigin(data);
    const std::uint8_t drawing = data.counterboreDrawing;
    const bool counterbores1 = drawing == 2 || drawing == 4;
    const bool counterbores2 = drawing == 3 || drawing == 4;

    DxfWriter dxf;
    dxf.begin(versionCode, unitFlag);
    switch (data.kindCode) {
    case kKindRoundOne:
        dxf.circle(origin.x, origin.y, g.innerRadius);
        dxf.circle(origin.x, origin.y, g.outerRadius);
        writeHoles(dxf, g.circle1, drawing == 2, {});
        break;
    case kKindRoundTwo:
        dxf.circle(origin.x, origin.y, g.innerRadius);
        dxf.circle(origin.x, origin.y, g.outerRadius);
        writeHoles(dxf, g.circle1, counterbores1, {});
        writeHoles(dxf, g.circle2, counterbores2, {});
        if (g.centringRadius != 0.0f)
            dxf.circle(data.exportZeroX, data.exportZeroY, g.centringRadius);
        break;
    case kKindSquareOne:
    case kKindSquareTwo:
    case kKindFreeForm: {
        for (std::size_t i = 0; i < g.corners.size(); ++i) {
            const FlangePoint& from = g.corners[i];
            const FlangePoint& to = g.corners[(i + 1) % g.corners.size()];
            dxf.line(
                double(from.x) + origin.x, double(from.y) + origin.y, double(to.x) + origin.x, double(to.y) + origin.y);
        }
        dxf.circle(origin.x, origin.y, g.innerRadius);
        if (g.centringRadius != 0.0f)
            dxf.circle(origin.x, origin.y, g.centringRadius);
        // The stored points already hold an entered zero point; only a corner origin
        // moves them.
        const FlangePoint shift = isCornerMode(data.zeroPointMode) ? origin : FlangePoint {};
        if (data.kindCode == kKindSquareTwo) {
            writeHoles(dxf, g.circle1, counterbores1, shift);
            writeHoles(dxf, g.circle2, counterbores2, shift);
        } else {
            writeHoles(dxf, g.circle1, drawing == 2, shift);
        }
        break;
    }
    default:
        break;
    }
    dxf.end();
    return dxf.text();
}

} // namespace kvt
