#pragma once
// The requests a function window sends to the hidden controller. The numbers are the
// ones the windows and the calculations library have always used; they are handled
// synchronously, so a window may rely on the result when the call returns.

#include <cstdint>

namespace kvt {

enum class AppMessage : std::uint32_t {
    LoadLanguage = 0x820, // UM_LOAD_LANGUAGE
    SetLanguage = 0x936, // UM_SET_LANGUAGE
    SaveStartupSettings = 0x862, // UM_SAVE_STARTUP_SETTINGS
    ReadStartupSettings = 0x863, // UM_READ_STARTUP_SETTINGS
    ReadOptionsFile = 0x864, // UM_READ_OPTIONS_FILE
    WriteOptionsFile = 0x865, // UM_WRITE_OPTIONS_FILE
    SaveOptions = 0x879, // UM_SAVE_OPTIONS
    SaveAll = 0x1302, // UM_SAVE_ALL
    OpenCuttingData = 0x866, // UM_OPEN_CUTTING_DATA
    OpenRs232 = 0x867, // UM_OPEN_RS232
    OpenCoolant = 0x868, // UM_OPEN_COOLANT
    OpenDividingHead = 0x869, // UM_OPEN_DIVIDING_HEAD
    OpenFlanges = 0x872, // UM_OPEN_FLANGES
    OpenDowelPins = 0x873, // UM_OPEN_DOWEL_PINS
    OpenSineBar = 0x874, // UM_OPEN_SINE_BAR
    OpenDrillDepths = 0x875, // UM_OPEN_DRILL_DEPTHS
    OpenEccentricTurning = 0x876, // UM_OPEN_ECCENTRIC_TURNING
    OpenParallels = 0x877, // UM_OPEN_PARALLELS
    OpenCalculations = 0x898, // UM_OPEN_CALCULATIONS
    OpenToolManagement = 0x881, // UM_OPEN_TOOL_MANAGEMENT
    OpenCutToLength = 0x1322, // UM_OPEN_CUT_TO_LENGTH
    ShowToolManagement = 0x1272, // UM_SHOW_TOOL_MANAGEMENT
    OpenStartPage = 0x949, // UM_OPEN_START_PAGE
    OpenOptions = 0x870, // UM_OPEN_OPTIONS
    QuitRequest = 0x878, // UM_QUIT_REQUEST
    Exit = 0x1321, // UM_EXIT
    ReleaseState = 0x1250, // UM_RELEASE_STATE
    Restart = 0x1347, // UM_RESTART
    SaveAndRestart = 0x997, // UM_SAVE_AND_RESTART
    CheckSingleInstance = 0x1141, // UM_CHECK_SINGLE_INSTANCE
    RunCalculationsLibrary = 0x1344, // UM_RUN_CALCULATIONS_LIBRARY
    RegisterCalcWindow = 0x1343, // UM_REGISTER_CALC_WINDOW
    ShowAbout = 0x1142, // UM_SHOW_ABOUT
    ShowSupportMail = 0x1265, // UM_SHOW_SUPPORT_MAIL
    OpenManual = 0x1234, // UM_OPEN_MANUAL
    DownloadManual = 0x1353, // UM_DOWNLOAD_MANUAL
    OpenDataFolder = 0x1346, // UM_OPEN_DATA_FOLDER
    RestoreMainPosition = 0x1212, // UM_RESTORE_MAIN_POSITION
    AllocState = 0x1164, // UM_ALLOC_STATE
    AllocNcTextBuffer = 0x975, // UM_ALLOC_NC_TEXT_BUFFER
    AllocCalcList = 0x1162, // UM_ALLOC_CALC_LIST
    AllocUsedWindowData = 0x1136, // UM_ALLOC_USED_WINDOW_DATA
    AllocDowelPinData = 0x1184, // UM_ALLOC_DOWEL_PIN_DATA
};

// Filled by a window before it asks for another window.
struct OpenRequest {
    std::int32_t senderPage = 0;
    void* senderWindow = nullptr; // closed before the new window opens, unless it is the main window
    void* secondWindow = nullptr; // closed too, only when the cutting data window is opened
    std::uint8_t returnDataWanted = 0; // calculations command: the sender expects values back
    std::int32_t value1 = 0;
    std::int32_t value2 = 0;
    std::int32_t value3 = 0;
    std::int32_t calcValue1 = 0;
    std::int32_t calcValue2 = 0;
    std::int32_t calcValue3 = 0;
    std::int32_t originPage = 0; // 134 tool management, 133 calculations library
};

} // namespace kvt
