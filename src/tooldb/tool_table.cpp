#include "tooldb/tool_table.h"

#include "common/code_page.h"
#include "common/number_format.h"
#include "common/text_lookup.h"

#include <cstring>

namespace kvt {

std::optional<std::size_t> toolSlot(int toolNumber)
{
    if (toolNumber < 1 || toolNumber > kHighestToolNumber)
        return std::nullopt;
    return static_cast<std::size_t>(toolNumber - 1);
}

ToolRecord loadTool(const MachineRecord& machine, std::size_t slot)
{
    ToolRecord record {};
    if (slot < kToolTableStoredSlots)
        std::memcpy(&record, machine.tools[slot].bytes, sizeof record);
    return record;
}

bool storeTool(MachineRecord& machine, std::size_t slot, const ToolRecord& record)
{
    if (slot >= kToolTableStoredSlots)
        return false;
    std::memcpy(machine.tools[slot].bytes, &record, sizeof record);
    return true;
}

bool clearTool(MachineRecord& machine, std::size_t slot)
{
    if (slot >= kToolTableStoredSlots)
        return false;
    std::memset(machine.tools[slot].bytes, 0, sizeof machine.tools[slot].bytes);
    return true;
}

std::u16string toolNcData(const MachineRecord& machine, std::size_t slot)
{
    if (slot >= kToolTableStoredSlots)
        return {};
    char16_t ncData[kToolNcDataLength];
    std::memcpy(ncData, machine.tools[slot].bytes + offsetof(ToolRecord, ncData), sizeof ncData);
    return std::u16string(fixedText(ncData));
}

bool replaceToolTable(MachineRecord& machine, std::span<const ToolRecord> records)
{
    if (records.size() > kToolTableStoredSlots)
        return false;
    for (std::size_t slot = 0; slot < kToolTableStoredSlots; ++slot) {
        if (slot < records.size())
            storeTool(machine, slot, records[slot]);
        else
            clearTool(machine, slot);
    }
    return true;
}

std::optional<std::size_t> findToolByNcWord(const MachineRecord& machine, std::u16string_view word)
{
    if (word.empty())
        return std::nullopt;
    // The 500th slot is part of the search but always empty, so it never matches.
    for (std::size_t slot = 0; slot < kToolTableSlotCount; ++slot) {
        if (toolNcData(machine, slot).find(word) != std::u16string::npos)
            return slot;
    }
    return std::nullopt;
}

std::optional<int> highestPresentTool(const MachineRecord& machine)
{
    for (int number = kHighestToolNumber; number >= 1; --number) {
        char16_t date[kToolDateLength];
        std::memcpy(date, machine.tools[number - 1].bytes + offsetof(ToolRecord, lastChangeDate), sizeof date);
        if (date[0] != u'\0')
            return number;
    }
    return std::nullopt;
}

std::string toolNumberText(int toolNumber)
{
    // The format is built from the width, as the NC tool words are ("%03i" here).
    return cformat(cformat("%%0%ii", kToolNumberWidth), toolNumber);
}

std::string reservedToolLineText(const TextLookup& texts)
{
    return texts.text(kReservedToolLineId, kReservedToolLine);
}

} // namespace kvt
