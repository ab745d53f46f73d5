#include "serial/nc_tool_check.h"

#include "common/code_page.h"
#include "common/text_lookup.h"
#include "tooldb/tool_table.h"

#include <gtest/gtest.h>

#include <memory>

namespace kvt {
namespace {

TEST(NcToolWordFormat, LettersGiveThePrefixDigitsTheWidth)
{
    struct Case {
        std::u16string format;
        std::u16string prefix;
        int width;
        std::u16string padded5;
        std::u16string plain5;
        std::u16string padded123;
    };
    const Case cases[] = {
        {u"D00", u"D", 2, u"D05", u"D5", u"D123"},
        {u"T000", u"T", 3, u"T005", u"T5", u"T123"},
        {u"TD00", u"TD", 2, u"TD05", u"TD5", u"TD123"},
        {u"H", u"H", 0, u"H5", u"H5", u"H123"},
    };
    for (const auto& c : cases) {
        const auto f = NcToolWordFormat::parse(c.format);
        EXPECT_EQ(f.prefix, c.prefix) << utf16ToUtf8(c.format);
        EXPECT_EQ(f.width, c.width) << utf16ToUtf8(c.format);
        EXPECT_EQ(f.paddedWord(5), c.padded5) << utf16ToUtf8(c.format);
        EXPECT_EQ(f.plainWord(5), c.plain5) << utf16ToUtf8(c.format);
        EXPECT_EQ(f.paddedWord(123), c.padded123) << utf16ToUtf8(c.format);
        EXPECT_TRUE(f.usable());
    }
    EXPECT_FALSE(NcToolWordFormat::parse(u"").usable());
    EXPECT_FALSE(NcToolWordFormat::parse(u"00").usable());
}

// A small tool table: record 0 is tool 1 and so on; the NC data is what the machine
// wants to see in the program.
ToolNcDataList smallTable()
{
    return ToolNcDataList({
        u"D01 L+100.000 R+5.000",
        u"",
        u"D03 L+80.500 R+2.000",
        u"D10 L+60.000 R+1.000",
        u"D3 L+1 R+1", // only the plain word
        u"D03 L+0 R+0", // a later record holding D03 is never used
        u"D100 L+50.000 R+4.000",
    });
}

struct CheckCase {
    const char* name;
    std::u16string program;
    int result;
    std::vector<int> mismatched;
};

TEST(NcToolCheck, FirstOccurrenceToTheLineEndAgainstTheFirstRecordHoldingTheWord)
{
    const ToolNcDataList tools = smallTable();
    const CheckCase cases[] = {
        {"all match", u"%\r\nD01 L+100.000 R+5.000\r\nD03 L+80.500 R+2.000\r\nM30\r\n", 0, {}},
        {"a radius differs", u"D01 L+100.000 R+5.001\r\n", 1, {1}},
        {"a longer fragment differs", u"D03 L+80.500 R+2.000 ;\r\n", 1, {3}},
        {"only the first occurrence counts", u"D03 L+80.500 R+2.000\r\nG41 D03 X5\r\n", 0, {}},
        {"the first occurrence is checked even in a motion block", u"G41 D03 X5\r\nD03 L+80.500 R+2.000\r\n", 1, {3}},
        {"no line end after the word: skipped", u"D01 L+0 R+0", 0, {}},
        {"a bare CR ends the line", u"D01 L+0 R+0\rM30", 1, {1}},
        {"a bare LF ends the line", u"D01 L+0 R+0\nM30\n", 1, {1}},
        {"no record holds the word: skipped", u"D02 L+0 R+0\r\nD99 X\r\n", 0, {}},
        {"the plain word is not checked", u"D3 L+9 R+9\r\n", 0, {}},
        {"D10 is not found inside D100", u"D100 L+50.000 R+4.000\r\nD10 L+60.000 R+1.000\r\n", 0, {}},
        {"D10 inside D100 would have been a false mismatch", u"D100 L+50.000 R+4.000\r\n", 0, {}},
        {"several mismatches in tool order", u"D10 X\r\nD01 Y\r\n", 1, {1, 10}},
    };
    for (const auto& c : cases) {
        const ToolOffsetCheck check = checkToolOffsets(c.program, u"D00", tools);
        EXPECT_EQ(check.result, c.result) << c.name;
        std::vector<int> tools;
        for (const auto& m : check.mismatches)
            tools.push_back(m.tool);
        EXPECT_EQ(tools, c.mismatched) << c.name;
    }
}

TEST(NcToolCheck, TheQuestionBeforeSendingAMismatch)
{
    const MessageBoxRequest q = offsetMismatchQuestion(BuiltinTexts());
    EXPECT_EQ(q.text,
        "*Die Werkzeug-Offsets bei mindestens einem Werkzeug stimmen nicht mit der Werkzeugdatenbank überein. Trotzdem "
        "zur Maschine senden?");
    EXPECT_EQ(q.caption, "*Frage");
    EXPECT_EQ(q.buttons, MessageButtons::YesNo);
}

TEST(NcToolCheck, AMismatchNamesBothTexts)
{
    const ToolOffsetCheck check = checkToolOffsets(u"D01 L+99 R+5\r\n", u"D00", smallTable());
    ASSERT_EQ(check.mismatches.size(), 1u);
    EXPECT_EQ(check.mismatches[0].program, u"D01 L+99 R+5");
    EXPECT_EQ(check.mismatches[0].table, u"D01 L+100.000 R+5.000");
}

TEST(NcToolCheck, AFormatWithoutLettersChecksNothing)
{
    EXPECT_EQ(checkToolOffsets(u"01 X\r\n", u"00", ToolNcDataList({u"01 Y"})).result, 0);
    EXPECT_EQ(checkToolOffsets(u"01 X\r\n", u"", ToolNcDataList({u"01 Y"})).result, 0);
}

TEST(NcToolCheck, MachineRecordsAreReadFromTheToolSlots)
{
    auto machine = std::make_unique<MachineRecord>();
    ToolRecord tool {};
    setFixedText(tool.ncData, u"T07 D07");
    ASSERT_TRUE(storeTool(*machine, 6, tool));
    const MachineToolRecords records(*machine);
    EXPECT_EQ(records.recordCount(), 500u);
    EXPECT_EQ(records.ncData(6), u"T07 D07");
    EXPECT_EQ(records.ncData(5), u"");
    EXPECT_EQ(records.ncData(499), u"");
    EXPECT_EQ(checkToolOffsets(u"T07 D07\r\n", u"T00", records).result, 0);
    EXPECT_EQ(checkToolOffsets(u"T07 D08\r\n", u"T00", records).result, 1);
}

struct UpdateCase {
    const char* name;
    std::u16string program;
    std::u16string expected;
    std::vector<int> updated;
};

TEST(NcToolUpdate, FirstOccurrencesOfPaddedAndPlainWordsTakeTheTableData)
{
    const ToolNcDataList tools = smallTable();
    const UpdateCase cases[] = {
        {"padded word", u"%\r\nD01 L+1 R+1\r\nM30\r\n", u"%\r\nD01 L+100.000 R+5.000\r\nM30\r\n", {1}},
        {"plain word takes the record holding the plain word", u"D3 L+0 R+0\r\n", u"D3 L+1 R+1\r\n", {3}},
        {"both forms, in program order", u"D3 X\r\nD03 Y\r\n", u"D3 L+1 R+1\r\nD03 L+80.500 R+2.000\r\n", {3, 3}},
        {"later occurrences stay", u"D01 X\r\nG41 D01 X5 Y5\r\n", u"D01 L+100.000 R+5.000\r\nG41 D01 X5 Y5\r\n", {1}},
        {"a word no record holds stays", u"D02 X\r\nD99 Y\r\n", u"D02 X\r\nD99 Y\r\n", {}},
        {"no line end: stays", u"D01 X", u"D01 X", {}},
        {"D10 does not overwrite D100", u"D100 X\r\nD10 Y\r\n", u"D100 L+50.000 R+4.000\r\nD10 L+60.000 R+1.000\r\n",
            {100, 10}},
        {"two words on one line: the first fragment wins", u"D01 D10 X\r\n", u"D01 L+100.000 R+5.000\r\n", {1}},
        {"LF line ends", u"D01 X\nM30\n", u"D01 L+100.000 R+5.000\nM30\n", {1}},
    };
    for (const auto& c : cases) {
        const ToolDataUpdate update = updateToolData(c.program, u"D00", tools);
        EXPECT_EQ(utf16ToUtf8(update.text), utf16ToUtf8(c.expected)) << c.name;
        EXPECT_EQ(update.updatedTools, c.updated) << c.name;
    }
}

TEST(NcToolUpdate, AfterAnUpdateTheCheckPasses)
{
    const ToolNcDataList tools = smallTable();
    const std::u16string program = u"%\r\nD01 L+0\r\nD03 R+0\r\nD10\r\nD100 X\r\nM30\r\n";
    ASSERT_EQ(checkToolOffsets(program, u"D00", tools).result, 1);
    const ToolDataUpdate update = updateToolData(program, u"D00", tools);
    EXPECT_EQ(checkToolOffsets(update.text, u"D00", tools).result, 0);
}

TEST(NcToolUpdate, RecordsWithALineBreakAreNotWritten)
{
    const ToolNcDataList tools({u"D01 L+1\r\nM30"});
    EXPECT_EQ(updateToolData(u"D01 X\r\n", u"D00", tools).text, u"D01 X\r\n");
}

} // namespace
} // namespace kvt
