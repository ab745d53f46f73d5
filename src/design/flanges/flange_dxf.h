#pragma once
// The flange's hole pattern as a DXF drawing: the export copy in the file's unit, the
// drawing origin of the zero-point mode and the entities of each flange kind.

#include "design/flanges/flange.h"

#include <string>

namespace kvt {

inline constexpr int kDxfUnitMillimetre = 0;
inline constexpr int kDxfUnitInch = 1;

// A length in the unit of the DXF file: unchanged for millimetres; for inches divided by
// 25.400051 and rounded to 5 decimals as every inch value of the program is.
float dxfLength(float millimetres, int unitFlag);

// Copies the geometry and the zero point into the export fields in the file's unit;
// counts and angles are copied as they are.
void makeExportCopy(FlangeData& data, int unitFlag);

// The drawing origin of the export copy: (0, 0), the zero point, or the corner that puts
// the opposite corner of a square flange at (0, 0).
FlangePoint dxfOrigin(const FlangeData& data);

// The whole DXF text of the export copy: header, flange outline, centring collar,
// holes and counterbores (LK1 before LK2, in point-list order), trailer.
std::string WriteDxf(const FlangeData& data, int versionCode, int unitFlag);

} // namespace kvt
