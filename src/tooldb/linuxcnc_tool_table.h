#pragma once
// The LinuxCNC tool table (.tbl): one tool a line, words of a letter and a number
// ("T5 P5 Z+50.000 D10.000"), the rest of the line after ";" its remark. Values are in
// the machine's units, which the file does not say: the user chooses them.
//
// Carried: the tool number (T), the length (Z), the diameter (D, twice the radius) and
// the remark (the description). The pocket (P) is the tool number unless the user asks
// for pockets numbered in order; other words (X, Y, I, J, Q ...) are read and ignored.

#include "tooldb/tool_exchange.h"

#include <span>
#include <string_view>

namespace kvt {

ExchangeReadResult parseLinuxCncToolTable(std::string_view text, ExchangeUnit unit);

struct LinuxCncExportOptions {
    ExchangeUnit unit = ExchangeUnit::Millimetre;
    bool pocketIsToolNumber = true; // otherwise pockets 1, 2, 3 ... in tool order
};
ExchangeWriteResult composeLinuxCncToolTable(std::span<const ExportTool> tools, const LinuxCncExportOptions& options);

} // namespace kvt
