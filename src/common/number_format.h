#pragma once
// The one way the program turns numbers into text a user reads: fields, results,
// reports, exports, DXF and NC text. It takes printf-style formats ("%6.3f", "%04i",
// " X: %8.3f") but never consults the process locale, so a German desktop (where Qt
// sets LC_NUMERIC to de_DE) still gets "954.800", not "954,800".
//
// Supported: %%, flags '-', '+', ' ', '0', '#', a width, a precision, the length
// modifiers h, hh, l, ll, z, j, t, L (ignored), and the conversions d i u x X o f F e E
// g G c s. A '*' width or precision is not supported and prints the directive as it stands.
//
// One deliberate difference from printf: a floating value that rounds to zero at the
// requested precision is written without a minus sign ("0.000", never "-0.000"), because
// a machinist reads "-0.000" as a real offset.

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace kvt {

// One argument of cformat; built implicitly from the usual number and text types.
class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Floating, Text };

    template<std::signed_integral T>
    FormatArg(T value)
        : m_kind(Kind::Signed)
        , m_signed(value)
    {
    }
    template<std::unsigned_integral T>
    requires(!std::same_as<T, bool>) FormatArg(T value)
        : m_kind(Kind::Unsigned)
        , m_unsigned(value)
    {
    }
    FormatArg(bool value)
        : m_kind(Kind::Signed)
        , m_signed(value ? 1 : 0)
    {
    }
    template<std::floating_point T>
    FormatArg(T value)
        : m_kind(Kind::Floating)
        , m_floating(static_cast<double>(value))
    {
    }
    FormatArg(std::string_view text)
        : m_kind(Kind::Text)
        , m_text(text)
    {
    }
    FormatArg(const char* text)
        : m_kind(Kind::Text)
        , m_text(text ? std::string_view(text) : std::string_view())
    {
    }
    FormatArg(const std::string& text)
        : m_kind(Kind::Text)
        , m_text(text)
    {
    }

    Kind kind() const { return m_kind; }
    // Conversions between kinds, for a format whose conversion does not match the
    // argument ("%d" given a float): integers saturate instead of overflowing.
    long long asSigned() const;
    unsigned long long asUnsigned() const;
    double asDouble() const;
    std::string_view asText() const { return m_kind == Kind::Text ? m_text : std::string_view(); }

private:
    Kind m_kind;
    long long m_signed = 0;
    unsigned long long m_unsigned = 0;
    double m_floating = 0.0;
    std::string_view m_text;
};

// printf-style formatting in the "C" locale whatever the process locale says. Missing
// arguments print nothing for their conversion; surplus arguments are ignored.
std::string cformatArgs(std::string_view format, std::initializer_list<FormatArg> args);

template<typename... Args> std::string cformat(std::string_view format, const Args&... args)
{
    return cformatArgs(format, {FormatArg(args)...});
}

// A single number with one conversion, e.g. formatNumber("%6.3f", 954.8) == "954.800".
inline std::string formatNumber(std::string_view format, double value)
{
    return cformat(format, value);
}

// A number with a fixed count of decimals and no padding: formatFixed(1.5, 3) == "1.500".
std::string formatFixed(double value, int decimals);

} // namespace kvt
