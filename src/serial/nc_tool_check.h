#pragma once
// The tool-offset check before a send and the tool-data update of an NC program.
//
// The machine's tool-length format ("D00": letters first, then digits) gives the tool
// word of each tool number 1..499 (prefix and number with leading zeros, "D05"). The
// program fragment from a tool word's first occurrence to the end of its line must
// equal the NC data of the first tool record that holds the same word.
//
// A tool word is only taken where no further digit follows it, so "D10" is never
// found inside "D100" and the update never writes tool 10's data over tool 100's line.

#include "common/message_boxes.h"
#include "options/options_record.h"
#include "tooldb/tool_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

inline constexpr int kNcToolNumberCount = 499;
inline constexpr std::size_t kToolFormatMaxLength = 128;

// What the check needs of the tool table: the NC-data text of each record, in record
// order. The tool table model implements this; MachineToolRecords reads a machine
// record directly.
class NcToolRecords {
public:
    virtual ~NcToolRecords() = default;
    virtual std::size_t recordCount() const = 0;
    virtual std::u16string_view ncData(std::size_t record) const = 0;
};

// The 500 records of a machine's tool table, read from the record itself: NC data at
// the start of each slot. The 500th slot lies outside the stored table and is empty.
class MachineToolRecords final : public NcToolRecords {
public:
    explicit MachineToolRecords(const MachineRecord& machine);
    std::size_t recordCount() const override { return m_ncData.size(); }
    std::u16string_view ncData(std::size_t record) const override;

private:
    std::array<std::u16string, kToolSlotCount> m_ncData;
};

// A table held in plain strings, for tests and for a model that has its texts at hand.
class ToolNcDataList final : public NcToolRecords {
public:
    explicit ToolNcDataList(std::vector<std::u16string> ncData)
        : m_ncData(std::move(ncData))
    {
    }
    std::size_t recordCount() const override { return m_ncData.size(); }
    std::u16string_view ncData(std::size_t record) const override
    {
        return record < m_ncData.size() ? std::u16string_view(m_ncData[record]) : std::u16string_view();
    }

private:
    std::vector<std::u16string> m_ncData;
};

// The tool word of the tool-length format: the prefix is as many leading characters as
// the format has letters, the width is its count of digits. A format without letters
// names no tool word, and then nothing is checked or updated.
struct NcToolWordFormat {
    std::u16string prefix;
    int width = 0;

    static NcToolWordFormat parse(std::u16string_view format);
    bool usable() const { return !prefix.empty(); }
    std::u16string paddedWord(int tool) const; // "%0<width>i": "D05"
    std::u16string plainWord(int tool) const; // "%i": "D5"
};

struct ToolOffsetMismatch {
    int tool = 0;
    std::u16string program; // the fragment in the program
    std::u16string table; // the record's NC data
};

struct ToolOffsetCheck {
    int result = 0; // 0 all match, 1 at least one mismatch
    std::vector<ToolOffsetMismatch> mismatches;
};

// For each tool 1..499: the first occurrence of its word in the text; skipped when the
// word is missing, when no line end (CR or LF) follows it, or when no record holds the
// word; otherwise compared with the first record holding it.
ToolOffsetCheck checkToolOffsets(std::u16string_view text, std::u16string_view toolFormat, const NcToolRecords& tools);

class TextLookup;

// Asked before a send when the check found a mismatch ("*Frage", yes/no); yes sends
// without saving.
MessageBoxRequest offsetMismatchQuestion(const TextLookup& texts);

struct ToolDataUpdate {
    std::u16string text;
    std::vector<int> updatedTools; // in the order of the program
};

// "*Werkzeugdaten in NC File aktualisieren": the fragment of the first occurrence of
// each tool word, padded ("D05") and plain ("D5"), becomes the NC data of the first
// record holding that word. Later occurrences of a word stay as they are (further down
// a tool word usually stands in a motion block, which must not be overwritten), as do
// words no record holds and records whose NC data has a line break. Both forms are
// found in one pass in program order, and text already written is never searched
// again, so the order of the forms does not matter.
ToolDataUpdate updateToolData(std::u16string_view text, std::u16string_view toolFormat, const NcToolRecords& tools);

} // namespace kvt
