// Dowel pins: every row of the pin tables, the depths with and without the drilling
// allowance, the optimum length, and the window form's lists, message, block and report.

#include "common/clock.h"
#include "common/float_bits.h"
#include "common/language_codes.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "common/units.h"
#include "design/dowel_pins/dowel_pins.h"
#include "design/dowel_pins/dowel_pins_form.h"
#include "state/app_message.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace kvt {
namespace {

using Strings = std::vector<std::string>;

std::string lengthsText(const MetricPinRow& row)
{
    std::string text;
    for (int length : row.lengths) {
        if (length == 0)
            break;
        text += (text.empty() ? "" : ",") + cformat("%i", length);
    }
    return text;
}

TEST(PinTables, MetricRowsWithTheirStandardLengths)
{
    const std::vector<std::tuple<const char*, const char*, const char*>> rows = {
        {"1.500", "1.425", "4,5,6,8,10,12,14,16,18,20"},
        {"2.000", "1.850", "4,5,6,8,10,12,14,16,18,20,22,25"},
        {"3.000", "2.850", "6,8,10,12,14,16,18,20,22,25,28,30,32,35,40,45,50"},
        {"4.000", "3.850", "8,10,12,14,16,18,20,22,25,28,30,32,35,40,45,50,55,60"},
        {"5.000", "4.800", "5,6,8,10,12,14,16,18,20,22,25,28,30,32,35,40,45,50,55,60"},
        {"6.000", "5.800", "6,8,10,12,14,16,18,20,22,25,28,30,32,35,40,45,50,55,60"},
        {"8.000", "7.800", "8,10,12,14,16,18,20,22,25,28,30,32,35,40,45,50,55,60,70,80"},
        {"10.000", "9.800", "10,12,14,16,18,20,22,25,28,30,32,35,40,45,50,55,60,70,80"},
        {"12.000", "11.800", "12,14,16,18,20,22,25,28,30,32,35,40,45,50,55,60,70,80,90,100"},
        {"16.000", "15.700", "16,18,20,22,25,28,30,32,35,40,45,50,55,60,70,80,90,100"},
        {"20.000", "19.700", "20,22,25,28,30,32,35,40,45,50,55,60,70,80,90,100,110,120"},
        {"25.000", "24.650", "25,28,30,32,35,40,45,50,55,60,70,80,90,100,110,120"},
    };
    ASSERT_EQ(metricPinRows().size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const MetricPinRow& row = metricPinRows()[i];
        SCOPED_TRACE(std::get<0>(rows[i]));
        EXPECT_EQ(formatNumber("%.3f", row.diameter), std::get<0>(rows[i]));
        EXPECT_EQ(formatNumber("%.3f", row.preDrill), std::get<1>(rows[i]));
        EXPECT_EQ(lengthsText(row), std::get<2>(rows[i]));
    }
}

TEST(PinTables, InchRowsAndTheirFractions)
{
    const std::vector<std::tuple<const char*, const char*, const char*, const char*>> rows = {
        {"1.590", "0.0625", "0.0595", "1/16"},
        {"1.980", "0.0781", "0.0785", "5/64"},
        {"2.380", "0.0938", "0.0935", "3/32"},
        {"3.170", "0.1250", "0.1200", "1/8"},
        {"3.970", "0.1562", "0.1570", "5/32"},
        {"4.760", "0.1875", "0.1850", "3/16"},
        {"4.760", "0.1875", "0.1850", "3/16"},
        {"5.556", "0.2188", "0.2210", "7/32"},
        {"6.350", "0.2500", "0.2344", "1/4"},
        {"7.940", "0.3125", "0.2812", "5/16"},
        {"9.520", "0.3750", "0.3437", "3/8"},
        {"11.110", "0.4375", "0.3906", "7/16"},
        {"12.700", "0.5000", "0.4531", "1/2"},
        {"15.880", "0.6250", "0.5937", "5/8"},
        {"19.050", "0.7500", "0.7031", "3/4"},
        {"22.230", "0.8750", "0.8281", "7/8"},
        {"25.400", "1.0000", "0.9219", "1"},
    };
    ASSERT_EQ(inchPinRows().size(), rows.size());
    const Strings shown = DowelPinsForm(kUnitSystemInch).diameterTexts();
    ASSERT_EQ(shown.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const InchPinRow& row = inchPinRows()[i];
        SCOPED_TRACE(std::get<0>(rows[i]));
        EXPECT_EQ(formatNumber("%.3f", row.diameter), std::get<0>(rows[i]));
        EXPECT_EQ(formatNumber("%.4f", row.inches), std::get<1>(rows[i]));
        EXPECT_EQ(formatNumber("%.4f", row.preDrillInches), std::get<2>(rows[i]));
        EXPECT_EQ(shown[i], std::get<3>(rows[i]));
    }
    EXPECT_EQ(DowelPinsForm(kUnitSystemMetric).diameterTexts(),
        (Strings {"1.5", "2", "3", "4", "5", "6", "8", "10", "12", "16", "20", "25"}));
}

TEST(PinDepths, SafetyOnlyOnWorkpieceOneAndBoresOnlyWithAnAllowance)
{
    PinInput input {5.0, 15.0, 1.5, 0.5, 0.5, 0.0, 0.0, 0.2};
    auto depths = pinDepths(input);
    ASSERT_TRUE(depths);
    EXPECT_EQ(formatNumber("%6.3f", depths->pin1), " 7.500");
    EXPECT_EQ(formatNumber("%6.3f", depths->pin2), " 7.500");
    EXPECT_EQ(depths->total, 15.0);
    EXPECT_FALSE(depths->bores);

    input.drillAllowance = 1.0;
    input.reamAllowance = 0.5;
    depths = pinDepths(input);
    ASSERT_TRUE(depths);
    EXPECT_TRUE(depths->bores);
    EXPECT_EQ(formatNumber("%6.3f", depths->drill1), " 9.200");
    EXPECT_EQ(formatNumber("%6.3f", depths->drill2), " 9.000");
    EXPECT_EQ(formatNumber("%6.3f", depths->ream1), " 8.700");
    EXPECT_EQ(formatNumber("%6.3f", depths->ream2), " 8.500");

    input.factor = 0.0;
    EXPECT_FALSE(pinDepths(input));
}

TEST(OptimumPinLength, LongestNotAboveTwiceDiameterTimesFactor)
{
    auto lengthAt = [](std::size_t row, double factor) -> int {
        const MetricPinRow& pins = metricPinRows()[row];
        const auto chosen = optimumPinLength(pins.lengths, pins.diameter, factor);
        return chosen ? pins.lengths[*chosen] : 0;
    };
    EXPECT_EQ(lengthAt(5, 1.5), 18); // 6 mm: target 18, candidates 8 to 18
    EXPECT_EQ(lengthAt(4, 2.2), 22); // 5 mm: 22
    EXPECT_EQ(lengthAt(4, 2.3), 22); // target 23: the longest not above it
    EXPECT_EQ(lengthAt(4, 0.4), 0); // target 4: shorter than every 5 mm pin
    EXPECT_EQ(lengthAt(0, 10.0), 20); // 1.5 mm: target 30, 20 is the longest within 10
    EXPECT_EQ(lengthAt(0, 11.0), 0); // target 33: 20 is more than 10 below
    EXPECT_EQ(lengthAt(4, 0.0), 0);
}

class DowelPinsFormTest : public ::testing::Test {
protected:
    BuiltinTexts texts;
    DowelPinsForm form {kUnitSystemMetric};
    std::vector<MessageBoxRequest> messages;

    void type(PinField field, const char* text)
    {
        std::string t = text;
        form.setText(field, t);
    }
    Strings results() const
    {
        Strings all;
        for (int i = 0; i < kPinResultCount; ++i)
            all.push_back(form.result(static_cast<PinResult>(i)));
        return all;
    }
};

TEST_F(DowelPinsFormTest, StartValuesAndDepths)
{
    EXPECT_EQ(form.diameterTexts()[static_cast<std::size_t>(form.diameter())], "5");
    EXPECT_EQ(form.text(PinField::Length), "15.000");
    EXPECT_EQ(form.text(PinField::Factor), "1.500");
    form.setSafety(0.2f);
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_EQ(results(), (Strings {" 7.500", " 7.500", "", "", "", ""}));
    type(PinField::DrillAllowance, "1");
    type(PinField::ReamAllowance, "0.5");
    EXPECT_TRUE(form.calculate(texts, messages));
    EXPECT_EQ(results(), (Strings {" 7.500", " 7.500", " 9.200", " 9.000", " 8.700", " 8.500"}));

    type(PinField::Factor, "0");
    EXPECT_FALSE(form.calculate(texts, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "*D / L Faktor darf nicht 0 sein");
    EXPECT_EQ(messages[0].caption, "*ERROR");
}

TEST_F(DowelPinsFormTest, OptimumLengthIsChosenAndMarked)
{
    form.setDiameter(5); // 6 mm
    EXPECT_TRUE(form.chooseOptimumLength());
    EXPECT_EQ(form.text(PinField::Length), "18.000");
    const Strings lengths = form.lengthTexts(texts);
    ASSERT_EQ(lengths.size(), 19u);
    EXPECT_EQ(lengths[6], "18* D/L Opt.");
    EXPECT_EQ(lengths[7], "20");
    form.setDiameter(4);
    EXPECT_EQ(form.lengthTexts(texts)[0], "5"); // the mark belongs to the other diameter
    type(PinField::Factor, "0.4");
    EXPECT_FALSE(form.chooseOptimumLength());
    EXPECT_EQ(form.text(PinField::Length), "18.000"); // stays
    form.chooseLength(2);
    EXPECT_EQ(form.text(PinField::Length), "8.000");
}

TEST_F(DowelPinsFormTest, InchStartValuesAndBlock)
{
    DowelPinsForm inch(kUnitSystemInch);
    EXPECT_EQ(inch.diameterTexts()[static_cast<std::size_t>(inch.diameter())], "1/4");
    EXPECT_EQ(inch.text(PinField::Length), "0.500");
    EXPECT_EQ(inch.text(PinField::Extra1), "0.020");
    EXPECT_TRUE(inch.lengthTexts(texts).empty());
    EXPECT_EQ(inch.diameterDisplay(), 0.25);

    form.setDiameter(7);
    type(PinField::DrillAllowance, "2.5");
    const DowelPinsBlock block = form.store(true);
    DowelPinsForm again(kUnitSystemMetric);
    EXPECT_EQ(again.fill(block), std::optional<bool>(true));
    EXPECT_EQ(again.diameter(), 7);
    EXPECT_EQ(again.text(PinField::DrillAllowance), "2.500");
    DowelPinsBlock damaged = block;
    damaged.diameter = 40;
    damaged.values[0] = std::numeric_limits<float>::quiet_NaN();
    DowelPinsForm third(kUnitSystemMetric);
    third.fill(damaged);
    EXPECT_EQ(third.diameter(), 4);
    EXPECT_EQ(third.text(PinField::Length), "0.000");
}

TEST_F(DowelPinsFormTest, DrillDepthsRequestAndTheAllowancesBack)
{
    OpenRequest request;
    form.setDiameter(5);
    form.fillDrillDepthsRequest(request);
    EXPECT_EQ(request.originPage, 127);
    EXPECT_EQ(bitsFloat(request.value1), 6.0f);
    DowelPinsForm inch(kUnitSystemInch);
    inch.fillDrillDepthsRequest(request);
    EXPECT_EQ(bitsFloat(request.value1), 0.25f);

    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    struct Back {
        int valid;
        float point, chamfer; // mm
        bool taken;
        const char *t, *r;
    };
    const Back backs[] = {
        {1, 1.7425f, 1.0f, true, "1.742", "1.000"},
        {1, 2.5f, 0.0f, true, "2.500", "0.300"}, // drilled: r stays
        {0, 1.7425f, 1.0f, false, "0.400", "0.300"}, // back without a calculation
        {1, kNaN, 1.0f, false, "0.400", "0.300"},
        {1, 1.0f, -1.0f, false, "0.400", "0.300"},
    };
    for (const Back& back : backs) {
        type(PinField::DrillAllowance, "0.400");
        type(PinField::ReamAllowance, "0.300");
        EXPECT_EQ(form.takeBackAllowances(floatBits(back.point), floatBits(back.chamfer), back.valid), back.taken);
        EXPECT_EQ(form.text(PinField::DrillAllowance), back.t) << back.point;
        EXPECT_EQ(form.text(PinField::ReamAllowance), back.r) << back.chamfer;
    }
    EXPECT_TRUE(inch.takeBackAllowances(floatBits(1.7887f), floatBits(0.508f), 1));
    EXPECT_EQ(inch.text(PinField::DrillAllowance), "0.070");
    EXPECT_EQ(inch.text(PinField::ReamAllowance), "0.020");
}

TEST_F(DowelPinsFormTest, ReportLines)
{
    type(PinField::DrillAllowance, "1");
    form.calculate(texts, messages);
    const std::string report = form.reportText(texts, kLanguageGerman, LocalDateTime {2025, 3, 7, 14, 5, 9});
    EXPECT_NE(report.find("*Verstiftungen\r\n*Durchmesser Zylinderstift [mm]\t:  5.000\r\n*Länge [mm]\t: 15.000\r\n"
                          "*D/L Faktor der 1. Bohrung\t:  1.500\r\n"),
        std::string::npos)
        << report;
    EXPECT_NE(report.find("*Bohrtiefe WS 1 [mm]\t:  9.000\r\n"), std::string::npos) << report;
}

} // namespace
} // namespace kvt
