#pragma once
// The central application state (pOpenDialogData). Every function window and the
// calculations library receive a pointer to this one block and reach the rest of the
// program through it. Both deliverables include this header, so the fields keep their
// order and the block holds only plain data: handles are opaque pointers, texts are
// fixed UTF-16 arrays with a terminating zero.

#include <cstdint>

namespace kvt {

struct OptionsRecord;
struct NcTextBuffer;
struct UsedWindowData;
struct CalcList;
struct DowelPinData;

using WindowHandle = void*;
using ModuleHandle = void*;

inline constexpr int kFirstPage = 120;
inline constexpr int kLastPage = 140;
inline constexpr int kPageSlotCount = kLastPage - kFirstPage + 1; // 21
inline constexpr int kTooltipSlotsPerPage = 50;
inline constexpr int kStatePathLength = 256; // UTF-16 units, terminating zero included

// mainWindow points to this port: the calculations library and the windows send the
// controller their requests through it (message numbers of AppMessage), synchronously.
struct MainWindowPort {
    void* context;
    std::intptr_t (*send)(void* context, std::uint32_t message, std::intptr_t lParam);
};

// What the tool management window and the cutting data window hand each other: the
// tool on the way there, and on the way back the return code with the values of the
// chosen variant. This is the only return area; the tool management window takes a
// return code once and sets it back to 0.
struct ToolHandOver {
    float diameter; // mm
    float cuttingSpeed; // m/min
    float feedPerTooth; // mm
    float feedPerRevolution; // mm
    float axialFeedPerRevolution; // mm
    std::int32_t teeth;
    std::int32_t returnCode; // 1 theoretical value, 2 step value, 3 without data
    float returnSpindleSpeed; // rev/min
    float returnCuttingSpeed; // m/min
    float returnDiameter; // mm
    float returnFeedRate; // mm/min
    float returnPlungeFeed; // mm/min
};

// One slot per function window, plus the calculations dialog and the tool data editor.
struct WindowSlots {
    WindowHandle cuttingData;
    WindowHandle rs232;
    WindowHandle coolant;
    WindowHandle dividingHead;
    WindowHandle flanges;
    WindowHandle dowelPins;
    WindowHandle sineBar;
    WindowHandle drillDepths;
    WindowHandle eccentricTurning;
    WindowHandle parallels;
    WindowHandle toolManagement;
    WindowHandle cutToLength;
    WindowHandle calculations;
    WindowHandle toolDataEditor;
};

struct OpenDialogData {
    std::int32_t handOverSenderPage;
    WindowHandle mainWindow; // a MainWindowPort
    ModuleHandle instance;
    ModuleHandle languageModule;
    std::uint8_t languageLoaded;
    std::int32_t languageCode; // 49 German, 44 English
    OptionsRecord* options;
    std::int32_t mainWindowRect[4]; // left, top, right, bottom
    WindowHandle tooltips[kPageSlotCount][kTooltipSlotsPerPage];
    std::uint8_t languageChanged;
    char16_t dataDirectory[kStatePathLength]; // ends with a path separator
    char16_t programDirectory[kStatePathLength];
    char16_t lastReportPath[kStatePathLength];
    std::int32_t startPage;
    std::int32_t currentPage;
    CalcList* calcList;
    std::int32_t optionsCallerPage;
    std::uint8_t optionsWritten;
    NcTextBuffer* ncTextBuffer;
    UsedWindowData* usedWindowData;
    DowelPinData* dowelPinData;
    std::uint8_t calcReturnWanted;
    std::int32_t calcHandOver1;
    std::int32_t handOver[3];
    ToolHandOver toolHandOver;
    std::int32_t calcHandOver2;
    std::int32_t calcHandOver3;
    std::uint8_t messageBoxPending;
    std::uint8_t mainWindowFocused;
    void* sharedGraphicsObject;
    void* sharedMemoryHandle;
    WindowSlots windows;
};

} // namespace kvt
