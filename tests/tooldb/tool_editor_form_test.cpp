#include "tooldb/tool_editor_form.h"

#include "common/report_writer.h"
#include "common/units.h"
#include "state/open_dialog_data.h"

#include "tooldb_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kvt {
namespace {

using test::sampleTool;

const LocalDateTime kNow {2025, 3, 7, 14, 5, 9};

class ToolEditorFormTest : public ::testing::Test {
protected:
    BuiltinTexts texts;
    ToolEditorForm form {texts, 0, 49};
};

TEST_F(ToolEditorFormTest, SevenStepsOfTheReturn)
{
    struct Case {
        const char* name;
        std::uint16_t teeth;
        float handedPerTooth;
        float spindleSpeed;
        float feedRate;
        const char* perTooth; // shown
    };
    const Case cases[] = {
        {"per tooth from feed rate and speed", 4, 0.0f, 1000.0f, 400.0f, "0.100"},
        {"per tooth handed over", 4, 0.05f, 1000.0f, 400.0f, "0.050"},
        {"no teeth", 0, 0.0f, 1000.0f, 400.0f, "---"},
        {"no speed", 4, 0.0f, 0.0f, 400.0f, "---"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolRecord tool = sampleTool(6);
        tool.teeth = c.teeth;
        form.load(tool);
        ToolHandOver back {};
        form.handOver(back);
        back.feedPerTooth = c.handedPerTooth;
        back.feedPerRevolution = 0.2f;
        back.returnCode = 2;
        back.returnSpindleSpeed = c.spindleSpeed;
        back.returnCuttingSpeed = 25.1327f;
        back.returnDiameter = 99.0f;
        back.returnFeedRate = c.feedRate;
        back.returnPlungeFeed = 200.0f;
        form.takeReturn(back);
        EXPECT_EQ(form.fieldText(ToolField::CuttingSpeed), "25.1");
        EXPECT_EQ(form.fieldText(ToolField::FeedPerRevolution), "0.200");
        EXPECT_EQ(form.fieldText(ToolField::FeedPerTooth), c.perTooth);
        EXPECT_EQ(form.fieldText(ToolField::AxialFeedRate), "200.0");
        EXPECT_EQ(form.fieldText(ToolField::FeedRate), "400.0");
        EXPECT_EQ(form.fieldText(ToolField::SpindleSpeed), c.spindleSpeed == 0.0f ? "---" : "1000");
        // The rest of the tool is as it was; the diameter is not taken back.
        EXPECT_FLOAT_EQ(form.record().radius, tool.radius);
        EXPECT_EQ(toolText(form.record(), ToolField::NcData), u"T6 D6 H6");
    }
}

TEST_F(ToolEditorFormTest, HandedBackValuesThatAreNoNumberCountAsZero)
{
    form.load(sampleTool(4));
    ToolHandOver back {};
    back.returnSpindleSpeed = std::nanf("");
    back.returnFeedRate = INFINITY;
    back.returnCuttingSpeed = std::nanf("");
    form.takeReturn(back);
    EXPECT_EQ(form.record().spindleSpeed, 0.0f);
    EXPECT_EQ(form.record().feedRate, 0.0f);
    EXPECT_EQ(form.record().cuttingSpeed, 0.0f);
    EXPECT_EQ(form.record().feedPerTooth, 0.0f);
}

TEST_F(ToolEditorFormTest, HandOverStartsTheCuttingDataWindowFromTheTool)
{
    ToolRecord tool {};
    tool.radius = 2.5f;
    tool.cuttingSpeed = 120.0f;
    tool.feedPerTooth = 0.04f;
    tool.feedPerRevolution = 0.1f;
    tool.axialFeedPerRevolution = 0.08f;
    tool.teeth = 3;
    form.load(tool);
    ToolHandOver handOver {};
    handOver.returnCode = 2;
    handOver.returnSpindleSpeed = 5.0f;
    form.handOver(handOver);
    EXPECT_EQ(handOver.diameter, 5.0f);
    EXPECT_EQ(handOver.cuttingSpeed, 120.0f);
    EXPECT_EQ(handOver.feedPerTooth, 0.04f);
    EXPECT_EQ(handOver.feedPerRevolution, 0.1f);
    EXPECT_EQ(handOver.axialFeedPerRevolution, 0.08f);
    EXPECT_EQ(handOver.teeth, 3);
    EXPECT_EQ(handOver.returnCode, 0);
    EXPECT_EQ(handOver.returnSpindleSpeed, 0.0f);
}

TEST_F(ToolEditorFormTest, DiameterIsTwiceTheRadius)
{
    struct Case {
        int unitSystem;
        float radius;
        const char* diameter;
        const char* radiusText;
    };
    const Case cases[] = {
        {0, 2.5f, "5.000", "2.500"},
        {0, 0.0f, "---", "---"},
        {1, 12.7f, "1.000", "0.500"},
    };
    for (const Case& c : cases) {
        ToolEditorForm units(texts, c.unitSystem, 49);
        ToolRecord tool {};
        tool.radius = c.radius;
        units.load(tool);
        EXPECT_EQ(units.diameterText(), c.diameter);
        EXPECT_EQ(units.fieldText(ToolField::Radius), c.radiusText);
    }
}

TEST_F(ToolEditorFormTest, TypedNumbersAreStoredMetric)
{
    ToolEditorForm inch(texts, 1, 44);
    EXPECT_EQ(inch.setFieldText(ToolField::Radius, "0.5"), std::nullopt);
    EXPECT_EQ(inch.record().radius, toMetric(1, ConversionKind::Length, 0.5f));
    EXPECT_EQ(inch.setFieldText(ToolField::Teeth, "70000"), std::nullopt);
    EXPECT_EQ(inch.record().teeth, 65535);
    EXPECT_EQ(inch.setFieldText(ToolField::LengthTolerance, "-0.001"), std::nullopt);
    EXPECT_EQ(inch.record().lengthTolerance, toMetric(1, ConversionKind::Length, -0.001f));
    EXPECT_EQ(inch.setFieldText(ToolField::Radius, "---"), std::nullopt);
    EXPECT_EQ(inch.record().radius, 0.0f);
    // A text that does not parse keeps the value; the field shows the cut text itself.
    inch.setFieldText(ToolField::Length, "3");
    EXPECT_EQ(inch.setFieldText(ToolField::Length, "3x"), std::string());
    EXPECT_EQ(inch.record().length, toMetric(1, ConversionKind::Length, 3.0f));
}

TEST_F(ToolEditorFormTest, TextsTheExportCannotCarryAreRefused)
{
    form.load(sampleTool(2));
    const auto refused = form.setFieldText(ToolField::Description, "Fräser | lang");
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(*refused, toolTextProblemMessage(texts, ToolField::Description, ToolTextProblem::Separator));
    EXPECT_EQ(toolText(form.record(), ToolField::Description), u"Schaftfräser Ø2 mm");
    EXPECT_EQ(form.setFieldText(ToolField::Description, "Fräser |lang"), std::nullopt);
    EXPECT_EQ(toolText(form.record(), ToolField::Description), u"Fräser |lang");
}

TEST_F(ToolEditorFormTest, DatesAreStoredDayFirstAndShownYearFirstInEnglish)
{
    form.load(ToolRecord {});
    form.save(kNow);
    EXPECT_EQ(toolText(form.record(), ToolField::LastChangeDate), u"07.03.2025");
    EXPECT_TRUE(isPresent(form.record()));
    form.setReplacementDate(kNow);
    EXPECT_EQ(toolText(form.record(), ToolField::ReplacementDate), u"07.03.2025");
    EXPECT_EQ(form.fieldText(ToolField::ReplacementDate), "07.03.2025");
    ToolEditorForm english(texts, 0, 44);
    english.load(form.record());
    EXPECT_EQ(english.fieldText(ToolField::LastChangeDate), "2025.03.07");
    EXPECT_EQ(displayedToolDate(u"bad date", 44), "bad date");
    EXPECT_EQ(displayedToolDate(u"", 44), "");
    // Typing into a date field changes nothing.
    english.setFieldText(ToolField::ReplacementDate, "01.01.1999");
    EXPECT_EQ(toolText(english.record(), ToolField::ReplacementDate), u"07.03.2025");
}

TEST_F(ToolEditorFormTest, RotationCyclesInQuarterTurns)
{
    ToolRecord tool {};
    tool.pictureRotation = 7; // a damaged value counts as 0
    form.load(tool);
    EXPECT_EQ(form.pictureRotation(), 0);
    const int expected[] = {1, 2, 3, 0, 1};
    for (int turn : expected) {
        form.rotatePicture();
        EXPECT_EQ(form.record().pictureRotation, turn);
    }
}

TEST_F(ToolEditorFormTest, Report)
{
    ToolRecord tool = sampleTool(1);
    tool.length = 12.5f;
    tool.radius = 2.5f;
    tool.teeth = 4;
    tool.cuttingSpeed = 120.0f;
    tool.feedPerRevolution = 0.1f;
    tool.axialFeedPerRevolution = 0.05f;
    tool.feedPerTooth = 0.025f;
    tool.feedRate = 400.0f;
    tool.axialFeedRate = 200.0f;
    tool.spindleSpeed = 3819.7f;
    form.load(tool);
    const std::string report = form.reportText(1, kNow);
    EXPECT_EQ(report.rfind("07.03.2025_14:05\r\n", 0), 0u);
    EXPECT_NE(report.find("*Werkzeugdaten 001\r\n"), std::string::npos);
    EXPECT_NE(report.find(reportLine("*NC Daten", "T1 D1 H1")), std::string::npos);
    EXPECT_NE(report.find(reportLine("*Länge [mm]", "12.500")), std::string::npos);
    EXPECT_NE(report.find(reportLine("*Durchmesser [mm]", " 5.000")), std::string::npos);
    EXPECT_NE(report.find(reportLine("*Zähnezahl", "4")), std::string::npos);
    EXPECT_NE(report.find(reportLine("*Tausch-Datum", "01.02.2026")), std::string::npos);
    EXPECT_NE(report.find("Vc  120.0 | fn  0.100 | fnax  0.050 | fz  0.025 | Vf 400.00 | Vfax 200.00 | n 3819.7\r\n"),
        std::string::npos);
}

} // namespace
} // namespace kvt
