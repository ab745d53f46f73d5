#pragma once
// The table of function windows. A page id names a window and doubles as the id of
// its menu; pages 124, 125, 132 and 135 to 139 have no window.

#include "state/app_message.h"
#include "state/open_dialog_data.h"
#include "state/page_ids.h"

#include <cstdint>
#include <optional>
#include <span>

namespace kvt {

struct PageInfo {
    int page;
    AppMessage openMessage;
    int dialogId; // 0 for the library dialog
    int captionId; // string id of the window title
    const char* caption; // built-in title
    std::uint32_t refreshMessage; // sent after the options dialog
    int contextMenu; // 0: the window has no edit-field context menu
    int correspondingContextMenu; // 0: no corresponding fields
    int commandBase; // first command id of the window menu
    bool machineMenu; // "*Maschine wählen..." is offered
};

std::span<const PageInfo> allPages();
const PageInfo* pageInfo(int page);
const PageInfo* pageForOpenMessage(AppMessage message);

// The open message for a stored start page: 0 and 9999999 mean the cutting data window,
// a page without a window opens nothing.
std::optional<AppMessage> startPageMessage(std::int32_t startPage);

// The slot of the central state that holds the window of a page; nullptr for pages
// without a window.
WindowHandle* windowSlot(WindowSlots& slots, int page);

} // namespace kvt
