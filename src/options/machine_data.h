#pragma once
// The machine's own workshop data inside MachineRecord::machineData: vice, dividing
// head, parallels inventory and coolant tanks. The options dialog edits it; the
// parallels, dividing head and coolant windows read it for the current machine. It lies
// at the start of machineData and is stored with the options file, so every offset below
// is fixed once files exist.

#include "options/options_record.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kvt {

inline constexpr std::size_t kParallelSlotCount = 250;
// Slot 0 is "without parallels"; the parallels window may put a combination or a
// required-height entry into the slot after the last used one, so one slot stays free.
inline constexpr std::size_t kMaxParallels = kParallelSlotCount - 2;
inline constexpr std::size_t kIndexPlateHoleCount = 360;
inline constexpr std::size_t kCoolantTankCount = 10;

struct ParallelSlot {
    char16_t label[kWideTextLength]; // list text as shown when it was stored
    float height; // mm; 0 marks an empty slot (except slot 0)
    float depth; // mm
};
static_assert(sizeof(ParallelSlot) == 520);

struct CoolantTank {
    char16_t name[kWideTextLength]; // machine or tank name; empty = unused entry
    float length; // mm, inside
    float width; // mm, inside
    float cornerRadius; // mm, each of the four inner corners
    float maxFill; // ml
    float volumePerHeightUnit; // ml per height unit
    float heightUnit; // mm
    float targetConcentration; // percent
    char16_t productName[kWideTextLength];
    float refractometerFactor;
};
static_assert(sizeof(CoolantTank) == 1056);

struct MachineData {
    float viseJawHeight; // mm
    std::uint8_t dividingHeadRatio; // crank turns per turn of the dividing head spindle
    std::uint8_t currentCoolantTank; // index into coolantTanks
    std::uint8_t reserved0[2];
    std::uint16_t indexPlateHoles[kIndexPlateHoleCount]; // hole circles as typed, empty entries 0
    // Revolutions the spindle turns during a dwell, the machine's usual value for the
    // cutting data window.
    float dwellRevolutions;
    std::uint8_t reserved1[28];
    ParallelSlot parallels[kParallelSlotCount]; // slot 0 "without parallels", then ascending heights
    CoolantTank coolantTanks[kCoolantTankCount];
};
static_assert(offsetof(MachineData, viseJawHeight) == 0);
static_assert(offsetof(MachineData, dividingHeadRatio) == 4);
static_assert(offsetof(MachineData, currentCoolantTank) == 5);
static_assert(offsetof(MachineData, indexPlateHoles) == 8);
static_assert(offsetof(MachineData, dwellRevolutions) == 728);
static_assert(offsetof(MachineData, parallels) == 760);
static_assert(offsetof(MachineData, coolantTanks) == 130'760);
static_assert(sizeof(MachineData) == 141'320);
static_assert(sizeof(MachineData) <= sizeof(MachineRecord::machineData));
static_assert(alignof(MachineData) <= 4);

// machineData starts at an offset divisible by 4 inside a record whose machines are
// 4-byte aligned, so the area may be viewed as MachineData in place.
static_assert(offsetof(MachineRecord, machineData) % alignof(MachineData) == 0);
static_assert(kMachineRecordSize % alignof(MachineData) == 0);

inline MachineData& machineData(MachineRecord& machine)
{
    return *reinterpret_cast<MachineData*>(machine.machineData);
}
inline const MachineData& machineData(const MachineRecord& machine)
{
    return *reinterpret_cast<const MachineData*>(machine.machineData);
}

} // namespace kvt
