// Restart in the middle of a program: finding the line and the preamble that restores
// the modal state there, on a milling program with two tools, a drilling cycle, tool
// length and cutter compensation.

#include "serial/nc_restart.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace kvt {
namespace {

const char* const kBracket = "%\n"
                             "O1001 (BRACKET)\n"
                             "G20 G17 G40 G49 G80 G90\n"
                             "T1 M6\n"
                             "G54 G0 X0 Y0 T2\n"
                             "G43 H01 Z1.0\n"
                             "G97 S2500 M3\n"
                             "M8\n"
                             "G95 G1 Z0.1 F0.004\n"
                             "X2.0 F0.006 (FACE)\n" // 10
                             "G98 G81 Z-0.5 R0.1 F0.005\n"
                             "X3.0\n"
                             "X4.0\n"
                             "G80\n"
                             "G0 Z1.0 M9\n"
                             "M5\n"
                             "G91 G28 Z0\n"
                             "G90\n"
                             "T2 M6\n"
                             "G55 G0 X1.0 Y1.0 T3\n" // 20
                             "G43 H02 Z1.0\n"
                             "G96 S400 M4\n"
                             "M7\n"
                             "G94 G1 Z-0.1 F12.0\n"
                             "G41 D02 X1.5\n"
                             "G3 X2.0 Y1.5 R0.5\n"
                             "G40 G1 X3.0\n"
                             "M30\n"
                             "%\n";

TEST(NcRestartTest, ThePreambleRestoresTheStateAtEachLine)
{
    const std::pair<std::size_t, const char*> cases[] = {
        // After the tool change, in inch with feed per revolution and flood coolant on.
        {10,
            "(RESTART LINE 10)\nG20\nG17 G40 G49 G80 G90\nT1 M6\nT2\nG54\nG43 H01\nG97 S2500 M3\nM8\nG95 F0.004\nG1\n"},
        // Inside the drilling cycle: the cycle is named for the operator, not drilled again.
        {12,
            "(RESTART LINE 12)\nG20\nG17 G40 G49 G80 G90\nT1 M6\nT2\nG54\nG43 H01\nG98\nG97 S2500 M3\nM8\nG95 "
            "F0.005\n(CYCLE ACTIVE: G98 G81 Z-0.5 R0.1 F0.005)\n"},
        // At the tool change: no spindle, coolant or compensation of the old tool.
        {19, "(RESTART LINE 19)\nG20\nG17 G40 G49 G80 G90\nG54\nG98\nG95 F0.005\nG0\n"},
        // The second tool: its offset, length, constant surface speed backwards, mist, feed per minute.
        {25,
            "(RESTART LINE 25)\nG20\nG17 G40 G49 G80 G90\nT2 M6\nT3\nG55\nG43 H02\nG98\nG96 S400 M4\nM7\nG94 "
            "F12.0\nG1\n"},
        // On the arc with cutter compensation on.
        {26,
            "(RESTART LINE 26)\nG20\nG17 G40 G49 G80 G90\nT2 M6\nT3\nG55\nG43 H02\nG98\nG96 S400 M4\nM7\nG94 "
            "F12.0\nG41 D02 (CHECK LEAD-IN)\nG1\n"},
        // At the start nothing is known yet.
        {1, "(RESTART LINE 1)\nG40 G49 G80\n"},
    };
    for (const auto& [line, preamble] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(restartPreamble(kBracket, line), preamble);
    }
}

TEST(NcRestartTest, UnitsComeBeforeAnyFeed)
{
    const std::string preamble = restartPreamble(kBracket, 10);
    EXPECT_LT(preamble.find("G20"), preamble.find("F0.004"));
    EXPECT_LT(preamble.find("G95"), preamble.find("F0.004"));
}

TEST(NcRestartTest, TheModalStateReadsPastCommentsAndLeadingZeros)
{
    const NcModalState s = modalStateBefore("G21 (G20 IN A COMMENT)\nG01 G54.1 P3 F250 ; G95\nM08\nM07\nM09\nG4\n", 7);
    EXPECT_EQ(s.units, "G21");
    EXPECT_EQ(s.motion, "G01");
    EXPECT_EQ(s.workOffset, "G54.1 P3");
    EXPECT_EQ(s.feed, "F250");
    EXPECT_EQ(s.feedMode, "");
    EXPECT_FALSE(s.mist);
    EXPECT_FALSE(s.flood);
}

TEST(NcRestartTest, TheRestartLineIsFoundByLineBlockOrToolCall)
{
    EXPECT_EQ(findRestartLine(kBracket, RestartBy::ToolCall, 1), 4u);
    EXPECT_EQ(findRestartLine(kBracket, RestartBy::ToolCall, 2), 19u);
    EXPECT_EQ(findRestartLine(kBracket, RestartBy::ToolCall, 2, 2), std::nullopt);
    EXPECT_EQ(findRestartLine(kBracket, RestartBy::ToolCall, 3), std::nullopt); // prepared, never changed to
    EXPECT_EQ(findRestartLine(kBracket, RestartBy::Line, 0), std::nullopt);
    EXPECT_EQ(findRestartLine(kBracket, RestartBy::Line, 29), 29u);
    EXPECT_EQ(findRestartLine(kBracket, RestartBy::Line, 30), std::nullopt);

    const char* numbered = "%\nN10 G21 G90\nN0020 T5 M6\nN30 G0 X0\nN30 G1 X1\n";
    EXPECT_EQ(findRestartLine(numbered, RestartBy::BlockNumber, 20), 3u);
    EXPECT_EQ(findRestartLine(numbered, RestartBy::BlockNumber, 30), 4u); // the first of two
    EXPECT_EQ(findRestartLine(numbered, RestartBy::BlockNumber, 40), std::nullopt);
    EXPECT_EQ(findRestartLine(numbered, RestartBy::ToolCall, 5), 3u);
    EXPECT_EQ(restartPreamble(numbered, 4), "(RESTART LINE 4 N30)\nG21\nG40 G49 G80 G90\nT5 M6\n");

    // A turret lathe changes tools with the T word alone.
    const char* lathe = "G21\nT0101\nG0 X20\nT0202\nG0 X30\nT0101\n";
    EXPECT_EQ(findRestartLine(lathe, RestartBy::ToolCall, 202), 4u);
    EXPECT_EQ(findRestartLine(lathe, RestartBy::ToolCall, 101, 2), 6u);
}

// A conversational program: blocks numbered by a bare number, tools changed with TOOL
// CALL, and a preamble in its own words, never G codes it would refuse.
TEST(NcRestartTest, AConversationalProgramRestartsInItsOwnWords)
{
    const char* plate = "0 BEGIN PGM 1234 MM\n"
                        "1 BLK FORM 0.1 Z X+0 Y+0 Z-20\n"
                        "2 BLK FORM 0.2 X+100 Y+100 Z+0\n"
                        "3 TOOL CALL 1 Z S3000\n"
                        "4 L Z+100 R0 FMAX M3\n"
                        "5 L X+10 Y+10 R0 FMAX M8\n"
                        "6 L Z-5 R0 F200\n"
                        "7 TOOL CALL 2 Z S1200\n"
                        "8 L Z+100 R0 FMAX M3\n"
                        "9 L X+50 Y+50 R0 FMAX\n" // line 10
                        "10 TOOL CALL 1 Z S3000\n"
                        "11 L Z-2 R0 F300\n"
                        "12 END PGM 1234 MM\n";
    EXPECT_TRUE(isPlainTextProgram(plate));
    EXPECT_TRUE(isPlainTextProgram("\n  BEGIN PGM PLATE INCH\nEND PGM PLATE INCH\n"));
    EXPECT_FALSE(isPlainTextProgram(kBracket));
    EXPECT_FALSE(isPlainTextProgram("(BEGIN PGM 5 MM)\nG0 X0\n"));
    EXPECT_FALSE(isPlainTextProgram(""));

    const std::tuple<RestartBy, std::uint32_t, std::uint32_t, std::optional<std::size_t>> finds[] = {
        {RestartBy::ToolCall, 2, 1, 8},
        {RestartBy::ToolCall, 1, 1, 4},
        {RestartBy::ToolCall, 1, 2, 11},
        {RestartBy::ToolCall, 1, 3, std::nullopt},
        {RestartBy::ToolCall, 5, 1, std::nullopt},
        {RestartBy::BlockNumber, 9, 1, 10},
        {RestartBy::BlockNumber, 0, 1, 1},
        {RestartBy::BlockNumber, 13, 1, std::nullopt},
        {RestartBy::Line, 13, 1, 13},
    };
    for (const auto& [by, value, occurrence, line] : finds)
        EXPECT_EQ(findRestartLine(plate, by, value, occurrence), line) << int(by) << " " << value << " " << occurrence;

    const char* check = "; CHECK SPINDLE, COOLANT AND FEED BEFORE THE FIRST MOVE\n";
    EXPECT_EQ(restartPreamble(plate, 10), std::string("; RESTART LINE 10\nTOOL CALL 2 Z S1200\n") + check);
    EXPECT_EQ(restartPreamble(plate, 8), std::string("; RESTART LINE 8\n") + check); // the call itself follows
    EXPECT_EQ(restartPreamble(plate, 12), std::string("; RESTART LINE 12\nTOOL CALL 1 Z S3000\n") + check);
    EXPECT_EQ(restartPreamble(plate, 2), std::string("; RESTART LINE 2\n") + check);
}

TEST(NcRestartTest, TheRestartedProgramIsThePreambleAndTheRest)
{
    EXPECT_EQ(restartProgram("(P)\nG21", "A\r\nB\r\nC", 2), "(P)\nG21\nB\nC\n");
    EXPECT_EQ(restartProgram("", "A\nB\n", 1), "A\nB\n");
}

// A restart from line 14 went out with three lines in front (name line and preamble)
// of the file's lines 14 to 21.
TEST(NcRestartTest, ABreakInARestartedProgramIsToldAsALineOfTheFile)
{
    const std::pair<std::size_t, std::size_t> cases[] = {
        {0, 14}, // nothing arrived
        {1, 14}, {3, 14}, // the last preamble line
        {4, 14}, // the file's line 14
        {5, 15}, {11, 21}, // the last line
        {12, 21}, // past the end
    };
    for (const auto& [fed, line] : cases)
        EXPECT_EQ(originalRestartLine(fed, 14, 3, 21), line) << fed;
    EXPECT_EQ(originalRestartLine(1, 1, 0, 5), 1u);
    EXPECT_EQ(textLineCount("A\r\nB\rC\nD"), 4u);
    EXPECT_EQ(textLineCount("A\n\n"), 2u);
    EXPECT_EQ(textLineCount(""), 0u);
}

} // namespace
} // namespace kvt
