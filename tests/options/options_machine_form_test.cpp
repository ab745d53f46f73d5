// The first machine page: the lists of speeds, index plates and parallels, the single
// fields, and deleting a machine.

#include "options_dialog_fixture.h"

#include "common/code_page.h"
#include "options/options_serial_form.h"

#include <algorithm>
#include <limits>
#include <span>

namespace kvt::test {
namespace {

using MachineFormTest = OptionsDialogTest;

std::string manyNumbers(int count, int first = 1)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(first + i) + " ";
    return text;
}

struct SpeedCase {
    const char* name;
    std::string text;
    ListProblem problem;
    std::vector<float> speeds;
};

TEST(SpeedStepList, ParsesChecksAndSorts)
{
    const SpeedCase cases[] = {
        {"one per line", "100\n200\n315", ListProblem::None, {100, 200, 315}},
        {"mixed separators", "100, 200;315\t500\r\n800", ListProblem::None, {100, 200, 315, 500, 800}},
        {"typed out of order", "2000 500 1000", ListProblem::None, {500, 1000, 2000}},
        {"repeats dropped", "500 500 1000", ListProblem::None, {500, 1000}},
        {"empty text empties the table", "  \n ", ListProblem::None, {}},
        {"decimal point would split a number", "1500.5", ListProblem::BadEntry, {}},
        {"minus", "100 -200", ListProblem::BadEntry, {}},
        {"letters", "100 rpm", ListProblem::BadEntry, {}},
        {"zero marks an empty slot", "0 100", ListProblem::BadEntry, {}},
        {"absurd speed", "1000000", ListProblem::BadEntry, {}},
        {"umlaut", "Drehzahl für 100", ListProblem::Umlaut, {}},
        {"251 entries", manyNumbers(251), ListProblem::TooMany, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedList<float> list = parseSpeedSteps(c.text);
        EXPECT_EQ(list.problem, c.problem);
        EXPECT_EQ(list.values, c.speeds);
    }
    EXPECT_EQ(parseSpeedSteps(manyNumbers(250)).values.size(), 250u);
}

TEST_F(MachineFormTest, StoredSpeedStepsOutOfRangeCountAsEmpty)
{
    // A damaged file can hold anything; none of it may show as a negative speed.
    machine().speedSteps[0] = 250.0f;
    machine().speedSteps[1] = 3e9f;
    machine().speedSteps[2] = std::numeric_limits<float>::quiet_NaN();
    machine().speedSteps[3] = 2147483648.0f;
    machine().speedSteps[4] = -3e9f;
    machine().speedSteps[5] = 999.9f;
    machine().speedSteps[6] = 2147483520.0f;
    OptionsMachineForm form(context);
    EXPECT_EQ(form.speedStepsText(), "250\n999\n2147483520");
}

TEST_F(MachineFormTest, SpeedStepsStoredAscendingWithEmptyTail)
{
    OptionsMachineForm form(context);
    machine().speedSteps[249] = 77.0f; // stale data behind a shorter list goes
    EXPECT_TRUE(form.setSpeedSteps("1000 250 500"));
    EXPECT_EQ(storedSpeeds(), (std::vector<float> {250, 500, 1000}));
    EXPECT_EQ(machine().speedSteps[3], 0.0f);
    EXPECT_EQ(form.speedStepsText(), "250\n500\n1000");
    EXPECT_TRUE(form.changed());

    EXPECT_TRUE(form.setSpeedSteps(manyNumbers(250, 100)));
    EXPECT_EQ(machine().speedSteps[249], 349.0f);
}

// Steps come from the options file, which may be damaged: the list shows them cut to whole
// numbers as always, and a value beyond the integer range saturates instead of being
// converted with undefined behaviour. Empty (0), negative and NaN slots are not shown.
TEST_F(MachineFormTest, BadSpeedListLeavesTheStoredListAlone)
{
    OptionsMachineForm form(context);
    ASSERT_TRUE(form.setSpeedSteps("100 200 300"));
    record->settings.dialogChanged[kMachinePage1] = 0;

    for (std::string bad : {std::string("100 200 3OO"), manyNumbers(251), std::string("1,5.5")}) {
        SCOPED_TRACE(bad);
        boxes.shown.clear();
        EXPECT_FALSE(form.setSpeedSteps(bad));
        EXPECT_EQ(storedSpeeds(), (std::vector<float> {100, 200, 300}));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_TRUE(boxes.shown[0].text.starts_with("*Eingabe der Drehzahlen überprüfen! "));
        EXPECT_EQ(boxes.shown[0].caption, "Error");
        EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
    }
    EXPECT_FALSE(form.changed());

    boxes.shown.clear();
    EXPECT_FALSE(form.setSpeedSteps("Drehzahlen: 100 über"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "QXF GetNumbersOoutofTCHAR_IntDrehzahlenMega");
    EXPECT_EQ(storedSpeeds(), (std::vector<float> {100, 200, 300}));
}

TEST_F(MachineFormTest, IndexPlatesKeepTheirOrder)
{
    OptionsMachineForm form(context);
    EXPECT_TRUE(form.setIndexPlates("15 16 17 18 19 20\n21 23 27 29 31 33\n37 39 41 43 47 49"));
    EXPECT_EQ(data().indexPlateHoles[0], 15);
    EXPECT_EQ(data().indexPlateHoles[17], 49);
    EXPECT_EQ(data().indexPlateHoles[18], 0);
    EXPECT_TRUE(form.setIndexPlates("49 15"));
    EXPECT_EQ(form.indexPlatesText(), "49\n15");

    EXPECT_FALSE(form.setIndexPlates(manyNumbers(361)));
    EXPECT_FALSE(form.setIndexPlates("70000"));
    EXPECT_EQ(form.indexPlatesText(), "49\n15");
    EXPECT_TRUE(form.setIndexPlates(manyNumbers(360)));
    EXPECT_EQ(data().indexPlateHoles[359], 360);
}

struct ParallelCase {
    const char* name;
    std::string text;
    int unitSystem;
    ListProblem problem;
    std::vector<std::pair<float, float>> sizes;
};

TEST(ParallelsList, ParsesPairsInTheDisplayUnit)
{
    const ParallelCase cases[] = {
        {"one per line", "10 x 8\n20 x 8", 0, ListProblem::None, {{10, 8}, {20, 8}}},
        {"flat list and sorting", "30 10 12 8", 0, ListProblem::None, {{12, 8}, {30, 10}}},
        {"decimal comma and point", "12,5x8\n7.5 * 4,25", 0, ListProblem::None, {{7.5f, 4.25f}, {12.5f, 8}}},
        {"comma as separator", "10, 8; 20, 8", 0, ListProblem::None, {{10, 8}, {20, 8}}},
        {"equal depth and height", "10 x 10", 0, ListProblem::None, {{10, 10}}},
        {"inch converted to mm", "1 x 0.5", 1, ListProblem::None, {{25.40005f, 12.70003f}}},
        {"empty", "", 0, ListProblem::None, {}},
        {"height without depth", "10 x 8\n20", 0, ListProblem::BadEntry, {}},
        {"zero height", "0 x 0", 0, ListProblem::BadEntry, {}},
        {"stray point", "10. x 8", 0, ListProblem::BadEntry, {}},
        {"letters", "10 mm x 8 mm", 0, ListProblem::BadEntry, {}},
        {"depth greater than height", "10 x 8\n5 x 6", 0, ListProblem::DepthGreaterThanHeight, {}},
        {"umlaut", "Höhe 10 x 8", 0, ListProblem::Umlaut, {}},
        {"249 parallels leave no room for the window", manyNumbers(498, 1000), 0, ListProblem::TooMany, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto list = parseParallels(c.text, c.unitSystem);
        EXPECT_EQ(list.problem, c.problem);
        ASSERT_EQ(list.values.size(), c.sizes.size());
        for (std::size_t i = 0; i < c.sizes.size(); ++i) {
            EXPECT_NEAR(list.values[i].height, c.sizes[i].first, 1e-4);
            EXPECT_NEAR(list.values[i].depth, c.sizes[i].second, 1e-4);
        }
    }
}

TEST_F(MachineFormTest, ParallelsFillSlotsAfterTheEmptyEntry)
{
    OptionsMachineForm form(context);
    EXPECT_TRUE(form.setParallels("20 x 8\n10 x 5"));
    const auto& slots = data().parallels;
    EXPECT_EQ(utf16ToUtf8(fixedText(std::span<const char16_t>(slots[0].label))), "*Ohne Parallelstücke ");
    EXPECT_EQ(slots[0].height, 0.0f);
    EXPECT_EQ(slots[1].height, 10.0f);
    EXPECT_EQ(slots[1].depth, 5.0f);
    EXPECT_EQ(slots[2].height, 20.0f);
    EXPECT_EQ(slots[3].height, 0.0f);
    EXPECT_EQ(utf16ToUtf8(fixedText(std::span<const char16_t>(slots[2].label))), "*Höhe 20.00  *Tiefe 8.00");
    EXPECT_EQ(form.parallelsText(), "10.00 x 5.00\n20.00 x 8.00");

    // Fewer parallels later: the old ones behind the list are gone.
    EXPECT_TRUE(form.setParallels("15 x 5"));
    EXPECT_EQ(slots[1].height, 15.0f);
    EXPECT_EQ(slots[2].height, 0.0f);
}

TEST_F(MachineFormTest, DepthGreaterThanHeightKeepsTheFormerInventory)
{
    OptionsMachineForm form(context);
    ASSERT_TRUE(form.setParallels("10 x 5\n20 x 8"));
    record->settings.dialogChanged[kMachinePage1] = 0;
    EXPECT_FALSE(form.setParallels("10 x 5\n20 x 28"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
        "*Eingabe der Parallelstücke überprüfen!\nBei einem Eintrag ist die Tiefe größer, als die Höhe! ");
    EXPECT_EQ(data().parallels[2].height, 20.0f);
    EXPECT_EQ(data().parallels[2].depth, 8.0f);
    EXPECT_FALSE(form.changed());

    EXPECT_FALSE(form.setParallels("10 x"));
    EXPECT_EQ(boxes.shown.back().text, "*Eingabe der Parallelstücke überprüfen! ");
}

TEST_F(MachineFormTest, ParallelsInInchRoundTripWithoutDrift)
{
    record->settings.unitSystem = 1;
    OptionsMachineForm form(context);
    ASSERT_TRUE(form.setParallels("0.5 x 0.25\n1.25 x 0.5"));
    const std::string shown = form.parallelsText();
    EXPECT_EQ(shown, "0.5000 x 0.2500\n1.2500 x 0.5000");
    record->settings.dialogChanged[kMachinePage1] = 0;
    // Reading back what the field shows changes nothing.
    EXPECT_TRUE(form.setParallels(shown));
    EXPECT_FALSE(form.changed());
}

TEST_F(MachineFormTest, SingleFields)
{
    OptionsMachineForm form(context);
    std::string turns = "40";
    EXPECT_TRUE(form.setCrankTurns(turns));
    EXPECT_EQ(data().dividingHeadRatio, 40);
    for (const char* bad : {"256", "4.5"}) {
        std::string text = bad;
        EXPECT_FALSE(form.setCrankTurns(text)) << bad;
        EXPECT_EQ(data().dividingHeadRatio, 40) << bad;
    }
    EXPECT_EQ(form.crankTurnsText(), "40");

    std::string jaw = "50,5";
    EXPECT_TRUE(form.setJawHeight(jaw));
    EXPECT_FLOAT_EQ(data().viseJawHeight, 50.5f);
    EXPECT_EQ(form.jawHeightText(), "50.50");
    record->settings.unitSystem = 1;
    jaw = "1 1/2";
    EXPECT_TRUE(form.setJawHeight(jaw));
    EXPECT_NEAR(data().viseJawHeight, 38.10008f, 1e-4);

    // Leaving the field as it was filled keeps the exact stored value.
    data().viseJawHeight = 50.8f;
    record->settings.dialogChanged[kMachinePage1] = 0;
    jaw = form.jawHeightText();
    EXPECT_TRUE(form.setJawHeight(jaw));
    EXPECT_EQ(data().viseJawHeight, 50.8f);
    EXPECT_FALSE(form.changed());
}

TEST_F(MachineFormTest, NameIsStoredAsUtf16AndCutToTheField)
{
    OptionsMachineForm form(context);
    form.setName("Fräse DMU 50");
    EXPECT_EQ(machine().name[0], u'F');
    EXPECT_EQ(machine().name[2], u'ä');
    EXPECT_EQ(form.nameText(), "Fräse DMU 50");
    form.setName(std::string(300, 'M'));
    EXPECT_EQ(form.nameText().size(), 255u);
    EXPECT_EQ(machine().name[255], u'\0');
}

TEST_F(MachineFormTest, PagesWorkOnTheCurrentMachine)
{
    record->settings.currentMachine = 3;
    OptionsMachineForm form(context);
    form.setSpeedSteps("100");
    EXPECT_EQ(storedSpeeds(3), (std::vector<float> {100}));
    EXPECT_TRUE(storedSpeeds(0).empty());

    // A damaged machine number never reaches past the ten machines.
    record->settings.currentMachine = 200;
    EXPECT_EQ(form.machineIndex(), 0);
}

TEST_F(MachineFormTest, DeleteMachineAsksOnceClearsEverythingButTheTools)
{
    OptionsMachineForm form(context);
    form.setSerialReset(&resetSerialSettings);
    form.setName("Mill");
    form.setSpeedSteps("100 200");
    form.setIndexPlates("15 17");
    form.setParallels("10 x 5");
    SerialSettings send {};
    send.portNumber = 4;
    send.baudRate = 19200;
    StoreSerialSettings(machine(), PortDirection::Send, send);
    StoreIdleLimit(machine(), 40);
    machine().ncLineNumberFormat[0] = u'N';
    machine().colours[2][1] = 200;
    machine().keywordWordLists[3][0] = u'(';
    setFixedText(std::span<char16_t>(data().coolantTanks[0].name), u"Tank");
    machine().tools[0].bytes[0] = 7;
    machine().tools[kStoredToolSlotCount - 1].bytes[kToolSlotSize - 1] = 9;
    machine().editorMode = 3;
    machine(1).speedSteps[0] = 500.0f; // the other machines stay as they are

    boxes.answers = {MessageAnswer::No};
    EXPECT_FALSE(form.deleteMachine());
    EXPECT_EQ(form.nameText(), "Mill");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
        "*Alle Daten dieser Maschine löschen?\nName, Drehzahlen, Teilkopf, Schraubstock, Parallelstücke, RS232 "
        "Einstellungen, NC-Formate, Editor, Farben und Kühlschmiermittel-Tanks werden geleert.\nDie "
        "Werkzeug-Datenbank der Maschine bleibt erhalten.\n\nMill");

    boxes.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(form.deleteMachine());
    EXPECT_EQ(boxes.shown.size(), 2u); // one question, no second one
    EXPECT_EQ(form.nameText(), "");
    EXPECT_TRUE(storedSpeeds().empty());
    EXPECT_EQ(form.indexPlatesText(), "");
    EXPECT_EQ(data().parallels[1].height, 0.0f);
    EXPECT_EQ(utf16ToUtf8(fixedText(std::span<const char16_t>(data().parallels[0].label))), "*Ohne Parallelstücke ");
    EXPECT_EQ(machine().editorMode, 1);
    EXPECT_EQ(machine().ncLineNumberFormat[0], 0);
    EXPECT_EQ(machine().colours[2][1], 0);
    EXPECT_EQ(machine().keywordWordLists[3][0], 0);
    EXPECT_EQ(data().coolantTanks[0].name[0], 0);
    EXPECT_EQ(LoadIdleLimit(machine()), 0u);
    for (PortDirection direction : {PortDirection::Send, PortDirection::Receive}) {
        const SerialSettings set = LoadSerialSettings(machine(), direction);
        EXPECT_EQ(set.portNumber, 1);
        EXPECT_EQ(set.baudRate, 9600u);
        EXPECT_EQ(set.dataBits, 8u);
        EXPECT_EQ(set.stopBits, 1.0f);
        EXPECT_EQ(set.parity, 0u);
        EXPECT_EQ(set.flowControl, kFlowNone);
        EXPECT_EQ(set.xonChar, 0x11);
        EXPECT_EQ(set.xoffChar, 0x13);
    }
    EXPECT_EQ(machine().tools[0].bytes[0], 7);
    EXPECT_EQ(machine().tools[kStoredToolSlotCount - 1].bytes[kToolSlotSize - 1], 9);
    EXPECT_EQ(machine(1).speedSteps[0], 500.0f);
    EXPECT_TRUE(form.changed());
}

} // namespace
} // namespace kvt::test
