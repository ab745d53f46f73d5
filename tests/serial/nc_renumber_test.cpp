#include "serial/nc_renumber.h"

#include "common/code_page.h"

#include <gtest/gtest.h>

namespace kvt {
namespace {

RenumberRequest request(std::u16string_view current, std::u16string_view next, std::int64_t start, std::int64_t step)
{
    return {NcLineFormat::parse(current), NcLineFormat::parse(next), start, step};
}

struct RenumberCase {
    const char* name;
    std::u16string text;
    RenumberRequest request;
    std::u16string expected;
    std::uint32_t renumbered;
};

TEST(NcRenumber, BlockNumbersAfterALineBreakWithASpaceAndALetterOrDigit)
{
    const RenumberCase cases[] = {
        {"first line, number run into its word, comment after the space all keep their numbers",
            u"N1 G90\r\nN5 G00 X0\r\nN20G01\r\nN30 (FACE)\r\nN7 M30\r\n", request(u"N0010", u"N0010", 10, 5),
            u"N1 G90\r\nN0010 G00 X0\r\nN20G01\r\nN30 (FACE)\r\nN0015 M30\r\n", 2},
        {"step 0 counts by 1", u"%\nN5 G0\nN6 G1\nN9 M30\n", request(u"N0010", u"N0010", 10, 0),
            u"%\nN0010 G0\nN0011 G1\nN0012 M30\n", 3},
        {"start 10 step 5", u"%\nN1 A\nN2 B\nN3 C\nN4 D\n", request(u"N0010", u"N0010", 10, 5),
            u"%\nN0010 A\nN0015 B\nN0020 C\nN0025 D\n", 4},
        {"format without a letter to a format with one", u"%\r\n20 G01 X5\r\n30 M30\r\n",
            request(u"0010", u"N0010", 10, 5), u"%\r\nN0010 G01 X5\r\nN0015 M30\r\n", 2},
        {"format with a letter to one without", u"%\nN20 G01\n", request(u"N10", u"10", 7, 1), u"%\n07 G01\n", 1},
        {"the new width pads or does not", u"%\nN1 G0\nN2 G0\n", request(u"N0010", u"N10", 100, 900),
            u"%\nN100 G0\nN1000 G0\n", 2},
        {"a format without digits writes the plain number", u"%\nN1 G0\n", request(u"N1", u"N", 10, 1), u"%\nN10 G0\n",
            1},
        {"1 to 10 digits are a block number, 11 are not", u"%\nN1234567890 G0\nN12345678901 G0\n",
            request(u"N1", u"N1", 1, 1), u"%\nN1 G0\nN12345678901 G0\n", 1},
        {"only the current letter, in its case", u"%\nn5 G0\nO5 G0\nN5 G0\n", request(u"N1", u"N1", 1, 1),
            u"%\nn5 G0\nO5 G0\nN1 G0\n", 1},
        {"two spaces or a tab keep the number", u"%\nN5  G0\nN6\tG0\n", request(u"N1", u"N1", 1, 1),
            u"%\nN5  G0\nN6\tG0\n", 0},
        {"a text holding the marker keeps it", u"%\nN5 (QQQQQQQQQ)\nN6 QQQQQQQQQ\n", request(u"N1", u"N1", 1, 1),
            u"%\nN5 (QQQQQQQQQ)\nN1 QQQQQQQQQ\n", 1},
        {"characters outside the code page survive", u"%\nN5 G0 (\u2192 \u00D8)\n", request(u"N1", u"N1", 3, 1),
            u"%\nN3 G0 (\u2192 \u00D8)\n", 1},
    };
    for (const auto& c : cases) {
        const auto result = renumberNcText(c.text, c.request);
        ASSERT_TRUE(result) << c.name;
        EXPECT_EQ(utf16ToUtf8(result->text), utf16ToUtf8(c.expected)) << c.name;
        EXPECT_EQ(result->renumbered, c.renumbered) << c.name;
    }
}

TEST(NcRenumber, FormatsGiveLetterWidthAndNumber)
{
    struct Case {
        std::u16string format;
        char16_t letter;
        int width;
        std::int64_t number;
    };
    const Case cases[] = {
        {u"N0010", u'N', 4, 10}, {u"0010", 0, 4, 10}, {u"n5", u'n', 1, 5}, {u"N", u'N', 0, 0}, {u"", 0, 0, 0},
        {u"\u00C40010", 0, 4, 10}, // only ASCII letters address a block
    };
    for (const auto& c : cases) {
        const NcLineFormat f = NcLineFormat::parse(c.format);
        EXPECT_EQ(f.letter, c.letter) << utf16ToUtf8(c.format);
        EXPECT_EQ(f.width, c.width) << utf16ToUtf8(c.format);
        EXPECT_EQ(f.number, c.number) << utf16ToUtf8(c.format);
    }
}

TEST(NcRenumber, ACancelledRunGivesNoText)
{
    std::atomic<bool> cancel {true};
    EXPECT_FALSE(renumberNcText(u"%\nN1 G0\n", request(u"N1", u"N1", 1, 1), &cancel));
}

TEST(NcRenumberForm, OpensWithTheMachineFormatStartZeroStepOne)
{
    NcRenumberForm form(u"N0010");
    EXPECT_EQ(form.currentFormat(), u"N0010");
    EXPECT_EQ(form.newFormat(), u"N0010");
    EXPECT_EQ(form.startText(), "0");
    EXPECT_EQ(form.step(), 1);
    EXPECT_FALSE(form.counting());
}

TEST(NcRenumberForm, StepStaysWithinTheUpDownRangeAndZeroCountsByOne)
{
    NcRenumberForm form(u"N10");
    const std::pair<int, int> cases[] = {{0, 1}, {1, 1}, {7, 7}, {20, 20}, {21, 20}, {-3, 1}};
    for (const auto& [typed, step] : cases) {
        form.setStep(typed);
        EXPECT_EQ(form.step(), step) << typed;
    }
}

TEST(NcRenumberForm, StartMustBeAWholeNumberFromZero)
{
    BuiltinTexts texts;
    NcRenumberForm form(u"N0010");
    for (const char* bad : {"abc", "-5", "1.5", "", "  "}) {
        form.setStartText(bad);
        std::string message;
        EXPECT_FALSE(form.count(texts, message)) << bad;
        EXPECT_EQ(message, "*Der Startwert muss eine ganze Zahl ab 0 sein.") << bad;
        EXPECT_FALSE(form.counting());
    }
    form.setStartText("10");
    form.setNewFormat(u"N10");
    form.setStep(5);
    std::string message;
    const auto r = form.count(texts, message);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->start, 10);
    EXPECT_EQ(r->step, 5);
    EXPECT_EQ(r->current.width, 4);
    EXPECT_EQ(r->next.width, 2);
    EXPECT_TRUE(form.counting());
    EXPECT_EQ(form.finished(), std::optional<std::u16string>(u"N10"));
    EXPECT_EQ(form.currentFormat(), u"N10");
    EXPECT_FALSE(form.counting());
    EXPECT_EQ(form.finished(), std::nullopt); // the formats agree now
}

} // namespace
} // namespace kvt
