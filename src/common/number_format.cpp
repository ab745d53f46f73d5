#include "common/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace kvt {

long long FormatArg::asSigned() const
{
    switch (m_kind) {
    case Kind::Signed:
        return m_signed;
    case Kind::Unsigned:
        return m_unsigned > static_cast<unsigned long long>(std::numeric_limits<long long>::max())
            ? std::numeric_limits<long long>::max()
            : static_cast<long long>(m_unsigned);
    case Kind::Floating: {
        // Truncates toward zero as a cast would, but saturates where a cast is undefined.
        if (std::isnan(m_floating))
            return 0;
        constexpr double kLimit = 9223372036854775807.0; // 2^63, the first value that does not fit
        if (m_floating >= kLimit)
            return std::numeric_limits<long long>::max();
        if (m_floating < -kLimit)
            return std::numeric_limits<long long>::min();
        return static_cast<long long>(m_floating);
    }
    case Kind::Text:
        break;
    }
    return 0;
}

unsigned long long FormatArg::asUnsigned() const
{
    switch (m_kind) {
    case Kind::Signed:
        // As printf reads a negative int through %u: the two's complement bit pattern.
        return static_cast<unsigned long long>(m_signed);
    case Kind::Unsigned:
        return m_unsigned;
    case Kind::Floating: {
        if (std::isnan(m_floating) || m_floating <= 0.0)
            return 0;
        constexpr double kLimit = 18446744073709551616.0; // 2^64
        if (m_floating >= kLimit)
            return std::numeric_limits<unsigned long long>::max();
        return static_cast<unsigned long long>(m_floating);
    }
    case Kind::Text:
        break;
    }
    return 0;
}

double FormatArg::asDouble() const
{
    switch (m_kind) {
    case Kind::Signed:
        return static_cast<double>(m_signed);
    case Kind::Unsigned:
        return static_cast<double>(m_unsigned);
    case Kind::Floating:
        return m_floating;
    case Kind::Text:
        break;
    }
    return 0.0;
}

namespace {

struct Directive {
    bool leftAlign = false;
    bool plus = false;
    bool space = false;
    bool zeroPad = false;
    bool alternate = false;
    int width = 0;
    int precision = -1; // -1: not given
    char conversion = 0;
};

// Digits, sign and prefix kept apart so that zero padding goes between them.
void pad(
    std::string& out, const Directive& directive, std::string_view sign, std::string_view body, bool zeroPadAllowed)
{
    const std::size_t length = sign.size() + body.size();
    const std::size_t width = directive.width > 0 ? static_cast<std::size_t>(directive.width) : 0;
    const std::size_t fill = width > length ? width - length : 0;
    if (directive.leftAlign) {
        out += sign;
        out += body;
        out.append(fill, ' ');
    } else if (directive.zeroPad && zeroPadAllowed) {
        out += sign;
        out.append(fill, '0');
        out += body;
    } else {
        out.append(fill, ' ');
        out += sign;
        out += body;
    }
}

std::string_view signFor(bool negative, const Directive& directive)
{
    if (negative)
        return "-";
    if (directive.plus)
        return "+";
    if (directive.space)
        return " ";
    return "";
}

void formatInteger(std::string& out, const Directive& directive, const FormatArg& arg)
{
    bool negative = false;
    unsigned long long magnitude = 0;
    int base = 10;
    if (directive.conversion == 'd' || directive.conversion == 'i') {
        const long long value = arg.asSigned();
        negative = value < 0;
        magnitude = negative ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    } else {
        magnitude = arg.asUnsigned();
        base = directive.conversion == 'o' ? 8 : (directive.conversion == 'u' ? 10 : 16);
    }

    char digits[72];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, magnitude, base);
    std::string body(digits, end);
    if (directive.conversion == 'X')
        std::transform(
            body.begin(), body.end(), body.begin(), [](char c) { return c >= 'a' && c <= 'f' ? c - 32 : c; });
    if (directive.precision >= 0) {
        // A precision is the least count of digits; a zero value with precision 0 prints nothing.
        if (directive.precision == 0 && magnitude == 0)
            body.clear();
        else if (body.size() < static_cast<std::size_t>(directive.precision))
            body.insert(0, static_cast<std::size_t>(directive.precision) - body.size(), '0');
    }
    std::string prefix;
    if (directive.alternate && magnitude != 0) {
        if (directive.conversion == 'x')
            prefix = "0x";
        else if (directive.conversion == 'X')
            prefix = "0X";
        else if (directive.conversion == 'o' && (body.empty() || body.front() != '0'))
            body.insert(0, 1, '0');
    }
    const bool isSigned = directive.conversion == 'd' || directive.conversion == 'i';
    std::string sign(isSigned ? signFor(negative, directive) : std::string_view());
    sign += prefix;
    // printf ignores the 0 flag when a precision is given for an integer.
    pad(out, directive, sign, body, directive.precision < 0);
}

bool onlyZeroDigits(std::string_view body)
{
    for (char c : body) {
        if (c >= '1' && c <= '9')
            return false;
        if (c == 'e' || c == 'E')
            break; // the exponent of 0e+00 does not make the value non-zero
    }
    return true;
}

void formatFloating(std::string& out, const Directive& directive, double value)
{
    const bool upper = directive.conversion == 'F' || directive.conversion == 'E' || directive.conversion == 'G';
    if (!std::isfinite(value)) {
        std::string body = std::isnan(value) ? "nan" : "inf";
        if (upper)
            std::transform(body.begin(), body.end(), body.begin(), [](char c) { return static_cast<char>(c - 32); });
        pad(out, directive, signFor(std::signbit(value) && !std::isnan(value), directive), body, false);
        return;
    }

    std::chars_format style = std::chars_format::fixed;
    switch (directive.conversion) {
    case 'e':
    case 'E':
        style = std::chars_format::scientific;
        break;
    case 'g':
    case 'G':
        style = std::chars_format::general;
        break;
    default:
        break;
    }
    int precision = directive.precision < 0 ? 6 : directive.precision;
    if (style == std::chars_format::general && precision == 0)
        precision = 1;

    // Fixed notation of 1e308 needs 309 digits plus the decimals.
    std::string buffer(static_cast<std::size_t>(340 + precision), '\0');
    const double magnitude = std::fabs(value);
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, style, precision);
    if (ec != std::errc())
        end = buffer.data();
    std::string body(buffer.data(), end);

    if (directive.alternate && precision == 0 && style != std::chars_format::general
        && body.find('.') == std::string::npos) {
        const std::size_t exponent = body.find('e');
        body.insert(exponent == std::string::npos ? body.size() : exponent, 1, '.');
    }
    if (upper)
        std::transform(body.begin(), body.end(), body.begin(), [](char c) { return c == 'e' ? 'E' : c; });

    const bool negative = std::signbit(value) && !onlyZeroDigits(body);
    pad(out, directive, signFor(negative, directive), body, true);
}

void formatText(std::string& out, const Directive& directive, std::string_view text)
{
    if (directive.precision >= 0 && text.size() > static_cast<std::size_t>(directive.precision))
        text = text.substr(0, static_cast<std::size_t>(directive.precision));
    pad(out, directive, "", text, false);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int readNumber(std::string_view format, std::size_t& i)
{
    int value = 0;
    while (i < format.size() && isDigit(format[i])) {
        if (value < 100000)
            value = value * 10 + (format[i] - '0');
        ++i;
    }
    return value;
}

} // namespace

std::string cformatArgs(std::string_view format, std::initializer_list<FormatArg> args)
{
    std::string out;
    out.reserve(format.size() + 16);
    auto next = args.begin();
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        const std::size_t start = i++;
        if (i < format.size() && format[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        Directive directive;
        for (; i < format.size(); ++i) {
            const char flag = format[i];
            if (flag == '-')
                directive.leftAlign = true;
            else if (flag == '+')
                directive.plus = true;
            else if (flag == ' ')
                directive.space = true;
            else if (flag == '0')
                directive.zeroPad = true;
            else if (flag == '#')
                directive.alternate = true;
            else
                break;
        }
        bool unsupported = false;
        if (i < format.size() && format[i] == '*')
            unsupported = true;
        directive.width = readNumber(format, i);
        if (i < format.size() && format[i] == '.') {
            ++i;
            if (i < format.size() && format[i] == '*')
                unsupported = true;
            directive.precision = readNumber(format, i);
        }
        while (i < format.size() && std::string_view("hlLqjzt").find(format[i]) != std::string_view::npos)
            ++i;
        if (i >= format.size() || unsupported) {
            out.append(format.substr(start, i - start));
            continue;
        }
        directive.conversion = format[i++];

        const bool known = std::string_view("diuxXofFeEgGcs").find(directive.conversion) != std::string_view::npos;
        if (!known) {
            out.append(format.substr(start, i - start));
            continue;
        }
        if (next == args.end())
            continue;
        const FormatArg& arg = *next++;
        switch (directive.conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            formatInteger(out, directive, arg);
            break;
        case 'c': {
            const char character = static_cast<char>(arg.asSigned());
            formatText(out, Directive {directive.leftAlign, false, false, false, false, directive.width, -1, 's'},
                std::string_view(&character, 1));
            break;
        }
        case 's':
            formatText(out, directive, arg.asText());
            break;
        default:
            formatFloating(out, directive, arg.asDouble());
            break;
        }
    }
    return out;
}

std::string formatFixed(double value, int decimals)
{
    Directive directive;
    directive.conversion = 'f';
    directive.precision = std::clamp(decimals, 0, 60);
    std::string out;
    formatFloating(out, directive, value);
    return out;
}

} // namespace kvt
