#include "serial/nc_colour.h"

#include "common/code_page.h"
#include "common/text_lookup.h"
#include "serial/nc_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace kvt {

bool operator==(const ColourRange& a, const ColourRange& b)
{
    return a.start == b.start && a.end == b.end && a.colour == b.colour;
}

void PrintTo(const ColourRange& r, std::ostream* os)
{
    *os << "{" << r.start << ", " << r.end << ", 0x" << std::hex << r.colour << std::dec << "}";
}

namespace {

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0xFF0000;

std::vector<ColourRange> colourAll(const NcColourTable& table, std::u16string_view text)
{
    ColourRangeList list;
    EXPECT_TRUE(colourWholeText(table, text, list));
    return list.ranges();
}

class KeywordTableTest : public ::testing::Test {
protected:
    void SetUp() override { machine = std::make_unique<MachineRecord>(); }
    void setGroup(int group, std::u16string_view words, std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        setFixedText(machine->keywordWordLists[group], words);
        machine->colours[group][0] = r;
        machine->colours[group][1] = g;
        machine->colours[group][2] = b;
    }
    std::u16string entry(int i) const { return std::u16string(fixedText(machine->keywords[i].text)); }

    std::unique_ptr<MachineRecord> machine;
};

TEST_F(KeywordTableTest, GroupsInOrderThenPairsWithAReservedPartner)
{
    setGroup(0, u"G00 G01", 0x12, 0x34, 0x56);
    setGroup(1, u"M30", 0xFF, 0, 0);
    setGroup(2, u"", 0, 0, 0);
    setGroup(3, u"( ;", 0, 0, 0xFF);
    std::memset(machine->keywords[39].text, 0x41, 8); // stale data must go
    buildKeywordTable(*machine);

    EXPECT_EQ(machine->keywordPairStart, 3u);
    const std::u16string texts[] = {u"G00", u"G01", u"M30", u"(", u"", u";", u""};
    const std::uint32_t colours[] = {0x563412, 0x563412, 0x0000FF, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000};
    const std::uint8_t pairs[] = {0, 0, 0, 1, 0, 1, 0};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(entry(i), texts[i]) << i;
        EXPECT_EQ(machine->keywords[i].colour, colours[i]) << i;
        EXPECT_EQ(machine->keywords[i].pairFlag, pairs[i]) << i;
    }
    for (int i = 7; i < 40; ++i) {
        EXPECT_EQ(entry(i), u"") << i;
        EXPECT_EQ(machine->keywords[i].colour, 0u) << i;
    }
}

TEST_F(KeywordTableTest, WordsAreCutAt127AndGroupsAt50WordsAndTheTableAt40Entries)
{
    std::u16string longWord(130, u'L');
    setGroup(0, longWord + u"  X", 1, 0, 0);
    buildKeywordTable(*machine);
    EXPECT_EQ(entry(0), std::u16string(127, u'L'));
    EXPECT_EQ(entry(1), u"X"); // the double space gives no empty entry

    std::u16string many;
    for (int i = 0; i < 60; ++i)
        many += u"A ";
    setGroup(0, many, 1, 0, 0);
    setGroup(1, u"B", 2, 0, 0);
    buildKeywordTable(*machine);
    EXPECT_EQ(machine->keywordPairStart, 40u);
    EXPECT_EQ(entry(39), u"A");

    setGroup(0, many.substr(0, 2 * 37), 1, 0, 0); // 37 words
    setGroup(1, u"", 0, 0, 0);
    setGroup(3, u"( [", 0, 0, 1);
    buildKeywordTable(*machine);
    EXPECT_EQ(machine->keywordPairStart, 37u);
    EXPECT_EQ(entry(37), u"("); // with its partner at 38; "[" no longer fits
    EXPECT_EQ(machine->keywords[37].pairFlag, 1);
    EXPECT_EQ(entry(39), u"");
    EXPECT_EQ(machine->keywords[39].pairFlag, 0);
}

TEST(NcColour, HitsInsideWordsInAnyCaseWithoutOverlap)
{
    NcColourTable table;
    table.addWord(u"g0", kRed);
    table.addWord(u"AA", kGreen);
    table.addWord(u"\u00C4", kBlue);
    EXPECT_EQ(colourAll(table, u"XG01 g0 aAaA \u00E4"),
        (std::vector<ColourRange> {{1, 3, kRed}, {5, 7, kRed}, {8, 10, kGreen}, {10, 12, kGreen}, {13, 14, kBlue}}));
    EXPECT_EQ(colourAll(table, u"aaa"), (std::vector<ColourRange> {{0, 2, kGreen}}));
}

TEST(NcColour, PairsRunToTheirPartnerOrWithoutOneToTheLineEnd)
{
    NcColourTable table;
    table.addWord(u"X", kRed);
    table.addPair(u"(", u")", kGreen);
    table.addPair(u";", u"", kBlue);
    const std::u16string text = u"G0 X1 (DRILL X)\r\nM3 ;x SPINDLE\r\n(OPEN";
    EXPECT_EQ(colourAll(table, text),
        (std::vector<ColourRange> {{3, 4, kRed}, {13, 14, kRed}, {21, 22, kRed}, {6, 15, kGreen}, {20, 30, kBlue}}));
}

TEST(NcColour, TheTableOfRangesIsCappedAndTheLastRangeIsOverwritten)
{
    NcColourTable table;
    table.addWord(u"x", kRed);
    const std::u16string text(kColourRangeCapacity + 1, u'X');
    ColourRangeList list;
    ASSERT_TRUE(colourWholeText(table, text, list));
    ASSERT_EQ(list.ranges().size(), kColourRangeCapacity);
    EXPECT_EQ(list.ranges()[kColourRangeCapacity - 2], (ColourRange {499'998, 499'999, kRed}));
    EXPECT_EQ(list.ranges().back(), (ColourRange {500'000, 500'001, kRed}));
}

TEST(NcColour, MoreThan10000LinesAskFirst)
{
    std::u16string lines;
    for (int i = 0; i < 10'000; ++i)
        lines += u"N10 G00\r\n";
    EXPECT_FALSE(colouringNeedsQuestion(countCrLf(lines)));
    lines += u"M30\r\n";
    EXPECT_TRUE(colouringNeedsQuestion(countCrLf(lines)));
}

TEST(NcColour, TheQuestionBeforeALongColouring)
{
    const MessageBoxRequest q = colouringQuestion(BuiltinTexts());
    EXPECT_EQ(q.text,
        "*Die NC Datei enthält mehr als 10000 Zeilen.\n\nDie Farbformatierung des Textes wird einige Zeit in Anspruch "
        "nehmen.\n\nFarbformatierung durchführen?");
    EXPECT_EQ(q.caption, "*Frage");
    EXPECT_EQ(q.buttons, MessageButtons::YesNo);
}

TEST(NcColour, TableFromAMachineRecordKeepsItsOrderAndPairs)
{
    auto machine = std::make_unique<MachineRecord>();
    setFixedText(machine->keywordWordLists[0], u"G");
    setFixedText(machine->keywordWordLists[3], u"(");
    machine->colours[0][0] = 0xFF;
    machine->colours[3][1] = 0xFF;
    buildKeywordTable(*machine);
    setFixedText(machine->keywords[2].text, u")"); // a partner written by hand
    const NcColourTable table(*machine);
    EXPECT_EQ(colourAll(table, u"g1 (a) g"), (std::vector<ColourRange> {{0, 1, kRed}, {7, 8, kRed}, {3, 6, kGreen}}));
}

TEST(NcColour, LinesAreFirstBlackThenColouredAtTheirDocumentPositions)
{
    NcColourTable table;
    table.addWord(u"M", kRed);
    table.addPair(u"(", u"", kGreen);
    for (const std::u16string text : {u"N1 M3\r\nN2 (M)\r\nM30\r\nN4", u"N1 M3\nN2 (M)\nM30\nN4"}) {
        const std::uint32_t second = text[5] == u'\r' ? 7 : 6;
        const std::uint32_t third = second + 7 + (second - 6);
        EXPECT_EQ(colourLines(table, text, 1, 2),
            (std::vector<ColourRange> {{second, second + 6, 0}, {second + 4, second + 5, kRed},
                {second + 3, second + 6, kGreen}, {third, third + 3, 0}, {third, third + 1, kRed}}))
            << utf16ToUtf8(text);
    }
    EXPECT_EQ(colourLines(table, u"A\r\nB", 5, 9), std::vector<ColourRange> {});
}

TEST(RecolourTracker, DirtyLinesWaitForTheFocusToGoThenComeWithTheLineBefore)
{
    std::vector<std::uint32_t> flags(kColourRangeCapacity, 0);
    RecolourTracker tracker(flags);
    tracker.typed(6);
    tracker.typed(5);
    tracker.typed(0);
    tracker.typed(static_cast<std::uint32_t>(kColourRangeCapacity)); // beyond the flags: ignored
    EXPECT_EQ(tracker.tick(), std::vector<std::uint32_t> {});
    EXPECT_EQ(flags[5], 1u);
    tracker.focusLost();
    EXPECT_EQ(tracker.tick(), (std::vector<std::uint32_t> {0, 4, 5, 6}));
    EXPECT_EQ(std::count(flags.begin(), flags.end(), 1u), 0);
    tracker.focusLost();
    EXPECT_EQ(tracker.tick(), std::vector<std::uint32_t> {});
}

TEST(RecolourTracker, ArrowsRecolourOnlyAfterTypingAndF5Always)
{
    std::vector<std::uint32_t> flags(100, 0);
    RecolourTracker tracker(flags);
    EXPECT_EQ(tracker.arrowKey(3), std::vector<std::uint32_t> {});
    tracker.typed(3);
    EXPECT_EQ(tracker.arrowKey(3), std::vector<std::uint32_t> {3});
    EXPECT_EQ(flags[3], 0u);
    EXPECT_EQ(tracker.arrowKey(4), std::vector<std::uint32_t> {});
    EXPECT_EQ(tracker.refreshKey(4), std::vector<std::uint32_t> {4});
    tracker.typed(9);
    tracker.clear();
    tracker.focusLost();
    EXPECT_EQ(tracker.tick(), std::vector<std::uint32_t> {});
    EXPECT_EQ(flags[9], 0u);
}

} // namespace
} // namespace kvt
