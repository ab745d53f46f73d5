#pragma once
// Parallels under a workpiece in the machine vice: the height a parallel must have for
// side milling to the wanted depth, the choice from the machine's inventory (a single
// parallel, else a pair of different heights), how the workpiece then sits in the vice,
// and the inch fractions of the list labels. All lengths in millimetres.

#include <span>

namespace kvt {

// The recommended height when no single parallel fits: a pair was found, or nothing.
inline constexpr double kParallelPairMarker = -1.0;
inline constexpr double kParallelMissingMarker = -2.0;

// The height a parallel must lift the workpiece so that the tool reaches `material`
// (workpiece height less side depth less tool overhang) above the jaw top plus the safety.
double requiredParallelHeight(double jawHeight, double material, double safety);

struct ParallelChoice {
    int wholeRequired = 0; // the required height rounded up to whole millimetres
    double recommended = 0.0; // a height, or one of the two markers
    int slot = 0; // the slot of the recommended height (P >= 0)
    double first = 0.0; // the pair, when the marker is kParallelPairMarker
    double second = 0.0;
    double pairDepth = 0.0; // the larger depth of the pair
};

// heights and depths: the machine's slots, slot 0 standing for "without parallels" with
// height 0; an empty slot has height 0. The nearest slot wins (the lower on ties); when
// it is lower than needed, the next slot is taken. Only when that leaves no parallel is a
// pair of different heights summing exactly to the whole millimetres searched.
ParallelChoice chooseParallel(double required, std::span<const float> heights, std::span<const float> depths);

struct VisePosition {
    bool error = false; // less than 1 mm left below the cut, or more than 95 % cut away
    bool warning = false; // 1 to 1.5 mm left, or 90 to 95 % cut away
    bool tooDeepForTwo = false; // two parallels do not fit under the workpiece side by side
    bool atJawHeight = false; // the parallel is as high as the jaws
    bool nearJawHeight = false; // the parallel reaches within 1 mm of the jaw top
    double clearance = 0.0; // from the jaw top up to the lowest point the tool reaches
    double aboveJaw = 0.0;
    double belowJaw = 0.0;
    double percentClamped = 0.0;
};

struct ViseInput {
    double height = 0.0; // H
    double sideDepth = 0.0; // D
    double overhang = 0.0; // O
    double depth = 0.0; // T, workpiece front to back
    double jaw = 0.0; // J
    double safety = 0.0; // s
};

// How the workpiece sits on a parallel of `parallel` height and `parallelDepth`.
VisePosition visePosition(const ViseInput& input, double parallel, double parallelDepth);

} // namespace kvt
