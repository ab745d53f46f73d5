#pragma once
// Drill depths: the thread tables (metric coarse and fine, Unified coarse and fine), the
// reaming allowances, the inch reamer fits with their drill pairs, and the depths of a
// drilled, a reamed and a tapped hole. All lengths in millimetres unless named inches.

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kvt {

struct ThreadSize {
    std::string_view name;
    double nominal; // mm
    double pitch; // mm
    double coreDrill; // mm
};

// As the tables are written: metric rows in millimetres, Unified rows in inches with
// threads per inch.
struct MetricThreadRow {
    std::string_view name;
    double nominal;
    double pitch;
    double coreDrill;
};
struct UnifiedThreadRow {
    std::string_view name;
    int threadsPerInch;
    double major; // inch
    double tapDrill; // inch
};
std::span<const MetricThreadRow> metricThreadRows(); // M then MF, in table order
std::span<const UnifiedThreadRow> unifiedThreadRows(); // UNC then UNF

// The threads offered in a unit system, in millimetres: metric ones for millimetres,
// Unified ones (converted with 25.400051) for inches.
std::vector<ThreadSize> threadSizes(int unitSystem);

// The reaming allowances proposed for a metric reamer diameter; none outside 0.8 to 150.
std::vector<double> reamingAllowances(double reamerDiameter);

// An inch reamer size with its allowances and pre-drills, first for a tight, second for a
// loose fit (inches).
struct InchReamerFit {
    std::string_view nominal;
    double low;
    double high;
    double allowance[2];
    double drill[2];
};
std::span<const InchReamerFit> inchReamerFits();
std::optional<InchReamerFit> inchReamerFit(double reamerInches);

// The length of the drill point; nullopt for an angle outside 90 to 180 degrees or no
// diameter. Below a thousandth it counts as 0.
std::optional<double> drillPointLength(double diameter, double pointAngle);

// A depth rounded up to the next multiple of step, the step in the display unit; a step
// of 0 leaves the depth as it is.
double roundUpDepth(double millimetres, double step, int unitSystem);

struct DrillingDepth {
    double depth = 0.0; // length + point + allowance, rounded up
    double point = 0.0;
};
std::optional<DrillingDepth> drillingDepth(
    double length, double allowance, double diameter, double pointAngle, double step, int unitSystem);

// The pre-drill of a reamer: reamer less allowance, to the nearest 0.1 mm up to 10 mm,
// to the nearest 0.25 mm up to 50 mm, then to two decimals.
double preDrillDiameter(double reamerDiameter, double allowance);

struct TappedDepth {
    double depth = 0.0; // thread depth + tap lead, rounded up to the step
    double surplus = 0.0; // what the rounding added
};
TappedDepth tappedHoleDepth(double threadDepth, double tapLead, double stepMillimetres);

} // namespace kvt
