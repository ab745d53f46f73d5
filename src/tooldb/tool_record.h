#pragma once
// The tool database: every machine carries a table of tools in its machine record
// (tools 1 to 499, stored with the options file), exports it to a text file that moves
// it to another machine or serves as a backup, and keeps the tools' pictures in a
// folder of its own. This header holds one tool's record, byte for byte as stored, and
// the description of its 22 fields that the editor, the export file and the messages
// share.

#include "options/options_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvt {

class TextLookup;

// Text widths in UTF-16 units, terminating zero included.
inline constexpr std::size_t kToolNcDataLength = 128;
inline constexpr std::size_t kToolDescriptionLength = 128;
inline constexpr std::size_t kToolMakerLength = 64;
inline constexpr std::size_t kToolOrderNumberLength = 32;
inline constexpr std::size_t kToolCategoryLength = 64;
inline constexpr std::size_t kToolDateLength = 16;
inline constexpr std::size_t kToolPicturePathLength = 256;

// One tool, as stored in its 1580-byte slot (little-endian, no padding of its own:
// every gap is a named reserved field, kept zero). Lengths, radii and feeds are metric.
struct ToolRecord {
    char16_t ncData[kToolNcDataLength]; // the tool call and offset words of the NC program
    char16_t description[kToolDescriptionLength];
    char16_t maker[kToolMakerLength];
    char16_t orderNumber[kToolOrderNumberLength];
    char16_t category[kToolCategoryLength]; // one of the category texts, as chosen
    std::uint8_t reserved0[32];
    char16_t replacementDate[kToolDateLength]; // day first, ten characters
    char16_t lastChangeDate[kToolDateLength]; // day first; not empty = the tool is present
    char16_t picturePath[kToolPicturePathLength];
    std::int32_t pictureRotation; // quarter turns clockwise, 0 to 3
    float length; // mm
    float radius; // mm; the diameter is shown as twice this and not stored
    float lengthTolerance; // mm
    float radiusTolerance; // mm
    std::uint16_t teeth;
    std::uint8_t reserved1[2];
    float cuttingSpeed; // m/min
    float feedPerRevolution; // mm
    float axialFeedPerRevolution; // mm
    float feedPerTooth; // mm
    float axialFeedRate; // mm/min
    float feedRate; // mm/min
    float spindleSpeed; // rev/min
    float angleOrRadius; // degrees or mm, as the category means it
    std::uint8_t reserved2[84];
};
static_assert(offsetof(ToolRecord, ncData) == 0);
static_assert(offsetof(ToolRecord, description) == 256);
static_assert(offsetof(ToolRecord, maker) == 512);
static_assert(offsetof(ToolRecord, orderNumber) == 640);
static_assert(offsetof(ToolRecord, category) == 704);
static_assert(offsetof(ToolRecord, replacementDate) == 864);
static_assert(offsetof(ToolRecord, lastChangeDate) == 896);
static_assert(offsetof(ToolRecord, picturePath) == 928);
static_assert(offsetof(ToolRecord, pictureRotation) == 1440);
static_assert(offsetof(ToolRecord, length) == 1444);
static_assert(offsetof(ToolRecord, radius) == 1448);
static_assert(offsetof(ToolRecord, lengthTolerance) == 1452);
static_assert(offsetof(ToolRecord, radiusTolerance) == 1456);
static_assert(offsetof(ToolRecord, teeth) == 1460);
static_assert(offsetof(ToolRecord, cuttingSpeed) == 1464);
static_assert(offsetof(ToolRecord, feedPerRevolution) == 1468);
static_assert(offsetof(ToolRecord, axialFeedPerRevolution) == 1472);
static_assert(offsetof(ToolRecord, feedPerTooth) == 1476);
static_assert(offsetof(ToolRecord, axialFeedRate) == 1480);
static_assert(offsetof(ToolRecord, feedRate) == 1484);
static_assert(offsetof(ToolRecord, spindleSpeed) == 1488);
static_assert(offsetof(ToolRecord, angleOrRadius) == 1492);
static_assert(offsetof(ToolRecord, reserved2) == 1496);
static_assert(sizeof(ToolRecord) == kToolSlotSize);
static_assert(sizeof(float) == 4);

// A record is empty when every byte is zero.
bool isEmpty(const ToolRecord& record);
// The tool counts as present for the window and its editing commands once it has been
// saved in the editor: its date of last change is not empty.
bool isPresent(const ToolRecord& record);
// The export writes a tool when its NC data is not empty.
bool hasNcData(const ToolRecord& record);

// The 22 fields in the order of an export line.
enum class ToolField : int {
    NcData,
    Description,
    Category,
    Maker,
    OrderNumber,
    PicturePath,
    ReplacementDate,
    LastChangeDate,
    PictureRotation,
    Length,
    Radius,
    LengthTolerance,
    RadiusTolerance,
    AngleOrRadius,
    Teeth,
    CuttingSpeed,
    FeedPerRevolution,
    AxialFeedPerRevolution,
    FeedPerTooth,
    AxialFeedRate,
    FeedRate,
    SpindleSpeed,
};
inline constexpr std::size_t kToolFieldCount = 22;

enum class ToolFieldKind { Text, Integer, UnsignedShort, Float };

struct ToolFieldInfo {
    ToolField field;
    ToolFieldKind kind;
    std::size_t offset; // in the record
    std::size_t textLength; // UTF-16 units with the terminator; 0 for numbers
    int labelId; // the editor's label
    std::string_view label; // built-in text
};

// In export order; the editor takes its labels from here as well.
const std::array<ToolFieldInfo, kToolFieldCount>& toolFields();
const ToolFieldInfo& toolFieldInfo(ToolField field);
std::string toolFieldLabel(const TextLookup& texts, ToolField field);

// The text fields of a record, read up to the terminator, and written with the rest
// of the array zeroed. setToolText returns false when the text had to be cut to fit;
// both do nothing for a numeric field.
std::u16string_view toolText(const ToolRecord& record, ToolField field);
bool setToolText(ToolRecord& record, ToolField field, std::u16string_view text);

// Why a text cannot be stored in a tool and survive the export file, whose lines are
// the fields joined by " | ": a line break, the separator " | " itself, a text ending in
// " |" (it would join with the separator that follows), a zero character, or half of a
// surrogate pair. The editor refuses such text where it is typed; the export refuses a
// table that holds one and the import a file that does.
enum class ToolTextProblem { None, LineBreak, Separator, SeparatorAtEnd, ZeroCharacter, BrokenCharacter };
ToolTextProblem toolTextProblem(std::u16string_view text);
// The message for the user, naming the field.
std::string toolTextProblemMessage(const TextLookup& texts, ToolField field, ToolTextProblem problem);

} // namespace kvt
