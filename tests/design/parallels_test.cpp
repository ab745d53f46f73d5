// Parallels: the choice from the inventory, how the workpiece sits in the vice, the inch
// fractions of the list, and the window form's results, messages, list entries, block
// and report, without any widget.

#include "common/clock.h"
#include "common/inch_fraction.h"
#include "common/language_codes.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "common/units.h"
#include "design/parallels/parallels.h"
#include "design/parallels/parallels_form.h"
#include "options/machine_data.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>
#include <vector>

namespace kvt {
namespace {

struct Inventory {
    std::array<float, kParallelSlotCount> heights {};
    std::array<float, kParallelSlotCount> depths {};
    Inventory(std::initializer_list<std::pair<float, float>> parallels)
    {
        std::size_t slot = 1;
        for (const auto& [height, depth] : parallels) {
            heights[slot] = height;
            depths[slot] = depth;
            ++slot;
        }
    }
};

struct ChoiceCase {
    const char* name;
    Inventory inventory;
    double required;
    int whole;
    double recommended;
    int slot;
    double first;
    double second;
    double pairDepth;
};

TEST(ParallelChoice, NearestThenNextLargerThenAPairOfDifferentHeights)
{
    const std::vector<ChoiceCase> cases = {
        {"nearest is lower: the next slot", {{10, 8}, {20, 8}, {30, 8}, {40, 8}}, 24.2, 25, 30.0, 3, 0, 0, 0},
        {"exactly a parallel", {{10, 8}, {20, 8}, {30, 8}}, 20.0, 20, 20.0, 2, 0, 0, 0},
        {"nearest is higher", {{10, 8}, {20, 8}, {30, 8}}, 18.5, 19, 20.0, 2, 0, 0, 0},
        // Two slots of the same height equally near: the lower index and its depth win.
        {"tie: lower index", {{10, 8}, {20, 9}, {20, 12}}, 18.0, 18, 20.0, 2, 0, 0, 0},
        {"nothing needed", {{10, 8}}, 0.0, 0, 0.0, 0, 0, 0, 0},
        // Below zero nothing fits either; the window then needs no parallel at all.
        {"below zero", {{10, 8}}, -7.5, -7, kParallelMissingMarker, 0, 0, 0, 0},
        {"small height: slot 0 is nearest, its next is taken", {{10, 8}}, 0.3, 1, 10.0, 1, 0, 0, 0},
        {"no parallel and no pair", {{10, 8}, {20, 8}, {30, 8}}, 34.6, 35, kParallelMissingMarker, 0, 0, 0, 0},
        {"pair 10 + 25", {{10, 8}, {25, 15}, {30, 8}}, 34.3, 35, kParallelPairMarker, 0, 10, 25, 15},
        // 20 + 20 would make 40 but equal heights are never paired.
        {"equal heights never paired", {{20, 8}, {30, 8}}, 39.5, 40, kParallelMissingMarker, 0, 0, 0, 0},
        {"pair needs exact whole mm", {{10, 8}, {25.5f, 8}, {30, 8}}, 35.2, 36, kParallelMissingMarker, 0, 0, 0, 0},
        {"empty inventory", {}, 5.0, 5, kParallelMissingMarker, 0, 0, 0, 0},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ParallelChoice choice = chooseParallel(c.required, c.inventory.heights, c.inventory.depths);
        EXPECT_EQ(choice.wholeRequired, c.whole);
        EXPECT_EQ(choice.recommended, c.recommended);
        EXPECT_EQ(choice.slot, c.slot);
        EXPECT_EQ(choice.first, c.first);
        EXPECT_EQ(choice.second, c.second);
        EXPECT_EQ(choice.pairDepth, c.pairDepth);
    }
    // The best slot is the last one given: there is no next slot and no empty one to end a
    // pair search at.
    std::array<float, 3> heights {0, 10, 20};
    std::array<float, 3> depths {0, 5, 5};
    EXPECT_EQ(chooseParallel(25.0, heights, depths).recommended, kParallelMissingMarker);
}

struct ViseCase {
    const char* name;
    ViseInput input;
    double parallel;
    double parallelDepth;
    bool error, warning, tooDeep, atJaw, nearJaw;
    const char* clearance;
    const char* above;
    const char* below;
    const char* percent;
};

TEST(VisePosition, ResultsAndWarningStates)
{
    const std::vector<ViseCase> cases = {
        {"ordinary", {40, 10, 2, 60, 30, 1}, 20, 10, false, false, false, false, false, "18.00", "30.00", "10.00",
            "25.00"},
        {"half in the jaws", {20, 2, 1, 60, 30, 1}, 20, 10, false, false, false, false, false, "7.00", "10.00", "10.00",
            "50.00"},
        {"all below the jaw top", {10, 2, 1, 60, 30, 1}, 5, 10, false, false, false, false, false, "0.00", "0.00",
            "25.00", "100.00"},
        {"parallel as high as the jaws", {40, 10, 2, 60, 30, 1}, 30, 10, false, false, false, true, true, "28.00",
            "40.00", "0.00", "0.00"},
        {"parallel 1 mm below the jaw top", {40, 10, 2, 60, 30, 1}, 29, 10, false, false, false, false, true, "27.00",
            "39.00", "1.00", "2.50"},
        {"two parallels too deep", {40, 10, 2, 40, 30, 1}, 20, 20, false, false, true, false, false, "18.00", "30.00",
            "10.00", "25.00"},
        {"two parallels just fit", {40, 10, 2, 40, 30, 1}, 20, 19.5, false, false, false, false, false, "18.00",
            "30.00", "10.00", "25.00"},
        {"0.5 mm left", {50, 45, 4.5, 60, 30, 0}, 20, 10, true, false, false, false, false, "0.00", "0.00", "0.00",
            "0.00"},
        // 1.2 mm left of a 50 mm workpiece is also 97.6 % cut away: an error, not a warning.
        {"1.2 mm left of 50", {50, 45, 3.8, 60, 30, 0}, 20, 10, true, false, false, false, false, "0.00", "0.00",
            "0.00", "0.00"},
        {"1.2 mm left of 20", {20, 15, 3.8, 60, 30, 0}, 20, 10, false, true, false, false, false, "0.00", "10.00",
            "10.00", "50.00"},
        {"exactly 1 mm left", {20, 15, 4, 60, 30, 0}, 20, 10, false, true, false, false, false, "0.00", "10.00",
            "10.00", "50.00"},
        {"exactly 1.5 mm left", {30, 25, 3.5, 60, 30, 0}, 20, 10, false, false, false, false, false, "0.00", "20.00",
            "10.00", "33.33"},
        {"95 % cut", {100, 90, 5, 60, 30, 0}, 20, 10, false, false, false, false, false, "0.00", "90.00", "10.00",
            "10.00"},
        {"90 % cut", {100, 85, 5, 60, 30, 0}, 20, 10, false, true, false, false, false, "0.00", "90.00", "10.00",
            "10.00"},
        {"more than 95 % cut", {100, 91, 5, 60, 30, 0}, 20, 10, true, false, false, false, false, "0.00", "0.00",
            "0.00", "0.00"},
    };
    for (const ViseCase& c : cases) {
        SCOPED_TRACE(c.name);
        const VisePosition p = visePosition(c.input, c.parallel, c.parallelDepth);
        EXPECT_EQ(p.error, c.error);
        EXPECT_EQ(p.warning, c.warning);
        EXPECT_EQ(p.tooDeepForTwo, c.tooDeep);
        EXPECT_EQ(p.atJawHeight, c.atJaw);
        EXPECT_EQ(p.nearJawHeight, c.nearJaw);
        EXPECT_EQ(formatNumber("%.2f", p.clearance), c.clearance);
        EXPECT_EQ(formatNumber("%.2f", p.aboveJaw), c.above);
        EXPECT_EQ(formatNumber("%.2f", p.belowJaw), c.below);
        EXPECT_EQ(formatNumber("%.2f", p.percentClamped), c.percent);
    }
}

TEST(InchFraction, WholeInchesAndReduced128ths)
{
    const std::vector<std::pair<double, const char*>> cases = {
        {0.0, "0"}, {kMillimetresPerInch, "1"}, {12.7, "1/2"}, {1.98438, "5/64"}, {0.1984, "1/128"},
        {30.1626, "1 3/16"}, {3.0 * kMillimetresPerInch + 6.35, "3 1/4"},
        {25.3, "1"}, // 127.5/128 rounds up to a whole inch
        {50.7, "2"}, // and carries into the next one
        {19.05, "3/4"}, {-12.7, "1/2"}, // the sign is dropped from the fraction
    };
    for (const auto& [millimetres, expected] : cases) {
        SCOPED_TRACE(millimetres);
        EXPECT_EQ(inchFraction(millimetres), expected);
    }
    EXPECT_EQ(inchFraction(std::numeric_limits<double>::quiet_NaN()), "0");
}

class ParallelsFormTest : public ::testing::Test {
protected:
    BuiltinTexts texts;
    ParallelsForm form {kUnitSystemMetric};
    std::vector<MessageBoxRequest> messages;

    void machine(const Inventory& inventory, float jaw, float safety)
    {
        form.setMachine(inventory.heights, inventory.depths, jaw);
        form.setSafety(safety);
    }
    void type(ParallelsField field, const char* text)
    {
        std::string t = text;
        form.setText(field, t);
    }
    void inputs(const char* h, const char* d, const char* o, const char* t)
    {
        type(ParallelsField::Height, h);
        type(ParallelsField::SideDepth, d);
        type(ParallelsField::Overhang, o);
        type(ParallelsField::Depth, t);
    }
    std::vector<std::string> results() const
    {
        std::vector<std::string> all;
        for (int i = 0; i < kParallelsResultCount; ++i)
            all.push_back(form.result(static_cast<ParallelsResult>(i)));
        return all;
    }
    std::vector<std::string> labels() const
    {
        std::vector<std::string> all;
        for (std::size_t i = 0; i < form.entries().size(); ++i)
            all.push_back(form.entryLabel(i, texts));
        return all;
    }
};

using Strings = std::vector<std::string>;

TEST_F(ParallelsFormTest, ListShowsTheMachinesParallelsAndItsJaws)
{
    machine({{10, 20}, {20, 20}, {30, 25}}, 50.0f, 0.0f);
    EXPECT_EQ(form.text(ParallelsField::JawHeight), "50.00");
    EXPECT_EQ(labels(),
        (Strings {"*Ohne Parallelstücke ", "*Höhe 10.00  *Tiefe 20.00", "*Höhe 20.00  *Tiefe 20.00",
            "*Höhe 30.00  *Tiefe 25.00"}));
    EXPECT_EQ(form.selected(), 0);
}

TEST_F(ParallelsFormTest, InchListShowsFractions)
{
    form = ParallelsForm(kUnitSystemInch);
    machine({{static_cast<float>(kMillimetresPerInch), 12.7f}, {30.1626f, 19.05f}}, 0.0f, 0.0f);
    EXPECT_EQ(labels(),
        (Strings {
            "*Ohne Parallelstücke ", "*Höhe  1.00  *Tiefe  0.50  (1x1/2)", "*Höhe  1.19  *Tiefe  0.75  (1 3/16x3/4)"}));
}

TEST_F(ParallelsFormTest, NearestLowerParallelGivesTheNextOne)
{
    machine({{10, 20}, {20, 20}, {30, 20}, {40, 20}}, 50.0f, 0.2f);
    inputs("40", "12", "2", "60");
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(form.selected(), 3);
    // h = 50 - (40 - 12 - 2) + 0.2 = 24.2; standing on 30: top at 20 above the jaws.
    EXPECT_EQ(results(), (Strings {"30.00", "24.20", "20.00", "20.00", "50.00", " 6.00"}));
    EXPECT_FALSE(form.position().error);
}

TEST_F(ParallelsFormTest, PairIsOfferedAsATemporaryEntry)
{
    machine({{10, 20}, {25, 30}, {30, 20}}, 50.0f, 0.0f);
    inputs("40", "20", "4.3", "80"); // h = 50 - 15.7 = 34.3
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(form.entries().size(), 5u);
    EXPECT_EQ(form.entryLabel(4, texts), "*Kombiniert: 10.00 und 25.00");
    EXPECT_EQ(form.selected(), 4);
    EXPECT_EQ(form.selectedHeight(), 35.0);
    EXPECT_EQ(form.selectedDepth(), 30.0);
    EXPECT_EQ(results()[0], "35.00");
    EXPECT_EQ(results()[1], "34.30");

    // The next calculation removes it again.
    type(ParallelsField::SideDepth, "30"); // h = 44.3 > 30 -> 45 = ? no single, no pair
    messages.clear();
    form.calculate(texts, messages);
    EXPECT_EQ(form.entries().size(), 5u);
    EXPECT_EQ(form.entries().back().kind, ParallelEntryKind::Missing);
}

TEST_F(ParallelsFormTest, MissingParallelNamesTheWholeMillimetres)
{
    machine({{10, 20}, {20, 20}, {30, 20}}, 50.0f, 0.0f);
    inputs("40", "20", "4.6", "60"); // h = 34.6
    EXPECT_FALSE(form.calculate(texts, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
        "*Ein Parallelstück von mindestens 35.00* mm ist erforderlich,\naber unter den verfügbaren Parallelstücken "
        "nicht vorhanden.");
    EXPECT_EQ(messages[0].caption, "*Parallelstück nicht vorhanden ");
    EXPECT_EQ(messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(results(), (Strings {"-", "34.60", "*Error", "*Error", "*Error", "*Error"}));
    EXPECT_EQ(form.entryLabel(4, texts), "*Parallelstück nicht vorhanden");
    EXPECT_EQ(form.selected(), 4);
    // It is not kept: the window opens on "without parallels" next time.
    EXPECT_EQ(form.store(false).selected, 0);
}

TEST_F(ParallelsFormTest, JawLimitsAndNothingNeeded)
{
    const char* tooDeep = "*Bearbeitungstiefe oder Überhangtiefe zu groß";
    machine({{10, 20}, {20, 20}, {30, 20}}, 30.0f, 0.0f);

    inputs("40", "35", "2", "60"); // h = 30 - 3 = 27 -> 27 < 29: a parallel
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_EQ(results()[0], "30.00");

    inputs("40", "36", "2", "60"); // h = 28: t = 28 < 29 still
    messages.clear();
    form.calculate(texts, messages);
    EXPECT_EQ(results()[1], "28.00");

    inputs("30", "27.5", "1", "60"); // h = 28.5 -> t = 29 = J - 1: no recommendation, no message
    messages.clear();
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(results()[0], "");
    EXPECT_EQ(results()[1], "28.50");

    inputs("40", "35", "2", "60"); // with 3 mm safety h = 30 -> t = 30 > 29
    form.setSafety(3.0f);
    messages.clear();
    EXPECT_FALSE(form.calculate(texts, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, tooDeep);
    EXPECT_EQ(messages[0].caption, "*Fehler");
    EXPECT_EQ(results(), (Strings {"*Error", "30.00", "*Error", "*Error", "*Error", "*Error"}));

    form.setSafety(0.0f);
    inputs("80", "10", "2", "60"); // h = 30 - 68 < 0: no parallel needed
    messages.clear();
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(form.selected(), 0);
    EXPECT_EQ(results(), (Strings {" 0.00", " 0.00", "50.00", "30.00", "37.50", "38.00"}));
}

TEST_F(ParallelsFormTest, SideDepthNotBelowTheHeightIsRefused)
{
    machine({{10, 20}}, 50.0f, 0.0f);
    inputs("40", "40", "0", "60");
    EXPECT_FALSE(form.calculate(texts, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "*Seitliche Frästiefe ist größer, als die Höhe des Werkstücks");
    EXPECT_EQ(messages[0].caption, "*Fehler");
    EXPECT_EQ(results(), (Strings(6, "")));
}

TEST_F(ParallelsFormTest, SelectingAnotherParallelUpdatesTheResults)
{
    machine({{10, 20}, {20, 20}, {30, 20}}, 30.0f, 1.0f);
    inputs("40", "10", "2", "39");
    form.select(2, texts, messages);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(results(), (Strings {"", "", "30.00", "10.00", "25.00", "18.00"}));
    EXPECT_TRUE(form.position().tooDeepForTwo); // 2 x 20 > 39 - 1
    form.select(3, texts, messages);
    EXPECT_TRUE(form.position().atJawHeight);
    form.select(9, texts, messages); // not in the list: nothing changes
    EXPECT_EQ(form.selected(), 3);
}

TEST_F(ParallelsFormTest, BlockKeepsInputsSelectionAndPair)
{
    machine({{10, 20}, {25, 30}, {30, 20}}, 50.0f, 0.0f);
    inputs("40", "20", "4.3", "80");
    form.calculate(texts, messages);
    const ParallelsBlock block = form.store(true);
    EXPECT_EQ(block.stored, 1);
    EXPECT_EQ(block.combination, 1);
    EXPECT_EQ(block.selected, 4);

    ParallelsForm again(kUnitSystemMetric);
    Inventory same {{10, 20}, {25, 30}, {30, 20}};
    again.setMachine(same.heights, same.depths, 50.0f);
    EXPECT_EQ(again.fill(block), std::optional<bool>(true));
    EXPECT_EQ(again.text(ParallelsField::Overhang), "4.30");
    EXPECT_EQ(again.selected(), 4);
    EXPECT_EQ(again.entryLabel(4, texts), "*Kombiniert: 10.00 und 25.00");

    ParallelsBlock damaged = block;
    damaged.inputs[0] = std::numeric_limits<float>::quiet_NaN();
    damaged.inputs[4] = 35.0f; // another vice: the machine's jaws win
    damaged.selected = 999;
    damaged.combinationFirst = -1.0f;
    ParallelsForm third(kUnitSystemMetric);
    third.setMachine(same.heights, same.depths, 50.0f);
    third.fill(damaged);
    EXPECT_EQ(third.text(ParallelsField::Height), "0.00");
    EXPECT_EQ(third.text(ParallelsField::JawHeight), "50.00");
    EXPECT_EQ(third.entries().size(), 4u);
    EXPECT_EQ(third.selected(), 0);

    ParallelsBlock empty {};
    EXPECT_EQ(third.fill(empty), std::nullopt);
}

TEST_F(ParallelsFormTest, ReportLinesInOrder)
{
    machine({{10, 20}, {20, 20}, {30, 20}, {40, 20}}, 50.0f, 0.2f);
    inputs("40", "12", "2", "60");
    form.calculate(texts, messages);
    const std::string report = form.reportText(texts, kLanguageGerman, LocalDateTime {2025, 3, 7, 14, 5, 9});
    const std::string expected = std::string(44, '-') + "\r\n" + std::string(69, '-') + "\r\n"
        + "*Parallelstücke\r\n"
          "*Höhe Werkstück [mm]\t: 40.00\r\n"
          "*Bearbeitungstiefe seitlich [mm]\t: 12.00\r\n"
          "*Überhangtiefe Werkzeug [mm]\t: 2.00\r\n"
          "*Backenhöhe [mm]\t: 50.00\r\n"
          "*Gewähltes Parallelstück\t: *Höhe 30.00  *Tiefe 20.00\r\n"
          "*Empfohlene Parallelstück-Höhe [mm]\t: 30.00\r\n"
          "*Höhe über Backe [mm]\t: 20.00\r\n"
          "*Tiefe unter Backe [mm]\t: 20.00\r\n"
          "*Prozent im Eingriff\t: 50.00\r\n"
          "*Freiraum [mm]\t: 6.00\r\n"
        + std::string(44, '-') + "\r\n";
    ASSERT_NE(report.find("\r\n"), std::string::npos);
    EXPECT_EQ(report.substr(report.find("\r\n") + 2), expected);
}

} // namespace
} // namespace kvt
