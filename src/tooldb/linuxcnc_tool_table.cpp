#include "tooldb/linuxcnc_tool_table.h"

#include "common/code_page.h"
#include "common/number_format.h"
#include "common/text_lines.h"

#include <cmath>
#include <limits>

namespace kvt {

namespace {

constexpr std::string_view kKnownLetters = "TPXYZABCUVWDIJQ";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool validUtf8(std::string_view text)
{
    return utf16ToUtf8(utf8ToUtf16(text)) == text && text.find('\0') == std::string_view::npos;
}

int decimalsFor(ExchangeUnit unit)
{
    return unit == ExchangeUnit::Inch ? 4 : 3;
}

} // namespace

ExchangeReadResult parseLinuxCncToolTable(std::string_view text, ExchangeUnit unit)
{
    ExchangeReadResult result;
    result.unit = unit;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const std::vector<std::string_view> lines = splitLines(text);
    const double scale = lengthScale(unit);
    auto fail = [&](ExchangeError error, std::size_t line, std::string detail) {
        ExchangeReadResult refused;
        refused.error = error;
        refused.line = line;
        refused.detail = std::move(detail);
        return refused;
    };
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::size_t lineNumber = index + 1;
        std::string_view line = lines[index];
        if (!validUtf8(line))
            return fail(ExchangeError::BadText, lineNumber, {});
        std::string_view remark;
        bool hasRemark = false;
        if (const std::size_t at = line.find(';'); at != std::string_view::npos) {
            remark = line.substr(at + 1);
            hasRemark = true;
            line = line.substr(0, at);
        }
        ExchangeTool tool;
        tool.line = lineNumber;
        bool hasNumber = false;
        bool anyWord = false;
        std::size_t i = 0;
        while (i < line.size()) {
            if (isBlank(line[i])) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < line.size() && !isBlank(line[end]))
                ++end;
            const std::string_view word = line.substr(i, end - i);
            i = end;
            anyWord = true;
            char letter = word.front();
            if (letter >= 'a' && letter <= 'z')
                letter = static_cast<char>(letter - 'a' + 'A');
            if (kKnownLetters.find(letter) == std::string_view::npos || word.size() < 2)
                return fail(ExchangeError::BadWord, lineNumber, std::string(word));
            const std::optional<double> value = parseExchangeNumber(word.substr(1));
            if (!value)
                return fail(ExchangeError::BadNumber, lineNumber, std::string(word));
            switch (letter) {
            case 'T':
                if (*value < 0 || *value > std::numeric_limits<int>::max() || std::floor(*value) != *value)
                    return fail(ExchangeError::BadNumber, lineNumber, std::string(word));
                tool.number = static_cast<int>(*value);
                hasNumber = true;
                break;
            case 'Z':
            case 'D': {
                const std::optional<float> stored = exchangeNumberValue(*value, scale);
                if (!stored)
                    return fail(ExchangeError::BadNumber, lineNumber, std::string(word));
                if (letter == 'Z') {
                    tool.record.length = *stored;
                    tool.carried |= fieldBit(ToolField::Length);
                } else {
                    tool.record.radius = *stored / 2.0f;
                    tool.carried |= fieldBit(ToolField::Radius);
                }
                break;
            }
            default:
                break; // pocket, offsets and angles: read, not kept
            }
        }
        if (!anyWord)
            continue; // a comment line or a blank one
        if (!hasNumber)
            return fail(ExchangeError::MissingColumn, lineNumber, "T");
        if (hasRemark) {
            setToolText(tool.record, ToolField::Description, utf8ToUtf16(remark));
            tool.carried |= fieldBit(ToolField::Description);
        }
        if (result.tools.size() == kExchangeMaxTools)
            return fail(ExchangeError::TooManyTools, lineNumber, {});
        result.tools.push_back(std::move(tool));
    }
    if (result.tools.empty())
        return fail(ExchangeError::Empty, 0, {});
    return result;
}

ExchangeWriteResult composeLinuxCncToolTable(std::span<const ExportTool> tools, const LinuxCncExportOptions& options)
{
    ExchangeWriteResult result;
    const double scale = lengthScale(options.unit);
    const int decimals = decimalsFor(options.unit);
    int pocket = 0;
    for (const ExportTool& tool : tools) {
        ++pocket;
        const float diameter = tool.record.radius * 2.0f;
        const std::u16string_view description = toolText(tool.record, ToolField::Description);
        ExportNotice refusal {tool.number, ExportNoticeKind::BadNumber, ToolField::Length, 0};
        if (!std::isfinite(diameter))
            refusal.field = ToolField::Radius;
        if (!fitsOneLine(description))
            refusal = {tool.number, ExportNoticeKind::BadText, ToolField::Description, 0};
        if (!std::isfinite(tool.record.length) || !std::isfinite(diameter) || !fitsOneLine(description))
            return refuseExport(refusal);
        result.bytes += cformat("T%i P%i Z", tool.number, options.pocketIsToolNumber ? tool.number : pocket);
        const std::string length = exchangeNumberText(tool.record.length, scale, decimals);
        result.bytes += (length.starts_with('-') ? "" : "+") + length;
        result.bytes += " D" + exchangeNumberText(diameter, scale, decimals);
        // The remark runs to the end of the line.
        result.bytes += " ;" + utf16ToUtf8(description) + "\n";
        ++result.toolsWritten;
    }
    return result;
}

} // namespace kvt
