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
