#pragma once
// A machine's tool table inside its machine record. Tool number n (1 to 499) is slot
// n - 1. The table has a 500th slot that belongs to no tool number: the export scan and
// the NC word lookup still walk all 500 slots, but that slot lies partly past the end of
// the machine record, so only slots 0 to 498 are stored and the 500th always reads as
// empty. Records are copied in and out rather than viewed in place, so that nothing
// ever reaches into the bytes that follow the machine record.

#include "options/options_record.h"
#include "tooldb/tool_record.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kvt {

class TextLookup;

inline constexpr int kHighestToolNumber = 499;
inline constexpr std::size_t kToolTableSlotCount = kToolSlotCount; // 500, the last always empty
inline constexpr std::size_t kToolTableStoredSlots = kStoredToolSlotCount; // 499

static_assert(kToolTableSlotCount == kToolTableStoredSlots + 1);
static_assert(kToolTableStoredSlots == static_cast<std::size_t>(kHighestToolNumber));
static_assert(sizeof(ToolSlot) == sizeof(ToolRecord));
static_assert(offsetof(MachineRecord, tools) == kToolTableOffset);
// The part of the 500th slot that lies inside the record ends the record exactly.
static_assert(offsetof(MachineRecord, lastToolSlotStub) == kToolTableOffset + kToolTableStoredSlots * kToolSlotSize);
static_assert(
    offsetof(MachineRecord, lastToolSlotStub) + sizeof(MachineRecord::lastToolSlotStub) == kMachineRecordSize);
static_assert(kToolTableOffset + kToolTableSlotCount * kToolSlotSize == kMachineRecordSize + 16);

// Digits of a tool number in the list: as many as the highest tool number has.
inline constexpr int kToolNumberWidth = 3;
static_assert(kHighestToolNumber >= 100 && kHighestToolNumber < 1000);

// The slot of a tool number, none for numbers outside 1 to 499.
std::optional<std::size_t> toolSlot(int toolNumber);

// Slots 0 to 499; the 500th slot and any slot beyond read as an empty record.
ToolRecord loadTool(const MachineRecord& machine, std::size_t slot);
// Slots 0 to 498. Returns false, and changes nothing, for the 500th slot and beyond.
bool storeTool(MachineRecord& machine, std::size_t slot, const ToolRecord& record);
// Sets every byte of the slot to zero; false for the 500th slot and beyond.
bool clearTool(MachineRecord& machine, std::size_t slot);

// The NC data of a slot without copying the whole record.
std::u16string toolNcData(const MachineRecord& machine, std::size_t slot);

// Clears tools 1 to 499 and fills them with `records` in order from tool 1. More
// than 499 records is refused (false) and changes nothing.
bool replaceToolTable(MachineRecord& machine, std::span<const ToolRecord> records);

// The first of the 500 slots whose NC data contains `word`; none for an empty word or
// when no tool holds it. Used to check the tool offsets of an NC program.
std::optional<std::size_t> findToolByNcWord(const MachineRecord& machine, std::u16string_view word);

// The highest tool number whose tool is present (date of last change set), none when no
// tool is.
std::optional<int> highestPresentTool(const MachineRecord& machine);

// A tool number with three digits and leading zeros ("007"); a number outside 0 to
// 999 is written as it is.
std::string toolNumberText(int toolNumber);
// The list line of tool number 0, which holds no record.
std::string reservedToolLineText(const TextLookup& texts);
inline constexpr int kReservedToolLineId = 76000;
inline constexpr std::string_view kReservedToolLine
    = "*Nicht benutzen, wird Steuerungsintern oft zum WZL Reset benutzt";

} // namespace kvt
