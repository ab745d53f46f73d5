#include "calclib/calculators.h"

#include "common/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>

namespace kvt::calc {
namespace {

std::string f(std::string_view format, double value)
{
    return formatNumber(format, value);
}

TEST(CalculatorsTest, DecimalAngleToDegreesMinutesSeconds)
{
    struct Case {
        double angle;
        int d, m, s;
    };
    const Case cases[] = {
        {12.5, 12, 30, 0},
        {12.51, 12, 30, 36}, // 0.51 is 0.50999... in binary
        {0.0, 0, 0, 0},
        {359.9999, 359, 59, 59},
        {45.25, 45, 15, 0},
        {-12.5, -12, 30, 0},
        {-0.25, 0, -15, 0},
    };
    for (const Case& c : cases) {
        const DegreesMinutesSeconds dms = decimalToDms(c.angle);
        EXPECT_EQ(dms.degrees, c.d) << c.angle;
        EXPECT_EQ(dms.minutes, c.m) << c.angle;
        EXPECT_EQ(dms.seconds, c.s) << c.angle;
    }
}

TEST(CalculatorsTest, DegreesMinutesSecondsToDecimal)
{
    EXPECT_EQ(f("%6.2f", dmsToDecimal(12, 30, 36)), " 12.51");
    EXPECT_EQ(f("%6.2f", dmsToDecimal(0, 0, 0)), "  0.00");
    EXPECT_EQ(f("%6.2f", dmsToDecimal(-12, 30, 36)), "-12.51");
}

TEST(CalculatorsTest, RoundingCutsAfterAddingHalfAUnit)
{
    EXPECT_DOUBLE_EQ(roundTo(2.675, 2), 2.68); // 2.67499999... in binary
    EXPECT_DOUBLE_EQ(roundTo(0.0985, 3), 0.099);
    EXPECT_DOUBLE_EQ(roundTo(0.0984999, 3), 0.098);
    EXPECT_DOUBLE_EQ(roundTo(-2.675, 2), -2.68);
    EXPECT_DOUBLE_EQ(roundTo(1.0, 5), 1.0);
}

TEST(CalculatorsTest, TwentyMillimetresIsAnEstimateOf101Of128)
{
    const FractionResult r = mmToFraction(20.0);
    EXPECT_EQ(r.fraction.whole, 0);
    EXPECT_EQ(r.fraction.numerator, 101);
    EXPECT_EQ(r.fraction.denominator, 128);
    // 101/128 inch is 20.0422277 mm: rounded to five decimals and shown with four.
    EXPECT_EQ(f("%7.4f", r.back), "20.0422");
    EXPECT_TRUE(r.estimated);
}

TEST(CalculatorsTest, FractionRuleWholeInchesAndReduction)
{
    struct Case {
        double mm;
        int whole, n, d;
        bool estimated;
    };
    const Case cases[] = {
        {0.0, 0, 0, 0, false}, {25.400051, 1, 0, 0, false}, // exactly one inch: no fraction
        {12.7000255, 0, 1, 2, false}, // half an inch reduces to 1/2
        {6.35001275, 0, 1, 4, false}, {38.1000765, 1, 1, 2, false},
        {25.3, 1, 0, 0, true}, // 127.49 128ths round up to 1/1: one whole inch, 0.004 off
        {50.8, 2, 0, 0, false}, // a hair below two inches
        {0.0975, 0, 0, 0, true}, // 0.098 mm: 49.88 hundredths of a 128th, rounds to 0
        {0.0985, 0, 1, 128, true}, // 0.099 mm: 50.38, rounds to 1 (the half rounds up)
    };
    for (const Case& c : cases) {
        const FractionResult r = mmToFraction(c.mm);
        EXPECT_EQ(r.fraction.whole, c.whole) << c.mm;
        EXPECT_EQ(r.fraction.numerator, c.n) << c.mm;
        EXPECT_EQ(r.fraction.denominator, c.d) << c.mm;
        EXPECT_EQ(r.estimated, c.estimated) << c.mm;
    }
}

// The rule written out a second way, on whole thousandths of a millimetre.
InchFraction reference128ths(long thousandths)
{
    InchFraction fr;
    long whole = 0;
    while ((whole + 1) * 25.400051 <= thousandths / 1000.0 + 1e-12)
        ++whole;
    const double restMm = thousandths / 1000.0 - whole * 25.400051;
    const long rest = std::lround(std::floor((restMm + 0.0005) * 1000.0 + 1e-7));
    const long hundredths = static_cast<long>(std::floor(rest * 0.503937 + 0.5 + 1e-7));
    const long n = (hundredths + 50) / 100;
    fr.whole = static_cast<int>(whole);
    if (n >= 128) {
        fr.whole += 1;
        return fr;
    }
    if (n == 0)
        return fr;
    const long g = std::gcd(n, 128L);
    fr.numerator = static_cast<int>(n / g);
    fr.denominator = static_cast<int>(128 / g);
    return fr;
}

TEST(CalculatorsTest, FractionRuleAgreesWithASecondComputation)
{
    int checked = 0;
    for (long t = 0; t <= 80000; t += 7) {
        const InchFraction got = fractionOf128ths(t / 1000.0);
        const InchFraction want = reference128ths(t);
        ASSERT_EQ(got.whole, want.whole) << t;
        ASSERT_EQ(got.numerator, want.numerator) << t;
        ASSERT_EQ(got.denominator, want.denominator) << t;
        // Never further than half a 128th (and the rule's cuts) from the exact length.
        const double value = got.numerator ? got.whole + double(got.numerator) / got.denominator : got.whole;
        ASSERT_LE(std::fabs(value - t / 1000.0 / kMmPerInch), 1.0 / 256 + 0.0001) << t;
        ++checked;
    }
    EXPECT_GT(checked, 10000);
}

TEST(CalculatorsTest, DecimalInchToFraction)
{
    const FractionResult half = decimalInchToFraction(0.5);
    EXPECT_EQ(half.fraction.numerator, 1);
    EXPECT_EQ(half.fraction.denominator, 2);
    EXPECT_EQ(f("%7.4f", half.back), " 0.5000");
    EXPECT_FALSE(half.estimated);

    const FractionResult third = decimalInchToFraction(1.3333);
    EXPECT_EQ(third.fraction.whole, 1);
    EXPECT_EQ(third.fraction.numerator, 43);
    EXPECT_EQ(third.fraction.denominator, 128);
    EXPECT_EQ(f("%7.4f", third.back), " 1.3359");
    EXPECT_TRUE(third.estimated);

    const FractionResult whole = decimalInchToFraction(2.0);
    EXPECT_EQ(whole.fraction.whole, 2);
    EXPECT_EQ(whole.fraction.numerator, 0);
    EXPECT_EQ(whole.fraction.denominator, 0);
}

TEST(CalculatorsTest, FractionBackToMillimetresAndInches)
{
    EXPECT_EQ(f("%6.2f", *fractionToMm(0, 101, 128)), " 20.04"); // 0.789 rounded first
    EXPECT_DOUBLE_EQ(*fractionToMm(0, 101, 128), 20.04064);
    EXPECT_EQ(f("%7.4f", *fractionToInch(1, 1, 2)), " 1.5000");
    EXPECT_EQ(f("%7.4f", *fractionToInch(0, 101, 128)), " 0.7890");
    EXPECT_EQ(f("%7.4f", *fractionToInch(2, 0, 0)), " 2.0000"); // whole inches as calculator 4 gives them
    EXPECT_FALSE(fractionToMm(1, 3, 0));
    EXPECT_FALSE(fractionToInch(1, 3, 0));
}

TEST(CalculatorsTest, UnitConversions)
{
    EXPECT_EQ(f("%6.2f", mmToInch(25.4)), "  1.00");
    EXPECT_DOUBLE_EQ(mmToInch(20.0), 0.7874);
    EXPECT_DOUBLE_EQ(inchToMm(1.0), 25.40005);
    EXPECT_EQ(f("%6.2f", inchToMm(2.0)), " 50.80");
    EXPECT_DOUBLE_EQ(nmToFootPounds(100.0), 73.756);
    EXPECT_EQ(f("%6.2f", nmToFootPounds(100.0)), " 73.76");
    EXPECT_DOUBLE_EQ(footPoundsToNm(100.0), 135.582);
    EXPECT_EQ(f("%6.2f", footPoundsToNm(10.0)), " 13.56");
}

TEST(CalculatorsTest, DwellTime)
{
    EXPECT_EQ(dwellMilliseconds(1000, 3), 180);
    EXPECT_EQ(dwellMilliseconds(7, 1), 8571); // 8571.43
    EXPECT_EQ(dwellMilliseconds(80, 1), 750);
    EXPECT_EQ(dwellMilliseconds(0, 3), std::nullopt);
    EXPECT_EQ(dwellMilliseconds(1000, 0), std::nullopt);
    EXPECT_EQ(dwellMilliseconds(1e-30, 3), std::nullopt); // would not fit a whole number
}

TEST(CalculatorsTest, TorqueOffsets)
{
    EXPECT_EQ(f("%6.2f", *torqueOffsetV1(100, 60, 40)), " 60.00");
    EXPECT_FALSE(torqueOffsetV1(100, 0, 40));
    EXPECT_FALSE(torqueOffsetV1(100, 60, 0));
    EXPECT_FALSE(torqueOffsetV1(100, 60, -60));

    EXPECT_EQ(f("%6.2f", *torqueOffsetV2(100, 60, 20, 40, 0)), " 75.00"); // k = 40 + 40
    EXPECT_EQ(f("%6.2f", *torqueOffsetV2(100, 60, 0, 40, 0)), " 60.00"); // k = 60 + 40
    EXPECT_EQ(f("%6.2f", *torqueOffsetV2(100, 60, 20, 40, 20)), " 60.00"); // k = 40 + 40 + 20
    EXPECT_FALSE(torqueOffsetV2(100, 60, 20, 0, 0));
    EXPECT_FALSE(torqueOffsetV2(100, 20, 40, 20, 0)); // k = 0
}

TEST(CalculatorsTest, ThermalExpansion)
{
    const ThermalResult steel = thermalExpansion(1000, 20, 70, 11.5);
    ASSERT_EQ(steel.error, ThermalError::None);
    EXPECT_EQ(f("%6.3f", steel.value.change), " 0.575");
    EXPECT_EQ(f("%6.3f", steel.value.newLength), "1000.575");
    EXPECT_EQ(f("%6.6f", *steel.value.ratio), "1.000575");

    const ThermalResult cooled = thermalExpansion(1000, 20, -180, 11.5); // cooling has no limit
    ASSERT_EQ(cooled.error, ThermalError::None);
    EXPECT_EQ(f("%6.3f", cooled.value.change), "-2.300");

    EXPECT_EQ(thermalExpansion(1000, 20, 120, 11.5).error, ThermalError::None); // 100 K: on the edge
    EXPECT_EQ(thermalExpansion(1000, 20, 120.01, 11.5).error, ThermalError::RiseTooLarge);
    EXPECT_EQ(thermalExpansion(1000, -50, 60, 11.5).error, ThermalError::RiseTooLarge);
    EXPECT_FALSE(thermalExpansion(0, 20, 70, 11.5).value.ratio);
}

TEST(CalculatorsTest, HolePitch)
{
    struct Case {
        double d1, d2, inner, outer;
        PitchError error;
        double pitch;
    };
    const Case cases[] = {
        {10, 10, 20, 0, PitchError::None, 30},
        {10, 10, 20, 40, PitchError::None, 30},
        {10, 10, 20, 40.001, PitchError::None, 30}, // within 0.001
        {10, 10, 20, 40.0011, PitchError::Contradiction, 0},
        {10, 10, 20, 41, PitchError::Contradiction, 0},
        {10, 10, 0, 40, PitchError::None, 30},
        {8, 12, 0, 40, PitchError::None, 30},
        {10, 10, 0, 0, PitchError::NothingGiven, 0},
    };
    for (const Case& c : cases) {
        const PitchResult r = holePitch(c.d1, c.d2, c.inner, c.outer);
        EXPECT_EQ(r.error, c.error) << c.inner << " " << c.outer;
        if (c.error == PitchError::None) {
            EXPECT_EQ(f("%6.2f", r.pitch), f("%6.2f", c.pitch)) << c.inner << " " << c.outer;
        }
    }
}

TEST(CalculatorsTest, HoleCentreFromTouchPoints)
{
    const HoleCentre c = holeCentre(-10, 30, 5, 45);
    EXPECT_EQ(f("%6.3f", c.centreX), "10.000");
    EXPECT_EQ(f("%6.3f", c.centreY), "25.000");
    EXPECT_EQ(f("%6.3f", c.diameterX), "40.000");
    EXPECT_EQ(f("%6.3f", c.diameterY), "40.000");
    EXPECT_EQ(f("%6.3f", c.meanDiameter), "40.000");
    EXPECT_EQ(f("%6.3f", holeCentre(0, 10, 0, 9).meanDiameter), " 9.500");
}

TEST(CalculatorsTest, DrillLetterInEitherCase)
{
    for (const char* text : {"f", "F", " f "}) {
        const auto size = usDrillSize(text);
        ASSERT_TRUE(size) << text;
        EXPECT_EQ(f("%7.4f", size->inches), " 0.2570");
        EXPECT_EQ(f("%7.4f", drillInchesToMm(size->inches)), " 6.5278");
        EXPECT_FALSE(size->clampedNumber);
    }
}

TEST(CalculatorsTest, DrillNumbersAboveTheTableAreTheSmallestDrill)
{
    for (const char* text : {"105", "120", "99999999999999999999999"}) {
        const auto size = usDrillSize(text);
        ASSERT_TRUE(size) << text;
        EXPECT_EQ(f("%7.4f", size->inches), " 0.0031") << text;
        EXPECT_EQ(size->clampedNumber, 104) << text;
    }
    EXPECT_FALSE(usDrillSize("104")->clampedNumber);
    for (const char* text : {"", "0", "ff", "1.5", "-3", "ä", "1a"})
        EXPECT_FALSE(usDrillSize(text)) << text;
}

TEST(CalculatorsTest, EveryDrillOfTheTable)
{
    const char* letters[26] = {"0.2340", "0.2380", "0.2420", "0.2460", "0.2500", "0.2570", "0.2610", "0.2660", "0.2720",
        "0.2770", "0.2810", "0.2900", "0.2950", "0.3020", "0.3160", "0.3230", "0.3320", "0.3390", "0.3480", "0.3580",
        "0.3680", "0.3770", "0.3860", "0.3970", "0.4040", "0.4130"};
    for (int i = 0; i < 26; ++i) {
        const std::string upper(1, static_cast<char>('A' + i));
        const std::string lower(1, static_cast<char>('a' + i));
        EXPECT_EQ(f("%7.4f", usDrillSize(upper)->inches), std::string(" ") + letters[i]) << upper;
        EXPECT_EQ(f("%7.4f", usDrillSize(lower)->inches), std::string(" ") + letters[i]) << lower;
    }
    const char* numbers[104] = {"0.2280", "0.2210", "0.2130", "0.2090", "0.2055", "0.2040", "0.2010", "0.1990",
        "0.1960", "0.1935", "0.1910", "0.1890", "0.1850", "0.1820", "0.1800", "0.1770", "0.1730", "0.1695", "0.1660",
        "0.1610", "0.1590", "0.1570", "0.1540", "0.1520", "0.1495", "0.1470", "0.1440", "0.1405", "0.1360", "0.1285",
        "0.1200", "0.1160", "0.1130", "0.1110", "0.1100", "0.1065", "0.1040", "0.1015", "0.0995", "0.0980", "0.0960",
        "0.0935", "0.0890", "0.0860", "0.0820", "0.0810", "0.0785", "0.0760", "0.0730", "0.0700", "0.0670", "0.0635",
        "0.0595", "0.0550", "0.0520", "0.0465", "0.0430", "0.0420", "0.0410", "0.0400", "0.0390", "0.0380", "0.0370",
        "0.0360", "0.0350", "0.0330", "0.0320", "0.0310", "0.0292", "0.0280", "0.0260", "0.0250", "0.0240", "0.0225",
        "0.0210", "0.0200", "0.0180", "0.0160", "0.0145", "0.0135", "0.0130", "0.0125", "0.0120", "0.0115", "0.0110",
        "0.0105", "0.0100", "0.0095", "0.0091", "0.0087", "0.0083", "0.0079", "0.0075", "0.0071", "0.0067", "0.0063",
        "0.0059", "0.0055", "0.0051", "0.0047", "0.0043", "0.0039", "0.0035", "0.0031"};
    for (int n = 1; n <= 104; ++n) {
        const auto size = usDrillSize(std::to_string(n));
        ASSERT_TRUE(size) << n;
        EXPECT_EQ(f("%7.4f", size->inches), std::string(" ") + numbers[n - 1]) << n;
    }
    EXPECT_DOUBLE_EQ(usDrillSize("104")->inches, 0.0031);
    EXPECT_EQ(f("%7.4f", drillInchesToMm(usDrillSize("1")->inches)), " 5.7912");
}

} // namespace
} // namespace kvt::calc
