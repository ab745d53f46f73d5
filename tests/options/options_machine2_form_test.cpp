// The second machine page: NC formats, editor choice, dwell and memory, keyword groups
// and their table, and the coolant tanks in the display units.

#include "options_dialog_fixture.h"

#include "common/code_page.h"
#include "common/units.h"

#include <cmath>

#include <span>

namespace kvt::test {
namespace {

using Machine2FormTest = OptionsDialogTest;

std::string keywordText(const KeywordEntry& entry)
{
    return utf16ToUtf8(fixedText(std::span<const char16_t>(entry.text)));
}

TankFields tank(std::string name, std::string maxFill)
{
    TankFields fields;
    fields.name = std::move(name);
    fields.length = "1000";
    fields.width = "500";
    fields.cornerRadius = "0";
    fields.maxFill = std::move(maxFill);
    fields.volumePerHeightUnit = "0";
    fields.heightUnit = "0";
    fields.targetConcentration = "6";
    fields.productName = "Emulsion A";
    fields.refractometerFactor = "1.43";
    return fields;
}

TEST(VolumeUnits, EveryUnitToMillilitresAndBack)
{
    const double millilitres[] = {1000.0, 1.0, 3785.41, 4546.09, 473.176, 568.261, 946.353, 1136.52, 29.5735, 28.4131};
    const char* texts[] = {"[Liter]", "[Milliliter]", "[Gallon US]", "[Gallon Imp]", "[Pint US]", "[Pint Imp]",
        "[Quart US]", "[Quart Imp]", "[Fluid Ounce US]", "[Fluid Ounce Imp]"};
    for (int unit = 0; unit < 10; ++unit) {
        SCOPED_TRACE(unit);
        EXPECT_EQ(formatFixed(volumeToMillilitres(unit, 1.0), 4),
            formatFixed(std::trunc((millilitres[unit] + 0.0005) * 1000.0) / 1000.0, 4));
        EXPECT_EQ(formatFixed(millilitresToVolume(unit, millilitres[unit]), 3), "1.000");
        EXPECT_EQ(volumeUnitText(unit), texts[unit]);
    }
    EXPECT_EQ(volumeToMillilitres(17, 5.5), 5.5); // a damaged unit byte counts as millilitres
}

TEST_F(Machine2FormTest, TankCreatedInUsGallonsReadsBackInLitres)
{
    record->settings.volumeUnit = 2; // US gallons
    OptionsMachine2Form form(context);
    ASSERT_TRUE(form.saveNewTank(tank("Mill tank", "10")));
    EXPECT_FLOAT_EQ(data().coolantTanks[0].maxFill, 37854.1f);
    EXPECT_EQ(form.tankFields(0).maxFill, "10.000");

    record->settings.volumeUnit = 0; // litres
    EXPECT_EQ(form.tankFields(0).maxFill, "37.854");
    EXPECT_EQ(form.tankCaptions()[4], "*KSM Tank max. Füllmenge: [Liter]");
    EXPECT_EQ(form.tankFields(0).length, "1000.00");
    EXPECT_EQ(form.tankFields(0).targetConcentration, "6.00");
    EXPECT_EQ(form.tankFields(0).refractometerFactor, "1.430");
    EXPECT_EQ(form.tankFields(0).productName, "Emulsion A");
    EXPECT_TRUE(form.changed());
}

TEST_F(Machine2FormTest, TankLengthsInInchesAreStoredInMillimetres)
{
    record->settings.unitSystem = kUnitSystemInch;
    OptionsMachine2Form form(context);
    TankFields fields = tank("Lathe", "100");
    fields.length = "10";
    fields.cornerRadius = "1/2";
    ASSERT_TRUE(form.saveNewTank(fields));
    EXPECT_FLOAT_EQ(data().coolantTanks[0].length, 254.00051f);
    EXPECT_FLOAT_EQ(data().coolantTanks[0].cornerRadius, 12.70003f);
    EXPECT_EQ(form.tankFields(0).length, "10.0000");
    EXPECT_EQ(form.tankCaptions()[1], "*KSM Tank Länge: [inch]");
}

TEST_F(Machine2FormTest, TankListNewApplyDelete)
{
    OptionsMachine2Form form(context);
    EXPECT_EQ(form.currentTank(), -1);
    ASSERT_TRUE(form.saveNewTank(tank("A", "100")));
    ASSERT_TRUE(form.saveNewTank(tank("B", "200")));
    ASSERT_TRUE(form.saveNewTank(tank("C", "300")));
    EXPECT_EQ(form.tankNames(), (std::vector<std::string> {"A", "B", "C"}));
    EXPECT_EQ(form.currentTank(), 2);

    // Fields left as shown keep their exact value; the changed one is taken.
    data().coolantTanks[1].length = 1000.004f;
    TankFields fields = form.tankFields(1);
    fields.maxFill = "250";
    ASSERT_TRUE(form.applyTank(1, fields));
    EXPECT_EQ(data().coolantTanks[1].length, 1000.004f);
    EXPECT_EQ(data().coolantTanks[1].maxFill, 250000.0f);
    EXPECT_EQ(form.currentTank(), 1);

    boxes.answers = {MessageAnswer::No};
    EXPECT_FALSE(form.deleteTank(0));
    EXPECT_EQ(form.tankNames().size(), 3u);
    boxes.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(form.deleteTank(0));
    EXPECT_EQ(boxes.shown.back().text, "*Eintrag wirklich löschen?");
    EXPECT_EQ(boxes.shown.back().caption, "*Frage");
    EXPECT_EQ(form.tankNames(), (std::vector<std::string> {"B", "C"}));
    EXPECT_EQ(data().coolantTanks[2].name[0], 0); // moved up, the last slot emptied
    EXPECT_EQ(form.tankFields(0).maxFill, "250.000"); // litres
}

TEST_F(Machine2FormTest, RefusedTanksStoreNothing)
{
    OptionsMachine2Form form(context);
    struct Case {
        const char* name;
        TankFields fields;
        const char* message;
    };
    TankFields noName = tank("  ", "1");
    TankFields badNumber = tank("X", "12a");
    TankFields tooStrong = tank("X", "1");
    tooStrong.targetConcentration = "100.5";
    const Case cases[] = {
        {"no name", noName, "*Bitte einen Maschinen-/Tank-Namen eingeben."},
        {"letter in a number", badNumber, "*Unerlaubte Zeichen im Eingabefeld!"},
        {"over 100 percent", tooStrong, "*Die Sollkonzentration kann nicht über 100 % liegen."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        EXPECT_FALSE(form.saveNewTank(c.fields));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, c.message);
        EXPECT_TRUE(form.tankNames().empty());
    }
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(form.saveNewTank(tank("T" + std::to_string(i), "1")));
    boxes.shown.clear();
    EXPECT_FALSE(form.saveNewTank(tank("Eleventh", "1")));
    EXPECT_EQ(boxes.shown.at(0).text, "*Die Liste ist voll: höchstens 10 Tanks je Maschine.");
}

TEST_F(Machine2FormTest, LineNumberFormatIsALetterAndDigits)
{
    OptionsMachine2Form form(context);
    struct Case {
        const char* typed;
        bool valid;
        const char* stored;
    };
    const Case cases[] = {
        {"N0010", true, "N0010"},
        {" n5 ", true, "n5"},
        {"", true, ""},
        {"0010", false, ""},
        {"N", false, ""},
        {"N10A", false, ""},
        {"N12345678901", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        setFixedText(std::span<char16_t>(machine().ncLineNumberFormat), u"");
        boxes.shown.clear();
        std::string text = c.typed;
        EXPECT_EQ(form.setLineNumberFormat(text), c.valid);
        EXPECT_EQ(form.lineNumberFormatText(), c.stored);
        EXPECT_EQ(boxes.shown.size(), c.valid ? 0u : 1u);
    }
    std::string toolFormat = " T%02i H%02i ";
    EXPECT_TRUE(form.setToolLengthFormat(toolFormat));
    EXPECT_EQ(form.toolLengthFormatText(), "T%02i H%02i");
}

TEST_F(Machine2FormTest, EditorChoiceAndProgram)
{
    OptionsMachine2Form form(context);
    machine().editorMode = 0; // a never-written record: no program named
    EXPECT_EQ(form.editorChoice(), EditorChoice::Internal);
    form.chooseEditor(EditorChoice::Program); // not without a program
    EXPECT_EQ(machine().editorMode, 0);
    form.chooseEditor(EditorChoice::TextEditor);
    EXPECT_EQ(machine().editorMode, kEditorTextEditor);
    EXPECT_TRUE(form.setEditorProgram("/usr/bin/gedit"));
    EXPECT_EQ(machine().editorMode, kEditorProgram);
    EXPECT_EQ(form.editorChoice(), EditorChoice::Program);
    EXPECT_EQ(form.editorPath(), "/usr/bin/gedit");
    form.chooseEditor(EditorChoice::Internal);
    EXPECT_EQ(machine().editorMode, kEditorInternal);
    EXPECT_EQ(form.editorPath(), "/usr/bin/gedit"); // kept for the next time
}

TEST_F(Machine2FormTest, DwellAndMemory)
{
    OptionsMachine2Form form(context);
    std::string text = "2.5";
    EXPECT_TRUE(form.setDwell(text));
    EXPECT_EQ(data().dwellRevolutions, 2.5f);
    EXPECT_EQ(text, "2.50");

    struct Case {
        const char* typed;
        bool valid;
        std::uint32_t stored;
    };
    const Case cases[] = {
        {"32768", true, 32768}, {"1234.9", true, 1234}, {"0", true, 0}, {"4294967295", true, 4294967295u},
        {"99999999999", true, 4294967295u}, {"12kB", false, 4294967295u}, // refused: the stored size stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        text = c.typed;
        EXPECT_EQ(form.setMemory(text), c.valid);
        EXPECT_EQ(machine().controlMemorySize, c.stored);
    }
}

TEST_F(Machine2FormTest, WordGroupsBuildTheKeywordTable)
{
    OptionsMachine2Form form(context);
    form.setColour(0, {0x11, 0x22, 0x33});
    form.setColour(3, {0xFF, 0x00, 0x80});
    EXPECT_TRUE(form.setWords(0, "G0  G1\nG2 "));
    EXPECT_EQ(form.wordsText(0), "G0 G1 G2");
    EXPECT_TRUE(form.setWords(2, "M30"));
    EXPECT_TRUE(form.setWords(3, "( ["));

    EXPECT_EQ(keywordText(machine().keywords[0]), "G0");
    EXPECT_EQ(machine().keywords[0].colour, 0x00332211u);
    EXPECT_EQ(keywordText(machine().keywords[2]), "G2");
    EXPECT_EQ(keywordText(machine().keywords[3]), "M30");
    EXPECT_EQ(machine().keywords[3].colour, 0u);
    EXPECT_EQ(machine().keywordPairStart, 4u);
    EXPECT_EQ(keywordText(machine().keywords[4]), "(");
    EXPECT_EQ(machine().keywords[4].pairFlag, 1);
    EXPECT_EQ(machine().keywords[4].colour, 0x008000FFu);
    EXPECT_EQ(keywordText(machine().keywords[5]), ""); // the partner's place
    EXPECT_EQ(machine().keywords[5].colour, 0x008000FFu);
    EXPECT_EQ(keywordText(machine().keywords[6]), "[");
    EXPECT_EQ(keywordText(machine().keywords[8]), "");
    EXPECT_TRUE(form.changed());
}

TEST_F(Machine2FormTest, KeywordTableStopsAtFortyEntries)
{
    OptionsMachine2Form form(context);
    std::string thirty;
    for (int i = 0; i < 30; ++i)
        thirty += "A" + std::to_string(i) + " ";
    ASSERT_TRUE(form.setWords(0, thirty));
    ASSERT_TRUE(form.setWords(1, thirty));
    ASSERT_TRUE(form.setWords(3, "( ["));
    EXPECT_EQ(keywordText(machine().keywords[39]), "A9");
    EXPECT_EQ(machine().keywordPairStart, 40u);
    for (const KeywordEntry& entry : machine().keywords)
        EXPECT_EQ(entry.pairFlag, 0);
}

TEST_F(Machine2FormTest, OverlongWordListsAreRefused)
{
    OptionsMachine2Form form(context);
    ASSERT_TRUE(form.setWords(1, "G40 G41"));
    std::string fiftyOne;
    for (int i = 0; i < 51; ++i)
        fiftyOne += "W ";
    EXPECT_FALSE(form.setWords(1, fiftyOne));
    EXPECT_FALSE(form.setWords(1, std::string(128, 'X')));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "*Zu viele Wörter: höchstens 50 Wörter und 511 Zeichen je Farbe.");
    EXPECT_EQ(boxes.shown[1].text, "*Ein Wort ist länger als 127 Zeichen.");
    EXPECT_EQ(form.wordsText(1), "G40 G41");
    EXPECT_TRUE(form.setWords(1, std::string(127, 'X')));
}

} // namespace
} // namespace kvt::test
