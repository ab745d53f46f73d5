#include "tooldb/heidenhain_tool_table.h"

#include "common/code_page.h"
#include "common/number_format.h"
#include "common/text_lines.h"
#include "tooldb/tool_categories.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace kvt {

namespace {

constexpr std::size_t kNameLimit = 32;
constexpr int kDecimals = 4; // the controls take four decimals, in both unit systems

// Columns of a new table, with their widths (the name and at least one blank).
struct NewColumn {
    std::string_view name;
    std::size_t width;
};
constexpr NewColumn kNewColumns[] = {
    {"T", 8},
    {"NAME", 33},
    {"L", 12},
    {"R", 12},
    {"R2", 12},
    {"DL", 9},
    {"DR", 9},
    {"DR2", 9},
    {"CUT", 5},
    {"TYP", 8},
    {"DOC", 33},
    {"T-ANGLE", 10},
};

constexpr ToolTypeMapping kTypes[] = {
    {76050, "MILL"},
    {76051, "MILL"},
    {76052, "MILL"},
    {76053, "MILL"},
    {76054, "MILL"},
    {76055, "MILL"},
    {76056, "MILL"},
    {76062, "MILL"},
    {76063, "MILL"},
    {76064, "MILL"},
    {76065, "MILL"},
    {76066, "MILL"},
    {76067, "MILL"},
    {76068, "MILL"},
    {76069, "MILL"},
    {76074, "MILL"},
    {76057, "DRILL"},
    {76058, "DRILL"},
    {76060, "DRILL"},
    {76059, "CENT"},
    {76061, "TAP"},
    {76070, "TSINK"},
    {76071, "CSINK"},
    {76072, "CSINK"},
    {76073, "REAM"},
};

// Types whose angle-or-radius is a point angle.
bool angleType(std::string_view type)
{
    return type == "DRILL" || type == "CENT" || type == "CSINK";
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string_view cell(std::string_view row, const HeidenhainColumn& column)
{
    if (row.size() <= column.start)
        return {};
    return row.substr(column.start, column.width == 0 ? std::string_view::npos : column.width);
}

// What a BEGIN line says about the table's unit.
enum class BeginLine { NotToolTable, UnknownUnit, Millimetre, Inch };

BeginLine beginLine(std::string_view line)
{
    std::string compact;
    for (char c : line) {
        if (c != ' ' && c != '\t')
            compact += c;
    }
    compact = upper(compact);
    if (!compact.starts_with("BEGINTOOL.T"))
        return BeginLine::NotToolTable;
    const std::string_view unit = std::string_view(compact).substr(11);
    if (unit.empty() || unit == "MM")
        return BeginLine::Millimetre;
    if (unit == "INCH")
        return BeginLine::Inch;
    return BeginLine::UnknownUnit; // a TOOL.T with a unit we do not know
}

std::vector<HeidenhainColumn> columnsOf(std::string_view header)
{
    std::vector<HeidenhainColumn> columns;
    for (std::size_t i = 0; i < header.size();) {
        if (header[i] == ' ' || header[i] == '\t') {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < header.size() && header[end] != ' ' && header[end] != '\t')
            ++end;
        if (!columns.empty())
            columns.back().width = i - columns.back().start;
        columns.push_back({upper(header.substr(i, end - i)), i, 0});
        i = end;
    }
    return columns;
}

const HeidenhainColumn* findColumn(const std::vector<HeidenhainColumn>& columns, std::string_view name)
{
    for (const HeidenhainColumn& column : columns) {
        if (column.name == name)
            return &column;
    }
    return nullptr;
}

// Signed as the controls write their numbers: "+50.0000".
std::string number(float value, double scale)
{
    const std::string text = exchangeNumberText(value, scale, kDecimals, kDecimals);
    return text.starts_with('-') ? text : "+" + text;
}

std::string number(float value, ExchangeUnit unit)
{
    return number(value, lengthScale(unit));
}

// A T cell that holds a plain tool number (not an indexed one).
std::optional<int> wholeNumber(std::string_view text)
{
    const std::optional<double> number = parseExchangeNumber(text);
    if (!number || *number < 0 || *number >= 100000 || std::floor(*number) != *number)
        return std::nullopt;
    return static_cast<int>(*number);
}

} // namespace

std::span<const ToolTypeMapping> heidenhainTypes()
{
    return kTypes;
}

std::string heidenhainToolName(std::u16string_view description, std::size_t width)
{
    std::string name;
    for (char16_t c : description) {
        if (name.size() == width)
            break;
        char a = c < 0x80 ? static_cast<char>(c) : '_';
        if (a >= 'a' && a <= 'z')
            a = static_cast<char>(a - 'a' + 'A');
        const bool allowed = (a >= 'A' && a <= 'Z') || (a >= '0' && a <= '9')
            || std::string_view("#$%&,-._@").find(a) != std::string_view::npos;
        name += allowed ? a : '_';
    }
    return name;
}

HeidenhainReadResult parseHeidenhainToolTable(std::string_view text)
{
    HeidenhainReadResult result;
    ExchangeReadResult& read = result.tools;
    HeidenhainTable& table = result.table;
    auto fail = [&](ExchangeError error, std::size_t line, std::string detail) {
        HeidenhainReadResult refused;
        refused.tools.error = error;
        refused.tools.line = line;
        refused.tools.detail = std::move(detail);
        return refused;
    };
    const std::vector<std::string_view> lines = splitLines(text);
    std::size_t index = 0;
    while (index < lines.size() && trim(lines[index]).empty())
        ++index;
    if (index >= lines.size())
        return fail(ExchangeError::MissingHeader, 0, {});
    const BeginLine begin = beginLine(lines[index]);
    if (begin == BeginLine::NotToolTable)
        return fail(ExchangeError::MissingHeader, index + 1, {});
    if (begin == BeginLine::UnknownUnit)
        return fail(ExchangeError::BadUnit, index + 1, std::string(trim(lines[index])));
    table.unit = begin == BeginLine::Inch ? ExchangeUnit::Inch : ExchangeUnit::Millimetre;
    table.beginLine = std::string(lines[index]);
    ++index;
    if (index >= lines.size() || trim(lines[index]).empty() || trim(lines[index]) == "[END]")
        return fail(ExchangeError::MissingHeader, index + 1, {});
    table.headerLine = std::string(lines[index]);
    table.columns = columnsOf(lines[index]);
    const std::size_t headerLineNumber = index + 1;
    for (std::string_view required : {"T", "NAME", "L", "R"}) {
        if (!findColumn(table.columns, required))
            return fail(ExchangeError::MissingColumn, headerLineNumber, std::string(required));
    }
    const HeidenhainColumn& tColumn = *findColumn(table.columns, "T");
    const HeidenhainColumn& nameColumn = *findColumn(table.columns, "NAME");
    const HeidenhainColumn* docColumn = findColumn(table.columns, "DOC");
    const HeidenhainColumn* typColumn = findColumn(table.columns, "TYP");
    const HeidenhainColumn* cutColumn = findColumn(table.columns, "CUT");
    const HeidenhainColumn* r2Column = findColumn(table.columns, "R2");
    const HeidenhainColumn* angleColumn = findColumn(table.columns, "T-ANGLE");
    const double scale = lengthScale(table.unit);
    bool ended = false;
    for (++index; index < lines.size(); ++index) {
        const std::size_t lineNumber = index + 1;
        const std::string_view row = lines[index];
        if (trim(row).empty())
            continue;
        if (upper(trim(row)) == "[END]") {
            ended = true;
            break;
        }
        if (row.find('\0') != std::string_view::npos)
            return fail(ExchangeError::BadText, lineNumber, {});
        for (std::string_view required : {"T", "L", "R"}) {
            if (row.size() <= findColumn(table.columns, required)->start)
                return fail(ExchangeError::ShortRow, lineNumber, std::string(required));
        }
        ExchangeTool tool;
        tool.line = lineNumber;
        const std::string_view t = trim(cell(row, tColumn));
        const std::optional<double> tValue = parseExchangeNumber(t);
        if (!tValue || *tValue < 0 || *tValue >= 100000)
            return fail(ExchangeError::BadNumber, lineNumber, "T " + std::string(t));
        tool.number = static_cast<int>(std::floor(*tValue));
        tool.indexed = std::floor(*tValue) != *tValue;
        auto readLength = [&](const HeidenhainColumn* column, float& into, ToolField field,
                              float factor) -> std::optional<HeidenhainReadResult> {
            if (!column)
                return std::nullopt;
            const std::string_view value = trim(cell(row, *column));
            double parsed = 0.0;
            if (!value.empty()) {
                const std::optional<double> number = parseExchangeNumber(value);
                if (!number)
                    return fail(ExchangeError::BadNumber, lineNumber, column->name + " " + std::string(value));
                parsed = *number;
            }
            const std::optional<float> stored = exchangeNumberValue(parsed, scale);
            if (!stored)
                return fail(ExchangeError::BadNumber, lineNumber, column->name + " " + std::string(value));
            into = *stored * factor;
            tool.carried |= fieldBit(field);
            return std::nullopt;
        };
        if (auto failed = readLength(findColumn(table.columns, "L"), tool.record.length, ToolField::Length, 1.0f))
            return *failed;
        if (auto failed = readLength(findColumn(table.columns, "R"), tool.record.radius, ToolField::Radius, 1.0f))
            return *failed;
        const std::u16string name = ansiToUtf16(trim(cell(row, nameColumn)));
        const std::u16string doc = docColumn ? ansiToUtf16(trim(cell(row, *docColumn))) : std::u16string();
        setToolText(tool.record, ToolField::Description, doc.empty() ? name : doc);
        tool.carried |= fieldBit(ToolField::Description);
        if (typColumn)
            tool.type = upper(trim(cell(row, *typColumn)));
        if (tool.type.empty())
            tool.type = kHeidenhainFallbackType;
        if (angleType(tool.type)) {
            if (angleColumn) {
                const std::string_view value = trim(cell(row, *angleColumn));
                const std::optional<double> angle = value.empty() ? 0.0 : parseExchangeNumber(value);
                const std::optional<float> stored = angle ? exchangeNumberValue(*angle, 1.0) : std::nullopt;
                if (!stored)
                    return fail(ExchangeError::BadNumber, lineNumber, "T-ANGLE " + std::string(value));
                tool.record.angleOrRadius = *stored;
                tool.carried |= fieldBit(ToolField::AngleOrRadius);
            }
        } else if (auto failed = readLength(r2Column, tool.record.angleOrRadius, ToolField::AngleOrRadius, 1.0f)) {
            return *failed;
        }
        if (cutColumn) {
            const std::string_view value = trim(cell(row, *cutColumn));
            const std::optional<double> teeth = value.empty() ? 0.0 : parseExchangeNumber(value);
            if (!teeth || *teeth < 0 || *teeth > std::numeric_limits<std::uint16_t>::max()
                || std::floor(*teeth) != *teeth)
                return fail(ExchangeError::BadNumber, lineNumber, "CUT " + std::string(value));
            tool.record.teeth = static_cast<std::uint16_t>(*teeth);
            tool.carried |= fieldBit(ToolField::Teeth);
        }
        if (read.tools.size() == kExchangeMaxTools)
            return fail(ExchangeError::TooManyTools, lineNumber, {});
        table.rows.push_back({std::string(row), std::string(t)});
        read.tools.push_back(std::move(tool));
    }
    if (!ended)
        return fail(ExchangeError::MissingEnd, lines.size(), {});
    if (read.tools.empty())
        return fail(ExchangeError::Empty, 0, {});
    read.unit = table.unit;
    return result;
}

ExchangeWriteResult composeHeidenhainToolTable(
    std::span<const ExportTool> tools, ExchangeUnit unit, const HeidenhainTable* existing, const TextLookup& texts)
{
    ExchangeWriteResult result;
    HeidenhainTable table;
    if (existing) {
        table = *existing;
    } else {
        table.unit = unit;
        table.beginLine = unit == ExchangeUnit::Inch ? "BEGIN TOOL.T INCH" : "BEGIN TOOL.T MM";
        std::size_t start = 0;
        for (const NewColumn& column : kNewColumns) {
            table.columns.push_back({std::string(column.name), start, column.width});
            table.headerLine += std::string(column.name) + std::string(column.width - column.name.size(), ' ');
            start += column.width;
        }
        while (table.headerLine.ends_with(' '))
            table.headerLine.pop_back();
        table.columns.back().width = 0;
    }
    const std::size_t rowWidth = table.columns.back().start + std::max<std::size_t>(table.columns.back().width, 16);

    // A cell of a known column; false when the value does not fit.
    auto put = [&](std::string& row, std::string_view name, std::string_view value) {
        const HeidenhainColumn* column = findColumn(table.columns, name);
        if (!column)
            return true;
        if (column->width == 0) {
            // The last column runs to the end of the row: the old value goes as a whole.
            row.resize(column->start, ' ');
            row += value;
            return true;
        }
        if (value.size() + 1 > column->width)
            return false;
        if (row.size() < column->start + column->width)
            row.resize(column->start + column->width, ' ');
        row.replace(column->start, column->width, std::string(value) + std::string(column->width - value.size(), ' '));
        return true;
    };
    auto textWidth = [&](std::string_view name) {
        const HeidenhainColumn* column = findColumn(table.columns, name);
        const std::size_t width = column && column->width > 0 ? column->width - 1 : kNameLimit;
        return std::min(width, kNameLimit);
    };

    std::map<int, std::string> written; // tool number -> row
    for (const ExportTool& tool : tools) {
        std::string row;
        // The row read from the file, so that its foreign cells stay.
        if (existing) {
            for (const HeidenhainRow& old : table.rows) {
                if (wholeNumber(old.number) == tool.number) {
                    row = old.text;
                    break;
                }
            }
        }
        if (row.size() < rowWidth)
            row.resize(rowWidth, ' ');
        const std::string type
            = typeForCategory(kTypes, texts, toolText(tool.record, ToolField::Category), kHeidenhainFallbackType);
        const float values[] = {tool.record.length, tool.record.radius, tool.record.angleOrRadius};
        const ToolField fields[] = {ToolField::Length, ToolField::Radius, ToolField::AngleOrRadius};
        for (std::size_t i = 0; i < 3; ++i) {
            if (!std::isfinite(values[i]))
                return refuseExport({tool.number, ExportNoticeKind::BadNumber, fields[i], 0});
        }
        const std::u16string_view description = toolText(tool.record, ToolField::Description);
        const std::string doc = utf16ToAnsi(description);
        if (ansiToUtf16(doc) != description || !fitsOneLine(description))
            return refuseExport({tool.number, ExportNoticeKind::BadText, ToolField::Description, 0});
        const std::size_t docWidth = textWidth("DOC");
        const std::string name = heidenhainToolName(description, textWidth("NAME"));
        // NAME is an identifier made from the description; DOC carries the description
        // itself, so only a DOC that had to be cut is worth a notice.
        if (doc.size() > docWidth)
            result.notices.push_back({tool.number, ExportNoticeKind::NameCut, ToolField::Description, docWidth});
        bool fits = put(row, "T", std::to_string(tool.number)) && put(row, "NAME", name)
            && put(row, "DOC", doc.substr(0, docWidth)) && put(row, "TYP", type)
            && put(row, "CUT", std::to_string(tool.record.teeth));
        ToolField wide = ToolField::Teeth;
        if (fits && !put(row, "L", number(tool.record.length, table.unit)))
            fits = false, wide = ToolField::Length;
        if (fits && !put(row, "R", number(tool.record.radius, table.unit)))
            fits = false, wide = ToolField::Radius;
        if (fits) {
            const bool angle = angleType(type);
            const std::string value
                = angle ? number(tool.record.angleOrRadius, 1.0) : number(tool.record.angleOrRadius, table.unit);
            if (!put(row, angle ? "T-ANGLE" : "R2", value))
                fits = false, wide = ToolField::AngleOrRadius;
        }
        if (!fits)
            return refuseExport({tool.number, ExportNoticeKind::TooWide, wide, 0});
        while (row.ends_with(' '))
            row.pop_back();
        written[tool.number] = row;
        ++result.toolsWritten;
    }

    // Rows of the old file for tools not exported stay as they were (tool 0, tools above
    // 499, indexed tools and tools this table does not hold), in tool number order.
    std::vector<std::pair<double, std::string>> rows;
    for (const auto& [number, row] : written)
        rows.emplace_back(number, row);
    if (existing) {
        for (const HeidenhainRow& old : table.rows) {
            const std::optional<int> whole = wholeNumber(old.number);
            if (!whole || !written.count(*whole)) {
                const std::optional<double> number = parseExchangeNumber(old.number);
                rows.emplace_back(number.value_or(std::numeric_limits<double>::max()), old.text);
                ++result.keptRows;
            }
        }
    }
    // A new table starts with tool 0, the control's "no tool" of length and radius 0.
    if (!existing) {
        std::string zero;
        put(zero, "T", "0");
        put(zero, "L", number(0.0f, table.unit));
        put(zero, "R", number(0.0f, table.unit));
        while (zero.ends_with(' '))
            zero.pop_back();
        rows.emplace_back(0, zero);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    result.bytes = table.beginLine + "\r\n" + table.headerLine + "\r\n";
    for (const auto& [number, row] : rows)
        result.bytes += row + "\r\n";
    result.bytes += "[END]\r\n";
    return result;
}

} // namespace kvt
