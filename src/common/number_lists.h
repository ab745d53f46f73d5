#pragma once
// Lists of whole numbers typed into one field (spindle speeds, parallels, dividing
// plates), and the checked single-value field of the options pages that also takes
// inch fractions such as "1 3/4".

#include "common/message_boxes.h"
#include "common/text_lookup.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

// Which list is being read; each has its own caption for the umlaut message.
enum class NumberListVariant {
    Floats, // "QXF GetNumbersOoutofTCHAR_Int"
    DividingPlates, // "QXF GetNumbersOoutofTCHAR_Int_MEGA_TK"
    Parallels, // "QXF GetNumbersOoutofTCHAR_IntPSVersionMEGA"
    SpindleSpeeds, // "QXF GetNumbersOoutofTCHAR_IntDrehzahlenMega"
    CheckedField, // same caption as Floats
};

inline constexpr int kErrorCaptionId = 67557; // "ERROR"
inline constexpr int kUmlautMessageId = 67563;
inline constexpr int kIllegalCharactersMessageId = 67565;
inline constexpr std::string_view kUmlautMessage = "*Umlaute in String. Zahlen können nicht extrahiert werden";
inline constexpr std::string_view kIllegalCharactersMessage = "*Unerlaubte Zeichen im Eingabefeld!";

std::string_view numberListCaption(NumberListVariant variant);

// True when the text holds one of ä Ä ö Ö ü Ü.
bool containsUmlaut(std::string_view utf8);

// The numbers of a list: every run of digits is one number, negative when a minus sign
// stands directly before it; every other character separates. "100, 200;315" gives
// 100 200 315 and "10-20" gives 10 -20. Runs too long for 32 bits saturate.
std::vector<std::int32_t> scanNumbers(std::string_view utf8);

// Fills `destination` with the numbers of the list and returns how many were stored
// (never more than the destination holds). A text with an umlaut stores nothing and
// shows a message with the variant's caption.
int extractNumbers(std::string_view text, std::span<float> destination, NumberListVariant variant,
    const TextLookup& texts, MessageBoxes& boxes);
int extractNumbers(std::string_view text, std::span<std::int32_t> destination, NumberListVariant variant,
    const TextLookup& texts, MessageBoxes& boxes);

// What an options page keeps about a field that may hold an inch fraction.
struct FractionInput {
    std::string fractionText; // the text as typed when it was a fraction
    bool isFraction = false;
};

// The checked field variant. `text` is checked with `inputClass` as a float field and
// cut at an offending character, which is reported with "*Unerlaubte Zeichen im
// Eingabefeld!". With `fractionAllowed` a mixed fraction ("1 3/4") or a plain fraction
// ("3/4") is read as well. `result` receives the value, 0 when nothing valid was read.
// Returns false when the text was cut.
bool validateFieldWithMessage(FractionInput& windowData, std::string& text, bool fractionAllowed, int inputClass,
    float& result, const TextLookup& texts, MessageBoxes& boxes);

} // namespace kvt
