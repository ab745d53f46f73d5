#include "serial/nc_tool_check.h"

#include "common/code_page.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "serial/nc_editor_texts.h"
#include "tooldb/tool_table.h"

#include <algorithm>

namespace kvt {

namespace {

constexpr std::size_t kMaxToolDigits = 6; // more digits cannot name a tool 1..499

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7);
}

bool isLineBreak(char16_t c)
{
    return c == u'\r' || c == u'\n';
}

std::u16string asciiToUtf16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

enum class WordForm { Padded, Plain };

struct WordHit {
    std::size_t position = 0; // of the prefix
    int tool = 0;
    bool padded = false;
    bool plain = false;
};

// The digits of every tool number in the padded and the plain form, made once per
// check rather than once per word found.
struct Spellings {
    std::array<std::u16string, kNcToolNumberCount + 1> padded;
    std::array<std::u16string, kNcToolNumberCount + 1> plain;
    explicit Spellings(const NcToolWordFormat& format)
    {
        const std::size_t prefix = format.prefix.size();
        for (int tool = 1; tool <= kNcToolNumberCount; ++tool) {
            padded[tool] = format.paddedWord(tool).substr(prefix);
            plain[tool] = format.plainWord(tool).substr(prefix);
        }
    }
};

// Calls `hit` for every tool word of the format in `text`: the prefix, then a run of
// digits that no further digit follows and that spells a tool number 1..499 in the
// padded or the plain form.
template<typename Hit>
void forEachToolWord(std::u16string_view text, std::u16string_view prefix, const Spellings& spellings, const Hit& hit)
{
    for (std::size_t p = text.find(prefix); p != std::u16string_view::npos; p = text.find(prefix, p + 1)) {
        const std::size_t digits = p + prefix.size();
        std::size_t end = digits;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        const std::size_t count = end - digits;
        if (count == 0 || count > kMaxToolDigits)
            continue;
        int tool = 0;
        for (std::size_t i = digits; i < end; ++i)
            tool = tool * 10 + (text[i] - u'0');
        if (tool < 1 || tool > kNcToolNumberCount)
            continue;
        const std::u16string_view spelled = text.substr(digits, count);
        WordHit h;
        h.position = p;
        h.tool = tool;
        h.padded = spelled == spellings.padded[tool];
        h.plain = spelled == spellings.plain[tool];
        if (h.padded || h.plain)
            hit(h);
    }
}

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// First position of each tool's word in the program, or the first record holding it.
struct FirstPlaces {
    std::array<std::size_t, kNcToolNumberCount + 1> padded;
    std::array<std::size_t, kNcToolNumberCount + 1> plain;
    FirstPlaces()
    {
        padded.fill(kNone);
        plain.fill(kNone);
    }
    void note(const WordHit& h, std::size_t place)
    {
        if (h.padded && padded[h.tool] == kNone)
            padded[h.tool] = place;
        if (h.plain && plain[h.tool] == kNone)
            plain[h.tool] = place;
    }
};

FirstPlaces firstInText(std::u16string_view text, const NcToolWordFormat& format, const Spellings& spellings)
{
    FirstPlaces places;
    forEachToolWord(text, format.prefix, spellings, [&places](const WordHit& h) { places.note(h, h.position); });
    return places;
}

FirstPlaces firstRecords(const NcToolRecords& tools, const NcToolWordFormat& format, const Spellings& spellings)
{
    FirstPlaces records;
    for (std::size_t r = 0; r < tools.recordCount(); ++r) {
        forEachToolWord(
            tools.ncData(r), format.prefix, spellings, [&records, r](const WordHit& h) { records.note(h, r); });
    }
    return records;
}

std::size_t lineEndAfter(std::u16string_view text, std::size_t from)
{
    const auto it = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), isLineBreak);
    return it == text.end() ? kNone : static_cast<std::size_t>(it - text.begin());
}

} // namespace

MachineToolRecords::MachineToolRecords(const MachineRecord& machine)
{
    for (std::size_t slot = 0; slot < m_ncData.size(); ++slot)
        m_ncData[slot] = toolNcData(machine, slot);
}

std::u16string_view MachineToolRecords::ncData(std::size_t record) const
{
    return record < m_ncData.size() ? std::u16string_view(m_ncData[record]) : std::u16string_view();
}

NcToolWordFormat NcToolWordFormat::parse(std::u16string_view format)
{
    format = format.substr(0, kToolFormatMaxLength);
    NcToolWordFormat result;
    const auto letters = std::count_if(format.begin(), format.end(), isLetter);
    result.prefix = std::u16string(format.substr(0, static_cast<std::size_t>(letters)));
    result.width = static_cast<int>(std::count_if(format.begin(), format.end(), isDigit));
    return result;
}

std::u16string NcToolWordFormat::paddedWord(int tool) const
{
    return prefix + asciiToUtf16(cformat(cformat("%%0%ii", width), tool));
}

std::u16string NcToolWordFormat::plainWord(int tool) const
{
    return prefix + asciiToUtf16(cformat("%i", tool));
}

ToolOffsetCheck checkToolOffsets(std::u16string_view text, std::u16string_view toolFormat, const NcToolRecords& tools)
{
    ToolOffsetCheck check;
    const NcToolWordFormat format = NcToolWordFormat::parse(toolFormat);
    if (!format.usable())
        return check;
    const Spellings spellings(format);
    const FirstPlaces inText = firstInText(text, format, spellings);
    const FirstPlaces inTable = firstRecords(tools, format, spellings);
    for (int tool = 1; tool <= kNcToolNumberCount; ++tool) {
        const std::size_t at = inText.padded[tool];
        const std::size_t record = inTable.padded[tool];
        if (at == kNone || record == kNone)
            continue;
        const std::size_t end = lineEndAfter(text, at);
        if (end == kNone)
            continue;
        const std::u16string_view fragment = text.substr(at, end - at);
        const std::u16string_view ncData = tools.ncData(record);
        if (fragment != ncData) {
            check.result = 1;
            check.mismatches.push_back({tool, std::u16string(fragment), std::u16string(ncData)});
        }
    }
    return check;
}

MessageBoxRequest offsetMismatchQuestion(const TextLookup& texts)
{
    using namespace nc_text_ids;
    return {texts.text(kOffsetMismatchQuestion.id, kOffsetMismatchQuestion.builtin),
        texts.text(kQuestion.id, kQuestion.builtin), MessageIcon::Question, MessageButtons::YesNo};
}

ToolDataUpdate updateToolData(std::u16string_view text, std::u16string_view toolFormat, const NcToolRecords& tools)
{
    ToolDataUpdate update;
    const NcToolWordFormat format = NcToolWordFormat::parse(toolFormat);
    if (!format.usable()) {
        update.text = text;
        return update;
    }
    const Spellings spellings(format);
    const FirstPlaces inText = firstInText(text, format, spellings);
    const FirstPlaces inTable = firstRecords(tools, format, spellings);

    struct Replacement {
        std::size_t at;
        std::size_t end;
        int tool;
        std::size_t record;
    };
    std::vector<Replacement> replacements;
    const auto consider = [&](int tool, std::size_t at, std::size_t record) {
        if (at == kNone || record == kNone)
            return;
        const std::u16string_view ncData = tools.ncData(record);
        if (std::any_of(ncData.begin(), ncData.end(), isLineBreak))
            return;
        const std::size_t end = lineEndAfter(text, at);
        if (end != kNone)
            replacements.push_back({at, end, tool, record});
    };
    for (int tool = 1; tool <= kNcToolNumberCount; ++tool) {
        consider(tool, inText.padded[tool], inTable.padded[tool]);
        if (inText.plain[tool] != inText.padded[tool])
            consider(tool, inText.plain[tool], inTable.plain[tool]);
    }
    std::sort(replacements.begin(), replacements.end(),
        [](const Replacement& a, const Replacement& b) { return a.at < b.at; });

    std::size_t copied = 0;
    update.text.reserve(text.size());
    for (const Replacement& r : replacements) {
        if (r.at < copied)
            continue; // inside a fragment already replaced
        update.text.append(text.substr(copied, r.at - copied));
        update.text.append(tools.ncData(r.record));
        copied = r.end;
        update.updatedTools.push_back(r.tool);
    }
    update.text.append(text.substr(copied));
    return update;
}

} // namespace kvt
