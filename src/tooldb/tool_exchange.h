#pragma once
// Tool tables exchanged with machine controls and CAM systems: a LinuxCNC tool table, a
// Heidenhain TOOL.T, a Fusion 360 / HSM tool library (JSON, plain or zipped) and a
// FreeCAD tool library with its tool bits. Each format carries a few fields of the tool
// record; docs/tool-table-exchange.md lists which. This header holds what all four
// share: the tool as a file carries it, the numbers in the file's units, the tool types,
// and the import plan the user sees before anything changes.
//
// An import never clears the table: each tool of the file goes to its own number, as a
// new tool or replacing the one there, and only the fields the format carries are
// written; the rest of a replaced tool (maker, pictures, dates, tolerances) stays.

#include "tooldb/tool_record.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

struct MachineRecord;
class TextLookup;

enum class ToolExchangeFormat : int {
    LinuxCnc, // .tbl
    Heidenhain, // TOOL.T
    FusionJson, // .json
    FusionZipped, // .tools: the same JSON in a zip file
    FreeCad, // .fctl library with one .fctb file per tool
};
inline constexpr int kToolExchangeFormatCount = 5;

enum class ExchangeUnit { Millimetre, Inch };

// Other programs mean the exact inch; the program's own display factor (25.400051) is
// for its stored values only and would put 2 ppm into every exchanged length.
inline constexpr double kExchangeMillimetresPerInch = 25.4;
inline constexpr double kExchangeMetresPerFoot = 0.3048;
// No machine holds more tools than this; a bigger file is not a tool table.
inline constexpr std::size_t kExchangeMaxTools = 1000;
inline constexpr std::size_t kExchangeMaxBytes = 8 * 1024 * 1024;

// Bits of ExchangeTool::carried, one per ToolField.
constexpr std::uint32_t fieldBit(ToolField field)
{
    return std::uint32_t {1} << static_cast<int>(field);
}

// One tool as a file holds it, converted to the record's units (mm, m/min).
struct ExchangeTool {
    int number = 0; // as the file says; may lie outside 1 to 499
    std::size_t line = 0; // where the tool starts in the file, for messages
    ToolRecord record {}; // the carried fields; the rest is zero
    std::uint32_t carried = 0; // fieldBit()s of the fields the file gave
    std::string type; // the format's tool type, as written ("flat end mill", "MILL", "endmill.fcstd")
    bool notATool = false; // an entry the format lists that is no tool (a holder, a probe)
    bool indexed = false; // a TOOL.T row of an indexed tool ("5.1"), which has no number of its own
};

// What went wrong with a file; the line and the detail go into the message.
enum class ExchangeError {
    None,
    CannotOpen,
    TooLarge,
    Empty,
    MissingHeader, // TOOL.T: no BEGIN line or no column header; JSON: no "data"/"tools"
    MissingColumn, // TOOL.T: a column the tools need (detail names it)
    MissingEnd, // TOOL.T: no [END] line (a transfer cut short)
    ShortRow, // a row that ends before a column it needs
    BadNumber, // a value that is not a number (detail names the field)
    BadWord, // LinuxCNC: a word that is neither a letter with a number nor a comment
    BadUnit, // a unit the format does not know
    BadText, // not valid text in the file's encoding
    BadJson, // detail says why
    BadZip, // detail says why
    TooManyTools, // more than kExchangeMaxTools
    MissingBit, // FreeCAD: a tool bit file the library names cannot be read
};

struct ExchangeReadResult {
    ExchangeError error = ExchangeError::None;
    std::size_t line = 0; // of the fault, from 1; 0 when the file as a whole is at fault
    std::string detail; // a field or column name, or a reason from the JSON or zip reader
    std::string file; // FreeCAD: the tool bit file at fault
    ExchangeUnit unit = ExchangeUnit::Millimetre;
    std::vector<ExchangeTool> tools;
    bool ok() const { return error == ExchangeError::None; }
};

// Numbers in a file.
//
// A decimal number as the formats write it: optional sign, digits, one point or comma
// and digits. No exponent, no blanks inside. None for anything else.
std::optional<double> parseExchangeNumber(std::string_view text);
// The stored value `value` (record units) as a file value: divided by `scale` (record
// units per file unit) and written with at least `minDecimals` and as many more (up to
// `maxDecimals`) as it takes for the import to give back exactly `value`.
std::string exchangeNumberText(float value, double scale, int minDecimals, int maxDecimals = 17);
// A file value back in record units; none when it does not fit a float.
std::optional<float> exchangeNumberValue(double fileValue, double scale);
double lengthScale(ExchangeUnit unit); // mm per file length unit
double speedScale(ExchangeUnit unit); // m/min per file cutting-speed unit

// A text that a line-based file can hold: no line break, no zero character, no half of
// a character.
bool fitsOneLine(std::u16string_view text);

// Tool types: the category of a tool in the record against a format's type. Each format
// has a table of (category, type) pairs in the order of preference.
struct ToolTypeMapping {
    int categoryId; // of tool_categories
    std::string_view type;
};
// The format's type for a category text; `fallback` when the text is no known category.
// A category holding one of the format's own types (kept from an earlier import) gives
// that type back.
std::string typeForCategory(std::span<const ToolTypeMapping> table, const TextLookup& texts,
    std::u16string_view category, std::string_view fallback);
// The category text for a format type: the existing tool's category when it stands for
// the same type (so that an import changes no category it need not), the category the
// table gives first for the type, or the type itself when the table has none.
std::u16string categoryForType(std::span<const ToolTypeMapping> table, const TextLookup& texts, std::string_view type,
    std::u16string_view existingCategory, std::string_view fallback);

// The import plan: what each tool of the file would do to the table.
enum class ImportAction { New, Replace, Skip };
enum class ImportSkipReason {
    None,
    NumberOutOfRange, // not a tool number of the table (1 to 499)
    ReservedNumber, // tool 0, the control's "no tool"
    Duplicate, // the number came earlier in the file
    BadText, // a text the table cannot hold (a line break, " | ")
    NotATool, // a holder or a probe
    Indexed, // TOOL.T: an indexed tool
};

struct ImportPlanLine {
    int number = 0;
    std::string name; // UTF-8, as the file names the tool
    float diameter = 0.0f; // mm
    bool hasDiameter = false;
    ImportAction action = ImportAction::Skip;
    ImportSkipReason reason = ImportSkipReason::None;
    std::string replacedName; // Replace: the description of the tool it replaces
    ToolRecord result {}; // New and Replace: the record the tool gets
};

struct ImportPlan {
    std::vector<ImportPlanLine> lines; // in file order
    std::size_t newTools = 0;
    std::size_t replacedTools = 0;
    std::size_t skippedTools = 0;
};

// The plan for a file's tools against the machine's table. `today` goes into the date
// of last change of every tool that is written, so that the window shows it as present;
// a new tool without NC data in the file gets "T" and its number.
ImportPlan planToolImport(const MachineRecord& machine, std::span<const ExchangeTool> tools,
    std::span<const ToolTypeMapping> types, std::string_view fallbackType, const TextLookup& texts,
    std::u16string_view today);
// Writes the plan's new and replaced tools; returns their numbers.
std::vector<int> applyToolImport(MachineRecord& machine, const ImportPlan& plan);

// The tools an export writes: every tool with NC data or counted as present, in order.
struct ExportTool {
    int number;
    ToolRecord record;
};
std::vector<ExportTool> toolsToExport(const MachineRecord& machine);

// A tool the export had to change or refuse, for the message after it.
enum class ExportNoticeKind {
    NameCut, // the name was longer than the format allows
    BadNumber, // refused: a value is no number (NaN or infinite)
    BadText, // refused: a text the format cannot hold
    TooWide, // refused: a value does not fit its column
};
struct ExportNotice {
    int number = 0;
    ExportNoticeKind kind = ExportNoticeKind::NameCut;
    ToolField field = ToolField::Description;
    std::size_t limit = 0; // NameCut: characters the format allows
    bool refuses() const { return kind != ExportNoticeKind::NameCut; }
};

// What an export composes: the file's bytes (and for FreeCAD the tool files beside it),
// or the refusal of the table with the tool at fault.
struct ExchangeFile {
    std::string name; // a plain file name, no folder
    std::string bytes;
};
struct ExchangeWriteResult {
    bool ok = true;
    std::string bytes;
    std::vector<ExchangeFile> sideFiles;
    std::vector<ExportNotice> notices; // names cut or changed; on a refusal the reason
    std::size_t toolsWritten = 0;
    std::size_t keptRows = 0; // TOOL.T written back: rows of the old file kept as they were
};

// A refused export naming the tool and field at fault.
ExchangeWriteResult refuseExport(const ExportNotice& notice);

// Texts for the user.
std::string formatName(const TextLookup& texts, ToolExchangeFormat format);
std::string importActionText(const TextLookup& texts, const ImportPlanLine& line);
// One line of the import preview: number, name, diameter in the display unit system
// ("---" when the file gives none), action.
struct ImportPreviewRow {
    std::string number;
    std::string name;
    std::string diameter;
    std::string action;
};
std::vector<ImportPreviewRow> importPreviewRows(const TextLookup& texts, const ImportPlan& plan, int unitSystem);
// "3 neu, 2 ersetzt, 1 übersprungen" with the question whether to go on.
std::string importPreviewSummary(const TextLookup& texts, const ImportPlan& plan);
std::string exchangeReadMessage(
    const TextLookup& texts, ToolExchangeFormat format, const ExchangeReadResult& result, const std::string& path);
std::string exportNoticeText(const TextLookup& texts, const ExportNotice& notice);

} // namespace kvt
