#pragma once
// The table of function windows. A page id names a window and doubles as the id of
// its menu; pages 124, 125, 132 and 135 to 139 have no window.

#include "app/app_message.h"
#include "app/open_dialog_data.h"

#include <cstdint>
#include <optional>
#include <span>

namespace kvt {

namespace page {
inline constexpr int CuttingData = 120;
inline constexpr int Rs232 = 121;
inline constexpr int Coolant = 122;
inline constexpr int DividingHead = 123;
inline constexpr int Flanges = 126;
inline constexpr int DowelPins = 127;
inline constexpr int SineBar = 128;
inline constexpr int DrillDepths = 129;
inline constexpr int EccentricTurning = 130;
inline constexpr int Parallels = 131;
inline constexpr int Calculations = 133;
inline constexpr int ToolManagement = 134;
inline constexpr int CutToLength = 140;
} // namespace page

// Edit-field context menus and the window background menus.
namespace context_menu {
inline constexpr int Standard = 425;
inline constexpr int Flanges = 416;
inline constexpr int FlangesCorresponding = 417;
inline constexpr int Eccentric = 453;
inline constexpr int EccentricCorresponding = 454;
inline constexpr int SineBar = 460;
inline constexpr int SineBarCorresponding = 461;
inline constexpr int CutToLength = 470;
inline constexpr int ToolManagement = 480;
inline constexpr int ToolEditor = 485;
inline constexpr int Background = 415;
inline constexpr int BackgroundWithReturn = 467;
} // namespace context_menu

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
