#include "common/number_lists.h"

#include "common/fakes.h"

#include <gtest/gtest.h>

#include <limits>

namespace kvt {
namespace {

using test::ModuleTexts;
using test::RecordingMessageBoxes;

TEST(ScanNumbers, SeparatorsAndSigns)
{
    const std::pair<std::string, std::vector<std::int32_t>> cases[] = {
        {"100 200 315 500", {100, 200, 315, 500}},
        {"100, 200;315", {100, 200, 315}},
        {"10-20", {10, -20}},
        {"-5 x-7", {-5, -7}},
        {"- 5", {5}},
        {"Drehzahlen 100", {100}},
        {"12.5", {12, 5}},
        {"", {}},
        {"abc", {}},
        {"99999999999", {std::numeric_limits<std::int32_t>::max()}},
    };
    for (const auto& [text, numbers] : cases)
        EXPECT_EQ(scanNumbers(text), numbers) << '"' << text << '"';
}

TEST(ExtractNumbers, FillsAtMostTheDestination)
{
    BuiltinTexts texts;
    RecordingMessageBoxes boxes;
    std::int32_t speeds[4] = {0, 0, 0, -1};
    EXPECT_EQ(
        extractNumbers("100 200 315 500 630", std::span(speeds, 3), NumberListVariant::SpindleSpeeds, texts, boxes), 3);
    EXPECT_EQ(speeds[2], 315);
    EXPECT_EQ(speeds[3], -1);

    float plates[3] = {};
    EXPECT_EQ(extractNumbers("15, 16;17", std::span(plates), NumberListVariant::DividingPlates, texts, boxes), 3);
    EXPECT_FLOAT_EQ(plates[1], 16.0f);
    EXPECT_TRUE(boxes.shown.empty());
}

struct UmlautCase {
    NumberListVariant variant;
    const char* caption;
};

class UmlautMessageTest : public ::testing::TestWithParam<UmlautCase> { };

TEST_P(UmlautMessageTest, RefusesTheWholeList)
{
    BuiltinTexts texts;
    RecordingMessageBoxes boxes;
    float values[4] = {9, 9, 9, 9};
    EXPECT_EQ(extractNumbers("Größe 100 200", std::span(values), GetParam().variant, texts, boxes), 0);
    EXPECT_FLOAT_EQ(values[0], 9.0f);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Umlaute in String. Zahlen können nicht extrahiert werden");
    EXPECT_EQ(boxes.shown[0].caption, GetParam().caption);
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
}

INSTANTIATE_TEST_SUITE_P(Captions, UmlautMessageTest,
    ::testing::Values(UmlautCase {NumberListVariant::Floats, "QXF GetNumbersOoutofTCHAR_Int"},
        UmlautCase {NumberListVariant::DividingPlates, "QXF GetNumbersOoutofTCHAR_Int_MEGA_TK"},
        UmlautCase {NumberListVariant::Parallels, "QXF GetNumbersOoutofTCHAR_IntPSVersionMEGA"},
        UmlautCase {NumberListVariant::SpindleSpeeds, "QXF GetNumbersOoutofTCHAR_IntDrehzahlenMega"},
        UmlautCase {NumberListVariant::CheckedField, "QXF GetNumbersOoutofTCHAR_Int"}));

TEST(ExtractNumbers, UmlautMessageFromTheLanguageModule)
{
    ModuleTexts texts;
    RecordingMessageBoxes boxes;
    std::int32_t values[2] = {};
    for (const char* text : {"ä", "Ä", "ö", "Ö", "ü", "Ü"})
        EXPECT_EQ(extractNumbers(text, std::span(values), NumberListVariant::Parallels, texts, boxes), 0) << text;
    ASSERT_EQ(boxes.shown.size(), 6u);
    EXPECT_EQ(boxes.shown[0].text, "text 67563");
    EXPECT_EQ(boxes.shown[0].caption, "text 67557");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Information);
}

struct CheckedCase {
    const char* name;
    std::string text;
    bool fractionAllowed;
    int inputClass;
    float value;
    bool isFraction;
};

class CheckedFieldTest : public ::testing::TestWithParam<CheckedCase> { };

TEST_P(CheckedFieldTest, ReadsDecimalsAndFractions)
{
    const CheckedCase& c = GetParam();
    BuiltinTexts texts;
    RecordingMessageBoxes boxes;
    FractionInput window {"stale", true};
    std::string text = c.text;
    float result = -1.0f;
    EXPECT_TRUE(validateFieldWithMessage(window, text, c.fractionAllowed, c.inputClass, result, texts, boxes));
    EXPECT_FLOAT_EQ(result, c.value);
    EXPECT_EQ(window.isFraction, c.isFraction);
    EXPECT_EQ(window.fractionText, c.isFraction ? c.text : "");
    EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Values, CheckedFieldTest,
    ::testing::Values(CheckedCase {"Decimal", "2,5", false, 1, 2.5f, false},
        CheckedCase {"DecimalWithFractionFlag", "2.5", true, 9, 2.5f, false},
        CheckedCase {"MixedFraction", "1 3/4", true, 9, 1.75f, true},
        CheckedCase {"BlanksAroundSlash", "1 3 / 4", true, 9, 1.75f, true},
        CheckedCase {"PlainFraction", "3/4", true, 9, 0.75f, true},
        CheckedCase {"ThirdsRounded", "2 2/3", true, 9, 2.667f, true},
        CheckedCase {"ZeroDenominator", "1 3/0", true, 9, 1.0f, true},
        CheckedCase {"NegativeMixedFraction", "-1 1/2", true, 10, -1.5f, true},
        CheckedCase {"LeadingBlanksBeforeANegativeFraction", " -1 1/2", true, 10, -1.5f, true},
        CheckedCase {"SlashInTheWrongPlace", "1/3 4", true, 9, 1.0f, false},
        CheckedCase {"Empty", "", true, 9, 0.0f, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckedField, IllegalCharacterIsReported)
{
    BuiltinTexts texts;
    RecordingMessageBoxes boxes;
    FractionInput window;
    std::string text = "12a";
    float result = 5.0f;
    EXPECT_FALSE(validateFieldWithMessage(window, text, true, 9, result, texts, boxes));
    EXPECT_EQ(text, "12");
    EXPECT_EQ(result, 0.0f);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Unerlaubte Zeichen im Eingabefeld!");
    EXPECT_EQ(boxes.shown[0].caption, "ERROR");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);

    ModuleTexts module;
    text = "x";
    validateFieldWithMessage(window, text, false, 1, result, module, boxes);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "text 67565");
    EXPECT_EQ(boxes.shown[1].caption, "text 67557");
    EXPECT_EQ(boxes.shown[1].icon, MessageIcon::Information);
}

} // namespace
} // namespace kvt
