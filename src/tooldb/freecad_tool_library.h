#pragma once
// FreeCAD's tool library: a library file (.fctl, JSON {"version": 1, "tools": [{"nr": n,
// "path": "bit.fctb"}]}) that numbers tool bits, each in a file of its own (.fctb, JSON
// with "name", "shape" and "parameter" / "attribute" values written as quantities with
// their unit, "6.000 mm").
//
// Carried: nr (the tool number), name (the description), shape (the category), Diameter
// (twice the radius), Length, Flutes (teeth), CornerRadius or, for drills, chamfer mills
// and V-bits, TipAngle / CuttingEdgeAngle as the angle or radius, and the attributes
// Chipload (feed per tooth), SurfaceSpeed (cutting speed) and FeedPerRevolution.
// Exported bits are written in millimetres beside the library, named after the tool.

#include "tooldb/tool_exchange.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct FreeCadLibraryEntry {
    int number = 0;
    std::string path; // as the library names it
};

struct FreeCadLibrary {
    ExchangeReadResult status; // tools stay empty: they come from the bits
    std::vector<FreeCadLibraryEntry> entries;
};

FreeCadLibrary parseFreeCadLibrary(std::string_view json);
// One tool bit, numbered by the library.
ExchangeReadResult parseFreeCadBit(std::string_view json, int number);

std::span<const ToolTypeMapping> freeCadShapes();
inline constexpr std::string_view kFreeCadFallbackShape = "endmill.fcstd";

// The library as `bytes`, the bits as side files.
ExchangeWriteResult composeFreeCadLibrary(std::span<const ExportTool> tools, const TextLookup& texts);

// The file name of an exported bit: "T007_" and the description in letters, digits,
// '-' and '_' (anything else, path separators and quotes included, becomes '_').
std::string freeCadBitFileName(int number, std::u16string_view description);

// Whether a library's path may be followed: relative, no "..", ending in ".fctb".
bool safeFreeCadBitPath(std::string_view path);

} // namespace kvt
