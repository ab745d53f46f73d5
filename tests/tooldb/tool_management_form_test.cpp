#include "tooldb/tool_management_form.h"
#include "tooldb/tool_table.h"

#include "tooldb_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace kvt {
namespace {

using test::newMachine;
using test::sampleTool;
using test::ScriptedMessageBoxes;

constexpr const char* kOverwrite
    = "*Im Zielfeld befinden sich bereits Daten.\nSollen diese Daten undwiderruflich überschrieben werden?";
constexpr const char* kDeleteQuestion = "*Sollen die Daten im Zielfeld unwiderruflich gelöscht werden?";
constexpr const char* kReservedRow
    = "*Zeile 000 ist reserviert und enthält kein Werkzeug.\nBitte eine Zeile von 001 bis 499 wählen.";
constexpr const char* kNoStart = "*Bitte erst die Startposition auswählen!";
constexpr const char* kRangeOpen = "*Eine Bereichsoperation ist noch offen.\nBitte erst die Endposition wählen oder "
                                   "\"Alle Bereichsoperationen abbrechen\".";

class ToolManagementFormTest : public ::testing::Test {
protected:
    void put(int number) { storeTool(*machine, static_cast<std::size_t>(number - 1), sampleTool(number)); }
    ToolRecord tool(int number) const { return loadTool(*machine, static_cast<std::size_t>(number - 1)); }
    static bool same(const ToolRecord& a, const ToolRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
    std::u16string nc(int number) const { return std::u16string(toolText(tool(number), ToolField::NcData)); }
    std::vector<std::string> shownTexts() const
    {
        std::vector<std::string> texts;
        for (const MessageBoxRequest& request : boxes.shown)
            texts.push_back(request.text);
        return texts;
    }

    std::unique_ptr<MachineRecord> machine = newMachine();
    ScriptedMessageBoxes boxes;
    BuiltinTexts texts;
    ToolManagementForm form {boxes, texts};
};

TEST_F(ToolManagementFormTest, CopyLeavesTheSourceAndMarksTheCopy)
{
    put(5);
    form.setCurrentRow(5);
    ASSERT_TRUE(form.copy(*machine));
    form.setCurrentRow(7);
    EXPECT_EQ(form.paste(*machine), (std::vector<int> {7}));
    EXPECT_TRUE(same(tool(5), sampleTool(5)));
    EXPECT_EQ(nc(7), u"T5 D5 H5___!!!");
    ToolRecord expected = sampleTool(5);
    setToolText(expected, ToolField::NcData, u"T5 D5 H5___!!!");
    EXPECT_TRUE(same(tool(7), expected));
    // The source stays chosen: a second paste needs no new copy.
    form.setCurrentRow(8);
    EXPECT_EQ(form.paste(*machine), (std::vector<int> {8}));
    EXPECT_EQ(nc(8), u"T5 D5 H5___!!!");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ToolManagementFormTest, CopyMarkStaysWithinTheField)
{
    ToolRecord full = sampleTool(5);
    setToolText(full, ToolField::NcData, std::u16string(125, u'X'));
    storeTool(*machine, 4, full);
    form.setCurrentRow(5);
    form.copy(*machine);
    form.setCurrentRow(7);
    form.paste(*machine);
    EXPECT_EQ(nc(7), std::u16string(125, u'X') + u"__");
}

TEST_F(ToolManagementFormTest, MoveEmptiesTheSourceAndEnds)
{
    put(5);
    form.setCurrentRow(5);
    ASSERT_TRUE(form.cutToMove(*machine));
    EXPECT_EQ(form.menuText(ToolEditCommand::CutToMove), "*Eintrag ausschneiden zum Verschieben    005");
    form.setCurrentRow(7);
    EXPECT_EQ(form.paste(*machine), (std::vector<int> {5, 7}));
    EXPECT_TRUE(isEmpty(tool(5)));
    EXPECT_TRUE(same(tool(7), sampleTool(5)));
    EXPECT_FALSE(form.sourceSet());
    EXPECT_EQ(form.menuText(ToolEditCommand::CutToMove), "*Eintrag ausschneiden zum Verschieben");
    form.setCurrentRow(9);
    EXPECT_TRUE(form.paste(*machine).empty());
    EXPECT_EQ(shownTexts(), (std::vector<std::string> {"*Keine Daten zum Kopieren oder Verschieben selektiert!"}));
}

TEST_F(ToolManagementFormTest, MovingOntoItselfIsRefusedAndKeepsTheTool)
{
    put(5);
    form.setCurrentRow(5);
    form.cutToMove(*machine);
    EXPECT_TRUE(form.paste(*machine).empty());
    EXPECT_TRUE(same(tool(5), sampleTool(5)));
    EXPECT_EQ(shownTexts(), (std::vector<std::string> {"*Quelle und Ziel sind dieselbe Zeile."}));
}

TEST_F(ToolManagementFormTest, OverwriteAnsweredNoKeepsTheTarget)
{
    put(5);
    put(7);
    form.setCurrentRow(5);
    form.cutToMove(*machine);
    form.setCurrentRow(7);
    boxes.answers = {MessageAnswer::No};
    EXPECT_TRUE(form.paste(*machine).empty());
    EXPECT_TRUE(same(tool(7), sampleTool(7)));
    EXPECT_TRUE(same(tool(5), sampleTool(5)));
    EXPECT_EQ(shownTexts(), (std::vector<std::string> {kOverwrite}));
    EXPECT_EQ(boxes.shown[0].caption, "*Frage");
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::YesNo);

    boxes.answers = {MessageAnswer::Yes};
    EXPECT_EQ(form.paste(*machine), (std::vector<int> {5, 7}));
    EXPECT_TRUE(same(tool(7), sampleTool(5)));
}

TEST_F(ToolManagementFormTest, PasteRangeGivesOneCopyPerRowAndAsksPerOccupiedRow)
{
    put(3);
    put(11);
    form.setCurrentRow(3);
    form.copy(*machine);
    form.setCurrentRow(10);
    form.pasteRangeStart();
    EXPECT_EQ(form.menuText(ToolEditCommand::PasteRangeStart), "*Einfügen Bereich von bis, Startposition    010");
    form.setCurrentRow(12);
    boxes.answers = {MessageAnswer::No}; // row 11 keeps its tool
    EXPECT_EQ(form.pasteRangeEnd(*machine), (std::vector<int> {10, 12}));
    EXPECT_EQ(nc(10), u"T3 D3 H3___!!!");
    EXPECT_TRUE(same(tool(11), sampleTool(11)));
    EXPECT_EQ(nc(12), u"T3 D3 H3___!!!");
    EXPECT_EQ(shownTexts(), (std::vector<std::string> {kOverwrite}));
    EXPECT_FALSE(form.sourceSet());
    EXPECT_FALSE(form.pasteRangeOpen());

    // Three empty rows: three copies, no question.
    boxes.shown.clear();
    form.setCurrentRow(3);
    form.copy(*machine);
    form.setCurrentRow(20);
    form.pasteRangeStart();
    form.setCurrentRow(22);
    EXPECT_EQ(form.pasteRangeEnd(*machine), (std::vector<int> {20, 21, 22}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ToolManagementFormTest, PasteRangeOverItsOwnSourceKeepsTheSource)
{
    put(11);
    form.setCurrentRow(11);
    form.copy(*machine);
    form.setCurrentRow(10);
    form.pasteRangeStart();
    form.setCurrentRow(12);
    EXPECT_EQ(form.pasteRangeEnd(*machine), (std::vector<int> {10, 12}));
    EXPECT_TRUE(same(tool(11), sampleTool(11)));
}

TEST_F(ToolManagementFormTest, RangeRefusalsSayWhy)
{
    put(2);
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::function<std::vector<int>()> command;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"paste range start without a source", [] {}, [&] { return form.pasteRangeStart(); },
            "*Keine Daten zum Kopieren selektiert!"},
        {"paste range end without a source", [] {}, [&] { return form.pasteRangeEnd(*machine); },
            "*Keine Daten zum Kopieren selektiert!"},
        {"paste range end without a start", [&] { form.setCurrentRow(2), form.copy(*machine); },
            [&] { return form.pasteRangeEnd(*machine); }, kNoStart},
        {"delete range end without a start", [] {}, [&] { return form.deleteRangeEnd(*machine); }, kNoStart},
        {"paste range start while a delete range is open",
            [&] { form.setCurrentRow(2), form.copy(*machine), form.deleteRangeStart(); },
            [&] { return form.pasteRangeStart(); }, kRangeOpen},
        {"delete range start while a paste range is open",
            [&] { form.setCurrentRow(2), form.copy(*machine), form.pasteRangeStart(); },
            [&] { return form.deleteRangeStart(); }, kRangeOpen},
        {"copy while a range is open", [&] { form.setCurrentRow(2), form.deleteRangeStart(); },
            [&] { return std::vector<int>(form.copy(*machine) ? 1 : 0, 0); }, kRangeOpen},
        {"copy of an empty row", [&] { form.setCurrentRow(3); },
            [&] { return std::vector<int>(form.copy(*machine) ? 1 : 0, 0); },
            "*In dieser Zeile ist kein Werkzeug gespeichert."},
        {"start after end", [&] { form.setCurrentRow(4), form.deleteRangeStart(), form.setCurrentRow(3); },
            [&] { return form.deleteRangeEnd(*machine); },
            "*Die Startposition liegt hinter der Endposition. Es wurde nichts verändert."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form.cancelRanges();
        form.setCurrentRow(5);
        c.prepare();
        boxes.shown.clear();
        EXPECT_TRUE(c.command().empty());
        EXPECT_EQ(shownTexts(), (std::vector<std::string> {c.message}));
        EXPECT_TRUE(same(tool(2), sampleTool(2)));
    }
}

TEST_F(ToolManagementFormTest, DeleteRangeAsksOnce)
{
    for (int n = 30; n <= 33; ++n)
        put(n);
    form.setCurrentRow(31);
    form.deleteRangeStart();
    EXPECT_EQ(form.menuText(ToolEditCommand::DeleteRangeStart), "*Löschen Bereich von bis, Startposition    031");
    form.setCurrentRow(33);
    boxes.answers = {MessageAnswer::No};
    EXPECT_TRUE(form.deleteRangeEnd(*machine).empty());
    for (int n = 30; n <= 33; ++n)
        EXPECT_TRUE(same(tool(n), sampleTool(n)));
    boxes.answers = {MessageAnswer::Yes};
    EXPECT_EQ(form.deleteRangeEnd(*machine), (std::vector<int> {31, 32, 33}));
    EXPECT_EQ(shownTexts(), (std::vector<std::string> {kDeleteQuestion, kDeleteQuestion}));
    EXPECT_TRUE(same(tool(30), sampleTool(30)));
    for (int n = 31; n <= 33; ++n)
        EXPECT_TRUE(isEmpty(tool(n)));
    EXPECT_FALSE(form.deleteRangeOpen());
}

TEST_F(ToolManagementFormTest, DeleteOneAfterQuestion)
{
    put(6);
    form.setCurrentRow(6);
    boxes.answers = {MessageAnswer::No};
    EXPECT_TRUE(form.remove(*machine).empty());
    EXPECT_FALSE(isEmpty(tool(6)));
    boxes.answers = {MessageAnswer::Yes};
    EXPECT_EQ(form.remove(*machine), (std::vector<int> {6}));
    EXPECT_TRUE(isEmpty(tool(6)));
}

TEST_F(ToolManagementFormTest, RowZeroIsNeverASourceOrATarget)
{
    put(1);
    form.setCurrentRow(1);
    form.copy(*machine);
    form.setCurrentRow(0);
    boxes.answers = std::deque<MessageAnswer>(10, MessageAnswer::Yes);
    EXPECT_FALSE(form.copy(*machine));
    EXPECT_FALSE(form.cutToMove(*machine));
    EXPECT_TRUE(form.paste(*machine).empty());
    EXPECT_TRUE(form.pasteRangeStart().empty());
    EXPECT_TRUE(form.pasteRangeEnd(*machine).empty());
    EXPECT_TRUE(form.remove(*machine).empty());
    EXPECT_TRUE(form.deleteRangeStart().empty());
    EXPECT_TRUE(form.deleteRangeEnd(*machine).empty());
    EXPECT_EQ(shownTexts(), std::vector<std::string>(8, kReservedRow));
    EXPECT_TRUE(same(tool(1), sampleTool(1)));
    EXPECT_EQ(form.sourceRow(), 1);
    EXPECT_EQ(form.rowNcData(*machine, 0), "*Nicht benutzen, wird Steuerungsintern oft zum WZL Reset benutzt");
    EXPECT_EQ(form.rowDescription(*machine, 0), "");
    EXPECT_EQ(ToolManagementForm::rowNumber(0), "000");
}

TEST_F(ToolManagementFormTest, CancelForgetsEverythingAndRestoresMenuTexts)
{
    put(7);
    form.setCurrentRow(7);
    form.copy(*machine);
    EXPECT_EQ(form.menuText(ToolEditCommand::Copy), "*Kopieren    007");
    EXPECT_EQ(form.menuText(ToolEditCommand::CutToMove), "*Eintrag ausschneiden zum Verschieben");
    form.pasteRangeStart();
    form.cancelRanges();
    EXPECT_EQ(form.menuText(ToolEditCommand::Copy), "*Kopieren");
    EXPECT_EQ(form.menuText(ToolEditCommand::PasteRangeStart), "*Einfügen Bereich von bis, Startposition");
    EXPECT_FALSE(form.sourceSet());
    EXPECT_FALSE(form.pasteRangeOpen());
    EXPECT_FALSE(form.deleteRangeOpen());
}

TEST_F(ToolManagementFormTest, Navigation)
{
    form.last(*machine); // empty table: the row stays
    EXPECT_EQ(form.currentRow(), 0);
    form.setCurrentRow(17);
    form.last(*machine);
    EXPECT_EQ(form.currentRow(), 17);
    put(1);
    form.last(*machine);
    EXPECT_EQ(form.currentRow(), 1);
    ToolRecord unsaved = sampleTool(9);
    setToolText(unsaved, ToolField::LastChangeDate, u""); // never saved: not present
    storeTool(*machine, 8, unsaved);
    put(499);
    form.last(*machine);
    EXPECT_EQ(form.currentRow(), 499);
    form.next();
    EXPECT_EQ(form.currentRow(), 499);
    form.previous();
    EXPECT_EQ(form.currentRow(), 498);
    form.first();
    EXPECT_EQ(form.currentRow(), 0);
    form.previous();
    EXPECT_EQ(form.currentRow(), 0);
    form.next();
    form.load();
    EXPECT_EQ(form.currentRow(), 1);
}

TEST_F(ToolManagementFormTest, ScanField)
{
    struct Case {
        const char* text;
        bool enter;
        ScanOutcome outcome;
        int row;
    };
    const Case cases[] = {
        {"12", true, ScanOutcome::Selected, 12},
        {"499", true, ScanOutcome::Selected, 499},
        {"500", true, ScanOutcome::Selected, 499},
        {"99999", true, ScanOutcome::Selected, 499},
        {"0", true, ScanOutcome::Selected, 0},
        {"42\\r\\n", false, ScanOutcome::Selected, 42},
        {"4", false, ScanOutcome::Waiting, 3},
        {"", true, ScanOutcome::NotANumber, 3},
        {"abc", true, ScanOutcome::NotANumber, 3},
        {"12x", true, ScanOutcome::NotANumber, 3},
        {"-5", true, ScanOutcome::NotANumber, 3},
        {"T12\\r\\n", false, ScanOutcome::NotANumber, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        form.setCurrentRow(3);
        EXPECT_EQ(form.scan(c.text, c.enter), c.outcome);
        EXPECT_EQ(form.currentRow(), c.row);
    }
}

TEST_F(ToolManagementFormTest, StoredRowsOutOfRangeCountAsZero)
{
    for (int stored : {-1, 500, 1 << 30}) {
        form.fill({stored, 3});
        EXPECT_EQ(form.currentRow(), 0);
    }
    form.fill({250, 0});
    EXPECT_EQ(form.store().currentRow, 250);
}

} // namespace
} // namespace kvt
