#pragma once
// Dowel pins joining two workpieces: the standard pin tables, the depth of the pin in
// each workpiece with the drilling and reaming depths of both bores, and the standard
// length that suits a wanted engagement of the first bore. Lengths in millimetres.

#include <array>
#include <optional>
#include <span>

namespace kvt {

inline constexpr std::size_t kPinLengthCount = 20;

struct MetricPinRow {
    double diameter; // mm
    double preDrill; // mm
    std::array<int, kPinLengthCount> lengths; // whole mm, ascending, empty entries 0
};
struct InchPinRow {
    double diameter; // mm
    double inches;
    double preDrillInches;
};
std::span<const MetricPinRow> metricPinRows();
std::span<const InchPinRow> inchPinRows();

struct PinDepths {
    double pin1 = 0.0; // depth of the pin in workpiece 1
    double pin2 = 0.0;
    double total = 0.0;
    bool bores = false; // the drilling and reaming depths below were computed
    double drill1 = 0.0;
    double drill2 = 0.0;
    double ream1 = 0.0;
    double ream2 = 0.0;
};

struct PinInput {
    double diameter = 0.0; // d
    double length = 0.0; // L
    double factor = 0.0; // f, engagement of the first bore in diameters
    double extra1 = 0.0; // a1, depth allowance of workpiece 1
    double extra2 = 0.0; // a2
    double drillAllowance = 0.0; // t
    double reamAllowance = 0.0; // r
    double safety = 0.0; // s, only on workpiece 1
};

// nullopt for a factor of 0. The bores follow only when the drill allowance t is set.
std::optional<PinDepths> pinDepths(const PinInput& input);

// The index into `lengths` of the longest standard length not above 2 d f (and not more
// than 10 below it); nullopt when none lies in that range.
std::optional<std::size_t> optimumPinLength(std::span<const int> lengths, double diameter, double factor);

} // namespace kvt
