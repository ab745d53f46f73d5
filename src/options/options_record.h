#pragma once
// The options record: every machine's data, the program-wide settings and the saved
// inputs of every window, held in one zero-initialised block and stored encrypted in
// "Options.kvt". The layout is fixed: files written by earlier runs and the
// calculations library rely on every size and offset asserted below.

#include <cstddef>
#include <cstdint>

namespace kvt {

inline constexpr std::size_t kMachineCount = 10;
inline constexpr std::size_t kMachineRecordSize = 965'768;
inline constexpr std::size_t kSpeedStepCount = 250;
inline constexpr std::size_t kKeywordCount = 40;
inline constexpr std::size_t kToolSlotSize = 1580;
inline constexpr std::size_t kToolSlotCount = 500;
// The table has 500 slots from byte 175,784, but 500 x 1580 bytes end 16 bytes past
// the machine record. Only slots 0 to 498 (tools 1 to 499) are stored; the 500th
// slot belongs to no tool and is always read as empty, so nothing overlaps the next
// machine or the global settings.
inline constexpr std::size_t kStoredToolSlotCount = 499;
inline constexpr std::size_t kToolTableOffset = 175'784;
inline constexpr std::size_t kWideTextLength = 256; // characters, terminating zero included

struct KeywordEntry {
    char16_t text[256];
    std::uint32_t colour; // 0x00BBGGRR
    std::uint8_t pairFlag;
    std::uint8_t reserved[3];
};
static_assert(sizeof(KeywordEntry) == 520);

struct ToolSlot {
    std::uint8_t bytes[kToolSlotSize]; // field layout: tooldb
};

// One machine. Offsets are from the start of the record.
struct MachineRecord {
    std::uint8_t blockMarker[16]; // meaningful in machine 0 only; overwritten after every load
    float speedSteps[kSpeedStepCount]; // rev/min, filled from the start, empty entries 0
    char16_t name[kWideTextLength];
    std::uint8_t serialReceive[1048]; // receive settings; layout owned by the serial link
    std::uint32_t idleLimit; // empty reads that end a receive
    std::uint8_t serialSend[1052]; // send settings
    char16_t ncLineNumberFormat[kWideTextLength];
    char16_t ncToolLengthFormat[kWideTextLength];
    std::uint8_t editorMode; // 1 internal, 3 Notepad, other values the external program
    std::uint8_t reserved0;
    char16_t externalEditorPath[768];
    std::uint8_t colours[4][3]; // red, green, blue of the four keyword colour groups
    std::uint8_t reserved1[2];
    KeywordEntry keywords[kKeywordCount];
    std::uint8_t reserved2[4];
    std::uint32_t keywordPairStart;
    std::uint8_t reserved3[204];
    char16_t keywordWordLists[4][512];
    std::uint8_t reserved4[4];
    std::uint32_t controlMemorySize; // bytes of NC memory in the control
    // Dividing head, coolant tanks, parallels and the other per-machine data of the
    // windows; each window lays out its own share of this area.
    std::uint8_t machineData[kToolTableOffset - 31'324];
    ToolSlot tools[kStoredToolSlotCount];
    std::uint8_t lastToolSlotStub[kToolSlotSize - 16]; // the part of slot 500 that lies inside the record
};
static_assert(offsetof(MachineRecord, speedSteps) == 16);
static_assert(offsetof(MachineRecord, name) == 1016);
static_assert(offsetof(MachineRecord, serialReceive) == 1528);
static_assert(offsetof(MachineRecord, idleLimit) == 2576);
static_assert(offsetof(MachineRecord, serialSend) == 2580);
static_assert(offsetof(MachineRecord, ncLineNumberFormat) == 3632);
static_assert(offsetof(MachineRecord, ncToolLengthFormat) == 4144);
static_assert(offsetof(MachineRecord, editorMode) == 4656);
static_assert(offsetof(MachineRecord, externalEditorPath) == 4658);
static_assert(offsetof(MachineRecord, colours) == 6194);
static_assert(offsetof(MachineRecord, keywords) == 6208);
static_assert(offsetof(MachineRecord, keywordPairStart) == 27'012);
static_assert(offsetof(MachineRecord, keywordWordLists) == 27'220);
static_assert(offsetof(MachineRecord, controlMemorySize) == 31'320);
static_assert(offsetof(MachineRecord, machineData) == 31'324);
static_assert(offsetof(MachineRecord, tools) == kToolTableOffset);
static_assert(sizeof(MachineRecord) == kMachineRecordSize);

// Program-wide settings, directly after the ten machines.
struct GlobalSettings {
    std::uint8_t unitSystem; // 0 millimetre, 1 inch
    std::uint8_t volumeUnit; // 0 litre ... 9 fluid ounce imperial
    std::uint8_t unitSystemChanged;
    std::uint8_t volumeUnitChanged;
    std::uint8_t currentMachine; // 0 to 9
    std::uint8_t changed; // 1 = must be written
    std::uint8_t dialogChanged[4]; // one per options page plus a spare; cleared after each load
    std::uint8_t openReportsAutomatically;
    std::uint8_t copyUnitsToClipboard;
    std::uint8_t restartMarker; // 1 = a restart started by the program is under way
    std::uint8_t reserved0[3];
    float safetyValue;
    std::uint8_t startPageIsLastUsed;
    std::uint8_t calculationLevel; // 1 common library, 2 customer library
    std::uint8_t reserved1[42];
};
static_assert(offsetof(GlobalSettings, changed) == 5);
static_assert(offsetof(GlobalSettings, openReportsAutomatically) == 10);
static_assert(offsetof(GlobalSettings, copyUnitsToClipboard) == 11);
static_assert(offsetof(GlobalSettings, safetyValue) == 16);
static_assert(sizeof(GlobalSettings) == 64);

// Every window keeps its inputs in a block of its own; a window's block type must fit
// in kWindowBlockSize (each window asserts that next to its block type).
inline constexpr std::size_t kWindowBlockSize = 1024;
struct WindowBlock {
    std::uint8_t bytes[kWindowBlockSize];
};

struct WindowBlocks {
    WindowBlock cuttingData;
    WindowBlock rs232;
    WindowBlock coolant;
    WindowBlock dividingHead;
    WindowBlock flanges;
    WindowBlock dowelPins;
    WindowBlock sineBar;
    WindowBlock drillDepths;
    WindowBlock eccentricTurning;
    WindowBlock parallels;
    WindowBlock calculations;
    WindowBlock toolManagement;
    WindowBlock cutToLength;
    WindowBlock toolEditor;
    WindowBlock shell; // window position and other shell data
    std::uint8_t reserved[448];
};

inline constexpr std::size_t kOptionsStoredSize = 9'673'552;
inline constexpr std::size_t kOptionsAllocatedSize = 9'673'652;

struct OptionsRecord {
    MachineRecord machines[kMachineCount];
    GlobalSettings settings;
    WindowBlocks windows;
    std::uint8_t unstored[kOptionsAllocatedSize - kOptionsStoredSize]; // held in memory, never written
};
static_assert(offsetof(OptionsRecord, settings) == kMachineCount * kMachineRecordSize);
static_assert(offsetof(OptionsRecord, unstored) == kOptionsStoredSize);
static_assert(sizeof(OptionsRecord) == kOptionsAllocatedSize);
static_assert(kOptionsStoredSize % 16 == 0);

} // namespace kvt
