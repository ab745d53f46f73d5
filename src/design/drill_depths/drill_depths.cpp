#include "design/drill_depths/drill_depths.h"

#include "common/units.h"

#include <array>
#include <cmath>

namespace kvt {

namespace {

constexpr std::array<MetricThreadRow, 24> kMetricThreads = {{
    {"M3x0,5 M", 3.0, 0.5, 2.5},
    {"M3,5x0,6 M", 3.5, 0.6, 2.9},
    {"M4x0,7 M", 4.0, 0.7, 3.3},
    {"M5x0,8 M", 5.0, 0.8, 4.2},
    {"M6x1.0 M", 6.0, 1.0, 5.0},
    {"M8x1.25 M", 8.0, 1.25, 6.8},
    {"M10x1.5 M", 10.0, 1.5, 8.5},
    {"M12x1.75 M", 12.0, 1.75, 10.2},
    {"M14x2.0 M", 14.0, 2.0, 12.0},
    {"M16x2.0 M", 16.0, 2.0, 14.0},
    {"M18x2.5 M", 18.0, 2.5, 15.5},
    {"M20x2.5 M", 20.0, 2.5, 17.5},
    {"M4x0.5 MF", 4.0, 0.5, 3.5},
    {"M5x0.5 MF", 5.0, 0.5, 4.5},
    {"M6x0.75 MF", 6.0, 0.75, 5.2},
    {"M7x0.75 MF", 7.0, 0.75, 6.2},
    {"M8x1 MF", 8.0, 1.0, 7.0},
    {"M9x1 MF", 9.0, 1.0, 8.0},
    {"M10x1 MF", 10.0, 1.0, 9.0},
    {"M12x1.5 MF", 12.0, 1.5, 10.5},
    {"M14x1.5 MF", 14.0, 1.5, 12.5},
    {"M16x1.5 MF", 16.0, 1.5, 14.5},
    {"M18x2 MF", 18.0, 2.0, 16.0},
    {"M20x2 MF", 20.0, 2.0, 18.0},
}};

constexpr std::array<UnifiedThreadRow, 28> kUnifiedThreads = {{
    {"4-40 UNC", 40, 0.112, 0.089},
    {"6-32 UNC", 32, 0.136, 0.1065},
    {"8-32 UNC", 32, 0.164, 0.136},
    {"10-24 UNC", 24, 0.19, 0.1495},
    {"1/4-20 UNC", 20, 0.25, 0.201},
    {"5/16-18 UNC", 18, 0.3125, 0.257},
    {"3/8-16 UNC", 16, 0.375, 0.313},
    {"7/16-14 UNC", 14, 0.4375, 0.368},
    {"1/2-13 UNC", 13, 0.5, 0.422},
    {"9/16-12 UNC", 12, 0.5625, 0.484},
    {"5/8-11 UNC", 11, 0.625, 0.531},
    {"3/4-10 UNC", 10, 0.75, 0.656},
    {"7/8-9 UNC", 9, 0.875, 0.766},
    {"1-8 UNC", 8, 1.0, 0.875},
    {"4-48 UNF", 48, 0.112, 0.0935},
    {"6-40 UNF", 40, 0.136, 0.113},
    {"8-36 UNF", 36, 0.164, 0.136},
    {"10-32 UNF", 32, 0.19, 0.159},
    {"1/4-28 UNF", 28, 0.25, 0.213},
    {"5/16-24 UNF", 24, 0.3125, 0.272},
    {"3/8-24 UNF", 24, 0.375, 0.332},
    {"7/16-20 UNF", 20, 0.4375, 0.391},
    {"1/2-20 UNF", 20, 0.5, 0.453},
    {"9/16-18 UNF", 18, 0.5625, 0.516},
    {"5/8-18 UNF", 18, 0.625, 0.578},
    {"3/4-16 UNF", 16, 0.75, 0.688},
    {"7/8-14 UNF", 14, 0.875, 0.813},
    {"1-14 UNF", 14, 1.0, 0.938},
}};

struct AllowanceRange {
    double low; // exclusive, except the first range
    double high; // inclusive
    std::array<double, 5> proposals; // 0 = none
};

constexpr std::array<AllowanceRange, 11> kAllowances = {{
    {0.8, 1.2, {0.05}},
    {1.2, 1.6, {0.05, 0.1}},
    {1.6, 3.0, {0.15}},
    {3.0, 5.0, {0.1, 0.2}},
    {5.0, 10.0, {0.2, 0.3}},
    {10.0, 20.0, {0.2, 0.3, 0.4}},
    {20.0, 30.0, {0.3, 0.4, 0.5}},
    {30.0, 50.0, {0.3, 0.4, 0.5}},
    {50.0, 70.0, {0.5, 0.6, 0.7, 0.8}},
    {70.0, 120.0, {1.0, 1.1, 1.2}},
    {120.0, 150.0, {1.3, 1.4, 1.5}},
}};

// Every other loose-fit drill is a little over the reamer size; the one of 5/8 (0.5156, the
// value of 1/2) is kept as the table gives it.
constexpr std::array<InchReamerFit, 16> kInchFits = {{
    {"1/16", 0.0575, 0.0675, {0.00125, 0.003125}, {0.0595, 0.0635}},
    {"5/64", 0.0731, 0.0831, {0.001562, 0.003905}, {0.0785, 0.081}},
    {"3/32", 0.0888, 0.0988, {0.001876, 0.00469}, {0.0935, 0.096}},
    {"1/8", 0.12, 0.13, {0.0025, 0.00625}, {0.12, 0.1285}},
    {"5/32", 0.1512, 0.1612, {0.003124, 0.00781}, {0.157, 0.159}},
    {"3/16", 0.1825, 0.1925, {0.00375, 0.009375}, {0.185, 0.189}},
    {"7/32", 0.2138, 0.2238, {0.004376, 0.01094}, {0.221, 0.228}},
    {"1/4", 0.245, 0.255, {0.005, 0.0125}, {0.2344, 0.257}},
    {"5/16", 0.3075, 0.3175, {0.00625, 0.015625}, {0.2812, 0.316}},
    {"3/8", 0.37, 0.38, {0.0075, 0.01875}, {0.3437, 0.377}},
    {"7/16", 0.4325, 0.4425, {0.00875, 0.021875}, {0.3906, 0.4219}},
    {"1/2", 0.495, 0.505, {0.01, 0.025}, {0.4531, 0.5156}},
    {"5/8", 0.62, 0.63, {0.0125, 0.03125}, {0.5937, 0.5156}},
    {"3/4", 0.745, 0.755, {0.015, 0.0375}, {0.7031, 0.7656}},
    {"7/8", 0.87, 0.88, {0.0175, 0.04375}, {0.8281, 0.8906}},
    {"1", 0.995, 1.005, {0.02, 0.05}, {0.9219, 1.0156}},
}};

constexpr double kRadiansPerDegree = 0.017453292519944444;

} // namespace

std::span<const MetricThreadRow> metricThreadRows()
{
    return kMetricThreads;
}

std::span<const UnifiedThreadRow> unifiedThreadRows()
{
    return kUnifiedThreads;
}

std::vector<ThreadSize> threadSizes(int unitSystem)
{
    std::vector<ThreadSize> sizes;
    if (unitSystem == kUnitSystemInch) {
        for (const UnifiedThreadRow& row : kUnifiedThreads)
            sizes.push_back({row.name, row.major * kMillimetresPerInch, kMillimetresPerInch / row.threadsPerInch,
                row.tapDrill * kMillimetresPerInch});
    } else {
        for (const MetricThreadRow& row : kMetricThreads)
            sizes.push_back({row.name, row.nominal, row.pitch, row.coreDrill});
    }
    return sizes;
}

std::vector<double> reamingAllowances(double reamerDiameter)
{
    std::vector<double> proposals;
    for (std::size_t i = 0; i < kAllowances.size(); ++i) {
        const AllowanceRange& range = kAllowances[i];
        const bool above = i == 0 ? reamerDiameter >= range.low : reamerDiameter > range.low;
        if (above && reamerDiameter <= range.high) {
            for (double proposal : range.proposals) {
                if (proposal != 0.0)
                    proposals.push_back(proposal);
            }
            break;
        }
    }
    return proposals;
}

std::span<const InchReamerFit> inchReamerFits()
{
    return kInchFits;
}

std::optional<InchReamerFit> inchReamerFit(double reamerInches)
{
    for (const InchReamerFit& fit : kInchFits) {
        if (reamerInches >= fit.low && reamerInches <= fit.high)
            return fit;
    }
    return std::nullopt;
}

std::optional<double> drillPointLength(double diameter, double pointAngle)
{
    if (!(pointAngle >= 90.0 && pointAngle <= 180.0) || !(diameter > 0.0) || !std::isfinite(diameter))
        return std::nullopt;
    double point = diameter / (2.0 * std::tan(pointAngle / 2.0 * kRadiansPerDegree));
    if (point > -0.001 && point < 0.001)
        point = 0.0;
    return point;
}

double roundUpDepth(double millimetres, double step, int unitSystem)
{
    if (step == 0.0 || !std::isfinite(step))
        return millimetres;
    const double shown = toDisplay(unitSystem, ConversionKind::Length, millimetres);
    return toMetric(unitSystem, ConversionKind::Length, std::ceil(shown / step) * step);
}

std::optional<DrillingDepth> drillingDepth(
    double length, double allowance, double diameter, double pointAngle, double step, int unitSystem)
{
    const std::optional<double> point = drillPointLength(diameter, pointAngle);
    if (!point)
        return std::nullopt;
    return DrillingDepth {roundUpDepth(length + *point + allowance, step, unitSystem), *point};
}

double preDrillDiameter(double reamerDiameter, double allowance)
{
    double drill = reamerDiameter - allowance;
    if (drill >= 1.0 && drill <= 10.0)
        drill = std::round(drill / 0.1) * 0.1;
    else if (drill > 10.0 && drill <= 50.0)
        drill = std::round(drill * 4.0) * 0.25;
    return std::trunc((drill + 0.005) * 100.0) / 100.0;
}

TappedDepth tappedHoleDepth(double threadDepth, double tapLead, double stepMillimetres)
{
    const double depth = threadDepth + tapLead;
    if (stepMillimetres == 0.0 || !std::isfinite(stepMillimetres))
        return {depth, 0.0};
    const double rounded = std::ceil(depth / stepMillimetres) * stepMillimetres;
    return {rounded, rounded - depth};
}

} // namespace kvt
