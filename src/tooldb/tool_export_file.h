#pragma once
// The export file of a tool table (extension "kvwz"): UTF-16 little endian without a
// byte-order mark, one line per tool that has NC data, in slot order. A line is the 22
// fields in the order of ToolField joined by " | ", then ";" and a bare line feed;
// texts as stored, the two integers with "%i", the floats with "%3f". A line holds at
// most 1024 units with its line feed.
//
// The file is how a table moves to another machine and how it is backed up, so an
// export followed by an import gives back every field of every tool (only the gaps
// between tools close up). A float that six decimals cannot carry exactly is written
// with as many more decimals as it needs; any reader of the format takes those too.
//
// An import reads and checks the whole file before it touches the table: a damaged or
// hostile file is refused with the line and field at fault, and the table stays as it
// was.

#include "tooldb/tool_record.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct MachineRecord;
class TextLookup;

inline constexpr std::string_view kToolExportExtension = "kvwz";
inline constexpr std::u16string_view kToolFieldSeparator = u" | ";
inline constexpr std::size_t kToolExportLineUnits = 1024; // line feed included
inline constexpr std::size_t kToolImportLineLimit = 499; // tool lines read; the rest is ignored
// No export of 499 tools comes near this; a bigger file is not a tool table.
inline constexpr std::size_t kToolImportMaxBytes = 8 * 1024 * 1024;

enum class ToolExportError {
    None,
    BadText, // a text field cannot be written into the format (see toolTextProblem)
    BadNumber, // a float field holds no number (NaN or infinite)
    LineTooLong, // the tool's line would exceed 1024 units
    CannotWrite, // the file could not be created or written
};

struct ToolExportResult {
    ToolExportError error = ToolExportError::None;
    int toolNumber = 0; // the tool at fault (BadText, BadNumber, LineTooLong)
    ToolField field = ToolField::NcData;
    ToolTextProblem textProblem = ToolTextProblem::None;
    std::string reason; // CannotWrite: what the system said
    std::size_t toolsWritten = 0;
    bool ok() const { return error == ToolExportError::None; }
};

// The export text of the machine's table. On a refusal `text` is left empty.
ToolExportResult composeToolExport(const MachineRecord& machine, std::u16string& text);
// The line of one record with its ";" and line feed, or the reason it cannot be written
// (toolNumber is left 0).
ToolExportResult composeToolLine(const ToolRecord& record, std::u16string& line);

// Writes the export file, replacing it as a whole or not at all. A refused table
// writes nothing.
ToolExportResult exportToolTable(const MachineRecord& machine, const std::filesystem::path& path);

// The message for a failed export, naming the path; empty on success.
std::string toolExportMessage(
    const TextLookup& texts, const ToolExportResult& result, const std::filesystem::path& path);

enum class ToolImportError {
    None,
    CannotOpen, // missing or unreadable
    TooLarge, // more than kToolImportMaxBytes
    OddByteCount, // not UTF-16: a byte is missing or added
    NoTools, // no tool line at all (an empty or blank file)
    LineTooLong, // more than 1023 units before the line feed
    MissingLineEnd, // the line does not end with ";"
    FieldCount, // not 22 fields
    BadText, // a zero character or half a surrogate pair in a text
    BadNumber, // a numeric field that is not a plain decimal number
    NumberOutOfRange, // a number too big for its field
};

struct ToolImportResult {
    ToolImportError error = ToolImportError::None;
    std::size_t line = 0; // line of the file at fault, from 1
    ToolField field = ToolField::NcData; // BadText, BadNumber, NumberOutOfRange
    std::size_t fieldCount = 0; // FieldCount: how many the line had
    std::string reason; // CannotOpen: what the system said
    std::vector<ToolRecord> records; // the tools in file order, at most 499; empty on an error
    std::size_t ignoredLines = 0; // tool lines after the 499th, not read
    std::size_t cutTexts = 0; // texts longer than their field, cut to fit
    bool ok() const { return error == ToolImportError::None; }
};

// Reads an export file's bytes. A byte-order mark at the start is dropped; blank lines
// and a carriage return before a line feed are tolerated.
ToolImportResult parseToolExport(std::string_view bytes);
ToolImportResult readToolExportFile(const std::filesystem::path& path);

// Reads and checks the whole file; only when all of it is sound are tools 1 to 499 of
// the machine replaced by the file's tools. On an error the machine is not touched.
ToolImportResult importToolTable(MachineRecord& machine, const std::filesystem::path& path);

// The message for a refused import (naming the path, the line and the field, and that
// the table was not changed), or the notice about ignored lines and cut texts after a
// successful one; empty when there is nothing to say.
std::string toolImportMessage(
    const TextLookup& texts, const ToolImportResult& result, const std::filesystem::path& path);

} // namespace kvt
