#include "serial/nc_colour.h"

#include "common/code_page.h"
#include "common/text_lookup.h"
#include "serial/nc_editor_texts.h"

#include <algorithm>
#include <cstring>

namespace kvt {

namespace {

constexpr std::size_t kCancelCheckHits = 1 << 16;

bool isLineBreak(char16_t c)
{
    return c == u'\r' || c == u'\n';
}

std::size_t lineEnd(std::u16string_view text, std::size_t from)
{
    const auto it = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), isLineBreak);
    return static_cast<std::size_t>(it - text.begin());
}

ColourRange range(std::size_t start, std::size_t end, std::uint32_t colour)
{
    return {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end), colour};
}

bool cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// The hits of one word in a folded text; positions are offset by `base`. False when
// cancelled on the way.
template<typename Add>
bool addWordHits(const NcColourTable::Word& word, std::u16string_view folded, std::size_t base, const Add& add,
    const std::atomic<bool>* cancel)
{
    std::size_t hits = 0;
    for (std::size_t pos = folded.find(word.text); pos != std::u16string_view::npos;
         pos = folded.find(word.text, pos + word.text.size())) {
        add(range(base + pos, base + pos + word.text.size(), word.colour));
        if (++hits % kCancelCheckHits == 0 && cancelled(cancel))
            return false;
    }
    return true;
}

// A pair runs from its opening text to the end of its partner; a pair without a partner
// text runs to the end of the line, which is what a comment or a program name needs.
template<typename Add>
bool addPairHits(const NcColourTable::Pair& pair, std::u16string_view folded, std::size_t base, const Add& add,
    const std::atomic<bool>* cancel)
{
    std::size_t hits = 0;
    std::size_t pos = 0;
    while (pos < folded.size()) {
        const std::size_t hit = folded.find(pair.opening, pos);
        if (hit == std::u16string_view::npos)
            break;
        const std::size_t afterOpening = hit + pair.opening.size();
        std::size_t end = 0;
        if (pair.partner.empty()) {
            end = lineEnd(folded, afterOpening);
        } else {
            const std::size_t partner = folded.find(pair.partner, afterOpening);
            if (partner == std::u16string_view::npos)
                break;
            end = partner + pair.partner.size();
        }
        add(range(base + hit, base + end, pair.colour));
        pos = std::max(end, hit + 1);
        if (++hits % kCancelCheckHits == 0 && cancelled(cancel))
            return false;
    }
    return true;
}

} // namespace

std::uint32_t keywordColour(const std::uint8_t (&rgb)[3])
{
    return static_cast<std::uint32_t>(rgb[0]) | static_cast<std::uint32_t>(rgb[1]) << 8
        | static_cast<std::uint32_t>(rgb[2]) << 16;
}

MessageBoxRequest colouringQuestion(const TextLookup& texts)
{
    using namespace nc_text_ids;
    return {texts.text(kColourQuestion.id, kColourQuestion.builtin), texts.text(kQuestion.id, kQuestion.builtin),
        MessageIcon::Question, MessageButtons::YesNo};
}

char16_t foldCase(char16_t c)
{
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<char16_t>(c + 0x20);
    return c;
}

std::u16string foldCase(std::u16string_view text)
{
    std::u16string out(text.size(), u'\0');
    std::transform(text.begin(), text.end(), out.begin(), [](char16_t c) { return foldCase(c); });
    return out;
}

NcColourTable::NcColourTable(const MachineRecord& machine)
{
    const std::size_t pairStart = std::min<std::size_t>(machine.keywordPairStart, kKeywordCount);
    for (std::size_t i = 0; i < pairStart; ++i)
        addWord(fixedText(machine.keywords[i].text), machine.keywords[i].colour);
    for (std::size_t i = pairStart; i < kKeywordCount; i += 2) {
        const std::u16string_view partner
            = i + 1 < kKeywordCount ? fixedText(machine.keywords[i + 1].text) : std::u16string_view();
        addPair(fixedText(machine.keywords[i].text), partner, machine.keywords[i].colour);
    }
}

void NcColourTable::addWord(std::u16string_view text, std::uint32_t colour)
{
    if (!text.empty())
        m_words.push_back({foldCase(text), colour});
}

void NcColourTable::addPair(std::u16string_view opening, std::u16string_view partner, std::uint32_t colour)
{
    if (!opening.empty())
        m_pairs.push_back({foldCase(opening), foldCase(partner), colour});
}

void ColourRangeList::add(const ColourRange& range)
{
    if (m_capacity == 0)
        return;
    if (m_ranges.size() < m_capacity)
        m_ranges.push_back(range);
    else
        m_ranges.back() = range;
}

bool colourWholeText(const NcColourTable& table, std::u16string_view text, ColourRangeList& out,
    const std::atomic<bool>* cancel, std::atomic<std::uint32_t>* progress)
{
    const std::u16string folded = foldCase(text);
    const auto add = [&out](const ColourRange& r) { out.add(r); };
    for (const auto& word : table.words()) {
        if (cancelled(cancel) || !addWordHits(word, folded, 0, add, cancel))
            return false;
        if (progress)
            progress->fetch_add(1, std::memory_order_relaxed);
    }
    for (const auto& pair : table.pairs()) {
        if (cancelled(cancel) || !addPairHits(pair, folded, 0, add, cancel))
            return false;
        if (progress)
            progress->fetch_add(1, std::memory_order_relaxed);
    }
    return !cancelled(cancel);
}

void colourLine(
    const NcColourTable& table, std::u16string_view lineText, std::uint32_t lineStart, std::vector<ColourRange>& out)
{
    out.push_back(range(lineStart, lineStart + lineText.size(), 0));
    const std::u16string folded = foldCase(lineText);
    const auto add = [&out](const ColourRange& r) { out.push_back(r); };
    for (const auto& word : table.words())
        addWordHits(word, folded, lineStart, add, nullptr);
    for (const auto& pair : table.pairs())
        addPairHits(pair, folded, lineStart, add, nullptr);
}

std::vector<ColourRange> colourLines(
    const NcColourTable& table, std::u16string_view text, std::uint32_t first, std::uint32_t last)
{
    std::vector<ColourRange> out;
    std::size_t start = 0;
    for (std::uint32_t line = 0; line <= last && start <= text.size(); ++line) {
        const std::size_t end = lineEnd(text, start);
        if (line >= first)
            colourLine(table, text.substr(start, end - start), static_cast<std::uint32_t>(start), out);
        if (end == text.size())
            break;
        start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
    }
    return out;
}

void storeColourRanges(NcTextBuffer& buffer, const std::vector<ColourRange>& ranges)
{
    const std::size_t count = std::min(ranges.size(), kColourRangeCapacity);
    std::copy_n(ranges.begin(), count, buffer.colourRanges);
    buffer.colourRangeCount = static_cast<std::uint32_t>(count);
}

// --- RecolourTracker -------------------------------------------------------------------

void RecolourTracker::clear()
{
    std::fill(m_dirty.begin(), m_dirty.end(), 0u);
    m_highest = 0;
    m_anyDirty = false;
    m_focusLost = false;
    m_typed = false;
}

void RecolourTracker::typed(std::uint32_t line)
{
    m_typed = true;
    if (line >= m_dirty.size())
        return;
    m_dirty[line] = 1;
    m_highest = m_anyDirty ? std::max(m_highest, line) : line;
    m_anyDirty = true;
}

std::vector<std::uint32_t> RecolourTracker::tick()
{
    std::vector<std::uint32_t> lines;
    if (!m_focusLost)
        return lines;
    m_focusLost = false;
    if (!m_anyDirty)
        return lines;
    for (std::uint32_t line = 0; line <= m_highest; ++line) {
        if (m_dirty[line] == 0)
            continue;
        m_dirty[line] = 0;
        if (line > 0 && (lines.empty() || lines.back() < line - 1))
            lines.push_back(line - 1);
        if (lines.empty() || lines.back() < line)
            lines.push_back(line);
    }
    m_anyDirty = false;
    m_highest = 0;
    m_typed = false;
    return lines;
}

std::vector<std::uint32_t> RecolourTracker::refreshKey(std::uint32_t line)
{
    if (line < m_dirty.size())
        m_dirty[line] = 0;
    m_typed = false;
    return {line};
}

std::vector<std::uint32_t> RecolourTracker::arrowKey(std::uint32_t line)
{
    if (!m_typed)
        return {};
    return refreshKey(line);
}

} // namespace kvt
