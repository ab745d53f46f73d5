#include "common/field_validation.h"

#include "locale_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

#include <clocale>
#include <limits>
#include <string>

namespace kvt {
namespace {

struct CheckCase {
    const char* name;
    std::string text;
    bool integerField;
    int inputClass;
    bool error;
    CheckCode code;
    std::string textAfter;
};

class CheckCharactersTest : public ::testing::TestWithParam<CheckCase> { };

TEST_P(CheckCharactersTest, CutsAtTheOffendingCharacter)
{
    const CheckCase& c = GetParam();
    std::string text = c.text;
    const CharacterCheck check = checkCharacters(text, c.integerField, c.inputClass);
    EXPECT_EQ(check.error, c.error);
    EXPECT_EQ(check.code, c.code);
    EXPECT_EQ(text, c.textAfter);
}

INSTANTIATE_TEST_SUITE_P(Codes, CheckCharactersTest,
    ::testing::Values(CheckCase {"CommaIsPoint", "12,5", false, 1, false, CheckCode::None, "12.5"},
        CheckCase {"PointInIntegerField", "12.5", true, 1, true, CheckCode::PointInIntegerField, "12"},
        CheckCase {"AdjacentPoints", "1..5", false, 1, true, CheckCode::SecondPoint, "1."},
        CheckCase {"SecondPoint", "1.2.3", false, 1, true, CheckCode::SecondPoint, "1.2"},
        CheckCase {"SecondPointClass3", "1.2.3", false, 3, true, CheckCode::SecondPoint, "1.2"},
        CheckCase {"SecondCommaClass9", "1,2,3", false, 9, true, CheckCode::SecondPoint, "1.2"},
        CheckCase {"MinusClass1", "-3", false, 1, true, CheckCode::MinusNotAllowed, ""},
        CheckCase {"MinusClass3", "-3", false, 3, false, CheckCode::None, "-3"},
        CheckCase {"MinusClass4", "5-3", false, 4, true, CheckCode::MinusNotAllowed, "5"},
        CheckCase {"MinusClass9", "-3/4", false, 9, true, CheckCode::MinusNotAllowed, ""},
        CheckCase {"MinusClass10", "-1 3/4", false, 10, false, CheckCode::None, "-1 3/4"},
        CheckCase {"Letter", "3a", false, 1, true, CheckCode::CharacterNotAllowed, "3"},
        CheckCase {"PlusOutsideClass2", "+5", false, 3, true, CheckCode::CharacterNotAllowed, ""},
        CheckCase {"SlashOutsideClass9", "1/2", false, 1, true, CheckCode::CharacterNotAllowed, "1"},
        CheckCase {"MultiByteCutWhole", "12Ø5", false, 1, true, CheckCode::CharacterNotAllowed, "12"},
        CheckCase {"Class4NoPointChecks", "1.2.3", false, 4, false, CheckCode::None, "1.2.3"},
        CheckCase {"Class5NoPointChecks", "-1..2", false, 5, false, CheckCode::None, "-1..2"},
        CheckCase {"Class5IntegerRule", "1.2", true, 5, true, CheckCode::PointInIntegerField, "1"},
        CheckCase {"Class9NoIntegerRule", "1.5", true, 9, false, CheckCode::None, "1.5"},
        CheckCase {"Class6KeepsComma", "1,5x", false, 6, false, CheckCode::None, "1,5x"},
        CheckCase {"Class7ReplacesComma", "1,5x", false, 7, false, CheckCode::None, "1.5x"},
        CheckCase {"UnknownClassAcceptsAll", "a-b.c.d", true, 11, false, CheckCode::None, "a-b.c.d"},
        CheckCase {"Class2PlusBecomesMinus", "+5", false, 2, false, CheckCode::SignCode, "-5"},
        CheckCase {"Class2Positive", "5", false, 2, false, CheckCode::SignCode, "5"},
        CheckCase {"Class2Negative", "-5", false, 2, false, CheckCode::None, "-5"},
        CheckCase {"Class2Letter", "5x", false, 2, true, CheckCode::CharacterNotAllowed, "5"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FieldCase {
    const char* name;
    std::string text;
    int inputClass;
    ValueKind kind;
    bool valid;
    std::string textAfter; // what a window writes back when invalid
    double value; // the value of the kind
};

class ValidateFieldTest : public ::testing::TestWithParam<FieldCase> { };

TEST_P(ValidateFieldTest, ConvertsOrCuts)
{
    const FieldCase& c = GetParam();
    std::string text = c.text;
    ParseResult result;
    result.intValue = 77;
    result.floatValue = 77.0f;
    result.doubleValue = 77.0;
    result.prefix = "old";
    ASSERT_EQ(validateField(text, c.inputClass, c.kind, result), c.valid);
    if (!c.valid) {
        EXPECT_EQ(text, c.textAfter);
        return;
    }
    switch (c.kind) {
    case ValueKind::Integer:
    case ValueKind::IntegerWithPrefix:
        EXPECT_EQ(result.intValue, static_cast<std::int32_t>(c.value));
        EXPECT_EQ(result.floatValue, 0.0f);
        break;
    case ValueKind::Float:
        EXPECT_FLOAT_EQ(result.floatValue, static_cast<float>(c.value));
        // A zero must not come out as -0, which the field would show as "-0.000".
        EXPECT_EQ(std::signbit(result.floatValue), std::signbit(c.value));
        EXPECT_EQ(result.intValue, 0);
        break;
    case ValueKind::Double:
        EXPECT_DOUBLE_EQ(result.doubleValue, c.value);
        EXPECT_EQ(result.intValue, 0);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, ValidateFieldTest,
    ::testing::Values(FieldCase {"CommaFloat", "12,5", 1, ValueKind::Float, true, "", 12.5},
        FieldCase {"PointInInteger", "12.5", 1, ValueKind::Integer, false, "12", 0},
        FieldCase {"AdjacentPoints", "1..5", 1, ValueKind::Float, false, "1.", 0},
        FieldCase {"SecondPoint", "1.2.3", 1, ValueKind::Double, false, "1.2", 0},
        FieldCase {"MinusClass1", "-3", 1, ValueKind::Float, false, "", 0},
        FieldCase {"MinusClass3", "-3", 3, ValueKind::Double, true, "", -3},
        FieldCase {"BlanksRemovedBeforeCheck", " 1 2 ", 1, ValueKind::Integer, true, "", 12},
        FieldCase {"BlanksBeforeTheCut", " 1 a", 1, ValueKind::Integer, false, "1", 0},
        FieldCase {"Empty", "", 1, ValueKind::Float, true, "", 0},
        FieldCase {"Class2Magnitude", "5", 2, ValueKind::Float, true, "", -5},
        FieldCase {"Class2ExplicitPlus", "+5", 2, ValueKind::Float, true, "", 5},
        FieldCase {"Class2ExplicitMinus", "-5", 2, ValueKind::Float, true, "", -5},
        FieldCase {"Class2Zero", "0", 2, ValueKind::Float, true, "", 0},
        FieldCase {"Class2Comma", "2,5", 2, ValueKind::Float, true, "", -2.5},
        FieldCase {"IntegerSaturates", "99999999999", 1, ValueKind::Integer, true, "", 2147483647.0},
        FieldCase {"PrefixKindNumber", "123abc", 7, ValueKind::IntegerWithPrefix, true, "", 123}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ValidateField, PrefixKindKeepsTheFirstThreeCharacters)
{
    for (const auto& [text, prefix] : {std::pair {"T12x", "T12"}, {"Öl5", "Öl5"}, {"ab", "ab"}}) {
        std::string field = text;
        ParseResult result;
        ASSERT_TRUE(validateField(field, 7, ValueKind::IntegerWithPrefix, result));
        EXPECT_EQ(result.prefix, prefix) << text;
    }
}

TEST(ValidateField, TextIsCutToTheFieldBuffer)
{
    std::string text(400, '1');
    ParseResult result;
    EXPECT_TRUE(validateField(text, 4, ValueKind::Double, result));
    EXPECT_EQ(text.size(), kFieldTextLength - 1);
}

TEST(RemoveBlanks, TheLastBlankStays)
{
    const std::pair<std::string, std::string> cases[] = {
        {" 1 2 ", "12 "},
        {"1  ", "1 "},
        {"   ", " "},
        {"1 2 3", "123"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) {
        std::string text = in;
        removeBlanks(text);
        EXPECT_EQ(text, out) << '"' << in << '"';
    }
}

TEST(CollapseDoubleBlanks, RunsBecomeOneBlank)
{
    for (const auto& [in, out] : {std::pair {"a  b", "a b"}, {"a   b  c", "a b c"}, {" ", " "}, {"ab", "ab"}}) {
        std::string text = in;
        collapseDoubleBlanks(text);
        EXPECT_EQ(text, out);
    }
}

TEST(LeadingNumbers, ReadLikeTheRuntimeConversions)
{
    EXPECT_DOUBLE_EQ(leadingDouble("  2.5abc"), 2.5);
    EXPECT_DOUBLE_EQ(leadingDouble("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(leadingDouble("."), 0.0);
    EXPECT_DOUBLE_EQ(leadingDouble("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(leadingDouble("12 "), 12.0);
    EXPECT_DOUBLE_EQ(leadingDouble("inf"), 0.0);
    EXPECT_EQ(leadingDouble("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(leadingInt(" -42x"), -42);
    EXPECT_EQ(leadingInt("-99999999999"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(leadingInt("1.9"), 1);
}

// Qt programs run with the desktop's locale, where strtod would stop at the point. The
// run under the German locale (a decimal comma in force) is the one that tells.
TEST(LeadingNumbers, DoNotDependOnTheProcessLocale)
{
    if (test::germanLocaleRun()) {
        ASSERT_EQ(test::printfOneAndAHalf(), "1,5");
    }
    EXPECT_DOUBLE_EQ(leadingDouble("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(leadingDouble("-0.125mm"), -0.125);
    EXPECT_DOUBLE_EQ(leadingDouble("2,5"), 2.0);
    EXPECT_DOUBLE_EQ(leadingDouble("1.5e2"), 150.0);
}

} // namespace
} // namespace kvt
