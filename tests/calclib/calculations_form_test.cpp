#include "calclib/calculations_form.h"

#include "common/text_lookup.h"
#include "state/state_blocks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kvt {
namespace {

// Texts without the marker of the built-in German, as a loaded module would show them.
class EnglishTexts final : public TextLookup {
public:
    std::string text(int id, std::string_view builtin) const override
    {
        if (id == 67635)
            return "US drill size to mm";
        if (id == 67636)
            return "US drill size to inches";
        return std::string(builtin);
    }
};

struct CalcRun {
    int calculator;
    std::vector<std::string> inputs;
    std::vector<std::string> results;
};

TEST(CalculationsFormTest, EveryCalculatorShowsItsResultTexts)
{
    const CalcRun runs[] = {
        {0, {"12.5"}, {"12", "30", "0"}},
        {1, {"12", "30", "36"}, {" 12.51"}},
        {2, {"20"}, {"0", "101", "128", "20.0422", "*Est."}},
        {2, {"12.7000255"}, {"0", "1", "2", "12.7000", ""}},
        {3, {"0", "101", "128"}, {" 20.04"}},
        {4, {"0.5"}, {"0", "1", "2", " 0.5000", ""}},
        {4, {"2.0"}, {"2", "0", "0", " 2.0000", ""}},
        {5, {"1", "1", "2"}, {" 1.5000"}},
        {6, {"25.4"}, {"  1.00"}},
        {7, {"2"}, {" 50.80"}},
        {8, {"1000", "3"}, {"180"}},
        {9, {"100", "60", "40"}, {" 60.00"}},
        {10, {"100", "60", "20", "40", "0"}, {" 75.00"}},
        {11, {"1000", "20", "70", "11.5"}, {" 0.575", "1000.575", "1.000575"}},
        {12, {"100"}, {" 73.76"}},
        {13, {"10"}, {" 13.56"}},
        {14, {"10", "10", "20", "40"}, {" 30.00"}},
        {15, {"f"}, {" 6.5278"}},
        {16, {"F"}, {" 0.2570"}},
        {17, {"-10", "30", "5", "45"}, {"10.000", "25.000", "40.000", "40.000", "40.000"}},
        {18, {"0.2", "0.8"}, {"6.25", "1.56"}},
        {19, {"58.345"}, {"4", "50.000 + 6.000 + 1.340 + 1.005", "58.345", "112 (mm)"}},
        {19, {"0.3"}, {"", "*Mit diesem Satz nicht möglich", "", "112 (mm)"}},
    };
    BuiltinTexts texts;
    for (const CalcRun& run : runs) {
        CalculationsForm form(texts);
        form.selectCalculator(run.calculator);
        for (std::size_t i = 0; i < run.inputs.size(); ++i)
            form.setInputText(static_cast<int>(i), run.inputs[i]);
        EXPECT_FALSE(form.calculate()) << run.calculator;
        ASSERT_EQ(form.description().resultCount, static_cast<int>(run.results.size())) << run.calculator;
        for (std::size_t i = 0; i < run.results.size(); ++i)
            EXPECT_EQ(form.resultText(static_cast<int>(i)), run.results[i]) << run.calculator << " row " << i;
    }
}

TEST(CalculationsFormTest, ZeroDivisorLeavesTheResultsAsTheyWere)
{
    BuiltinTexts texts;
    CalculationsForm form(texts);
    form.selectCalculator(8);
    form.setInputText(0, "1000");
    form.setInputText(1, "3");
    form.calculate();
    form.setInputText(0, "0");
    EXPECT_FALSE(form.calculate());
    EXPECT_EQ(form.resultText(0), "180");
    EXPECT_NE(form.reportText(49, "stamp").find("180 ms"), std::string::npos);
}

TEST(CalculationsFormTest, MessagesOfThePitchThermalAndDecimalsChecks)
{
    BuiltinTexts texts;
    CalculationsForm form(texts);
    form.selectCalculator(14);
    for (auto [row, text] : {std::pair {0, "10"}, {1, "10"}, {2, "20"}, {3, "41"}})
        form.setInputText(row, text);
    auto message = form.calculate();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "*Eingabewerte überprüfen!");
    EXPECT_EQ(message->caption, "*ERROR");
    EXPECT_EQ(form.resultText(0), "");

    form.selectCalculator(11);
    for (auto [row, text] : {std::pair {0, "1000"}, {1, "20"}, {2, "121"}, {3, "11.5"}})
        form.setInputText(row, text);
    message = form.calculate();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "*Bei Erwärmung nur Temperaturdifferenzen bis 100 K zulässig!");
    EXPECT_EQ(message->icon, MessageIcon::Warning);

    form.selectCalculator(0);
    form.setInputText(0, "12");
    message = form.calculate();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "*Es ist mindestens 1 Nachkommastelle erforderlich!");
    form.setInputText(0, "12.0");
    EXPECT_FALSE(form.calculate());
    EXPECT_EQ(form.resultText(0), "12");
}

TEST(CalculationsFormTest, InputCutAtAForbiddenCharacterGivesNoResult)
{
    BuiltinTexts texts;
    CalculationsForm form(texts);
    form.selectCalculator(6);
    form.setInputText(0, "25x4");
    EXPECT_FALSE(form.calculate());
    EXPECT_EQ(form.inputText(0), "25");
    EXPECT_EQ(form.resultText(0), "");
}

TEST(CalculationsFormTest, DrillNumberAboveTheTableIsShownAs104)
{
    BuiltinTexts texts;
    CalculationsForm form(texts);
    form.selectCalculator(16);
    form.setInputText(0, "120");
    EXPECT_FALSE(form.calculate());
    EXPECT_EQ(form.inputText(0), "104");
    EXPECT_EQ(form.resultText(0), " 0.0031");
}

TEST(CalculationsFormTest, RoughnessTipAndGaugeSetChoice)
{
    BuiltinTexts texts;
    CalculationsForm form(texts);
    form.selectCalculator(kRoughnessCalculator);
    EXPECT_EQ(form.resultTip(1),
        "*Theoretischer Wert aus Vorschub und Eckenradius. Gemessene Ra-Werte liegen meist 1,5- bis 3-mal höher "
        "(Schwingungen, Verschleiß, Aufbauschneide).");
    form.setInputText(0, "0");
    form.setInputText(1, "0.8");
    EXPECT_FALSE(form.calculate()); // no feed: no result, no message
    EXPECT_EQ(form.resultText(0), "");

    form.selectCalculator(kGaugeStackCalculator);
    EXPECT_EQ(form.resultTip(0), "");
    form.setGaugeSet(1); // 87 pieces
    form.setInputText(0, "37.785");
    EXPECT_FALSE(form.calculate());
    EXPECT_EQ(form.resultText(1), "30.000 + 5.500 + 1.280 + 1.005");
    EXPECT_EQ(form.resultText(3), "87 (mm)");
    form.setInputText(0, "37.78501");
    const auto message = form.calculate();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "*Bitte die Höhe als Zahl mit höchstens 4 Nachkommastellen eingeben.");
    EXPECT_EQ(form.resultText(1), "30.000 + 5.500 + 1.280 + 1.005"); // unchanged

    // The chosen set is kept with the inputs; a damaged index is the first set.
    CalculationsBlock block = form.block();
    EXPECT_EQ(block.gaugeSet, 1);
    CalculationsForm again(texts);
    again.restore(block);
    EXPECT_EQ(again.gaugeSet(), 1);
    EXPECT_EQ(again.inputText(0), "37.78501"); // the refused input as typed, to be mended
    block.gaugeSet = 77;
    again.restore(block);
    EXPECT_EQ(again.gaugeSet(), 0);
}

TEST(CalculationsFormTest, SearchFilterIgnoresCase)
{
    BuiltinTexts german;
    EXPECT_EQ(filterCalculators("", german).size(), 20u);
    EXPECT_EQ(filterCalculators("endmaß", german), std::vector<int> {19});
    EXPECT_EQ(filterCalculators("US DRILL", german), (std::vector<int> {15, 16}));
    EXPECT_EQ(filterCalculators("fraktal", german), (std::vector<int> {2, 3, 4, 5}));
    EXPECT_EQ(filterCalculators("STICHMASS", german), std::vector<int> {}); // "ß" is not "ss"
    EXPECT_EQ(filterCalculators("LÄNGENAUSDEHN", german), std::vector<int> {11});
    EXPECT_EQ(filterCalculators("zu nm", german), std::vector<int> {13});
    EXPECT_EQ(filterCalculators("nothing like it", german), std::vector<int> {});

    EnglishTexts english;
    EXPECT_EQ(filterCalculators("INCHES", english), std::vector<int> {16});
}

TEST(CalculationsFormTest, CalculatorListBlockHoldsNamesAndMatches)
{
    BuiltinTexts texts;
    auto list = std::make_unique<CalcList>();
    const std::vector<int> shown = fillCalcList(*list, "drill", texts);
    CalcListLayout layout;
    std::memcpy(&layout, list->bytes, sizeof layout);
    EXPECT_EQ(layout.shownCount, 2);
    EXPECT_EQ(layout.shown[0].number, 15);
    EXPECT_EQ(layout.shown[1].number, 16);
    EXPECT_EQ(layout.match[15], 1);
    EXPECT_EQ(layout.match[14], 0);
    EXPECT_EQ(std::u16string(layout.all[14].name), u"*Stichmaß");
}

TEST(CalculationsFormTest, KeptBlockRestoresCalculatorAndInputs)
{
    BuiltinTexts texts;
    CalculationsForm form(texts);
    form.selectCalculator(17);
    for (auto [row, text] : {std::pair {0, "-10"}, {1, "30.25"}, {2, "5"}, {3, "45"}})
        form.setInputText(row, text);
    const CalculationsBlock block = form.block();

    CalculationsForm reopened(texts);
    reopened.restore(block);
    EXPECT_EQ(reopened.calculator(), 17);
    EXPECT_EQ(reopened.inputText(0), "-10");
    EXPECT_EQ(reopened.inputText(1), "30.25");
    EXPECT_EQ(reopened.inputText(4), "0");

    // The inputs come back as typed, with no more digits than it takes.
    for (const char* typed : {"100.0005", "933.7955", "0.1", "25.4", "-0.0001", "1234567", "3.14159", "0"}) {
        form.setInputText(2, typed);
        reopened.restore(form.block());
        EXPECT_EQ(reopened.inputText(2), typed);
    }

    CalculationsBlock damaged {};
    damaged.calculator = 99;
    damaged.inputs[0] = std::numeric_limits<float>::quiet_NaN();
    reopened.restore(damaged);
    EXPECT_EQ(reopened.calculator(), 0);
    EXPECT_EQ(reopened.inputText(0), "0");
    damaged.calculator = -1;
    reopened.restore(damaged);
    EXPECT_EQ(reopened.calculator(), 0);
}

TEST(CalculationsFormTest, PitchHandOverAndWayBack)
{
    BuiltinTexts texts;
    CalculationsForm form(texts);
    form.preselectPitch(8.5f);
    EXPECT_EQ(form.calculator(), kPitchCalculator);
    EXPECT_EQ(form.inputText(0), "8.5");
    EXPECT_EQ(form.inputText(1), "8.5");
    EXPECT_FALSE(form.lastPitch());
    form.setInputText(2, "11.5");
    EXPECT_FALSE(form.calculate());
    ASSERT_TRUE(form.lastPitch());
    EXPECT_DOUBLE_EQ(*form.lastPitch(), 20.0);
}

TEST(CalculationsFormTest, CopiedResultsWithAndWithoutUnits)
{
    BuiltinTexts texts;
    CalculationsForm form(texts);
    form.selectCalculator(0);
    form.setInputText(0, "12.5");
    form.calculate();
    EXPECT_EQ(form.clipboardText(false), "*Grad: 12\r\n*Minuten: 30\r\n*Sekunden: 0");
    EXPECT_EQ(form.clipboardText(true), "*Grad: 12 °\r\n*Minuten: 30 m\r\n*Sekunden: 0 s");
}

TEST(CalculationsFormTest, ReportCollectsEveryCalculation)
{
    BuiltinTexts texts;
    CalculationsForm form(texts);
    EXPECT_FALSE(form.hasReport());
    form.selectCalculator(8);
    form.setInputText(0, "1000");
    form.setInputText(1, "3");
    form.calculate();
    form.selectCalculator(15);
    form.setInputText(0, "f");
    form.calculate();
    const std::string report = form.reportText(49, "07.12.2026_11:30");
    EXPECT_EQ(report.rfind("07.12.2026_11:30\r\n", 0), 0u);
    EXPECT_NE(report.find("*Verweilzeit\r\n"), std::string::npos);
    EXPECT_NE(report.find("*Zeit für Umdrehungen [ms]\t: 180 ms\r\n"), std::string::npos);
    EXPECT_NE(report.find("*Drillbit Nummer:\t: f\r\n"), std::string::npos);
    EXPECT_NE(report.find("*Durchmesser [mm]:\t:  6.5278 mm\r\n"), std::string::npos);
}

} // namespace
} // namespace kvt

namespace kvt {
namespace {

std::map<int, std::string> germanPart()
{
    std::ifstream in(std::filesystem::path(KVT_LANGUAGE_FOLDER) / "calclib.de_de.txt", std::ios::binary);
    std::map<int, std::string> texts;
    for (std::string line; std::getline(in, line);) {
        const auto tab = line.find('\t');
        if (line.empty() || line.front() == '#' || tab == std::string::npos)
            continue;
        texts[std::stoi(line.substr(0, tab))] = line.substr(tab + 1);
    }
    return texts;
}

TEST(CalculationsFormTest, EveryLabelHasItsGermanTextInTheLanguagePart)
{
    const auto part = germanPart();
    ASSERT_FALSE(part.empty());
    auto check = [&](const CalcText& text) {
        if (text.id == 0)
            return;
        ASSERT_TRUE(part.count(text.id)) << text.id;
        EXPECT_EQ("*" + part.at(text.id), text.builtin) << text.id;
    };
    for (const CalculatorDescription& d : calculatorDescriptions()) {
        check(d.name);
        for (int i = 0; i < d.inputCount; ++i)
            check(d.inputs[static_cast<std::size_t>(i)]);
        for (int i = 0; i < d.resultCount; ++i) {
            check(d.results[static_cast<std::size_t>(i)]);
            check(d.units[static_cast<std::size_t>(i)]);
        }
    }
}

} // namespace
} // namespace kvt
