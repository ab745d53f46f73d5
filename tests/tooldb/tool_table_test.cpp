#include "tooldb/tool_categories.h"
#include "tooldb/tool_record.h"
#include "tooldb/tool_table.h"
#include "tooldb_test_support.h"

#include "common/text_lookup.h"

#include <gtest/gtest.h>

#include <set>

namespace kvt {
namespace {

using test::newMachine;
using test::sampleTool;

const unsigned char* machineByte(const MachineRecord& machine, std::size_t offset)
{
    return reinterpret_cast<const unsigned char*>(&machine) + offset;
}

TEST(ToolTable, ToolNumberNSitsInSlotNMinusOneFromByte175784)
{
    auto machine = newMachine();
    ToolRecord tool {};
    tool.radius = 2.5f;
    ASSERT_TRUE(storeTool(*machine, *toolSlot(1), tool));
    ASSERT_TRUE(storeTool(*machine, *toolSlot(499), tool));

    float radius = 0;
    std::memcpy(&radius, machineByte(*machine, 175'784 + 1448), sizeof radius);
    EXPECT_EQ(radius, 2.5f);
    std::memcpy(&radius, machineByte(*machine, 175'784 + 498 * 1580 + 1448), sizeof radius);
    EXPECT_EQ(radius, 2.5f);
    EXPECT_EQ(toolSlot(0), std::nullopt);
    EXPECT_EQ(toolSlot(500), std::nullopt);
}

TEST(ToolTable, FiveHundredthSlotReadsEmptyAndIsNeverWritten)
{
    auto machine = newMachine();
    std::memset(machine->lastToolSlotStub, 0xA5, sizeof machine->lastToolSlotStub);
    const auto before = test::machineBytes(*machine);

    EXPECT_TRUE(isEmpty(loadTool(*machine, 499)));
    EXPECT_TRUE(isEmpty(loadTool(*machine, 10'000)));
    EXPECT_FALSE(storeTool(*machine, 499, sampleTool(1)));
    EXPECT_FALSE(clearTool(*machine, 499));
    EXPECT_EQ(test::machineBytes(*machine), before);
}

TEST(ToolTable, PresentMeansDateOfLastChangeAndExportMeansNcData)
{
    ToolRecord onlyDate {};
    setToolText(onlyDate, ToolField::LastChangeDate, u"03.02.2026");
    ToolRecord onlyNc {};
    setToolText(onlyNc, ToolField::NcData, u"T1");
    ToolRecord onlyReserved {};
    onlyReserved.reserved2[83] = 1;

    EXPECT_TRUE(isPresent(onlyDate));
    EXPECT_FALSE(hasNcData(onlyDate));
    EXPECT_FALSE(isPresent(onlyNc));
    EXPECT_TRUE(hasNcData(onlyNc));
    EXPECT_TRUE(isEmpty(ToolRecord {}));
    EXPECT_FALSE(isEmpty(onlyReserved));
}

TEST(ToolTable, ToolNumbersHaveThreeDigits)
{
    const std::pair<int, const char*> cases[] = {{0, "000"}, {7, "007"}, {42, "042"}, {499, "499"}};
    for (const auto& [number, text] : cases)
        EXPECT_EQ(toolNumberText(number), text) << number;
}

TEST(ToolTable, ReservedLineOfToolZero)
{
    EXPECT_EQ(
        reservedToolLineText(BuiltinTexts {}), "*Nicht benutzen, wird Steuerungsintern oft zum WZL Reset benutzt");
}

TEST(ToolTable, NcWordLookupFindsTheFirstSlotThatContainsTheWord)
{
    auto machine = newMachine();
    ToolRecord tool {};
    setToolText(tool, ToolField::NcData, u"T12 D12");
    storeTool(*machine, 4, tool);
    setToolText(tool, ToolField::NcData, u"T1 D1 T12");
    storeTool(*machine, 9, tool);
    setToolText(tool, ToolField::NcData, u"T99");
    storeTool(*machine, 498, tool);

    EXPECT_EQ(findToolByNcWord(*machine, u"T12"), 4u);
    EXPECT_EQ(findToolByNcWord(*machine, u"T1 "), 9u);
    EXPECT_EQ(findToolByNcWord(*machine, u"T99"), 498u);
    EXPECT_EQ(findToolByNcWord(*machine, u"T13"), std::nullopt);
    EXPECT_EQ(findToolByNcWord(*machine, u""), std::nullopt);
}

TEST(ToolTable, HighestPresentTool)
{
    auto machine = newMachine();
    EXPECT_EQ(highestPresentTool(*machine), std::nullopt);
    ToolRecord tool {};
    setToolText(tool, ToolField::NcData, u"T7"); // NC data alone does not make a tool present
    storeTool(*machine, 6, tool);
    EXPECT_EQ(highestPresentTool(*machine), std::nullopt);
    storeTool(*machine, 0, sampleTool(1));
    EXPECT_EQ(highestPresentTool(*machine), 1);
    storeTool(*machine, 498, sampleTool(499));
    EXPECT_EQ(highestPresentTool(*machine), 499);
}

TEST(ToolRecordText, TextsThatCannotSurviveTheExportFile)
{
    const std::pair<std::u16string, ToolTextProblem> cases[] = {
        {u"T1 D1 H1", ToolTextProblem::None},
        {u"", ToolTextProblem::None},
        {u"a|b", ToolTextProblem::None},
        {u"| a", ToolTextProblem::None},
        {u"a |b", ToolTextProblem::None},
        {u"a| ", ToolTextProblem::None},
        {u"a | b", ToolTextProblem::Separator},
        {u" | ", ToolTextProblem::Separator},
        {u"a |", ToolTextProblem::SeparatorAtEnd},
        {u" |", ToolTextProblem::SeparatorAtEnd},
        {u"a\nb", ToolTextProblem::LineBreak},
        {u"a\r", ToolTextProblem::LineBreak},
        {std::u16string(u"a\0b", 3), ToolTextProblem::ZeroCharacter},
        {u"\U0001F527", ToolTextProblem::None}, // a surrogate pair
        {std::u16string(1, char16_t(0xD83D)), ToolTextProblem::BrokenCharacter},
        {std::u16string(1, char16_t(0xDD27)) + u"x", ToolTextProblem::BrokenCharacter},
    };
    for (const auto& [text, problem] : cases)
        EXPECT_EQ(toolTextProblem(text), problem) << utf16ToUtf8(text);
}

TEST(ToolRecordText, MessageNamesTheFieldAndTheReason)
{
    EXPECT_EQ(toolTextProblemMessage(BuiltinTexts {}, ToolField::Description, ToolTextProblem::Separator),
        "*Beschreibung: *Die Zeichenfolge \" | \" ist hier nicht erlaubt.\n"
        "*Die Exportdatei der Werkzeugtabelle trennt ihre Felder mit \" | \" und ihre Zeilen mit Zeilenumbrüchen.");
    EXPECT_EQ(toolTextProblemMessage(BuiltinTexts {}, ToolField::NcData, ToolTextProblem::None), "");
}

TEST(ToolCategories, MenuGroupsAndTheirTexts)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        {"*Schaftfräser",
            {"*Schaftfräser, Schlicht", "*Schaftfräser, Schrupp", "*Schaftfräser, Radius, konkav",
                "*Schaftfräser, Kugel", "*Schaftfräser, Gewinde", "*Schaftfräser, Fase", "*Schaftfräser, Form"}},
        {"*Bohrer",
            {"*Bohrer, Spiralbohrer", "*Bohrer, Stufen", "*Bohrer, Anbohrer", "*Bohrer, Tiefloch", "*Bohrer, Gewinde"}},
        {"*Scheibenfräser",
            {"*Scheibenfräser", "*Scheibenfräser, Winkel", "*Scheibenfräser, Modul",
                "*Scheibenfräser,Radiusfräser, konvex", "*Scheibenfräser,Radiusfräser, konkav",
                "*Scheibenfräser, Walzenstirn"}},
        {"*Messerkopf", {"*Messerkopf, Plan", "*Messerkopf, Eck"}},
        {"*Senker", {"*Senker, Flach", "*Senker, Kegel", "*Senker, Form"}},
        {"*Reibahle", {"*Reibahle"}},
        {"*Diverse", {"*Prüfdorn"}},
    };
    const BuiltinTexts texts;
    std::set<int> ids;
    ASSERT_EQ(toolCategoryGroups().size(), expected.size());
    for (std::size_t g = 0; g < expected.size(); ++g) {
        const ToolCategoryGroup& group = toolCategoryGroups()[g];
        EXPECT_EQ(group.menuText, expected[g].first);
        EXPECT_TRUE(ids.insert(group.menuId).second) << group.menuId;
        std::vector<std::string> categories;
        for (const ToolCategory& category : group.categories) {
            categories.push_back(toolCategoryText(texts, category));
            EXPECT_TRUE(ids.insert(category.id).second) << category.id;
            // Every category text fits the category field.
            EXPECT_LT(utf8ToUtf16(category.builtin).size(), kToolCategoryLength);
        }
        EXPECT_EQ(categories, expected[g].second) << group.menuText;
    }
}

} // namespace
} // namespace kvt
