#include "tooldb/tool_management_form.h"

#include "common/code_page.h"
#include "common/field_validation.h"
#include "tooldb/tool_pictures.h"
#include "tooldb/tool_record.h"
#include "tooldb/tool_table.h"

#include <algorithm>

namespace kvt {

namespace {

constexpr std::u16string_view kCopyMark = u"___!!!";
constexpr std::string_view kScannedLineEnd = "\\r\\n"; // the four characters a scanner sends
constexpr std::string_view kMenuGap = "    ";

std::size_t slotOfRow(int row)
{
    return static_cast<std::size_t>(row - 1);
}

// The copy of a tool: the whole record, its NC data marked so that the NC program cannot
// call two tools by the same words unnoticed.
ToolRecord markedCopy(const ToolRecord& source)
{
    ToolRecord copy = source;
    std::u16string nc(toolText(source, ToolField::NcData));
    nc += kCopyMark;
    setToolText(copy, ToolField::NcData, nc);
    return copy;
}

} // namespace

ToolManagementForm::ToolManagementForm(MessageBoxes& boxes, const TextLookup& texts)
    : m_boxes(boxes)
    , m_texts(texts)
{
}

void ToolManagementForm::setCurrentRow(int row)
{
    if (row < 0 || row > kLastToolRow)
        row = 0;
    m_currentRow = row;
    m_navigationRow = row;
}

void ToolManagementForm::fill(const ToolManagementBlock& block)
{
    setCurrentRow(block.currentRow);
}

void ToolManagementForm::previous()
{
    setCurrentRow(std::max(m_navigationRow - 1, 0));
}

void ToolManagementForm::next()
{
    setCurrentRow(std::min(m_navigationRow + 1, kLastToolRow));
}

void ToolManagementForm::first()
{
    setCurrentRow(0);
}

void ToolManagementForm::last(const MachineRecord& machine)
{
    if (const auto highest = highestPresentTool(machine))
        setCurrentRow(*highest);
}

void ToolManagementForm::load()
{
    setCurrentRow(m_navigationRow);
}

ScanOutcome ToolManagementForm::scan(std::string_view text, bool enter)
{
    std::string number(text);
    if (const auto end = number.find(kScannedLineEnd); end != std::string::npos)
        number.erase(end);
    else if (!enter)
        return ScanOutcome::Waiting;
    if (number.find_first_not_of(' ') == std::string::npos)
        return ScanOutcome::NotANumber;
    ParseResult parsed;
    if (!validateField(number, InputClass::Unsigned, ValueKind::Integer, parsed))
        return ScanOutcome::NotANumber;
    setCurrentRow(std::clamp(parsed.intValue, 0, kLastToolRow));
    return ScanOutcome::Selected;
}

std::string ToolManagementForm::rowNumber(int row)
{
    return toolNumberText(row);
}

std::string ToolManagementForm::rowNcData(const MachineRecord& machine, int row) const
{
    if (row <= 0 || row > kLastToolRow)
        return row == 0 ? reservedToolLineText(m_texts) : std::string();
    return utf16ToUtf8(toolNcData(machine, slotOfRow(row)));
}

std::string ToolManagementForm::rowDescription(const MachineRecord& machine, int row) const
{
    if (row <= 0 || row > kLastToolRow)
        return {};
    const ToolRecord record = loadTool(machine, slotOfRow(row));
    return utf16ToUtf8(toolText(record, ToolField::Description));
}

void ToolManagementForm::tell(int id, std::string_view builtin) const
{
    m_boxes.show({text(id, builtin), questionCaption(m_texts), MessageIcon::Information, MessageButtons::Ok});
}

bool ToolManagementForm::ask(int id, std::string_view builtin) const
{
    return m_boxes.show({text(id, builtin), questionCaption(m_texts), MessageIcon::Question, MessageButtons::YesNo})
        == MessageAnswer::Yes;
}

bool ToolManagementForm::askOverwrite() const
{
    return ask(
        76203, "*Im Zielfeld befinden sich bereits Daten.\nSollen diese Daten undwiderruflich überschrieben werden?");
}

bool ToolManagementForm::refuseReservedRow() const
{
    if (m_currentRow >= 1 && m_currentRow <= kHighestToolNumber)
        return false;
    tell(76205, "*Zeile 000 ist reserviert und enthält kein Werkzeug.\nBitte eine Zeile von 001 bis 499 wählen.");
    return true;
}

bool ToolManagementForm::refuseWhileRangeOpen() const
{
    if (!m_pasteStartSet && !m_deleteStartSet)
        return false;
    tell(76206,
        "*Eine Bereichsoperation ist noch offen.\nBitte erst die Endposition wählen oder "
        "\"Alle Bereichsoperationen abbrechen\".");
    return true;
}

bool ToolManagementForm::chooseSource(const MachineRecord& machine, bool move)
{
    if (refuseReservedRow() || refuseWhileRangeOpen())
        return false;
    if (isEmpty(loadTool(machine, slotOfRow(m_currentRow)))) {
        tell(76207, "*In dieser Zeile ist kein Werkzeug gespeichert.");
        return false;
    }
    m_sourceRow = m_currentRow;
    m_sourceSet = true;
    m_move = move;
    return true;
}

bool ToolManagementForm::copy(const MachineRecord& machine)
{
    return chooseSource(machine, false);
}

bool ToolManagementForm::cutToMove(const MachineRecord& machine)
{
    return chooseSource(machine, true);
}

std::vector<int> ToolManagementForm::paste(MachineRecord& machine)
{
    if (refuseReservedRow())
        return {};
    if (!m_sourceSet) {
        tell(76200, "*Keine Daten zum Kopieren oder Verschieben selektiert!");
        return {};
    }
    const int target = m_currentRow;
    if (target == m_sourceRow) {
        // Moving a tool onto itself would copy it and then clear it.
        tell(76208, "*Quelle und Ziel sind dieselbe Zeile.");
        return {};
    }
    const ToolRecord source = loadTool(machine, slotOfRow(m_sourceRow));
    if (isEmpty(source)) {
        tell(76210, "*Das Werkzeug der Quelle ist nicht mehr vorhanden.");
        return {};
    }
    if (!isEmpty(loadTool(machine, slotOfRow(target))) && !askOverwrite())
        return {};
    if (!m_move) {
        storeTool(machine, slotOfRow(target), markedCopy(source));
        return {target};
    }
    storeTool(machine, slotOfRow(target), source);
    clearTool(machine, slotOfRow(m_sourceRow));
    const int moved = m_sourceRow;
    m_sourceSet = false;
    m_move = false;
    m_sourceRow = 0;
    return {moved, target};
}

std::vector<int> ToolManagementForm::pasteRangeStart()
{
    if (refuseReservedRow())
        return {};
    if (m_deleteStartSet) {
        refuseWhileRangeOpen();
        return {};
    }
    if (!m_sourceSet) {
        tell(76201, "*Keine Daten zum Kopieren selektiert!");
        return {};
    }
    m_pasteStart = m_currentRow;
    m_pasteStartSet = true;
    return {};
}

std::vector<int> ToolManagementForm::pasteRangeEnd(MachineRecord& machine)
{
    if (refuseReservedRow())
        return {};
    if (!m_sourceSet) {
        tell(76201, "*Keine Daten zum Kopieren selektiert!");
        return {};
    }
    if (!m_pasteStartSet) {
        tell(76202, "*Bitte erst die Startposition auswählen!");
        return {};
    }
    if (m_pasteStart > m_currentRow) {
        tell(76209, "*Die Startposition liegt hinter der Endposition. Es wurde nichts verändert.");
        return {};
    }
    const ToolRecord source = loadTool(machine, slotOfRow(m_sourceRow));
    if (isEmpty(source)) {
        tell(76210, "*Das Werkzeug der Quelle ist nicht mehr vorhanden.");
        return {};
    }
    const ToolRecord copy = markedCopy(source);
    std::vector<int> changed;
    for (int row = m_pasteStart; row <= m_currentRow; ++row) {
        // The source keeps its tool: it is what is being copied.
        if (row == m_sourceRow)
            continue;
        if (!isEmpty(loadTool(machine, slotOfRow(row))) && !askOverwrite())
            continue;
        storeTool(machine, slotOfRow(row), copy);
        changed.push_back(row);
    }
    m_sourceSet = false;
    m_move = false;
    m_sourceRow = 0;
    m_pasteStartSet = false;
    m_pasteStart = 0;
    return changed;
}

std::vector<int> ToolManagementForm::remove(MachineRecord& machine)
{
    if (refuseReservedRow())
        return {};
    if (!ask(76204, "*Sollen die Daten im Zielfeld unwiderruflich gelöscht werden?"))
        return {};
    clearTool(machine, slotOfRow(m_currentRow));
    return {m_currentRow};
}

std::vector<int> ToolManagementForm::deleteRangeStart()
{
    if (refuseReservedRow())
        return {};
    if (m_pasteStartSet) {
        refuseWhileRangeOpen();
        return {};
    }
    m_deleteStart = m_currentRow;
    m_deleteStartSet = true;
    return {};
}

std::vector<int> ToolManagementForm::deleteRangeEnd(MachineRecord& machine)
{
    if (refuseReservedRow())
        return {};
    if (!m_deleteStartSet) {
        tell(76202, "*Bitte erst die Startposition auswählen!");
        return {};
    }
    if (m_deleteStart > m_currentRow) {
        tell(76209, "*Die Startposition liegt hinter der Endposition. Es wurde nichts verändert.");
        return {};
    }
    if (!ask(76204, "*Sollen die Daten im Zielfeld unwiderruflich gelöscht werden?"))
        return {};
    std::vector<int> changed;
    for (int row = m_deleteStart; row <= m_currentRow; ++row) {
        clearTool(machine, slotOfRow(row));
        changed.push_back(row);
    }
    m_deleteStartSet = false;
    m_deleteStart = 0;
    return changed;
}

void ToolManagementForm::cancelRanges()
{
    m_sourceSet = false;
    m_move = false;
    m_sourceRow = 0;
    m_pasteStartSet = false;
    m_pasteStart = 0;
    m_deleteStartSet = false;
    m_deleteStart = 0;
}

std::string ToolManagementForm::menuText(ToolEditCommand command) const
{
    auto withRow = [this](int id, std::string_view builtin, bool shown, int row) {
        std::string caption = text(id, builtin);
        if (shown)
            caption += std::string(kMenuGap) + rowNumber(row);
        return caption;
    };
    switch (command) {
    case ToolEditCommand::Copy:
        return withRow(76220, "*Kopieren", m_sourceSet && !m_move, m_sourceRow);
    case ToolEditCommand::CutToMove:
        return withRow(76221, "*Eintrag ausschneiden zum Verschieben", m_sourceSet && m_move, m_sourceRow);
    case ToolEditCommand::Paste:
        return text(76222, "*Einfügen");
    case ToolEditCommand::PasteRangeStart:
        return withRow(76223, "*Einfügen Bereich von bis, Startposition", m_pasteStartSet, m_pasteStart);
    case ToolEditCommand::PasteRangeEnd:
        return text(76224, "*Einfügen Bereich von bis, Endposition");
    case ToolEditCommand::Delete:
        return text(76225, "*Löschen");
    case ToolEditCommand::DeleteRangeStart:
        return withRow(76226, "*Löschen Bereich von bis, Startposition", m_deleteStartSet, m_deleteStart);
    case ToolEditCommand::DeleteRangeEnd:
        return text(76227, "*Löschen Bereich von bis, Endposition");
    case ToolEditCommand::CancelRanges:
        return text(76228, "*Alle Bereichsoperationen abbrechen");
    case ToolEditCommand::Import:
        return text(76229, "*Importieren");
    case ToolEditCommand::Export:
        return text(76230, "*Exportieren");
    }
    return {};
}

} // namespace kvt
