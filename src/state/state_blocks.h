#pragma once
// The large state blocks besides the central state and the options record. Each is
// one zero-filled allocation kept for the whole run, so switching windows allocates
// nothing. The windows that own a block lay out its contents.

#include <cstddef>
#include <cstdint>

namespace kvt {

inline constexpr std::size_t kNcTextCapacity = 10'240'000; // bytes or UTF-16 units
inline constexpr std::size_t kNcScratchSize = 2'048'000;
inline constexpr std::size_t kColourRangeCapacity = 500'000;
inline constexpr std::size_t kReportTextLength = 3584; // UTF-16 units, terminating zero included

struct ColourRange {
    std::uint32_t start;
    std::uint32_t end;
    std::uint32_t colour; // 0x00BBGGRR
};

// The NC program being edited, sent or received, and the shared report text area
// through which every calculation window hands its report to the report writer.
struct NcTextBuffer {
    char narrowText[kNcTextCapacity]; // ANSI code page, NUL-terminated
    std::uint32_t length; // bytes loaded or received
    std::uint8_t scratch[kNcScratchSize];
    char16_t displayText[kNcTextCapacity];
    char16_t secondText[kNcTextCapacity];
    std::uint32_t lineCount; // CR LF pairs in displayText
    std::uint32_t displayLength; // UTF-16 units in displayText
    void* editControl;
    char16_t* textPointer;
    ColourRange colourRanges[kColourRangeCapacity];
    std::uint32_t colourRangeCount;
    std::uint32_t dirtyLines[kColourRangeCapacity];
    char reportNarrow[kReportTextLength]; // the 8-bit copy of the report as written to disk
    char16_t reportText[kReportTextLength];
};

// Working data of the eccentric turning window.
struct UsedWindowData {
    std::uint8_t bytes[64 * 1024];
};

// The calculator list of the calculations library.
struct CalcList {
    std::uint8_t bytes[64 * 1024];
};

// Inputs, results and the standard pin tables of the dowel pin window.
struct DowelPinData {
    std::uint8_t bytes[256 * 1024];
};

} // namespace kvt
