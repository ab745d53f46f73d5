#pragma once
// The context menu of a window's edit fields: calculate, copy, paste and clear the
// field, or clear the field together with the fields calculated from it.

#include "common/text_lookup.h"

#include <string>
#include <vector>

namespace kvt {

enum class FieldCommand { Separator, Calculate, Copy, Paste, ClearField, ClearCorresponding };

struct FieldMenuItem {
    FieldCommand command;
    int commandId;
    std::string text; // UTF-8; empty for a separator
};

// The items of context menu 425, 416/417, 453/454, 460/461, 470, 480 or 485; empty
// for an unknown menu.
std::vector<FieldMenuItem> fieldContextMenu(int menuId, const TextLookup& texts);

} // namespace kvt
