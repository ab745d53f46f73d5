#include "common/code_page.h"

#include <gtest/gtest.h>

#include <array>

namespace kvt {
namespace {

TEST(CodePage, WindowsCharactersBecomeTheirBytes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Größe 25 °C ± µ",
            "Gr\xF6\xDF"
            "e 25 \xB0"
            "C \xB1 \xB5"},
        {"€ Œ ™ – …", "\x80 \x8C \x99 \x96 \x85"},
        {"Ø 12 mm", "\xD8 12 mm"},
        {"\r\n\t", "\r\n\t"},
    };
    for (const auto& [utf8, ansi] : cases) {
        EXPECT_EQ(utf8ToAnsi(utf8), ansi) << utf8;
        EXPECT_EQ(utf16ToAnsi(utf8ToUtf16(utf8)), ansi) << utf8;
        EXPECT_EQ(ansiToUtf8(ansi), utf8) << utf8;
    }
}

TEST(CodePage, EachOfThe27SpecialCharactersHasItsOwnByte)
{
    // Windows-1252 puts 27 characters into 0x80..0x9F; the other five bytes there are
    // unassigned.
    struct Case {
        char16_t character;
        unsigned char byte;
    };
    const Case cases[] = {{u'\u20AC', 0x80}, {u'\u201A', 0x82}, {u'\u0192', 0x83}, {u'\u201E', 0x84}, {u'\u2026', 0x85},
        {u'\u2020', 0x86}, {u'\u2021', 0x87}, {u'\u02C6', 0x88}, {u'\u2030', 0x89}, {u'\u0160', 0x8A},
        {u'\u2039', 0x8B}, {u'\u0152', 0x8C}, {u'\u017D', 0x8E}, {u'\u2018', 0x91}, {u'\u2019', 0x92},
        {u'\u201C', 0x93}, {u'\u201D', 0x94}, {u'\u2022', 0x95}, {u'\u2013', 0x96}, {u'\u2014', 0x97},
        {u'\u02DC', 0x98}, {u'\u2122', 0x99}, {u'\u0161', 0x9A}, {u'\u203A', 0x9B}, {u'\u0153', 0x9C},
        {u'\u017E', 0x9E}, {u'\u0178', 0x9F}};
    static_assert(std::size(cases) == 27);
    for (const Case& c : cases) {
        const std::u16string wide(1, c.character);
        const std::string byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(utf16ToAnsi(wide), byte) << std::hex << int(c.byte);
        EXPECT_EQ(utf8ToAnsi(utf16ToUtf8(wide)), byte) << std::hex << int(c.byte);
        EXPECT_EQ(ansiToUtf16(byte), wide) << std::hex << int(c.byte);
    }
}

TEST(CodePage, CharactersOutsideWindows1252BecomeQuestionMarks)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Ω", "?"}, // Greek
        {"漢字", "??"}, // one mark per character, not per byte
        {"😀", "?"}, // outside the basic plane
        {"a\xC3", "a?"}, // cut UTF-8 sequence
        {"\xFF\xFE", "??"}, // not UTF-8 at all
        {"\xED\xA0\x80", "???"}, // an encoded surrogate
        {"\xC0\xAF", "??"}, // overlong form of '/'
    };
    for (const auto& [utf8, ansi] : cases)
        EXPECT_EQ(utf8ToAnsi(utf8), ansi);
    EXPECT_EQ(utf16ToAnsi(std::u16string {u'a', char16_t(0xD800), u'b'}), "a?b");
    EXPECT_EQ(utf16ToAnsi(std::u16string {char16_t(0xDC00)}), "?");
}

TEST(CodePage, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(utf8ToAnsi(ansiToUtf8(all)), all);
    EXPECT_EQ(utf16ToAnsi(ansiToUtf16(all)), all);
}

TEST(CodePage, Utf16RoundTrip)
{
    const std::string text = "Ø 12 mm – 😀 漢";
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(text)), text);
    EXPECT_EQ(utf8ToUtf16("😀").size(), 2u);
    EXPECT_EQ(utf8Length(text), 13u);
    EXPECT_EQ(utf8PrefixBytes("Øx", 1), 2u);
}

TEST(FixedText, NeverOverrunsTheArray)
{
    std::array<char16_t, 4> array;
    array.fill(u'x');
    EXPECT_EQ(fixedText(array), u"xxxx"); // no terminator: stops at the end
    EXPECT_TRUE(setFixedText(array, u"ab"));
    EXPECT_EQ(fixedText(array), u"ab");
    EXPECT_FALSE(setFixedText(array, u"abcdef"));
    EXPECT_EQ(fixedText(array), u"abc");
    EXPECT_EQ(array[3], u'\0');
    // A surrogate pair that does not fit is left out whole.
    EXPECT_FALSE(setFixedText(array, u"ab😀"));
    EXPECT_EQ(fixedText(array), u"ab");
}

} // namespace
} // namespace kvt
