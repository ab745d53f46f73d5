#pragma once
// Page ids name the function windows and double as the ids of their menus; the
// context-menu ids name the edit-field and background menus.

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

} // namespace kvt
