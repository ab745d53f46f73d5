// A program of tens of thousands of lines goes the whole way a machinist takes it:
// load, colour, renumber, check the tool offsets, save with a backup, load again.

#include "common/code_page.h"
#include "common/fakes.h"
#include "common/number_format.h"
#include "serial/nc_colour.h"
#include "serial/nc_renumber.h"
#include "serial/nc_text.h"
#include "serial/nc_tool_check.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace kvt {
namespace {

TEST(NcEditorFlow, ALargeProgramLoadsColoursRenumbersAndSavesWithABackup)
{
    test::TempFolder folder;
    BuiltinTexts texts;
    const FixedClock clock(LocalDateTime {2026, 12, 6, 7, 46, 12});
    auto buffer = std::make_unique<NcTextBuffer>();
    auto machine = std::make_unique<MachineRecord>();

    std::string original = "%\r\nD01 L+50.000 R+3.000\r\n";
    for (int n = 1; n <= 30'000; ++n)
        original += cformat("N%i G01 X%.3f Y%.3f (STEP %i)\r\n", n * 3, n * 0.5, n * 0.25, n);
    original += "M30\r\n";
    const auto path = folder.path() / "O1234.nc";
    std::ofstream(path, std::ios::binary) << original;

    ASSERT_EQ(loadNcFile(*buffer, path, texts).status, NcFileStatus::Ok);
    EXPECT_EQ(buffer->lineCount, 30'003u);
    EXPECT_TRUE(colouringNeedsQuestion(buffer->lineCount));

    setFixedText(machine->keywordWordLists[0], u"G01 X Y");
    setFixedText(machine->keywordWordLists[3], u"(");
    buildKeywordTable(*machine);
    setFixedText(machine->keywords[machine->keywordPairStart + 1].text, u")");
    ColourRangeList ranges;
    ASSERT_TRUE(colourWholeText(NcColourTable(*machine), ncDisplayText(*buffer), ranges));
    storeColourRanges(*buffer, ranges.ranges());
    EXPECT_EQ(buffer->colourRangeCount, 4u * 30'000u);

    const auto renumbered
        = renumberNcText(ncDisplayText(*buffer), {NcLineFormat::parse(u"N10"), NcLineFormat::parse(u"N00010"), 10, 10});
    ASSERT_TRUE(renumbered);
    EXPECT_EQ(renumbered->renumbered, 30'000u);
    ASSERT_TRUE(storeNcText(*buffer, renumbered->text));

    const ToolNcDataList tools({u"D01 L+50.000 R+3.000"});
    EXPECT_EQ(checkToolOffsets(ncDisplayText(*buffer), u"D00", tools).result, 0);

    const NcFileResult saved = saveNcFileWithBackup(*buffer, path, ncDisplayText(*buffer), 44, clock, texts);
    ASSERT_EQ(saved.status, NcFileStatus::Ok);
    std::ifstream backup(folder.path() / "O1234_Save_2026_12_06_07_46_12.nc", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(backup), {}), original);

    ASSERT_EQ(loadNcFile(*buffer, path, texts).status, NcFileStatus::Ok);
    const std::u16string_view reloaded = ncDisplayText(*buffer);
    EXPECT_EQ(reloaded.substr(0, 60), u"%\r\nD01 L+50.000 R+3.000\r\nN00010 G01 X0.500 Y0.250 (STEP 1)\r\n");
    EXPECT_NE(
        reloaded.find(u"\r\nN300000 G01 X15000.000 Y7500.000 (STEP 30000)\r\nM30\r\n"), std::u16string_view::npos);
    EXPECT_EQ(buffer->lineCount, 30'003u);
}

} // namespace
} // namespace kvt
