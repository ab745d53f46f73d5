#include "common/number_format.h"

#include "locale_test_support.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <limits>
#include <string>

namespace kvt {
namespace {

struct FloatCase {
    const char* format;
    double value;
};

// Where printf in the C locale is right, the formatter must agree with it byte for byte.
TEST(NumberFormat, FloatingConversionsAgreeWithPrintfInTheCLocale)
{
    const FloatCase cases[] = {
        {"%6.3f", 954.8},
        {"%6.3f", 150.796447},
        {"%6.4f", 0.03125},
        {"%.4f", 2.00005}, // the binary value lies below the half: rounds down as printf does
        {"%8.3f", -12.3456},
        {"%-8.2f|", 3.14159},
        {"%+.1f", 2.25},
        {"% .2f", 1.0},
        {"%010.3f", -3.5},
        {"%.0f", 2.5},
        {"%.0f", 3.5},
        {"%#.0f", 3.0},
        {"%f", 1e20},
        {"%.3f", 1e308},
        {"%e", 12345.678},
        {"%.2E", 0.000123},
        {"%g", 0.0001},
        {"%g", 123456789.0},
        {"%.3g", 1.5},
        {"%G", 1e-10},
        {"%8.3f", 379.5},
        {"%.0f", 87.5},
    };
    const test::NumericLocaleRestorer restorer;
    std::setlocale(LC_NUMERIC, "C");
    for (const FloatCase& c : cases) {
        char expected[512];
        std::snprintf(expected, sizeof expected, c.format, c.value);
        EXPECT_EQ(formatNumber(c.format, c.value), expected) << c.format << " of " << c.value;
    }
}

TEST(NumberFormat, IntegerConversionsAgreeWithPrintf)
{
    struct Case {
        const char* format;
        long long value;
    };
    const Case cases[] = {
        {"%04i", 7},
        {"%04i", -7},
        {"%3d", 499},
        {"%03d", 5},
        {"%-5d|", 42},
        {"%+d", 0},
        {"%.3d", 9},
        {"%x", 255},
        {"%X", 0xBEEF},
        {"%#x", 255},
        {"%o", 8},
        {"%lld", std::numeric_limits<long long>::min()},
    };
    for (const Case& c : cases) {
        char expected[128];
        std::snprintf(expected, sizeof expected, c.format, c.value);
        std::string format = c.format;
        if (format.find("ll") == std::string::npos) {
            // The printf reference needs the matching length for a long long argument.
            format.insert(format.find_first_of("diuxXo"), "ll");
            std::snprintf(expected, sizeof expected, format.c_str(), c.value);
        }
        EXPECT_EQ(cformat(c.format, c.value), expected) << c.format;
    }
}

TEST(NumberFormat, ValuesThatRoundToZeroNeverShowAMinus)
{
    EXPECT_EQ(formatNumber("%6.3f", -0.0), " 0.000");
    EXPECT_EQ(formatNumber("%.3f", -0.0004), "0.000");
    EXPECT_EQ(formatNumber("%.3f", -0.0005), "-0.001");
    EXPECT_EQ(formatNumber("%.0f", -0.4), "0");
    EXPECT_EQ(formatNumber("%e", -0.0), "0.000000e+00");
    EXPECT_EQ(formatFixed(-0.0, 3), "0.000");
}

TEST(NumberFormat, MixedTextsAndArgumentsOfAnotherKind)
{
    EXPECT_EQ(cformat("%04i X: %8.3f Y: %8.3f", 3, 12.5, -7.25), "0003 X:   12.500 Y:   -7.250");
    EXPECT_EQ(cformat("%s=%d%%", "n", 400), "n=400%");
    EXPECT_EQ(cformat("%.3s|%5s|%-3c|", std::string("abcdef"), "ab", 'x'), "abc|   ab|x  |");
    // A float through %d truncates; values out of range saturate instead of wrapping.
    EXPECT_EQ(cformat("%d", 3.9), "3");
    EXPECT_EQ(cformat("%d", -3.9), "-3");
    EXPECT_EQ(cformat("%d", 1e30), "9223372036854775807");
    EXPECT_EQ(cformat("%d", std::numeric_limits<double>::quiet_NaN()), "0");
    EXPECT_EQ(cformat("%.2f", 7), "7.00");
    EXPECT_EQ(cformat("%u", 4000000000u), "4000000000");
    // Missing arguments print nothing; surplus ones are ignored; odd directives stay as text.
    EXPECT_EQ(cformat("a%db%dc", 1), "a1bc");
    EXPECT_EQ(cformat("%d", 1, 2), "1");
    EXPECT_EQ(cformat("%*d|%k|100%", 5), "%*d|%k|100%");
    EXPECT_EQ(formatNumber("%f", std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(formatNumber("%5.1f", -std::numeric_limits<double>::infinity()), " -inf");
    EXPECT_EQ(formatFixed(1.5, 3), "1.500");
    EXPECT_EQ(formatFixed(2.0, 0), "2");
}

// The reason the formatter exists: whatever LC_NUMERIC says, the point stays. The run
// under the German locale has printf write a decimal comma here.
TEST(NumberFormat, IgnoresTheProcessLocale)
{
    if (test::germanLocaleRun()) {
        ASSERT_EQ(test::printfOneAndAHalf(), "1,5");
    }
    EXPECT_EQ(formatNumber("%6.3f", 954.8), "954.800");
    EXPECT_EQ(formatNumber("%6.4f", 0.03126), "0.0313");
    EXPECT_EQ(formatNumber("%8.1f", -2.25), "    -2.2");
    EXPECT_EQ(formatFixed(150.796447, 3), "150.796");
    EXPECT_EQ(cformat("%.4f;%e;%g;%.2E", 0.5, 1500.0, 0.25, 0.000123), "0.5000;1.500000e+03;0.25;1.23E-04");
    EXPECT_EQ(cformat("%d|%04i|%s", 1234567, 7, "2.5"), "1234567|0007|2.5");
}

} // namespace
} // namespace kvt
