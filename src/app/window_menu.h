#pragma once
// The menu every function window carries: the other machine functions, the design
// functions, the calculations, the machine choice and the options. A window never
// lists its own function.

#include "common/text_lookup.h"
#include "options/options_record.h"

#include <string>
#include <vector>

namespace kvt {

inline constexpr int kFirstMachineCommand = 45670; // 45670 to 45679 choose machine 0 to 9

enum class MenuItemKind { Command, Separator, Popup };
enum class MenuCommand { None, OpenPage, ChooseMachine, Options };

struct MenuItem {
    MenuItemKind kind = MenuItemKind::Command;
    int commandId = 0;
    std::string text; // UTF-8
    MenuCommand command = MenuCommand::None;
    int target = 0; // page id for OpenPage, machine index for ChooseMachine
    bool checked = false;
    std::vector<MenuItem> children;
};

// The window menu of a page; options may be nullptr (no machine names then).
std::vector<MenuItem> buildWindowMenu(int page, const OptionsRecord* options, const TextLookup& texts);

// The label of a machine in "*Maschine wählen...": its stored name or "*Leer".
std::string machineMenuLabel(const MachineRecord& machine, const TextLookup& texts);

} // namespace kvt
