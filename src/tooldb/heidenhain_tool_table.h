#pragma once
// The Heidenhain tool table TOOL.T: a line "BEGIN TOOL.T MM" (or INCH), a header line
// whose column names stand where their columns start (a column runs to the start of the
// next), one fixed-width row per tool, and "[END]". Text is Windows-1252; a number may
// carry a point or a comma.
//
// Carried: T (the number), DOC (the description; NAME when DOC is empty), L (length),
// R (radius), R2 (corner radius) or T-ANGLE (point angle of drills, centring drills and
// countersinks) as the angle or radius, CUT (teeth) and TYP (the category). NAME is
// written from the description in the characters a control accepts for tool names.
//
// A table is written back into the file it came from: the file's columns, unit and rows
// stay, the rows of the exported tools get their carried cells rewritten, and every
// column the program does not know keeps its value.

#include "tooldb/tool_exchange.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct HeidenhainColumn {
    std::string name;
    std::size_t start = 0;
    std::size_t width = 0; // 0 for the last column: to the end of the row
};

struct HeidenhainRow {
    std::string text; // the row as it stands, Windows-1252
    std::string number; // the T cell, trimmed
};

struct HeidenhainTable {
    ExchangeUnit unit = ExchangeUnit::Millimetre;
    std::string beginLine;
    std::string headerLine;
    std::vector<HeidenhainColumn> columns;
    std::vector<HeidenhainRow> rows;
};

struct HeidenhainReadResult {
    ExchangeReadResult tools;
    HeidenhainTable table;
};

HeidenhainReadResult parseHeidenhainToolTable(std::string_view text);

std::span<const ToolTypeMapping> heidenhainTypes();
inline constexpr std::string_view kHeidenhainFallbackType = "MILL";

// `existing` is the table of the file being replaced, when it was readable; its layout,
// unit and foreign rows are kept. Without one a table with the columns below is written
// in `unit`.
ExchangeWriteResult composeHeidenhainToolTable(
    std::span<const ExportTool> tools, ExchangeUnit unit, const HeidenhainTable* existing, const TextLookup& texts);

// The characters a control accepts in a tool name; others become '_', letters are
// written as capitals.
std::string heidenhainToolName(std::u16string_view description, std::size_t width);

} // namespace kvt
