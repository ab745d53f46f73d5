#include "tooldb/tool_exchange.h"

#include "common/code_page.h"
#include "common/field_validation.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "common/units.h"
#include "options/options_record.h"
#include "tooldb/tool_categories.h"
#include "tooldb/tool_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>

namespace kvt {

std::optional<double> parseExchangeNumber(std::string_view text)
{
    std::string normal;
    normal.reserve(text.size());
    std::size_t digits = 0;
    bool mark = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c == '+' || c == '-') && i == 0) {
            normal += c;
        } else if (c >= '0' && c <= '9') {
            normal += c;
            ++digits;
        } else if ((c == '.' || c == ',') && !mark) {
            normal += '.';
            mark = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    const double value = leadingDouble(normal);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<float> exchangeNumberValue(double fileValue, double scale)
{
    const double value = fileValue * scale;
    if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(value);
}

std::string exchangeNumberText(float value, double scale, int minDecimals, int maxDecimals)
{
    const double fileValue = static_cast<double>(value) / scale;
    std::string text = formatFixed(fileValue, minDecimals);
    for (int decimals = minDecimals + 1; decimals <= maxDecimals; ++decimals) {
        const std::optional<double> back = parseExchangeNumber(text);
        if (back && exchangeNumberValue(*back, scale) == value)
            break;
        text = formatFixed(fileValue, decimals);
    }
    return text;
}

double lengthScale(ExchangeUnit unit)
{
    return unit == ExchangeUnit::Inch ? kExchangeMillimetresPerInch : 1.0;
}

double speedScale(ExchangeUnit unit)
{
    return unit == ExchangeUnit::Inch ? kExchangeMetresPerFoot : 1.0;
}

bool fitsOneLine(std::u16string_view text)
{
    const ToolTextProblem problem = toolTextProblem(text);
    return problem != ToolTextProblem::LineBreak && problem != ToolTextProblem::ZeroCharacter
        && problem != ToolTextProblem::BrokenCharacter;
}

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

const ToolCategory* categoryById(int id)
{
    for (const ToolCategoryGroup& group : toolCategoryGroups()) {
        for (const ToolCategory& category : group.categories) {
            if (category.id == id)
                return &category;
        }
    }
    return nullptr;
}

// The category a stored text stands for: the built-in text (with or without its '*') or
// the language module's.
const ToolCategory* categoryOfText(const TextLookup& texts, std::string_view text)
{
    if (text.empty())
        return nullptr;
    for (const ToolCategoryGroup& group : toolCategoryGroups()) {
        for (const ToolCategory& category : group.categories) {
            const std::string_view bare = category.builtin.substr(category.builtin.starts_with('*') ? 1 : 0);
            if (text == category.builtin || text == bare || text == texts.text(category.id, category.builtin))
                return &category;
        }
    }
    return nullptr;
}

} // namespace

std::string typeForCategory(std::span<const ToolTypeMapping> table, const TextLookup& texts,
    std::u16string_view category, std::string_view fallback)
{
    const std::string text = utf16ToUtf8(category);
    if (const ToolCategory* known = categoryOfText(texts, text)) {
        for (const ToolTypeMapping& mapping : table) {
            if (mapping.categoryId == known->id)
                return std::string(mapping.type);
        }
    }
    for (const ToolTypeMapping& mapping : table) {
        if (equalsIgnoringCase(mapping.type, text))
            return std::string(mapping.type);
    }
    return std::string(fallback);
}

std::u16string categoryForType(std::span<const ToolTypeMapping> table, const TextLookup& texts, std::string_view type,
    std::u16string_view existingCategory, std::string_view fallback)
{
    if (!existingCategory.empty()
        && equalsIgnoringCase(typeForCategory(table, texts, existingCategory, fallback), type))
        return std::u16string(existingCategory);
    for (const ToolTypeMapping& mapping : table) {
        if (equalsIgnoringCase(mapping.type, type)) {
            if (const ToolCategory* category = categoryById(mapping.categoryId))
                return utf8ToUtf16(toolCategoryText(texts, *category));
        }
    }
    return utf8ToUtf16(type);
}

namespace {

// Copies the carried fields of `from` into `to`.
void copyCarried(ToolRecord& to, const ToolRecord& from, std::uint32_t carried)
{
    for (const ToolFieldInfo& info : toolFields()) {
        if (!(carried & fieldBit(info.field)))
            continue;
        std::size_t size = 0;
        switch (info.kind) {
        case ToolFieldKind::Text:
            size = info.textLength * sizeof(char16_t);
            break;
        case ToolFieldKind::Integer:
        case ToolFieldKind::Float:
            size = 4;
            break;
        case ToolFieldKind::UnsignedShort:
            size = 2;
            break;
        }
        std::memcpy(reinterpret_cast<unsigned char*>(&to) + info.offset,
            reinterpret_cast<const unsigned char*>(&from) + info.offset, size);
    }
}

bool textsFit(const ToolRecord& record)
{
    for (const ToolFieldInfo& info : toolFields()) {
        if (info.kind == ToolFieldKind::Text && toolTextProblem(toolText(record, info.field)) != ToolTextProblem::None)
            return false;
    }
    return true;
}

} // namespace

ImportPlan planToolImport(const MachineRecord& machine, std::span<const ExchangeTool> tools,
    std::span<const ToolTypeMapping> types, std::string_view fallbackType, const TextLookup& texts,
    std::u16string_view today)
{
    ImportPlan plan;
    std::set<int> seen;
    for (const ExchangeTool& tool : tools) {
        ImportPlanLine line;
        line.number = tool.number;
        line.name = utf16ToUtf8(toolText(tool.record, ToolField::Description));
        line.hasDiameter = (tool.carried & fieldBit(ToolField::Radius)) != 0;
        line.diameter = tool.record.radius * 2.0f;
        if (tool.notATool)
            line.reason = ImportSkipReason::NotATool;
        else if (tool.indexed)
            line.reason = ImportSkipReason::Indexed;
        else if (tool.number == 0)
            line.reason = ImportSkipReason::ReservedNumber;
        else if (!toolSlot(tool.number))
            line.reason = ImportSkipReason::NumberOutOfRange;
        else if (!seen.insert(tool.number).second)
            line.reason = ImportSkipReason::Duplicate;
        else if (!textsFit(tool.record))
            line.reason = ImportSkipReason::BadText;
        if (line.reason != ImportSkipReason::None) {
            line.action = ImportAction::Skip;
            ++plan.skippedTools;
            plan.lines.push_back(std::move(line));
            continue;
        }
        const std::size_t slot = *toolSlot(tool.number);
        const ToolRecord existing = loadTool(machine, slot);
        const bool replaces = isPresent(existing) || hasNcData(existing);
        ToolRecord result = replaces ? existing : ToolRecord {};
        copyCarried(result, tool.record, tool.carried);
        if (!tool.type.empty()) {
            setToolText(result, ToolField::Category,
                categoryForType(types, texts, tool.type, toolText(existing, ToolField::Category), fallbackType));
        }
        if (!hasNcData(result))
            setToolText(result, ToolField::NcData, u"T" + utf8ToUtf16(std::to_string(tool.number)));
        setToolText(result, ToolField::LastChangeDate, today);
        if (replaces) {
            line.action = ImportAction::Replace;
            line.replacedName = utf16ToUtf8(toolText(existing, ToolField::Description));
            ++plan.replacedTools;
        } else {
            line.action = ImportAction::New;
            ++plan.newTools;
        }
        line.result = result;
        plan.lines.push_back(std::move(line));
    }
    return plan;
}

std::vector<int> applyToolImport(MachineRecord& machine, const ImportPlan& plan)
{
    std::vector<int> rows;
    for (const ImportPlanLine& line : plan.lines) {
        if (line.action == ImportAction::Skip)
            continue;
        if (const auto slot = toolSlot(line.number); slot && storeTool(machine, *slot, line.result))
            rows.push_back(line.number);
    }
    return rows;
}

std::vector<ExportTool> toolsToExport(const MachineRecord& machine)
{
    std::vector<ExportTool> tools;
    for (int number = 1; number <= kHighestToolNumber; ++number) {
        const ToolRecord record = loadTool(machine, static_cast<std::size_t>(number - 1));
        if (hasNcData(record) || isPresent(record))
            tools.push_back({number, record});
    }
    return tools;
}

ExchangeWriteResult refuseExport(const ExportNotice& notice)
{
    ExchangeWriteResult result;
    result.ok = false;
    result.notices = {notice};
    return result;
}

std::string formatName(const TextLookup& texts, ToolExchangeFormat format)
{
    switch (format) {
    case ToolExchangeFormat::LinuxCnc:
        return texts.text(76400, "*LinuxCNC-Werkzeugtabelle (.tbl)");
    case ToolExchangeFormat::Heidenhain:
        return texts.text(76401, "*Heidenhain-Werkzeugtabelle (TOOL.T)");
    case ToolExchangeFormat::FusionJson:
        return texts.text(76402, "*Fusion 360 / HSM Werkzeugbibliothek (.json)");
    case ToolExchangeFormat::FusionZipped:
        return texts.text(76403, "*Fusion 360 / HSM Werkzeugbibliothek, gepackt (.tools)");
    case ToolExchangeFormat::FreeCad:
        return texts.text(76404, "*FreeCAD-Werkzeugbibliothek (.fctl)");
    }
    return {};
}

std::string importActionText(const TextLookup& texts, const ImportPlanLine& line)
{
    switch (line.action) {
    case ImportAction::New:
        return texts.text(76410, "*neu");
    case ImportAction::Replace:
        return cformat(texts.text(76411, "*ersetzt \"%s\""), line.replacedName);
    case ImportAction::Skip:
        break;
    }
    std::string reason;
    switch (line.reason) {
    case ImportSkipReason::None:
        break;
    case ImportSkipReason::NumberOutOfRange:
        reason = texts.text(76413, "*keine Werkzeugnummer von 1 bis 499");
        break;
    case ImportSkipReason::ReservedNumber:
        reason = texts.text(76414, "*Werkzeug 0 ist reserviert");
        break;
    case ImportSkipReason::Duplicate:
        reason = texts.text(76415, "*die Nummer kam in der Datei schon vor");
        break;
    case ImportSkipReason::BadText:
        reason = texts.text(76416, "*ein Text enthält einen Zeilenumbruch oder \" | \"");
        break;
    case ImportSkipReason::NotATool:
        reason = texts.text(76417, "*kein Werkzeug (Halter)");
        break;
    case ImportSkipReason::Indexed:
        reason = texts.text(76418, "*indiziertes Werkzeug");
        break;
    }
    return texts.text(76412, "*übersprungen:") + " " + reason;
}

std::vector<ImportPreviewRow> importPreviewRows(const TextLookup& texts, const ImportPlan& plan, int unitSystem)
{
    std::vector<ImportPreviewRow> rows;
    rows.reserve(plan.lines.size());
    const char* format = unitSystem == kUnitSystemInch ? "%6.4f" : "%6.3f";
    for (const ImportPlanLine& line : plan.lines) {
        ImportPreviewRow row;
        // A holder has no tool number of its own.
        row.number = line.reason == ImportSkipReason::NotATool ? std::string() : toolNumberText(line.number);
        row.name = line.name;
        row.diameter = line.hasDiameter && std::isfinite(line.diameter)
            ? cformat(format, toDisplay(unitSystem, ConversionKind::Length, static_cast<double>(line.diameter)))
            : "---";
        row.action = importActionText(texts, line);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string importPreviewSummary(const TextLookup& texts, const ImportPlan& plan)
{
    return cformat(texts.text(76419, "*%i neu, %i ersetzt, %i übersprungen."), plan.newTools, plan.replacedTools,
               plan.skippedTools)
        + "\n"
        + texts.text(76409,
            "*Mit OK werden die neuen und ersetzten Werkzeuge übernommen, mit Abbrechen bleibt die Tabelle, wie sie "
            "ist.");
}

std::string exchangeReadMessage(
    const TextLookup& texts, ToolExchangeFormat format, const ExchangeReadResult& result, const std::string& path)
{
    std::string detail;
    switch (result.error) {
    case ExchangeError::None:
        return {};
    case ExchangeError::CannotOpen:
        detail = texts.text(76420, "*Die Datei kann nicht geöffnet werden.");
        break;
    case ExchangeError::TooLarge:
        detail = texts.text(76421, "*Die Datei ist zu groß für eine Werkzeugtabelle.");
        break;
    case ExchangeError::Empty:
        detail = texts.text(76422, "*Die Datei enthält kein Werkzeug.");
        break;
    case ExchangeError::MissingHeader:
        detail = texts.text(76423, "*Der Kopf der Tabelle fehlt oder ist nicht lesbar.");
        break;
    case ExchangeError::MissingColumn:
        detail = cformat(texts.text(76424, "*Die Spalte \"%s\" fehlt."), result.detail);
        break;
    case ExchangeError::MissingEnd:
        detail = texts.text(76425, "*Die Zeile [END] fehlt: die Datei ist unvollständig.");
        break;
    case ExchangeError::ShortRow:
        detail = cformat(texts.text(76426, "*Die Zeile ist zu kurz, die Spalte \"%s\" fehlt."), result.detail);
        break;
    case ExchangeError::BadNumber:
        detail = cformat(texts.text(76427, "*\"%s\" ist keine gültige Zahl."), result.detail);
        break;
    case ExchangeError::BadWord:
        detail = cformat(texts.text(76428, "*\"%s\" ist kein gültiges Wort der Tabelle."), result.detail);
        break;
    case ExchangeError::BadUnit:
        detail = cformat(texts.text(76429, "*Die Einheit \"%s\" ist unbekannt."), result.detail);
        break;
    case ExchangeError::BadText:
        detail = texts.text(76430, "*Der Text ist in der Kodierung der Datei nicht gültig.");
        break;
    case ExchangeError::BadJson:
        detail = cformat(texts.text(76431, "*Kein gültiges JSON (%s)."), result.detail);
        break;
    case ExchangeError::BadZip:
        detail = cformat(texts.text(76432, "*Keine lesbare gepackte Bibliothek (%s)."), result.detail);
        break;
    case ExchangeError::TooManyTools:
        detail = cformat(texts.text(76433, "*Die Datei enthält mehr als %i Werkzeuge."), kExchangeMaxTools);
        break;
    case ExchangeError::MissingBit:
        detail = texts.text(76434, "*Die Werkzeugdatei kann nicht gelesen werden.");
        break;
    }
    std::string where;
    if (!result.file.empty())
        where += result.file + "\n";
    if (result.line > 0)
        where += cformat(texts.text(76435, "*Zeile %i:"), result.line) + " ";
    return cformat(texts.text(76436, "*Die Datei kann nicht als %s gelesen werden:"), formatName(texts, format)) + "\n"
        + path + "\n\n" + where + detail + "\n\n" + texts.text(76437, "*Die Werkzeugtabelle wurde nicht verändert.");
}

std::string exportNoticeText(const TextLookup& texts, const ExportNotice& notice)
{
    const std::string tool = cformat(texts.text(76440, "*Werkzeug %s:"), toolNumberText(notice.number)) + " ";
    const std::string field = toolFieldLabel(texts, notice.field);
    switch (notice.kind) {
    case ExportNoticeKind::NameCut:
        return tool + cformat(texts.text(76441, "*\"%s\" auf %i Zeichen gekürzt."), field, notice.limit);
    case ExportNoticeKind::BadNumber:
        return tool + cformat(texts.text(76443, "*Feld \"%s\": der Wert ist keine Zahl."), field);
    case ExportNoticeKind::BadText:
        return tool
            + cformat(
                texts.text(76444, "*Feld \"%s\": der Text kann in diesem Format nicht geschrieben werden."), field);
    case ExportNoticeKind::TooWide:
        return tool + cformat(texts.text(76445, "*Feld \"%s\": der Wert passt nicht in die Spalte."), field);
    }
    return tool;
}

} // namespace kvt
