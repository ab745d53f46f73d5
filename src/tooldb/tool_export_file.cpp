#include "tooldb/tool_export_file.h"

#include "common/atomic_file.h"
#include "common/code_page.h"
#include "common/field_validation.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "options/options_record.h"
#include "tooldb/tool_table.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>

namespace kvt {

namespace {

constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr std::size_t kLineContentLimit = kToolExportLineUnits - 1; // the line feed takes the last unit
// Enough decimals to write any float exactly, the smallest subnormal included.
constexpr int kMostDecimals = 150;

template<typename T> T numberAt(const ToolRecord& record, std::size_t offset)
{
    T value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(&record) + offset, sizeof value);
    return value;
}

template<typename T> void setNumberAt(ToolRecord& record, std::size_t offset, T value)
{
    std::memcpy(reinterpret_cast<unsigned char*>(&record) + offset, &value, sizeof value);
}

std::u16string ascii(std::string_view text)
{
    return std::u16string(text.begin(), text.end());
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A plain decimal number as the export writes it: an optional sign, digits, and for a
// float an optional point with more digits. No exponent, no "inf", no "nan", no comma.
bool isPlainNumber(std::string_view text, bool allowPoint)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (allowPoint && i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    return digits > 0 && i == text.size();
}

// The float the import makes of a number text: the conversion is the same on both
// sides, so that the export can check that what it writes comes back.
std::optional<float> floatFromText(std::string_view text)
{
    const double value = leadingDouble(text);
    if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(value);
}

// "%3f", or more decimals when six do not give the same float back. A zero of either
// sign is written "0.000000".
std::optional<std::string> floatText(float value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    std::string text = cformat("%3f", value);
    for (int decimals = 7; floatFromText(text) != value && decimals <= kMostDecimals; ++decimals)
        text = cformat(cformat("%%.%if", decimals), value);
    return text;
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A numeric field as ASCII, none when it holds anything else.
std::optional<std::string> asciiField(std::u16string_view field)
{
    std::string text;
    text.reserve(field.size());
    for (char16_t c : field) {
        if (c >= 0x80)
            return std::nullopt;
        text += static_cast<char>(c);
    }
    return text;
}

std::string encodeUtf16Le(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::u16string decodeUtf16Le(std::string_view bytes)
{
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto low = static_cast<unsigned char>(bytes[2 * i]);
        const auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = static_cast<char16_t>(low | (high << 8));
    }
    return text;
}

// One line's content without its line end. Fills `record` or says what is wrong.
ToolImportResult parseToolLine(std::u16string_view content, ToolRecord& record)
{
    ToolImportResult result;
    if (content.empty() || content.back() != u';') {
        result.error = ToolImportError::MissingLineEnd;
        return result;
    }
    content.remove_suffix(1);

    // No text can hold the separator or end in " |", so the first separator always ends
    // the field in front of it.
    std::vector<std::u16string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t at = content.find(kToolFieldSeparator, start);
        if (at == std::u16string_view::npos) {
            fields.push_back(content.substr(start));
            break;
        }
        fields.push_back(content.substr(start, at - start));
        start = at + kToolFieldSeparator.size();
    }
    if (fields.size() != kToolFieldCount) {
        result.error = ToolImportError::FieldCount;
        result.fieldCount = fields.size();
        return result;
    }

    record = ToolRecord {};
    for (const ToolFieldInfo& info : toolFields()) {
        const std::u16string_view field = fields[static_cast<std::size_t>(info.field)];
        result.field = info.field;
        if (info.kind == ToolFieldKind::Text) {
            if (toolTextProblem(field) != ToolTextProblem::None) {
                result.error = ToolImportError::BadText;
                return result;
            }
            if (!setToolText(record, info.field, field))
                ++result.cutTexts;
            continue;
        }
        const std::optional<std::string> ascii = asciiField(field);
        const std::string_view number = ascii ? trimBlanks(*ascii) : std::string_view();
        if (!ascii || !isPlainNumber(number, info.kind == ToolFieldKind::Float)) {
            result.error = ToolImportError::BadNumber;
            return result;
        }
        if (info.kind == ToolFieldKind::Float) {
            const std::optional<float> value = floatFromText(number);
            if (!value) {
                result.error = ToolImportError::NumberOutOfRange;
                return result;
            }
            setNumberAt(record, info.offset, *value);
            continue;
        }
        // Integers: the value saturates far outside either field's range, so a long run
        // of digits is refused rather than wrapped.
        std::int64_t value = 0;
        for (char c : number) {
            if (isDigit(c))
                value = std::min<std::int64_t>(value * 10 + (c - '0'), std::int64_t {1} << 40);
        }
        if (number.front() == '-')
            value = -value;
        const bool fits = info.kind == ToolFieldKind::UnsignedShort
            ? value >= 0 && value <= std::numeric_limits<std::uint16_t>::max()
            : value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
        if (!fits) {
            result.error = ToolImportError::NumberOutOfRange;
            return result;
        }
        if (info.kind == ToolFieldKind::UnsignedShort)
            setNumberAt(record, info.offset, static_cast<std::uint16_t>(value));
        else
            setNumberAt(record, info.offset, static_cast<std::int32_t>(value));
    }
    return result;
}

std::string lineText(const TextLookup& texts, int id, std::string_view builtin, std::size_t line)
{
    return cformat(texts.text(id, builtin), line);
}

std::string fieldText(const TextLookup& texts, int id, std::string_view builtin, std::size_t line, ToolField field)
{
    return cformat(texts.text(id, builtin), line, toolFieldLabel(texts, field));
}

} // namespace

ToolExportResult composeToolLine(const ToolRecord& record, std::u16string& line)
{
    ToolExportResult result;
    std::u16string out;
    for (const ToolFieldInfo& info : toolFields()) {
        if (info.field != ToolField::NcData)
            out += kToolFieldSeparator;
        result.field = info.field;
        switch (info.kind) {
        case ToolFieldKind::Text: {
            const std::u16string_view text = toolText(record, info.field);
            result.textProblem = toolTextProblem(text);
            if (result.textProblem != ToolTextProblem::None) {
                result.error = ToolExportError::BadText;
                return result;
            }
            out += text;
            break;
        }
        case ToolFieldKind::Integer:
            out += ascii(cformat("%i", numberAt<std::int32_t>(record, info.offset)));
            break;
        case ToolFieldKind::UnsignedShort:
            out += ascii(cformat("%i", numberAt<std::uint16_t>(record, info.offset)));
            break;
        case ToolFieldKind::Float: {
            const std::optional<std::string> text = floatText(numberAt<float>(record, info.offset));
            if (!text) {
                result.error = ToolExportError::BadNumber;
                return result;
            }
            out += ascii(*text);
            break;
        }
        }
    }
    out += u";\n";
    if (out.size() > kToolExportLineUnits) {
        result.error = ToolExportError::LineTooLong;
        result.field = ToolField::NcData; // the line as a whole
        return result;
    }
    result.field = ToolField::NcData;
    line = std::move(out);
    return result;
}

ToolExportResult composeToolExport(const MachineRecord& machine, std::u16string& text)
{
    text.clear();
    std::u16string out;
    std::size_t written = 0;
    // All 500 slots are scanned; the last never has NC data.
    for (std::size_t slot = 0; slot < kToolTableSlotCount; ++slot) {
        const ToolRecord record = loadTool(machine, slot);
        if (!hasNcData(record))
            continue;
        std::u16string line;
        ToolExportResult refused = composeToolLine(record, line);
        if (!refused.ok()) {
            refused.toolNumber = static_cast<int>(slot) + 1;
            return refused;
        }
        out += line;
        ++written;
    }
    ToolExportResult result;
    result.toolsWritten = written;
    text = std::move(out);
    return result;
}

ToolExportResult exportToolTable(const MachineRecord& machine, const std::filesystem::path& path)
{
    std::u16string text;
    ToolExportResult result = composeToolExport(machine, text);
    if (!result.ok())
        return result;
    if (!writeFileAtomically(path, encodeUtf16Le(text), &result.reason)) {
        result.error = ToolExportError::CannotWrite;
        result.toolsWritten = 0;
    }
    return result;
}

std::string toolExportMessage(
    const TextLookup& texts, const ToolExportResult& result, const std::filesystem::path& path)
{
    std::string detail;
    switch (result.error) {
    case ToolExportError::None:
        return {};
    case ToolExportError::BadText:
        detail = cformat(texts.text(76120, "*Werkzeug %s:"), toolNumberText(result.toolNumber)) + " "
            + toolTextProblemMessage(texts, result.field, result.textProblem);
        break;
    case ToolExportError::BadNumber:
        detail = cformat(texts.text(76121, "*Werkzeug %s, Feld \"%s\": der Wert ist keine Zahl."),
            toolNumberText(result.toolNumber), toolFieldLabel(texts, result.field));
        break;
    case ToolExportError::LineTooLong:
        detail = cformat(texts.text(76122, "*Werkzeug %s: die Zeile wäre länger als 1024 Zeichen."),
            toolNumberText(result.toolNumber));
        break;
    case ToolExportError::CannotWrite:
        detail = texts.text(76123, "*Die Datei kann nicht geschrieben werden.");
        if (!result.reason.empty())
            detail += " (" + result.reason + ")";
        break;
    }
    return texts.text(76110, "*Die Werkzeugtabelle konnte nicht exportiert werden:") + "\n" + pathToUtf8(path) + "\n\n"
        + detail + "\n\n" + texts.text(76111, "*Es wurde keine Datei geschrieben.");
}

ToolImportResult parseToolExport(std::string_view bytes)
{
    ToolImportResult result;
    if (bytes.size() > kToolImportMaxBytes) {
        result.error = ToolImportError::TooLarge;
        return result;
    }
    if (bytes.size() % 2 != 0) {
        result.error = ToolImportError::OddByteCount;
        return result;
    }
    const std::u16string units = decodeUtf16Le(bytes);
    std::size_t position = !units.empty() && units.front() == kByteOrderMark ? 1 : 0;
    std::vector<ToolRecord> records;
    std::size_t cutTexts = 0;
    std::size_t ignoredLines = 0;
    for (std::size_t lineNumber = 1; position < units.size(); ++lineNumber) {
        std::size_t end = units.find(u'\n', position);
        if (end == std::u16string::npos)
            end = units.size();
        std::u16string_view content(units.data() + position, end - position);
        position = end + 1;
        // A carriage return before the line feed is what an editor may have added.
        if (!content.empty() && content.back() == u'\r')
            content.remove_suffix(1);
        const std::size_t length = content.size();
        while (!content.empty() && (content.back() == u' ' || content.back() == u'\t'))
            content.remove_suffix(1);
        if (content.empty())
            continue;
        if (records.size() == kToolImportLineLimit) {
            ++ignoredLines;
            continue;
        }
        if (length > kLineContentLimit) {
            result.error = ToolImportError::LineTooLong;
            result.line = lineNumber;
            return result;
        }
        ToolRecord record;
        ToolImportResult line = parseToolLine(content, record);
        if (!line.ok()) {
            line.line = lineNumber;
            return line;
        }
        cutTexts += line.cutTexts;
        records.push_back(record);
    }
    if (records.empty()) {
        result.error = ToolImportError::NoTools;
        return result;
    }
    result.records = std::move(records);
    result.cutTexts = cutTexts;
    result.ignoredLines = ignoredLines;
    return result;
}

ToolImportResult readToolExportFile(const std::filesystem::path& path)
{
    ToolImportResult result;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        result.error = ToolImportError::CannotOpen;
        result.reason = std::strerror(errno ? errno : ENOENT);
        return result;
    }
    std::string bytes;
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(file.gcount()));
        if (bytes.size() > kToolImportMaxBytes) {
            result.error = ToolImportError::TooLarge;
            return result;
        }
    }
    if (file.bad()) {
        result.error = ToolImportError::CannotOpen;
        result.reason = std::strerror(errno ? errno : EIO);
        return result;
    }
    return parseToolExport(bytes);
}

ToolImportResult importToolTable(MachineRecord& machine, const std::filesystem::path& path)
{
    ToolImportResult result = readToolExportFile(path);
    if (result.ok())
        replaceToolTable(machine, result.records);
    return result;
}

std::string toolImportMessage(
    const TextLookup& texts, const ToolImportResult& result, const std::filesystem::path& path)
{
    std::string detail;
    switch (result.error) {
    case ToolImportError::None: {
        std::string notice;
        if (result.ignoredLines > 0)
            notice += cformat(
                texts.text(76140, "*Die Datei enthält mehr als 499 Werkzeuge: %i Zeilen wurden nicht gelesen."),
                result.ignoredLines);
        if (result.cutTexts > 0) {
            if (!notice.empty())
                notice += "\n";
            notice += cformat(
                texts.text(76141, "*%i Texte waren länger als ihr Feld und wurden gekürzt."), result.cutTexts);
        }
        if (notice.empty())
            return {};
        return cformat(texts.text(76142, "*%i Werkzeuge wurden importiert aus:"), result.records.size()) + "\n"
            + pathToUtf8(path) + "\n\n" + notice;
    }
    case ToolImportError::CannotOpen:
        detail = texts.text(76131, "*Die Datei kann nicht geöffnet werden.");
        if (!result.reason.empty())
            detail += " (" + result.reason + ")";
        break;
    case ToolImportError::TooLarge:
        detail = texts.text(76132, "*Die Datei ist zu groß für eine Werkzeugtabelle.");
        break;
    case ToolImportError::OddByteCount:
        detail = texts.text(76133, "*Die Datei ist unvollständig oder keine UTF-16-Textdatei (ungerade Anzahl Bytes).");
        break;
    case ToolImportError::NoTools:
        detail = texts.text(76134, "*Die Datei enthält kein Werkzeug.");
        break;
    case ToolImportError::LineTooLong:
        detail = lineText(texts, 76135, "*Zeile %i ist länger als 1023 Zeichen.", result.line);
        break;
    case ToolImportError::MissingLineEnd:
        detail = lineText(texts, 76136, "*Zeile %i endet nicht mit \";\".", result.line);
        break;
    case ToolImportError::FieldCount:
        detail = cformat(texts.text(76137, "*Zeile %i hat %i statt 22 Felder."), result.line, result.fieldCount);
        break;
    case ToolImportError::BadText:
        detail = fieldText(
            texts, 76138, "*Zeile %i, Feld \"%s\": der Text enthält ungültige Zeichen.", result.line, result.field);
        break;
    case ToolImportError::BadNumber:
        detail = fieldText(texts, 76139, "*Zeile %i, Feld \"%s\": keine gültige Zahl.", result.line, result.field);
        break;
    case ToolImportError::NumberOutOfRange:
        detail = fieldText(
            texts, 76143, "*Zeile %i, Feld \"%s\": die Zahl ist zu groß für das Feld.", result.line, result.field);
        break;
    }
    return texts.text(76130, "*Die Datei kann nicht als Werkzeugtabelle gelesen werden:") + "\n" + pathToUtf8(path)
        + "\n\n" + detail + "\n\n" + texts.text(76144, "*Die Werkzeugtabelle wurde nicht verändert.");
}

} // namespace kvt
