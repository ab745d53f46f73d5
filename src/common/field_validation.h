#pragma once
// Input fields: every number the user types passes through here. The text of an edit
// field is cleaned of blanks, checked character by character against the field's input
// class, cut back at the first offending character and converted. A window writes a cut
// text back into its field silently (caret at the end) and keeps the last valid value.
//
// Input classes (a comma counts as a point in every class except 6):
//   1  digits, point, blank; no minus; at most one point
//   2  as 1 plus minus and plus; the value is negative by nature (sign rule below)
//   3  as 1 plus minus
//   4  digits, point, blank; no minus; no point checks
//   5  as 4 plus minus
//   6, 7, 8 and any class outside 1 to 10: anything
//   9  digits, point, slash, blank; no minus; at most one point; points allowed in integer fields
//   10 as 9 plus minus
//
// Sign rule of class 2 (a magnitude typed into a field whose value is negative): 5 gives
// -5, +5 gives 5, -5 gives -5, 0 gives 0.

#include <cstdint>
#include <string>
#include <string_view>

namespace kvt {

inline constexpr std::size_t kFieldTextLength = 256; // characters, terminating zero included

enum class ValueKind : int {
    Integer = 1, // a decimal point is an error in this field
    Float = 2,
    Double = 3,
    IntegerWithPrefix = 4, // integer plus the first three characters of the text
};

// The input classes above by name; the numbers are the ones stored and passed around.
enum class InputClass : int {
    Unsigned = 1,
    NegativeByNature = 2,
    Signed = 3,
    UnsignedAnyPoints = 4,
    SignedAnyPoints = 5,
    Text = 6, // anything, and a comma stays a comma
    Anything = 7,
    Fraction = 9,
    SignedFraction = 10,
};

// Result codes of the character check; the numbers are the ones the windows were
// written against.
enum class CheckCode : int {
    None = 0,
    MinusNotAllowed = 5, // cut at the minus sign
    CharacterNotAllowed = 6, // cut at the character
    PointInIntegerField = 7, // cut at the point
    SignCode = 8, // class 2: not an error, the value is to be negated
    SecondPoint = 9, // cut at the second point
};

struct CharacterCheck {
    bool error = false;
    CheckCode code = CheckCode::None;
};

struct ParseResult {
    std::int32_t intValue = 0; // kinds 1 and 4
    float floatValue = 0.0f; // kind 2
    double doubleValue = 0.0; // kind 3
    std::string prefix; // kind 4: the first three characters (UTF-8)
};

// Removes every blank that stands before the last character; a blank in the last
// position stays (blank, 1, blank, 2, blank becomes 1, 2, blank).
void removeBlanks(std::string& text);

// Collapses every run of blanks to a single blank.
void collapseDoubleBlanks(std::string& text);

// The character check alone. `text` is UTF-8; on an error it is cut at the offending
// character. In class 2 a plus sign is turned into a minus sign (code 8).
CharacterCheck checkCharacters(std::string& text, bool integerField, int inputClass);

// Cleans, checks and converts a field text. Returns false when the text was cut; the
// window then writes `text` back into the field and leaves its variable as it was. On
// success `text` holds the normalised form that was converted (not for display).
bool validateField(std::string& text, int inputClass, ValueKind kind, ParseResult& result);
inline bool validateField(std::string& text, InputClass inputClass, ValueKind kind, ParseResult& result)
{
    return validateField(text, static_cast<int>(inputClass), kind, result);
}

// Conversions that read a leading number and ignore the rest, as the C runtime's
// wide-character conversions do, but independent of the process locale (a Qt program
// runs with the user's locale, where a comma may be the decimal separator).
double leadingDouble(std::string_view text);
std::int32_t leadingInt(std::string_view text);

} // namespace kvt
