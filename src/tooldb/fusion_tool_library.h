#pragma once
// The tool library of Fusion 360 and the HSM CAM systems: JSON of the form
// {"data": [tool, ...], "version": n}, plain (.json) or as the one file of a zip (.tools).
// Each tool states its own unit ("millimeters" or "inches"); in inches, lengths and feeds
// are inches and the cutting speed is feet per minute.
//
// Carried: post-process number (the tool number) and comment (the NC data),
// description, type (the category), vendor (maker), product-id (order number), geometry
// DC (twice the radius), OAL (length), NOF (teeth), RE (corner radius) or SIG / TA
// (point or taper angle) as the angle or radius, and of the first start-value preset
// v_c, f_z, f_n, n and v_f. Holders in the library are listed and skipped.

#include "tooldb/tool_exchange.h"

#include <span>
#include <string_view>

namespace kvt {

ExchangeReadResult parseFusionToolLibrary(std::string_view json);

std::span<const ToolTypeMapping> fusionTypes();
inline constexpr std::string_view kFusionFallbackType = "flat end mill";

ExchangeWriteResult composeFusionToolLibrary(
    std::span<const ExportTool> tools, ExchangeUnit unit, const TextLookup& texts);

// The JSON file inside a zipped library, and its name when we write one.
inline constexpr std::string_view kFusionZipEntry = "tools.json";

} // namespace kvt
