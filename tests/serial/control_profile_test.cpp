// Control profiles: the built-ins, the profile file, the machine's choice in its send
// settings, and the framing of a program for the line.

#include "options/options_record.h"
#include "serial/control_profile.h"
#include "serial/serial_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace kvt {
namespace {

struct BuiltInCase {
    const char* name;
    LineEnd lineEnd;
    const char* leader;
    StartCondition start;
    FlowMode flow;
    std::uint32_t stopAllowance;
    NameLine nameLine;
};

TEST(ControlProfileTest, TheBuiltInsAreTheFiveControlsInThisOrder)
{
    const BuiltInCase cases[] = {
        {"Fanuc", LineEnd::Lf, "%", StartCondition::WaitXon, FlowMode::Program, 10, NameLine::ONumber},
        {"Haas", LineEnd::CrLf, "%", StartCondition::AtOnce, FlowMode::Program, 32, NameLine::ONumber},
        {"Heidenhain", LineEnd::CrLf, "", StartCondition::WaitXon, FlowMode::Program, 16, NameLine::HeidenhainBegin},
        {"Siemens", LineEnd::Lf, "", StartCondition::AtOnce, FlowMode::Driver, 64, NameLine::SiemensMpf},
        {"Generic", LineEnd::CrLf, "", StartCondition::AtOnce, FlowMode::Driver, 64, NameLine::None},
    };
    const auto& list = builtInProfiles();
    ASSERT_EQ(list.size(), std::size(cases));
    for (std::size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(list[i].name, cases[i].name);
        EXPECT_TRUE(list[i].builtIn);
        EXPECT_EQ(list[i].lineEnd, cases[i].lineEnd);
        EXPECT_EQ(list[i].leader, cases[i].leader);
        EXPECT_EQ(list[i].start, cases[i].start);
        EXPECT_EQ(list[i].flow, cases[i].flow);
        EXPECT_EQ(list[i].stopAllowance, cases[i].stopAllowance);
        EXPECT_EQ(list[i].nameLine, cases[i].nameLine);
        EXPECT_EQ(profileProblem(list[i]), ProfileProblem::None);
    }
    EXPECT_EQ(list[0].receiveEndPattern, R"((M30|M02|M2|M99)\s*%)");
    EXPECT_EQ(list[0].requestPattern, R"(\((?:PRG=|O)(\d+)\))");
}

TEST(ControlProfileTest, EscapedBytesReadAndWriteBothWays)
{
    const std::pair<const char*, std::string> good[] = {
        {"%", "%"},
        {"\\x12%", "\x12%"},
        {"\\x0", std::string(1, '\0')},
        {"\\xff", "\xFF"},
        {"\\X7F", "\x7F"},
        {"a\\\\b", "a\\b"},
        {"\\r\\n\\t", "\r\n\t"},
        {"\\x123",
            "\x12"
            "3"},
    };
    for (const auto& [text, bytes] : good) {
        SCOPED_TRACE(text);
        const auto parsed = parseEscapedBytes(text);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(*parsed, bytes);
        EXPECT_EQ(parseEscapedBytes(escapedBytesText(bytes)), bytes);
    }
    for (const char* bad : {"\\", "\\x", "\\xg1", "\\q", "ab\\"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parseEscapedBytes(bad).has_value());
    }
    EXPECT_EQ(escapedBytesText("\x12%\\\x7F"), "\\x12%\\x5C\\x7F");
}

TEST(ControlProfileTest, TheFileHoldsOnlyWhatDiffersAndReadsBackTheSame)
{
    ControlProfiles profiles;
    EXPECT_EQ(profiles.fileText().find('['), std::string::npos); // nothing but the heading

    ControlProfile fanuc = *profiles.find("Fanuc");
    fanuc.linePauseMs = 15;
    fanuc.folders[2] = "/srv/nc/Fräse 2";
    profiles.put(fanuc);
    ControlProfile own;
    own.name = "Mill 3";
    own.leader = " \x12";
    own.lineEnd = LineEnd::Cr;
    own.requestDripFeed = true;
    profiles.put(own);

    const std::string text = profiles.fileText();
    EXPECT_NE(text.find("[Fanuc]\n"), std::string::npos);
    EXPECT_NE(text.find("[Mill 3]\n"), std::string::npos);
    EXPECT_NE(text.find("leader= \\x12\n"), std::string::npos);
    EXPECT_EQ(text.find("[Haas]"), std::string::npos);

    ControlProfiles read;
    ProfileFileError error;
    ASSERT_TRUE(read.readFileText(text, error)) << error.line;
    ASSERT_EQ(read.all().size(), 6u);
    EXPECT_EQ(read.find("Fanuc")->linePauseMs, 15u);
    EXPECT_TRUE(read.find("Fanuc")->builtIn);
    EXPECT_EQ(read.find("Fanuc")->folders[2], "/srv/nc/Fräse 2");
    EXPECT_EQ(read.find("Mill 3")->leader, " \x12");
    EXPECT_EQ(read.find("Mill 3")->lineEnd, LineEnd::Cr);
    EXPECT_TRUE(read.find("Mill 3")->requestDripFeed);
    EXPECT_FALSE(read.find("Mill 3")->builtIn);
    EXPECT_EQ(read.fileText(), text);

    // Removing an edited built-in gives back its built-in values.
    EXPECT_TRUE(read.remove("Fanuc"));
    EXPECT_EQ(read.find("Fanuc")->linePauseMs, 0u);
    EXPECT_TRUE(read.remove("Mill 3"));
    EXPECT_EQ(read.find("Mill 3"), nullptr);
    EXPECT_FALSE(read.remove("Mill 3"));
    EXPECT_EQ(&read.resolve("no such"), read.find("Generic"));
}

TEST(ControlProfileTest, ADamagedFileNamesItsLineAndKeepsTheProfilesAsTheyWere)
{
    const std::pair<const char*, std::size_t> cases[] = {
        {"lineEnd=LF\n", 1}, // a key before any profile
        {"[Fanuc]\nlineEnd=CRLF\nlineEnd=LFCR\n", 3},
        {"[Fanuc\n", 1},
        {"# comment\n\n[A]\nleader=\\x\n", 4},
        {"[A]\nstopAllowance=-1\n", 2},
        {"[A]\nstopAllowance=99999999999\n", 2},
        {"[A]\nrequestDripFeed=yes\n", 2},
        {"[A]\nno equals sign\n", 2},
        {"[A]\ncolour=red\n", 2},
        {"[A]\nreceiveEnd=(M30\n[B]\n", 1}, // a broken pattern is told at its profile
        {"[A]\nstopAllowance=0\n", 1},
        {"[A]\nfileName=prog.nc\n", 1},
    };
    for (const auto& [text, line] : cases) {
        SCOPED_TRACE(text);
        ControlProfiles profiles;
        ControlProfile mine;
        mine.name = "Mine";
        profiles.put(mine);
        ProfileFileError error;
        EXPECT_FALSE(profiles.readFileText(text, error));
        EXPECT_EQ(error.line, line);
        EXPECT_EQ(profiles.all().size(), 6u);
        EXPECT_NE(profiles.find("Mine"), nullptr);
    }
}

TEST(ControlProfileTest, SaveGoesToTheDataFolderAndAMissingFileIsNoError)
{
    const auto folder = std::filesystem::temp_directory_path() / "kvt_profile_test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    ControlProfiles profiles;
    ProfileFileError error;
    EXPECT_TRUE(profiles.load(folder, error));
    ControlProfile own;
    own.name = "Lathe";
    profiles.put(own);
    ASSERT_TRUE(profiles.save(folder));
    ControlProfiles again;
    ASSERT_TRUE(again.load(folder, error));
    EXPECT_NE(again.find("Lathe"), nullptr);
    std::ofstream(ControlProfiles::filePath(folder)) << "[Lathe]\nflow=sideways\n";
    EXPECT_FALSE(again.load(folder, error));
    EXPECT_EQ(error.line, 2u);
    EXPECT_NE(again.find("Lathe"), nullptr);
    std::filesystem::remove_all(folder);
}

TEST(ControlProfileTest, TheMachineKeepsItsProfileNameBesideItsSendSettings)
{
    auto machine = std::make_unique<MachineRecord>();
    *machine = {};
    EXPECT_EQ(MachineProfileName(*machine), ""); // an older file
    SerialSettings send = LoadSerialSettings(*machine, PortDirection::Send);
    send.baudRate = 4800;
    send.xonChar = 0x11;
    StoreSerialSettings(*machine, PortDirection::Send, send);

    StoreMachineProfileName(*machine, "Heidenhain");
    EXPECT_EQ(MachineProfileName(*machine), "Heidenhain");
    EXPECT_EQ(LoadSerialSettings(*machine, PortDirection::Send).baudRate, 4800u);
    EXPECT_EQ(LoadSerialSettings(*machine, PortDirection::Send).xonChar, 0x11);
    EXPECT_EQ(MachineProfileName(*machine), "Heidenhain");

    // 59 ASCII bytes and a two-byte character: the character would end at byte 61.
    const std::string longName = std::string(59, 'x') + "ä";
    StoreMachineProfileName(*machine, longName);
    EXPECT_EQ(MachineProfileName(*machine), std::string(59, 'x'));
    StoreMachineProfileName(*machine, std::string(60, 'y') + "z");
    EXPECT_EQ(MachineProfileName(*machine), std::string(60, 'y'));
    StoreMachineProfileName(*machine, "");
    EXPECT_EQ(MachineProfileName(*machine), "");

    // Bytes there that are not ours read as no profile.
    send = LoadSerialSettings(*machine, PortDirection::Send);
    std::memset(send.reserved1, 'K', sizeof send.reserved1);
    StoreSerialSettings(*machine, PortDirection::Send, send);
    EXPECT_EQ(MachineProfileName(*machine), "");
}

TEST(ControlProfileTest, FanucFramingDropsTheHeadAndTakesTheProgramsOwnPercentLines)
{
    const ControlProfile& fanuc = builtInProfiles()[0];
    const FramedProgram p = frameProgram(fanuc, "junk\r\n%\r\nO1234\r\nG0 X0\r\nM30\r\n%\r\n\r\n", "O1234");
    EXPECT_EQ(p.bytes, "%\nO1234\nG0 X0\nM30\n%\n");
    // Line 1 (junk) and line 2 (%) are the leader; line 7 (empty) lies past the end.
    EXPECT_EQ(p.lineStarts, (std::vector<std::size_t> {0, 0, 2, 8, 14, 18, 18}));
    EXPECT_EQ(p.bodyBegin, 2u);
    EXPECT_EQ(p.bodyEnd, 18u);
    EXPECT_EQ(lineAtOffset(p, 0), 2u);
    EXPECT_EQ(lineAtOffset(p, 7), 3u);
    EXPECT_EQ(lineAtOffset(p, 8), 4u);
    EXPECT_EQ(lineAtOffset(p, 17), 5u);
    EXPECT_EQ(lineAtOffset(p, 18), 8u); // past the program
}

// Only a "%" that opens a program drops what stands before it: a program that has its
// only "%" at the end (as one restarted from a block has) is sent whole.
TEST(ControlProfileTest, APercentThatOnlyEndsTheProgramDropsNothing)
{
    const ControlProfile& fanuc = builtInProfiles()[0];
    const std::pair<const char*, const char*> cases[] = {
        {"(RESTART)\nG20\nN40 T3 M6\nM30\n%\n", "%\n(RESTART)\nG20\nN40 T3 M6\nM30\n%\n"},
        {"G0 X0\nM30 %\n\n", "%\nG0 X0\nM30 %\n%\n"},
        {"junk % G0 X0\nM30\n", "%\n% G0 X0\nM30\n%\n"},
        {"junk\n%\nG0 X0\n%\n", "%\nG0 X0\n%\n"},
    };
    for (const auto& [text, sent] : cases)
        EXPECT_EQ(frameProgram(fanuc, text, "part").bytes, sent) << text;
}

TEST(ControlProfileTest, NameLinesAreAddedOnlyWhenTheProgramHasNone)
{
    const auto& b = builtInProfiles();
    const std::tuple<std::size_t, const char*, const char*, const char*> cases[] = {
        {0, "G0 X0\nM30\n", "1234_part", "%\nO1234\nG0 X0\nM30\n%\n"},
        {0, "G0 X0\n", "part", "%\nG0 X0\n%\n"}, // no number to give
        {0, ":100\nG0 X0\n", "O5", "%\n:100\nG0 X0\n%\n"},
        {1, "%\nO55\nM30\n%\n", "x", "%\r\nO55\r\nM30\r\n%\r\n"},
        {2, "L X+0\n", "Part-1", "BEGIN PGM PART_1 MM\r\nL X+0\r\nEND PGM PART_1 MM\r\n"},
        {2, "0 BEGIN PGM A MM\n1 L X+0\n2 END PGM A MM\n", "A", "0 BEGIN PGM A MM\r\n1 L X+0\r\n2 END PGM A MM\r\n"},
        {3, "G0 X0\nM30\n", "shaft", "%_N_SHAFT_MPF\n;$PATH=/_N_MPF_DIR\nG0 X0\nM30\n"},
        {3, "%_N_A_MPF\nM30\n", "b", "%_N_A_MPF\nM30\n"},
        {4, "G0 X0\nM30", "a", "G0 X0\r\nM30\r\n"},
    };
    for (const auto& [profile, text, name, bytes] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(frameProgram(b[profile], text, name).bytes, bytes);
    }
}

// A program restarted from a line reaches the control under the original program's own
// number or name, whatever its file is called; only a program without one is named after
// its file. The control would otherwise store or run it as another program.
TEST(ControlProfileTest, ARestartedProgramKeepsTheOriginalsNameLine)
{
    const auto& b = builtInProfiles();
    const char* restart = "(RESTART LINE 5)\nG21\nT2 M6\nM30\n%\n";
    const char* heidenhain = "0 BEGIN PGM BRACKET MM\n1 TOOL CALL 1 Z S2000\n2 L X+0\n3 TOOL CALL 2 Z S3000\n"
                             "4 L X+10\n5 END PGM BRACKET MM\n";
    const char* heidenhainRestart = "(RESTART LINE 4)\n3 TOOL CALL 2 Z S3000\n4 L X+10\n5 END PGM BRACKET MM\n";
    const char* siemensRestart = "(RESTART LINE 4)\nT2 M6\nM30\n";
    struct Case {
        std::size_t profile;
        const char* original;
        const char* restarted;
        const char* file;
        const char* sent;
    };
    const Case cases[] = {
        {0, "%\nO1234 (BRACKET)\nG21\nT1 M6\nT2 M6\nM30\n%\n", restart, "bracket_v2",
            "%\nO1234 (BRACKET)\n(RESTART LINE 5)\nG21\nT2 M6\nM30\n%\n"},
        {0, "junk\n%\n\nO77\nT2 M6\nM30\n%\n", restart, "O1", "%\nO77\n(RESTART LINE 5)\nG21\nT2 M6\nM30\n%\n"},
        {0, "O4711\nG21\nT2 M6\nM30\n%\n", restart, "x9", "%\nO4711\n(RESTART LINE 5)\nG21\nT2 M6\nM30\n%\n"},
        // Without a number of its own the file name's number is all there is.
        {0, "%\nG21\nT1 M6\nT2 M6\nM30\n%\n", restart, "O0815", "%\nO0815\n(RESTART LINE 5)\nG21\nT2 M6\nM30\n%\n"},
        // The operator wrote a number into the preamble: that one goes.
        {0, "%\nO1234\nT2 M6\nM30\n%\n", "O5555\nT2 M6\nM30\n%\n", "O1234", "%\nO5555\nT2 M6\nM30\n%\n"},
        {1, "%\n:1234\nT1 M6\nT2 M6\nM30\n%\n", restart, "haas_part",
            "%\r\n:1234\r\n(RESTART LINE 5)\r\nG21\r\nT2 M6\r\nM30\r\n%\r\n"},
        {2, heidenhain, heidenhainRestart, "part7",
            "0 BEGIN PGM BRACKET MM\r\n(RESTART LINE 4)\r\n3 TOOL CALL 2 Z S3000\r\n4 L X+10\r\n"
            "5 END PGM BRACKET MM\r\n"},
        {2, "BEGIN PGM 12 INCH\nL X+0\nEND PGM 12 INCH\n", "L X+0\nEND PGM 12 INCH\n", "twelve",
            "BEGIN PGM 12 INCH\r\nL X+0\r\nEND PGM 12 INCH\r\n"},
        {2, "L X+0\nL X+1\n", "L X+1\n", "part7", "BEGIN PGM PART7 MM\r\nL X+1\r\nEND PGM PART7 MM\r\n"},
        {3, "%_N_SHAFT_MPF\n;$PATH=/_N_WKS_DIR/_N_SHAFT_WPD\nT1 M6\nT2 M6\nM30\n", siemensRestart, "shaft_copy",
            "%_N_SHAFT_MPF\n;$PATH=/_N_WKS_DIR/_N_SHAFT_WPD\n(RESTART LINE 4)\nT2 M6\nM30\n"},
        {3, "%_N_A_MPF\nT1 M6\nT2 M6\nM30\n", siemensRestart, "b", "%_N_A_MPF\n(RESTART LINE 4)\nT2 M6\nM30\n"},
        {3, "T1 M6\nT2 M6\nM30\n", siemensRestart, "shaft_copy",
            "%_N_SHAFT_COPY_MPF\n;$PATH=/_N_MPF_DIR\n(RESTART LINE 4)\nT2 M6\nM30\n"},
        // The generic profile adds no name line and carries none.
        {4, "%\nO1234\nT1 M6\nT2 M6\nM30\n%\n", restart, "O1234", "(RESTART LINE 5)\r\nG21\r\nT2 M6\r\nM30\r\n%\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(b[c.profile].name) + ": " + c.original);
        EXPECT_EQ(
            frameProgram(b[c.profile], keepProgramName(b[c.profile], c.original, c.restarted), c.file).bytes, c.sent);
    }
}

TEST(ControlProfileTest, BeforeAndAfterTextsFrameEverything)
{
    ControlProfile p;
    p.name = "x";
    p.beforeSend = "\x12";
    p.leader = "%";
    p.trailer = "\x14";
    p.afterSend = "END";
    p.lineEnd = LineEnd::Lf;
    const FramedProgram f = frameProgram(p, "A\nB\n", "x");
    EXPECT_EQ(f.bytes,
        "\x12%\nA\nB\n\x14"
        "END");
    EXPECT_EQ(f.lineStarts, (std::vector<std::size_t> {3, 5}));
}

} // namespace
} // namespace kvt
