// Drill depths: every row of the four thread tables in both unit systems, the reaming
// allowances at each range edge, the inch fits, the drill point, the round-up steps, the
// pre-drill rule, tapped holes, and the window form's modes, messages, block and report.

#include "common/clock.h"
#include "common/float_bits.h"
#include "common/language_codes.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "common/units.h"
#include "design/drill_depths/drill_depths.h"
#include "design/drill_depths/drill_depths_form.h"
#include "state/app_message.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace kvt {
namespace {

struct ThreadText {
    const char* name;
    const char* nominal;
    const char* pitch;
    const char* drill;
};

std::string f4(double value)
{
    return formatNumber("%.4f", value);
}

void expectThreads(int unitSystem, const std::vector<ThreadText>& expected)
{
    const std::vector<ThreadSize> sizes = threadSizes(unitSystem);
    ASSERT_EQ(sizes.size(), expected.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(sizes[i].name, expected[i].name);
        EXPECT_EQ(f4(sizes[i].nominal), expected[i].nominal);
        EXPECT_EQ(f4(sizes[i].pitch), expected[i].pitch);
        EXPECT_EQ(f4(sizes[i].coreDrill), expected[i].drill);
    }
}

TEST(ThreadTables, MetricRowsAsTheTableGivesThem)
{
    expectThreads(kUnitSystemMetric,
        {
            {"M3x0,5 M", "3.0000", "0.5000", "2.5000"},
            {"M3,5x0,6 M", "3.5000", "0.6000", "2.9000"},
            {"M4x0,7 M", "4.0000", "0.7000", "3.3000"},
            {"M5x0,8 M", "5.0000", "0.8000", "4.2000"},
            {"M6x1.0 M", "6.0000", "1.0000", "5.0000"},
            {"M8x1.25 M", "8.0000", "1.2500", "6.8000"},
            {"M10x1.5 M", "10.0000", "1.5000", "8.5000"},
            {"M12x1.75 M", "12.0000", "1.7500", "10.2000"},
            {"M14x2.0 M", "14.0000", "2.0000", "12.0000"},
            {"M16x2.0 M", "16.0000", "2.0000", "14.0000"},
            {"M18x2.5 M", "18.0000", "2.5000", "15.5000"},
            {"M20x2.5 M", "20.0000", "2.5000", "17.5000"},
            {"M4x0.5 MF", "4.0000", "0.5000", "3.5000"},
            {"M5x0.5 MF", "5.0000", "0.5000", "4.5000"},
            {"M6x0.75 MF", "6.0000", "0.7500", "5.2000"},
            {"M7x0.75 MF", "7.0000", "0.7500", "6.2000"},
            {"M8x1 MF", "8.0000", "1.0000", "7.0000"},
            {"M9x1 MF", "9.0000", "1.0000", "8.0000"},
            {"M10x1 MF", "10.0000", "1.0000", "9.0000"},
            {"M12x1.5 MF", "12.0000", "1.5000", "10.5000"},
            {"M14x1.5 MF", "14.0000", "1.5000", "12.5000"},
            {"M16x1.5 MF", "16.0000", "1.5000", "14.5000"},
            {"M18x2 MF", "18.0000", "2.0000", "16.0000"},
            {"M20x2 MF", "20.0000", "2.0000", "18.0000"},
        });
}

TEST(ThreadTables, UnifiedRowsInMillimetresWithTheProgramsInch)
{
    expectThreads(kUnitSystemInch,
        {
            {"4-40 UNC", "2.8448", "0.6350", "2.2606"},
            {"6-32 UNC", "3.4544", "0.7938", "2.7051"},
            {"8-32 UNC", "4.1656", "0.7938", "3.4544"},
            {"10-24 UNC", "4.8260", "1.0583", "3.7973"},
            {"1/4-20 UNC", "6.3500", "1.2700", "5.1054"},
            {"5/16-18 UNC", "7.9375", "1.4111", "6.5278"},
            {"3/8-16 UNC", "9.5250", "1.5875", "7.9502"},
            {"7/16-14 UNC", "11.1125", "1.8143", "9.3472"},
            {"1/2-13 UNC", "12.7000", "1.9539", "10.7188"},
            {"9/16-12 UNC", "14.2875", "2.1167", "12.2936"},
            {"5/8-11 UNC", "15.8750", "2.3091", "13.4874"},
            {"3/4-10 UNC", "19.0500", "2.5400", "16.6624"},
            {"7/8-9 UNC", "22.2250", "2.8222", "19.4564"},
            {"1-8 UNC", "25.4001", "3.1750", "22.2250"},
            {"4-48 UNF", "2.8448", "0.5292", "2.3749"},
            {"6-40 UNF", "3.4544", "0.6350", "2.8702"},
            {"8-36 UNF", "4.1656", "0.7056", "3.4544"},
            {"10-32 UNF", "4.8260", "0.7938", "4.0386"},
            {"1/4-28 UNF", "6.3500", "0.9071", "5.4102"},
            {"5/16-24 UNF", "7.9375", "1.0583", "6.9088"},
            {"3/8-24 UNF", "9.5250", "1.0583", "8.4328"},
            {"7/16-20 UNF", "11.1125", "1.2700", "9.9314"},
            {"1/2-20 UNF", "12.7000", "1.2700", "11.5062"},
            {"9/16-18 UNF", "14.2875", "1.4111", "13.1064"},
            {"5/8-18 UNF", "15.8750", "1.4111", "14.6812"},
            {"3/4-16 UNF", "19.0500", "1.5875", "17.4752"},
            {"7/8-14 UNF", "22.2250", "1.8143", "20.6502"},
            {"1-14 UNF", "25.4001", "1.8143", "23.8252"},
        });
}

TEST(ReamingAllowances, EveryRangeAtItsEdges)
{
    using List = std::vector<double>;
    const std::vector<std::pair<double, List>> cases = {
        {0.5, {}},
        {0.79, {}},
        {0.8, {0.05}},
        {1.2, {0.05}},
        {1.21, {0.05, 0.1}},
        {1.6, {0.05, 0.1}},
        {1.61, {0.15}},
        {3.0, {0.15}},
        {3.01, {0.1, 0.2}},
        {5.0, {0.1, 0.2}},
        {8.0, {0.2, 0.3}},
        {10.0, {0.2, 0.3}},
        {12.0, {0.2, 0.3, 0.4}},
        {20.0, {0.2, 0.3, 0.4}},
        {25.0, {0.3, 0.4, 0.5}},
        {50.0, {0.3, 0.4, 0.5}},
        {50.5, {0.5, 0.6, 0.7, 0.8}},
        {70.0, {0.5, 0.6, 0.7, 0.8}},
        {100.0, {1.0, 1.1, 1.2}},
        {120.0, {1.0, 1.1, 1.2}},
        {150.0, {1.3, 1.4, 1.5}},
        {150.01, {}},
    };
    for (const auto& [diameter, proposals] : cases) {
        SCOPED_TRACE(diameter);
        EXPECT_EQ(reamingAllowances(diameter), proposals);
    }
}

TEST(InchReamerFits, EveryNominalSizeAndItsPairs)
{
    struct Fit {
        const char* nominal;
        double inside;
        double tight, loose, tightDrill, looseDrill;
    };
    const std::vector<Fit> fits = {
        {"1/16", 0.0625, 0.00125, 0.003125, 0.0595, 0.0635},
        {"5/64", 0.0781, 0.001562, 0.003905, 0.0785, 0.081},
        {"3/32", 0.0938, 0.001876, 0.00469, 0.0935, 0.096},
        {"1/8", 0.125, 0.0025, 0.00625, 0.12, 0.1285},
        {"5/32", 0.1562, 0.003124, 0.00781, 0.157, 0.159},
        {"3/16", 0.1875, 0.00375, 0.009375, 0.185, 0.189},
        {"7/32", 0.2188, 0.004376, 0.01094, 0.221, 0.228},
        {"1/4", 0.25, 0.005, 0.0125, 0.2344, 0.257},
        {"5/16", 0.3125, 0.00625, 0.015625, 0.2812, 0.316},
        {"3/8", 0.375, 0.0075, 0.01875, 0.3437, 0.377},
        {"7/16", 0.4375, 0.00875, 0.021875, 0.3906, 0.4219},
        {"1/2", 0.5, 0.01, 0.025, 0.4531, 0.5156},
        {"5/8", 0.625, 0.0125, 0.03125, 0.5937, 0.5156},
        {"3/4", 0.75, 0.015, 0.0375, 0.7031, 0.7656},
        {"7/8", 0.875, 0.0175, 0.04375, 0.8281, 0.8906},
        {"1", 1.0, 0.02, 0.05, 0.9219, 1.0156},
    };
    ASSERT_EQ(inchReamerFits().size(), fits.size());
    for (const Fit& expected : fits) {
        SCOPED_TRACE(expected.nominal);
        const auto fit = inchReamerFit(expected.inside);
        ASSERT_TRUE(fit);
        EXPECT_EQ(fit->nominal, expected.nominal);
        EXPECT_EQ(fit->allowance[0], expected.tight);
        EXPECT_EQ(fit->allowance[1], expected.loose);
        EXPECT_EQ(fit->drill[0], expected.tightDrill);
        EXPECT_EQ(fit->drill[1], expected.looseDrill);
        // 0.005 inch either side is still the size.
        EXPECT_EQ(inchReamerFit(fit->low)->nominal, expected.nominal);
        EXPECT_EQ(inchReamerFit(fit->high)->nominal, expected.nominal);
    }
    EXPECT_FALSE(inchReamerFit(0.0574));
    EXPECT_FALSE(inchReamerFit(0.14));
    EXPECT_FALSE(inchReamerFit(1.0051));
}

TEST(DrillPoint, AnglesAndDepths)
{
    EXPECT_EQ(formatNumber("%.3f", *drillPointLength(10.0, 118.0)), "3.004");
    EXPECT_EQ(*drillPointLength(10.0, 180.0), 0.0);
    EXPECT_EQ(formatNumber("%.3f", *drillPointLength(10.0, 90.0)), "5.000");
    EXPECT_FALSE(drillPointLength(10.0, 85.0));
    EXPECT_FALSE(drillPointLength(10.0, 180.5));
    EXPECT_FALSE(drillPointLength(0.0, 118.0));
    EXPECT_FALSE(drillPointLength(10.0, std::numeric_limits<double>::quiet_NaN()));

    EXPECT_EQ(formatNumber("%.3f", drillingDepth(20.0, 0.0, 10.0, 118.0, 0.0, kUnitSystemMetric)->depth), "23.004");
    EXPECT_EQ(formatNumber("%.3f", drillingDepth(20.0, 0.0, 10.0, 118.0, 0.5, kUnitSystemMetric)->depth), "23.500");
    EXPECT_EQ(formatNumber("%.3f", drillingDepth(20.0, 1.0, 10.0, 118.0, 0.0, kUnitSystemMetric)->depth), "24.004");
    // A step already met is not passed.
    EXPECT_EQ(formatNumber("%.3f", roundUpDepth(23.5, 0.5, kUnitSystemMetric)), "23.500");
    // With inches the step is in inches: 1.01 inch rounds up to 1.125 (an eighth).
    EXPECT_EQ(formatNumber("%.4f", roundUpDepth(1.01 * kMillimetresPerInch, 0.125, kUnitSystemInch)),
        formatNumber("%.4f", 1.125 * kMillimetresPerInch));
}

TEST(PreDrill, NearestTenthThenQuarterThenTwoDecimals)
{
    const std::vector<std::tuple<double, double, const char*>> cases = {
        {8.0, 0.2, "7.80"}, {12.0, 0.3, "11.75"}, {10.0, 0.0, "10.00"},
        {10.2, 0.1, "10.00"}, // 10.1 is above 10: nearest quarter
        {4.0, 0.13, "3.90"}, // 3.87 to the nearest tenth
        {50.0, 0.3, "49.75"}, {60.0, 0.5, "59.50"}, // beyond 50 only two decimals
        {0.9, 0.05, "0.85"}, // below 1 the same
    };
    for (const auto& [reamer, allowance, expected] : cases) {
        SCOPED_TRACE(reamer);
        EXPECT_EQ(formatNumber("%.2f", preDrillDiameter(reamer, allowance)), expected);
    }
}

TEST(TappedHole, RoundedUpWithItsSurplus)
{
    const TappedDepth m8 = tappedHoleDepth(16.0, 3.0 * 1.25, 0.5);
    EXPECT_EQ(formatNumber("%.3f", m8.depth), "20.000");
    EXPECT_EQ(formatNumber("%.3f", m8.surplus), "0.250");
    const TappedDepth exact = tappedHoleDepth(16.0, 4.0, 0.5);
    EXPECT_EQ(exact.depth, 20.0);
    EXPECT_EQ(exact.surplus, 0.0);
    const TappedDepth none = tappedHoleDepth(16.0, 3.75, 0.0);
    EXPECT_EQ(none.depth, 19.75);
    EXPECT_EQ(none.surplus, 0.0);
}

class DrillDepthsFormTest : public ::testing::Test {
protected:
    BuiltinTexts texts;
    DrillDepthsForm form {kUnitSystemMetric};
    std::vector<MessageBoxRequest> messages;

    void type(DrillField field, const char* text)
    {
        std::string t = text;
        form.setText(field, t);
    }
    std::string shown(DrillResult which) const { return form.result(which); }
};

TEST_F(DrillDepthsFormTest, DrillingBlindAndThrough)
{
    EXPECT_EQ(form.text(DrillField::PointAngle), "118.000");
    type(DrillField::Diameter, "10");
    type(DrillField::Depth, "20");
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(shown(DrillResult::DrillingDepth), "23.004");
    EXPECT_EQ(shown(DrillResult::PointLength), "3.004");
    type(DrillField::DrillStep, "0.5");
    form.calculate(texts, messages);
    EXPECT_EQ(shown(DrillResult::DrillingDepth), "23.500");

    // Shallower than the point: told, and calculated all the same.
    type(DrillField::Depth, "2");
    type(DrillField::DrillStep, "0");
    EXPECT_TRUE(form.calculate(texts, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "*Bohrungstiefe kleiner als Kegelspitzentiefe des Bohrers");
    EXPECT_EQ(messages[0].caption, "Info");
    EXPECT_EQ(messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(shown(DrillResult::DrillingDepth), "5.004");

    messages.clear();
    form.setThroughHole(true);
    EXPECT_FALSE(form.calculate(texts, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "*Die Werkstückdicke darf nicht 0 sein.");
    EXPECT_EQ(messages[0].caption, "*Fehler");
    EXPECT_EQ(shown(DrillResult::DrillingDepth), "5.004"); // unchanged
    type(DrillField::Thickness, "15");
    messages.clear();
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_EQ(shown(DrillResult::DrillingDepth), "18.004");

    type(DrillField::PointAngle, "85"); // no result, no message
    messages.clear();
    EXPECT_FALSE(form.calculate(texts, messages));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(shown(DrillResult::DrillingDepth), "18.004");
}

TEST_F(DrillDepthsFormTest, ReamingProposesAndPreDrills)
{
    form.setMode(DrillMode::Ream);
    type(DrillField::Diameter, "12");
    EXPECT_EQ(form.allowanceChoices(texts), (std::vector<std::string> {"0.20", "0.30", "0.40"}));
    type(DrillField::Allowance, "0.3");
    type(DrillField::Depth, "20");
    EXPECT_FALSE(form.calculate(texts, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "*Fasenhöhe / Anschnitt der Reibahle darf nicht 0 sein.");
    type(DrillField::Chamfer, "1.2");
    type(DrillField::ReamStep, "0.5");
    messages.clear();
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_EQ(form.text(DrillField::DrillDiameter), "11.750");
    EXPECT_EQ(shown(DrillResult::ReamingDepth), "21.500");
    EXPECT_EQ(shown(DrillResult::DrillingDepth), "23.530"); // 20 + 11.75 / (2 tan 59)
    type(DrillField::Diameter, "0.5");
    EXPECT_TRUE(form.allowanceChoices(texts).empty());
}

TEST_F(DrillDepthsFormTest, TappedM8)
{
    form.setMode(DrillMode::Tap);
    form.setThread(5);
    ASSERT_EQ(form.threads()[5].name, "M8x1.25 M");
    type(DrillField::Depth, "16");
    type(DrillField::TapLead, "3");
    type(DrillField::DrillStep, "0.5");
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_EQ(shown(DrillResult::CoreHoleDepth), "20.000");
    EXPECT_EQ(shown(DrillResult::Surplus), "0.250");
    EXPECT_EQ(form.text(DrillField::DrillDiameter), "6.800");
    EXPECT_EQ(shown(DrillResult::DrillingDepth), "22.500"); // 20 + 2.043, to the next 0.5
    form.setLeadAsPitchMultiple(false); // 3 mm of lead
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_EQ(shown(DrillResult::CoreHoleDepth), "19.000");
    type(DrillField::TapLead, "0");
    EXPECT_FALSE(form.calculate(texts, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "*Anschnitt des Gewindebohrers darf nicht 0 sein.");
}

TEST_F(DrillDepthsFormTest, InchTapAndReamerFits)
{
    form = DrillDepthsForm(kUnitSystemInch);
    form.setMode(DrillMode::Tap);
    form.setThread(4);
    ASSERT_EQ(form.threads()[4].name, "1/4-20 UNC");
    type(DrillField::Depth, "0.5");
    type(DrillField::TapLead, "3"); // 3 threads: 0.15 inch
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_EQ(shown(DrillResult::CoreHoleDepth), "0.650");
    EXPECT_EQ(form.text(DrillField::DrillDiameter), "0.201");

    form.setMode(DrillMode::Ream);
    type(DrillField::Diameter, "0.25");
    EXPECT_EQ(form.allowanceChoices(texts), (std::vector<std::string> {"*Fester Sitz", "*Lock. Sitz", "*Custom"}));
    type(DrillField::Chamfer, "0.02");
    form.setInchFit(InchFit::Loose);
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_EQ(form.text(DrillField::DrillDiameter), "0.257");
    type(DrillField::Diameter, "0.14");
    EXPECT_EQ(form.allowanceChoices(texts), (std::vector<std::string> {"*Custom"}));
}

TEST_F(DrillDepthsFormTest, BlockRoundTripAndDamage)
{
    form.setMode(DrillMode::Tap);
    form.setThread(7);
    form.setThroughHole(true);
    type(DrillField::Depth, "12.5");
    const DrillDepthsBlock block = form.store(true);
    DrillDepthsForm again(kUnitSystemMetric);
    EXPECT_EQ(again.fill(block), std::optional<bool>(true));
    EXPECT_EQ(again.mode(), DrillMode::Tap);
    EXPECT_EQ(again.thread(), 7);
    EXPECT_TRUE(again.throughHole());
    EXPECT_EQ(again.text(DrillField::Depth), "12.500");

    DrillDepthsBlock damaged = block;
    damaged.mode = 7;
    damaged.thread = 99;
    damaged.inchFit = 200;
    damaged.values[1] = std::numeric_limits<float>::infinity();
    DrillDepthsForm third(kUnitSystemMetric);
    third.fill(damaged);
    EXPECT_EQ(third.mode(), DrillMode::Drill);
    EXPECT_EQ(third.thread(), 0);
    EXPECT_EQ(third.inchFit(), InchFit::Tight);
    EXPECT_EQ(third.text(DrillField::Depth), "0.000");
}

TEST_F(DrillDepthsFormTest, PinTakeOverAndTheWayBack)
{
    const float refused[]
        = {0.0f, -6.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()};
    for (float diameter : refused) {
        EXPECT_FALSE(form.takeOverPin(floatBits(diameter))) << diameter;
        EXPECT_EQ(form.mode(), DrillMode::Drill);
        EXPECT_EQ(form.text(DrillField::Diameter), "");
    }

    OpenRequest request;
    form.fillReturnRequest(request);
    EXPECT_EQ(request.originPage, 129);
    EXPECT_EQ(request.value3, 0); // nothing calculated: nothing goes back

    ASSERT_TRUE(form.takeOverPin(floatBits(8.0f)));
    EXPECT_EQ(form.mode(), DrillMode::Ream);
    EXPECT_EQ(form.text(DrillField::Diameter), "8.000");
    type(DrillField::Allowance, "0.2");
    type(DrillField::Chamfer, "1.2");
    ASSERT_TRUE(form.calculate(texts, messages));
    form.fillReturnRequest(request);
    EXPECT_EQ(request.value3, 1);
    EXPECT_EQ(formatNumber("%.4f", bitsFloat(request.value1)), "2.3434"); // 7.8 / (2 tan 59)
    EXPECT_EQ(formatNumber("%.4f", bitsFloat(request.value2)), "1.2000");

    form.setMode(DrillMode::Drill); // a drilled hole has no chamfer to hand back
    ASSERT_TRUE(form.calculate(texts, messages));
    form.fillReturnRequest(request);
    EXPECT_EQ(formatNumber("%.4f", bitsFloat(request.value1)), "2.4034");
    EXPECT_EQ(request.value2, 0);
}

TEST_F(DrillDepthsFormTest, RunInIsStoredAndReported)
{
    type(DrillField::RunIn, "2.5");
    type(DrillField::Diameter, "10");
    const DrillDepthsBlock block = form.store(false);
    EXPECT_EQ(block.runIn, 2.5f);
    DrillDepthsForm again(kUnitSystemMetric);
    again.fill(block);
    EXPECT_EQ(again.text(DrillField::RunIn), "2.500");
    again.calculate(texts, messages);
    const std::string report = again.reportText(texts, kLanguageGerman, LocalDateTime {2025, 3, 7, 14, 5, 9});
    EXPECT_NE(report.find("*Sicherheitswert [mm]\t: 0.00\r\n*Anlauf la [mm]\t: 2.50\r\n"), std::string::npos) << report;

    // A block stored before the field existed has zeros there; a damaged one anything.
    DrillDepthsBlock older = block;
    older.runIn = 0.0f;
    again.fill(older);
    EXPECT_EQ(again.text(DrillField::RunIn), "0.000");
    older.runIn = std::numeric_limits<float>::quiet_NaN();
    again.fill(older);
    EXPECT_EQ(again.text(DrillField::RunIn), "0.000");
}

TEST_F(DrillDepthsFormTest, ReportOfATappedHole)
{
    form.setMode(DrillMode::Tap);
    form.setThread(5);
    type(DrillField::Depth, "16");
    type(DrillField::TapLead, "3");
    type(DrillField::DrillStep, "0.5");
    form.calculate(texts, messages);
    const std::string report = form.reportText(texts, kLanguageGerman, LocalDateTime {2025, 3, 7, 14, 5, 9});
    const std::string expected = "*Gewinde Kernloch\r\n"
                                 "*Gewinde\t: M8x1.25 M\r\n"
                                 "*Bohrer D [mm]\t: 6.80\r\n"
                                 "*Anschnitt Gewindebohrer P x \t: 3.00\r\n"
                                 "*Tiefe [mm]\t: 16.00\r\n";
    EXPECT_NE(report.find(expected), std::string::npos) << report;
    EXPECT_NE(report.find("*Kernlochtiefe [mm]\t: 20.0000\r\n"), std::string::npos);
    EXPECT_NE(report.find("*Zugabe durch Aufrunden [mm]\t: 0.2500\r\n"), std::string::npos);
    EXPECT_EQ(report.find("*Reibtiefe"), std::string::npos);
}

} // namespace
} // namespace kvt
