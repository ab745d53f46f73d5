#pragma once
// Cutting to an exact length: the axis coordinate to put the tool at so that the part
// comes off at the wanted length, parting off on the lathe or cutting off with an end
// mill from either side, with the axis origin left or right of the part and side B
// raw or already finished. All lengths in millimetres.

#include <optional>

namespace kvt {

// The numbers are the ones the stored block and the report use.
enum class CutOperation : int { LatheParting = 1, MillFromLeft = 2, MillFromRight = 3 };
enum class AxisOrigin : int { Left = 1, Right = 2 };
enum class SideB : int { Raw = 1, Usable = 2 };

struct CutOffResult {
    float coordinate = 0; // X
    std::optional<float> roughingCoordinate; // X', X moved by the finishing allowance; not on the lathe
    float infeed = 0; // the parting tool's width on the lathe, C - A when milling
};

// A: wanted length, C: raw length (milling), B: coordinate of the start point (the edge
// of side B), W: tool diameter or parting tool width, U: finishing allowance.
// Nothing when W is 0.
std::optional<CutOffResult> CutOffCoordinate(CutOperation operation, AxisOrigin origin, SideB side, float wanted,
    float raw, float start, float tool, float allowance);

} // namespace kvt
