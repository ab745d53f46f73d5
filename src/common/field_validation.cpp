#include "common/field_validation.h"

#include "common/code_page.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace kvt {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

CharacterCheck cutAt(std::string& text, std::size_t position, CheckCode code)
{
    text.resize(position);
    return {true, code};
}

} // namespace

void removeBlanks(std::string& text)
{
    if (text.empty())
        return;
    const char last = text.back();
    text.pop_back();
    std::erase(text, ' ');
    text.push_back(last);
}

void collapseDoubleBlanks(std::string& text)
{
    const auto end = std::unique(text.begin(), text.end(), [](char a, char b) { return a == ' ' && b == ' '; });
    text.erase(end, text.end());
}

CharacterCheck checkCharacters(std::string& text, bool integerField, int inputClass)
{
    if (inputClass != 6)
        std::replace(text.begin(), text.end(), ',', '.');
    if (inputClass < 1 || inputClass > 10 || inputClass == 6 || inputClass == 7 || inputClass == 8)
        return {};

    const bool minusAllowed = inputClass == 2 || inputClass == 3 || inputClass == 5 || inputClass == 10;
    const bool plusAllowed = inputClass == 2;
    const bool slashAllowed = inputClass == 9 || inputClass == 10;
    const bool pointChecks = inputClass != 4 && inputClass != 5;
    const bool integerRule = integerField && inputClass <= 5;

    bool pointSeen = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c) || c == ' ')
            continue;
        if (c == '.') {
            if (integerRule)
                return cutAt(text, i, CheckCode::PointInIntegerField);
            if (pointChecks && pointSeen)
                return cutAt(text, i, CheckCode::SecondPoint);
            pointSeen = true;
            continue;
        }
        if (c == '/' && slashAllowed)
            continue;
        if (c == '-') {
            if (minusAllowed)
                continue;
            return cutAt(text, i, CheckCode::MinusNotAllowed);
        }
        if (c == '+' && plusAllowed)
            continue;
        return cutAt(text, i, CheckCode::CharacterNotAllowed);
    }

    if (inputClass == 2) {
        // An explicit plus keeps the value positive: it becomes a minus here and the
        // caller negates the converted value again.
        if (const auto plus = text.find('+'); plus != std::string::npos) {
            text[plus] = '-';
            return {false, CheckCode::SignCode};
        }
        if (leadingDouble(text) > 0.0)
            return {false, CheckCode::SignCode};
    }
    return {};
}

bool validateField(std::string& text, int inputClass, ValueKind kind, ParseResult& result)
{
    result = ParseResult {};
    // A field holds at most 255 characters; anything longer is not foreseen.
    text.resize(utf8PrefixBytes(text, kFieldTextLength - 1));
    removeBlanks(text);
    const CharacterCheck check = checkCharacters(text, kind == ValueKind::Integer, inputClass);
    if (check.error)
        return false;
    switch (kind) {
    case ValueKind::Integer:
        result.intValue = leadingInt(text);
        break;
    case ValueKind::Float:
        result.floatValue = static_cast<float>(leadingDouble(text));
        if (check.code == CheckCode::SignCode)
            result.floatValue = -result.floatValue;
        break;
    case ValueKind::Double:
        result.doubleValue = leadingDouble(text);
        break;
    case ValueKind::IntegerWithPrefix:
        result.intValue = leadingInt(text);
        result.prefix = text.substr(0, utf8PrefixBytes(text, 3));
        break;
    }
    return true;
}

double leadingDouble(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Only plain decimal numbers count: "inf", "nan" and hexadecimal forms read as 0.
    const std::size_t start = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    std::size_t mantissaDigits = i - start;
    if (i < text.size() && text[i] == '.') {
        ++i;
        const std::size_t fraction = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        mantissaDigits += i - fraction;
    }
    if (mantissaDigits == 0)
        return 0.0;
    bool exponentNegative = false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            exponentNegative = text[j] == '-';
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(text.data() + start, text.data() + i, value);
    if (result.ec == std::errc::result_out_of_range)
        // from_chars leaves the value alone here; the runtime gives 0 or HUGE_VAL.
        value = exponentNegative ? 0.0 : std::numeric_limits<double>::infinity();
    else if (result.ec != std::errc())
        return 0.0;
    return negative ? -value : value;
}

std::int32_t leadingInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::int64_t {std::numeric_limits<std::int32_t>::max()} + 1;
    while (i < text.size() && isDigit(text[i])) {
        value = std::min(value * 10 + (text[i] - '0'), limit);
        ++i;
    }
    if (negative)
        value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace kvt
