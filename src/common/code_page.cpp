#include "common/code_page.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kvt {

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Windows-1252 bytes 0x80 to 0x9F. The five bytes the code page leaves undefined map to
// the C1 control characters of the same number, as the Windows conversion does.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

// Decodes one character at `i` and moves `i` past it; an invalid sequence yields
// kInvalid and consumes one byte.
char32_t nextUtf8(std::string_view s, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
        minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
        minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
        minimum = 0x10000;
    } else {
        ++i;
        return kInvalid;
    }
    if (i + extra >= s.size()) {
        ++i;
        return kInvalid;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kInvalid;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kInvalid;
    }
    i += extra + 1;
    return cp;
}

char32_t nextUtf16(std::u16string_view s, std::size_t& i)
{
    const char16_t u = s[i++];
    if (u < 0xD800 || u > 0xDFFF)
        return u;
    if (u <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
        const char16_t low = s[i++];
        return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00);
    }
    return kInvalid;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp == kInvalid)
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t cp)
{
    if (cp == kInvalid)
        cp = 0xFFFD;
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

char toAnsiByte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    const auto* hit = std::find(kHighTable.begin(), kHighTable.end(), cp);
    if (cp <= 0xFFFF && hit != kHighTable.end())
        return static_cast<char>(0x80 + (hit - kHighTable.begin()));
    return kAnsiReplacement;
}

char32_t fromAnsiByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b <= 0x9F)
        return kHighTable[b - 0x80];
    return b;
}

} // namespace

std::u16string utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();)
        appendUtf16(out, nextUtf8(utf8, i));
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size();)
        appendUtf8(out, nextUtf16(utf16, i));
    return out;
}

std::string utf8ToAnsi(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();)
        out += toAnsiByte(nextUtf8(utf8, i));
    return out;
}

std::string utf16ToAnsi(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size();)
        out += toAnsiByte(nextUtf16(utf16, i));
    return out;
}

std::string ansiToUtf8(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size());
    for (char c : ansi)
        appendUtf8(out, fromAnsiByte(c));
    return out;
}

std::u16string ansiToUtf16(std::string_view ansi)
{
    std::u16string out;
    out.reserve(ansi.size());
    for (char c : ansi)
        out += static_cast<char16_t>(fromAnsiByte(c));
    return out;
}

std::u16string_view fixedText(std::span<const char16_t> array)
{
    const auto end = std::find(array.begin(), array.end(), u'\0');
    return std::u16string_view(array.data(), static_cast<std::size_t>(end - array.begin()));
}

bool setFixedText(std::span<char16_t> array, std::u16string_view text)
{
    if (array.empty())
        return text.empty();
    std::size_t n = std::min(text.size(), array.size() - 1);
    // Never leave half of a surrogate pair at the end.
    if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF)
        --n;
    std::copy_n(text.begin(), n, array.begin());
    std::fill(array.begin() + static_cast<std::ptrdiff_t>(n), array.end(), u'\0');
    return n == text.size();
}

std::size_t utf8Length(std::string_view utf8)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        nextUtf8(utf8, i);
        ++count;
    }
    return count;
}

std::size_t utf8PrefixBytes(std::string_view utf8, std::size_t count)
{
    std::size_t i = 0;
    for (std::size_t k = 0; k < count && i < utf8.size(); ++k)
        nextUtf8(utf8, i);
    return i;
}

std::filesystem::path pathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string pathToUtf8(const std::filesystem::path& path)
{
    const std::u8string s = path.u8string();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

} // namespace kvt
