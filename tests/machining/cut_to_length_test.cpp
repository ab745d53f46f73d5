// Cutting to length: every row of the coordinate table, the checks with their
// messages, and the window form (results, saved block, report) without any widget.

#include "common/clock.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "machining/cut_to_length/cut_to_length.h"
#include "machining/cut_to_length/cut_to_length_form.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace kvt {
namespace {

std::string four(double value)
{
    return formatNumber("%.4f", value);
}

// ---- formula --------------------------------------------------------------------

struct TableRow {
    const char* name;
    CutOperation operation;
    SideB side;
    AxisOrigin origin;
    const char* coordinate;
    const char* roughing; // "-" when not set
    const char* infeed;
};

class CutOffCoordinateTest : public ::testing::TestWithParam<TableRow> { };

// Lathe: B 0, W 3, A 50. Milling: B 10, W 16, A 100, C 105, U 0.2.
TEST_P(CutOffCoordinateTest, EveryRowOfTheTable)
{
    const TableRow& row = GetParam();
    const bool lathe = row.operation == CutOperation::LatheParting;
    const auto result = lathe
        ? CutOffCoordinate(row.operation, row.origin, row.side, 50.0f, 0.0f, 0.0f, 3.0f, 0.2f)
        : CutOffCoordinate(row.operation, row.origin, row.side, 100.0f, 105.0f, 10.0f, 16.0f, 0.2f);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(four(result->coordinate), row.coordinate);
    EXPECT_EQ(result->roughingCoordinate ? four(*result->roughingCoordinate) : std::string("-"), row.roughing);
    EXPECT_EQ(four(result->infeed), row.infeed);
}

INSTANTIATE_TEST_SUITE_P(Table, CutOffCoordinateTest,
    ::testing::Values(
        TableRow {"LatheLeft", CutOperation::LatheParting, SideB::Raw, AxisOrigin::Left, "-53.0000", "-", "3.0000"},
        TableRow {"LatheRight", CutOperation::LatheParting, SideB::Raw, AxisOrigin::Right, "53.0000", "-", "3.0000"},
        // Side B means nothing on the lathe.
        TableRow {"LatheLeftSideUsable", CutOperation::LatheParting, SideB::Usable, AxisOrigin::Left, "-53.0000", "-",
            "3.0000"},
        TableRow {"FromLeftRawLeft", CutOperation::MillFromLeft, SideB::Raw, AxisOrigin::Left, "126.0000", "126.2000",
            "5.0000"},
        TableRow {"FromLeftRawRight", CutOperation::MillFromLeft, SideB::Raw, AxisOrigin::Right, "-106.0000",
            "-106.2000", "5.0000"},
        TableRow {"FromLeftUsableLeft", CutOperation::MillFromLeft, SideB::Usable, AxisOrigin::Left, "118.0000",
            "118.2000", "5.0000"},
        TableRow {"FromLeftUsableRight", CutOperation::MillFromLeft, SideB::Usable, AxisOrigin::Right, "-98.0000",
            "-98.2000", "5.0000"},
        TableRow {"FromRightRawLeft", CutOperation::MillFromRight, SideB::Raw, AxisOrigin::Left, "-106.0000",
            "-106.2000", "5.0000"},
        TableRow {"FromRightRawRight", CutOperation::MillFromRight, SideB::Raw, AxisOrigin::Right, "126.0000",
            "126.2000", "5.0000"},
        TableRow {"FromRightUsableLeft", CutOperation::MillFromRight, SideB::Usable, AxisOrigin::Left, "-98.0000",
            "-98.2000", "5.0000"},
        TableRow {"FromRightUsableRight", CutOperation::MillFromRight, SideB::Usable, AxisOrigin::Right, "118.0000",
            "118.2000", "5.0000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CutOffCoordinateTest, NothingWithoutATool)
{
    EXPECT_FALSE(CutOffCoordinate(CutOperation::LatheParting, AxisOrigin::Left, SideB::Raw, 50, 0, 0, 0, 0));
    EXPECT_FALSE(CutOffCoordinate(CutOperation::MillFromLeft, AxisOrigin::Left, SideB::Usable, 50, 60, 0, 0, 0));
}

// ---- form -----------------------------------------------------------------------

void type(CutToLengthForm& form, CutInput input, const char* text)
{
    std::string t = text;
    form.setInputText(input, t);
}

CutToLengthForm milling(int unitSystem = kUnitSystemMetric)
{
    CutToLengthForm form(unitSystem);
    form.setOperation(CutOperation::MillFromLeft);
    type(form, CutInput::Wanted, "100");
    type(form, CutInput::Raw, "105");
    type(form, CutInput::Start, "10");
    type(form, CutInput::Tool, "16");
    type(form, CutInput::Allowance, "0.2");
    return form;
}

struct CheckCase {
    const char* name;
    CutOperation operation;
    const char* wanted;
    const char* raw;
    const char* tool;
    std::vector<CutMessage> messages;
    bool calculated;
    const char* infeed; // "" when nothing was calculated
};

class CutToLengthCheckTest : public ::testing::TestWithParam<CheckCase> { };

TEST_P(CutToLengthCheckTest, MessagesAndWhetherItCalculates)
{
    const CheckCase& c = GetParam();
    CutToLengthForm form(kUnitSystemMetric);
    form.setOperation(c.operation);
    type(form, CutInput::Wanted, c.wanted);
    type(form, CutInput::Raw, c.raw);
    type(form, CutInput::Tool, c.tool);
    const CutCalculation outcome = form.calculate();
    EXPECT_EQ(outcome.messages, c.messages);
    EXPECT_EQ(outcome.calculated, c.calculated);
    EXPECT_EQ(form.resultsValid(), c.calculated);
    EXPECT_EQ(form.resultText(CutResult::Infeed), c.infeed);
}

INSTANTIATE_TEST_SUITE_P(Cases, CutToLengthCheckTest,
    ::testing::Values(
        CheckCase {"WantedZero", CutOperation::MillFromLeft, "0", "105", "16", {CutMessage::WantedZero}, false, ""},
        // The length is checked before the tool.
        CheckCase {"WantedAndToolZero", CutOperation::LatheParting, "", "", "", {CutMessage::WantedZero}, false, ""},
        CheckCase {"ToolZero", CutOperation::LatheParting, "50", "", "0", {CutMessage::ToolZero}, false, ""},
        CheckCase {"RawEqualsWanted", CutOperation::MillFromRight, "100", "100", "16", {CutMessage::RawNotLonger}, true,
            " 0.000"},
        CheckCase {"RawZero", CutOperation::MillFromLeft, "100", "", "16",
            {CutMessage::RawNotLonger, CutMessage::RawZero}, true, "-100.000"},
        // The lathe has no raw length.
        CheckCase {"LatheWithoutRaw", CutOperation::LatheParting, "50", "", "3", {}, true, " 3.000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CutToLengthFormTest, MessageTexts)
{
    BuiltinTexts texts;
    EXPECT_EQ(CutToLengthForm::messageText(CutMessage::WantedZero, texts), "*Soll-Laenge darf nicht 0 sein.");
    EXPECT_EQ(CutToLengthForm::messageText(CutMessage::ToolZero, texts),
        "*Die Werkzeugbreite oder der Werkzeugdurchmesser darf nicht 0 sein.");
    EXPECT_EQ(CutToLengthForm::messageText(CutMessage::RawNotLonger, texts),
        "*Die Rohteil-Laenge muß größer als die Soll - Laenge sein.");
    EXPECT_EQ(CutToLengthForm::messageText(CutMessage::RawZero, texts), "*Die Rohteil-Laenge darf nicht 0 sein.");
    EXPECT_EQ(CutToLengthForm::messageCaption(texts), "*Fehler");
}

TEST(CutToLengthFormTest, ResultTextsMetricAndInch)
{
    CutToLengthForm lathe(kUnitSystemMetric);
    type(lathe, CutInput::Wanted, "50");
    type(lathe, CutInput::Tool, "3");
    ASSERT_TRUE(lathe.calculate().calculated);
    EXPECT_EQ(lathe.resultText(CutResult::Coordinate), "-53.000");
    EXPECT_EQ(lathe.resultText(CutResult::Infeed), " 3.000");

    CutToLengthForm inch(kUnitSystemInch);
    type(inch, CutInput::Wanted, "2");
    type(inch, CutInput::Tool, "0.5");
    ASSERT_TRUE(inch.calculate().calculated);
    EXPECT_EQ(inch.resultText(CutResult::Coordinate), "-2.5000");
    EXPECT_EQ(inch.resultText(CutResult::Infeed), " 0.5000");

    CutToLengthForm usable = milling(kUnitSystemInch);
    type(usable, CutInput::Wanted, "4");
    type(usable, CutInput::Raw, "4.2");
    type(usable, CutInput::Start, "-1");
    type(usable, CutInput::Tool, "0.5");
    usable.setSide(SideB::Usable);
    ASSERT_TRUE(usable.calculate().calculated);
    EXPECT_EQ(usable.resultText(CutResult::Coordinate), " 3.2500");
    EXPECT_EQ(usable.resultText(CutResult::Infeed), " 0.2000");
}

TEST(CutToLengthFormTest, BlockRoundTripAndDamagedChoices)
{
    CutToLengthForm form = milling();
    form.setOrigin(AxisOrigin::Right);
    form.setSide(SideB::Usable);
    type(form, CutInput::Start, "-10");
    ASSERT_TRUE(form.calculate().calculated);
    const CutToLengthBlock block = form.store(false);
    EXPECT_EQ(block.operation, 2);
    EXPECT_EQ(block.origin, 2);
    EXPECT_EQ(block.side, 2);
    EXPECT_EQ(block.resultsValid, 1);
    EXPECT_EQ(block.hasRoughingCoordinate, 1);
    EXPECT_FLOAT_EQ(block.coordinate, -118.0f);
    EXPECT_FLOAT_EQ(block.roughingCoordinate, -118.2f);

    CutToLengthForm again(kUnitSystemMetric);
    again.fill(block);
    EXPECT_EQ(again.operation(), CutOperation::MillFromLeft);
    EXPECT_EQ(again.origin(), AxisOrigin::Right);
    EXPECT_EQ(again.side(), SideB::Usable);
    EXPECT_EQ(again.inputText(CutInput::Start), "-10.000");
    EXPECT_EQ(again.inputText(CutInput::Allowance), " 0.200");
    EXPECT_EQ(again.resultText(CutResult::Coordinate), "-118.000");
    EXPECT_EQ(again.resultText(CutResult::Infeed), " 5.000");
    EXPECT_TRUE(again.resultsValid());

    CutToLengthBlock damaged = block;
    damaged.operation = 9;
    damaged.origin = 0;
    damaged.side = 3;
    damaged.wanted = std::numeric_limits<float>::quiet_NaN();
    damaged.start = std::numeric_limits<float>::infinity();
    damaged.tool = -16.0f;
    damaged.resultsValid = 0;
    CutToLengthForm fromDamaged(kUnitSystemMetric);
    fromDamaged.fill(damaged);
    EXPECT_EQ(fromDamaged.operation(), CutOperation::LatheParting);
    EXPECT_EQ(fromDamaged.origin(), AxisOrigin::Left);
    EXPECT_EQ(fromDamaged.side(), SideB::Raw);
    EXPECT_EQ(fromDamaged.inputText(CutInput::Wanted), " 0.000");
    EXPECT_EQ(fromDamaged.inputText(CutInput::Start), " 0.000");
    EXPECT_EQ(fromDamaged.inputText(CutInput::Tool), " 0.000");
    EXPECT_FALSE(fromDamaged.resultsValid());
    EXPECT_EQ(fromDamaged.resultText(CutResult::Coordinate), "");
}

const LocalDateTime kTime {2025, 3, 7, 14, 5, 9};

std::string head(const char* operation, const char* origin)
{
    return "07.03.2025_14:05\r\n" + std::string(44, '-') + "\r\n" + std::string(69, '-')
        + "\r\n*Material Genau-ablängen / abstechen\r\n" + operation + "\r\n" + origin + "\r\n";
}

const std::string kResultsHeading = std::string(44, '-') + "\r\n*Ergebnisse:\r\n";
const std::string kClosing = std::string(69, '-') + "\r\n";

TEST(CutToLengthReportTest, MillingWithAllowance)
{
    BuiltinTexts texts;
    CutToLengthForm form = milling();
    form.setSide(SideB::Usable);
    ASSERT_TRUE(form.calculate().calculated);
    EXPECT_EQ(form.reportText(texts, 49, kTime),
        head("*Ablängen auf der Fräsmaschine Startpunkt links", "*Achskoordinaten-Ursprung links")
            + "*Seite B: Fläche nutzbar, Nullpunkt auf Kante\r\n"
              "*Soll-Länge A [mm]\t: 100.000\r\n*Rohteil-Länge C [mm]\t: 105.000\r\n"
              "*Achs-Koordinate von Startpunkt B [mm]\t: 10.000\r\n*Schlicht-Untermaß [mm]\t:  0.200\r\n"
              "*Werkzeugdurchmesser [mm]\t: 16.000\r\n"
            + kResultsHeading
            + "*Koordinate Schruppschnitt [mm]\t: 118.200\r\n*Abläng-Koordinate nach dem Schruppen [mm]\t: 118.000\r\n"
              "*Zustellung [mm]\t:  5.000\r\n"
            + kClosing);
}

TEST(CutToLengthReportTest, MillingWithoutAllowanceInInch)
{
    BuiltinTexts texts;
    CutToLengthForm form(kUnitSystemInch);
    form.setOperation(CutOperation::MillFromRight);
    form.setOrigin(AxisOrigin::Right);
    type(form, CutInput::Wanted, "4");
    type(form, CutInput::Raw, "4.2");
    type(form, CutInput::Tool, "0.5");
    ASSERT_TRUE(form.calculate().calculated);
    EXPECT_EQ(form.reportText(texts, 49, kTime),
        head("*Ablängen auf der Fräsmaschine Startpunkt rechts", "*Achskoordinaten-Ursprung rechts")
            + "*Soll-Länge A [inch]\t:  4.0000\r\n*Rohteil-Länge C [inch]\t:  4.2000\r\n"
              "*Achs-Koordinate von Startpunkt B [inch]\t:  0.0000\r\n*Schlicht-Untermaß [inch]\t:  0.0000\r\n"
              "*Werkzeugdurchmesser [inch]\t:  0.5000\r\n"
            + kResultsHeading + "*Abläng-Koordinate [inch]\t:  4.5000\r\n*Zustellung [inch]\t:  0.2000\r\n" + kClosing);
}

TEST(CutToLengthReportTest, LatheShowsOnlyItsOwnInputs)
{
    BuiltinTexts texts;
    CutToLengthForm form(kUnitSystemMetric);
    form.setSide(SideB::Usable); // not a lathe matter: no line for it
    type(form, CutInput::Wanted, "50");
    type(form, CutInput::Raw, "70");
    type(form, CutInput::Tool, "3");
    ASSERT_TRUE(form.calculate().calculated);
    // Typing after the calculation does not change what the report tells.
    type(form, CutInput::Wanted, "60");
    EXPECT_EQ(form.reportText(texts, 49, kTime),
        head("*Abstechen auf der Drehmaschine", "*Achskoordinaten-Ursprung links")
            + "*Soll-Länge A [mm]\t: 50.000\r\n*Achs-Koordinate von Startpunkt B [mm]\t:  0.000\r\n"
              "*Werkzeugdurchmesser [mm]\t:  3.000\r\n"
            + kResultsHeading + "*Abläng-Koordinate [mm]\t: -53.000\r\n" + kClosing);
}

} // namespace
} // namespace kvt
