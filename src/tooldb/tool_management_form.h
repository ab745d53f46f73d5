#pragma once
// The tool management window without its widgets: the selected row, navigation, the
// scan field, and the editing commands (copy, move, paste, delete, singly or over a
// range of rows) as plain operations on the table of one machine. Questions and
// refusals go through the message boxes the window is given, so that every rule here is
// tested without a screen.

#include "common/message_boxes.h"
#include "common/text_lookup.h"
#include "options/options_record.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

// Row r shows tool r; row 0 is the reserved line and holds no tool.
inline constexpr int kToolListRowCount = 500;
inline constexpr int kLastToolRow = kToolListRowCount - 1;

// The commands of the editing menu, in menu order.
enum class ToolEditCommand : int {
    Copy,
    CutToMove,
    Paste,
    PasteRangeStart,
    PasteRangeEnd,
    Delete,
    DeleteRangeStart,
    DeleteRangeEnd,
    CancelRanges,
    Import,
    Export,
};
inline constexpr int kToolEditCommandCount = 11;

// The window's block of the options record: the rows are kept while the window is
// closed (the cutting data window replaces it and hands back to the same row).
struct ToolManagementBlock {
    std::int32_t currentRow;
    std::int32_t navigationRow;
};
static_assert(sizeof(ToolManagementBlock) <= kWindowBlockSize);

// What a scanned or typed tool number did.
enum class ScanOutcome {
    Waiting, // no Enter and no scanned line end yet: the text stays as it is
    Selected, // the row was selected; the field is emptied
    NotANumber, // the text stays in the field, selected for correction
};

class ToolManagementForm {
public:
    ToolManagementForm(MessageBoxes& boxes, const TextLookup& texts);

    int currentRow() const { return m_currentRow; }
    // Any row from a stored block or a click; out of range counts as 0.
    void setCurrentRow(int row);

    ToolManagementBlock store() const { return {m_currentRow, m_navigationRow}; }
    void fill(const ToolManagementBlock& block);

    // " < ", " > ", " << ", " >> " and "*Laden": each makes the reached row current.
    void previous();
    void next();
    void first();
    // The highest row whose tool is present; the row stays when none is.
    void last(const MachineRecord& machine);
    void load();

    // The scan field: `text` is what it holds, `enter` whether Enter was pressed. A
    // scanned text ends with the four characters \r\n.
    ScanOutcome scan(std::string_view text, bool enter);

    // The list line of a row: number, NC data and description.
    static std::string rowNumber(int row);
    std::string rowNcData(const MachineRecord& machine, int row) const;
    std::string rowDescription(const MachineRecord& machine, int row) const;

    // The editing commands on the current row. They return the rows whose lines
    // changed (empty when the table did not change); the caller refreshes those lines
    // and marks the options changed.
    // Choosing a source changes no line; false when it was refused.
    bool copy(const MachineRecord& machine);
    bool cutToMove(const MachineRecord& machine);
    std::vector<int> paste(MachineRecord& machine);
    std::vector<int> pasteRangeStart();
    std::vector<int> pasteRangeEnd(MachineRecord& machine);
    std::vector<int> remove(MachineRecord& machine);
    std::vector<int> deleteRangeStart();
    std::vector<int> deleteRangeEnd(MachineRecord& machine);
    void cancelRanges();

    // The menu text of a command, showing the row it has chosen.
    std::string menuText(ToolEditCommand command) const;

    bool sourceSet() const { return m_sourceSet; }
    bool moveMode() const { return m_move; }
    int sourceRow() const { return m_sourceRow; }
    bool pasteRangeOpen() const { return m_pasteStartSet; }
    bool deleteRangeOpen() const { return m_deleteStartSet; }

private:
    bool chooseSource(const MachineRecord& machine, bool move);
    bool refuseReservedRow() const;
    bool refuseWhileRangeOpen() const;
    bool askOverwrite() const;
    bool ask(int id, std::string_view builtin) const;
    void tell(int id, std::string_view builtin) const;
    std::string text(int id, std::string_view builtin) const { return m_texts.text(id, builtin); }

    MessageBoxes& m_boxes;
    const TextLookup& m_texts;
    int m_currentRow = 0;
    int m_navigationRow = 0;
    int m_sourceRow = 0;
    bool m_sourceSet = false;
    bool m_move = false;
    int m_pasteStart = 0;
    bool m_pasteStartSet = false;
    int m_deleteStart = 0;
    bool m_deleteStartSet = false;
};

} // namespace kvt
