#pragma once
// Colouring of NC words. The machine's four colour groups become a keyword table of 40
// entries in its record; the table is searched through the program text and every hit
// becomes a colour range {start, end, colour} in character positions of the text that
// was searched. The edit widget only applies the ranges.
//
// Positions count UTF-16 units of the text handed in. A widget whose document counts a
// line break as one character gets matching positions when it hands in its own plain
// text (line feeds only).

#include "common/message_boxes.h"
#include "options/keyword_table.h"
#include "options/options_record.h"
#include "state/state_blocks.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

inline constexpr std::size_t kKeywordMaxWordLength = 127;
inline constexpr std::size_t kKeywordMaxWordsPerGroup = 50;
inline constexpr std::uint32_t kColourQuestionLineLimit = 10'000;

// 0x00BBGGRR from the three stored bytes red, green, blue.
std::uint32_t keywordColour(const std::uint8_t (&rgb)[3]);

// Whole-text colouring of a program with more than 10000 lines asks first.
inline bool colouringNeedsQuestion(std::uint32_t lineCount)
{
    return lineCount > kColourQuestionLineLimit;
}

class TextLookup;

// "*Die NC Datei enthält mehr als 10000 Zeilen. ..." with "*Frage", yes/no; "No" skips
// the colouring.
MessageBoxRequest colouringQuestion(const TextLookup& texts);

// The keyword table prepared for searching: texts folded to one letter case.
class NcColourTable {
public:
    struct Word {
        std::u16string text; // folded
        std::uint32_t colour = 0;
    };
    struct Pair {
        std::u16string opening; // folded
        std::u16string partner; // folded; empty means "to the end of the line"
        std::uint32_t colour = 0;
    };

    NcColourTable() = default;
    explicit NcColourTable(const MachineRecord& machine);

    const std::vector<Word>& words() const { return m_words; }
    const std::vector<Pair>& pairs() const { return m_pairs; }
    bool empty() const { return m_words.empty() && m_pairs.empty(); }

    void addWord(std::u16string_view text, std::uint32_t colour);
    void addPair(std::u16string_view opening, std::u16string_view partner, std::uint32_t colour);

private:
    std::vector<Word> m_words;
    std::vector<Pair> m_pairs;
};

// Letter case folding used by the search: ASCII and Latin-1 letters.
char16_t foldCase(char16_t c);
std::u16string foldCase(std::u16string_view text);

// A list of ranges with a fixed capacity: once full, a further range overwrites the
// last one, so the count never exceeds the capacity.
class ColourRangeList {
public:
    explicit ColourRangeList(std::size_t capacity = kColourRangeCapacity)
        : m_capacity(capacity)
    {
    }
    void add(const ColourRange& range);
    const std::vector<ColourRange>& ranges() const { return m_ranges; }
    std::vector<ColourRange>& ranges() { return m_ranges; }
    std::size_t capacity() const { return m_capacity; }

private:
    std::size_t m_capacity;
    std::vector<ColourRange> m_ranges;
};

// Colours the whole text: each word entry from the start of the text (hits anywhere,
// also inside longer words, in any letter case, the next search after the end of the
// hit), then the pair pass. Returns false when `cancel` was set on the way; `progress`
// (when given) counts the table entries done.
bool colourWholeText(const NcColourTable& table, std::u16string_view text, ColourRangeList& out,
    const std::atomic<bool>* cancel = nullptr, std::atomic<std::uint32_t>* progress = nullptr);

// Colours one line whose first character is at `lineStart` of the document: first the
// whole line black, then the hits of the words and the pairs inside the line.
void colourLine(
    const NcColourTable& table, std::u16string_view lineText, std::uint32_t lineStart, std::vector<ColourRange>& out);

// Colours lines `first` to `last` (0-based, inclusive) of a text. A line ends at CR LF,
// a CR or a LF; the line break itself is not coloured.
std::vector<ColourRange> colourLines(
    const NcColourTable& table, std::u16string_view text, std::uint32_t first, std::uint32_t last);

// Stores a whole-text result in the buffer's table of colour ranges.
void storeColourRanges(NcTextBuffer& buffer, const std::vector<ColourRange>& ranges);

// When to recolour edited lines. Typing marks the line dirty (the buffer's dirty
// flags); after the widget lost the focus, the once-a-second check recolours every
// dirty line with the line before it; F5, and the arrow keys up and down after typing,
// recolour the current line at once. Runs on the window's thread only.
class RecolourTracker {
public:
    explicit RecolourTracker(std::span<std::uint32_t> dirtyFlags)
        : m_dirty(dirtyFlags)
    {
    }
    void clear(); // after loading: no line is dirty
    void typed(std::uint32_t line);
    void focusLost() { m_focusLost = true; }
    // The once-a-second check: the lines to recolour (sorted, each once), flags cleared.
    std::vector<std::uint32_t> tick();
    // F5: the current line, always.
    std::vector<std::uint32_t> refreshKey(std::uint32_t line);
    // Arrow up or down: the current line when something was typed since the last
    // recolouring, otherwise nothing.
    std::vector<std::uint32_t> arrowKey(std::uint32_t line);
    bool typedSinceRecolour() const { return m_typed; }

private:
    std::span<std::uint32_t> m_dirty;
    std::uint32_t m_highest = 0; // no dirty flag lies above this line
    bool m_anyDirty = false;
    bool m_focusLost = false;
    bool m_typed = false;
};

} // namespace kvt
