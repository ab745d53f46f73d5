#include "common/number_lists.h"

#include "common/code_page.h"
#include "common/field_validation.h"
#include "common/units.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace kvt {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A message text from the language module is shown with the information icon, the
// built-in text with the stop icon, as users of both versions know it.
MessageIcon iconFor(const std::string& shown, std::string_view builtin)
{
    return shown == builtin ? MessageIcon::Error : MessageIcon::Information;
}

bool reportUmlaut(std::string_view text, NumberListVariant variant, const TextLookup& texts, MessageBoxes& boxes)
{
    if (!containsUmlaut(text))
        return false;
    MessageBoxRequest request;
    request.text = texts.text(kUmlautMessageId, kUmlautMessage);
    request.caption = texts.text(kErrorCaptionId, numberListCaption(variant));
    request.icon = iconFor(request.text, kUmlautMessage);
    boxes.show(request);
    return true;
}

template<typename T>
int extractInto(std::string_view text, std::span<T> destination, NumberListVariant variant, const TextLookup& texts,
    MessageBoxes& boxes)
{
    if (reportUmlaut(text, variant, texts, boxes))
        return 0;
    const std::vector<std::int32_t> numbers = scanNumbers(text);
    const std::size_t count = std::min(numbers.size(), destination.size());
    for (std::size_t i = 0; i < count; ++i)
        destination[i] = static_cast<T>(numbers[i]);
    return static_cast<int>(count);
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// Reads an unsigned run of digits at `i`.
std::optional<std::int32_t> readDigits(std::string_view s, std::size_t& i)
{
    const std::size_t start = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    if (i == start)
        return std::nullopt;
    return leadingInt(s.substr(start, i - start));
}

void skipBlanks(std::string_view s, std::size_t& i)
{
    while (i < s.size() && s[i] == ' ')
        ++i;
}

// "1 3/4", "1 3 / 4" or "3/4", with an optional leading minus that applies to the whole
// value. Nothing else may follow.
std::optional<double> readFraction(std::string_view text)
{
    const std::string_view s = trimmed(text);
    std::size_t i = 0;
    const bool negative = i < s.size() && s[i] == '-';
    if (negative)
        ++i;
    std::array<std::int32_t, 3> parts {};
    int count = 0;
    bool slashSeen = false;
    int numbersBeforeSlash = 0;
    while (i < s.size()) {
        skipBlanks(s, i);
        if (i < s.size() && s[i] == '/') {
            if (slashSeen || count == 0)
                return std::nullopt;
            slashSeen = true;
            numbersBeforeSlash = count;
            ++i;
            continue;
        }
        const auto number = readDigits(s, i);
        if (!number || count == 3)
            return std::nullopt;
        parts[static_cast<std::size_t>(count++)] = *number;
        if (i < s.size() && s[i] != ' ' && s[i] != '/')
            return std::nullopt;
    }
    // The slash must stand between the numerator and the denominator.
    if (!slashSeen || numbersBeforeSlash != count - 1)
        return std::nullopt;
    double value = 0.0;
    if (count == 3)
        value = mixedFraction(parts[0], parts[1], parts[2]);
    else if (count == 2)
        value = mixedFraction(0, parts[0], parts[1]);
    else
        return std::nullopt;
    return negative ? -value : value;
}

// The whole text as one decimal number.
std::optional<double> readDecimal(std::string_view text)
{
    const std::string_view s = trimmed(text);
    std::size_t i = 0;
    if (i < s.size() && s[i] == '-')
        ++i;
    std::size_t digits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i]))
            ++digits;
        else if (s[i] == '.' && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    return leadingDouble(s);
}

} // namespace

std::string_view numberListCaption(NumberListVariant variant)
{
    switch (variant) {
    case NumberListVariant::DividingPlates:
        return "QXF GetNumbersOoutofTCHAR_Int_MEGA_TK";
    case NumberListVariant::Parallels:
        return "QXF GetNumbersOoutofTCHAR_IntPSVersionMEGA";
    case NumberListVariant::SpindleSpeeds:
        return "QXF GetNumbersOoutofTCHAR_IntDrehzahlenMega";
    case NumberListVariant::Floats:
    case NumberListVariant::CheckedField:
        break;
    }
    return "QXF GetNumbersOoutofTCHAR_Int";
}

bool containsUmlaut(std::string_view utf8)
{
    for (std::string_view umlaut : {"ä", "Ä", "ö", "Ö", "ü", "Ü"}) {
        if (utf8.find(umlaut) != std::string_view::npos)
            return true;
    }
    return false;
}

std::vector<std::int32_t> scanNumbers(std::string_view utf8)
{
    std::vector<std::int32_t> numbers;
    constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    bool inRun = false;
    bool negative = false;
    for (std::size_t i = 0; i <= utf8.size(); ++i) {
        const char c = i < utf8.size() ? utf8[i] : '\0';
        if (isDigit(c)) {
            if (i > 0 && utf8[i - 1] == '-')
                negative = true;
            value = std::min(value * 10 + (c - '0'), limit);
            inRun = true;
            continue;
        }
        if (inRun) {
            numbers.push_back(static_cast<std::int32_t>(negative ? -value : value));
            value = 0;
            inRun = false;
            negative = false;
        }
    }
    return numbers;
}

int extractNumbers(std::string_view text, std::span<float> destination, NumberListVariant variant,
    const TextLookup& texts, MessageBoxes& boxes)
{
    return extractInto(text, destination, variant, texts, boxes);
}

int extractNumbers(std::string_view text, std::span<std::int32_t> destination, NumberListVariant variant,
    const TextLookup& texts, MessageBoxes& boxes)
{
    return extractInto(text, destination, variant, texts, boxes);
}

bool validateFieldWithMessage(FractionInput& windowData, std::string& text, bool fractionAllowed, int inputClass,
    float& result, const TextLookup& texts, MessageBoxes& boxes)
{
    windowData = FractionInput {};
    const CharacterCheck check = checkCharacters(text, false, inputClass);
    if (check.error) {
        MessageBoxRequest request;
        request.text = texts.text(kIllegalCharactersMessageId, kIllegalCharactersMessage);
        request.caption = texts.text(kErrorCaptionId, "ERROR");
        request.icon = iconFor(request.text, kIllegalCharactersMessage);
        boxes.show(request);
        result = 0.0f;
        return false;
    }
    if (!fractionAllowed) {
        result = static_cast<float>(leadingDouble(text));
        return true;
    }
    if (const auto decimal = readDecimal(text)) {
        result = static_cast<float>(*decimal);
        return true;
    }
    if (containsUmlaut(text)) {
        // The number list behind the fraction reading refuses such a text with its message.
        float ignored[3];
        extractNumbers(text, std::span<float>(ignored), NumberListVariant::CheckedField, texts, boxes);
        result = 0.0f;
        return true;
    }
    if (const auto fraction = readFraction(text)) {
        windowData.fractionText = text.substr(0, utf8PrefixBytes(text, kFieldTextLength - 1));
        windowData.isFraction = true;
        result = static_cast<float>(*fraction);
        return true;
    }
    // Something that is neither: take the leading number, as a plain field would.
    result = static_cast<float>(leadingDouble(text));
    return true;
}

} // namespace kvt
