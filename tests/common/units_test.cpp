#include "common/units.h"

#include "common/fakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace kvt {
namespace {

TEST(Units, InchAnchors)
{
    EXPECT_FLOAT_EQ(toDisplay(kUnitSystemInch, 1, 25.400051f), 1.0f);
    EXPECT_DOUBLE_EQ(toDisplay(kUnitSystemInch, 1, 25.400051), 1.0);
    EXPECT_FLOAT_EQ(toMetric(kUnitSystemInch, 1, 1.0f), 25.40005f);
    EXPECT_NEAR(toMetric(kUnitSystemInch, 1, 1.0), 25.40005, 1e-9);
    EXPECT_NEAR(toMetric(kUnitSystemInch, 5, 1.0), 25.40005, 1e-9);
    EXPECT_NEAR(toMetric(kUnitSystemInch, 6, 100.0), 30.48, 1e-9);
    EXPECT_NEAR(toDisplay(kUnitSystemInch, 6, 30.48), 100.0, 1e-9);
    // The double display of lengths has 4 decimals, everything else 5.
    EXPECT_NEAR(toDisplay(kUnitSystemInch, 1, 1.0), 0.0394, 1e-12);
    EXPECT_NEAR(toDisplay(kUnitSystemInch, 5, 1.0), 0.03937, 1e-12);
    EXPECT_FLOAT_EQ(toDisplay(kUnitSystemInch, 1, 1.0f), 0.03937f);
    // The shift-and-truncate rule cuts negative values towards zero.
    EXPECT_NEAR(toMetric(kUnitSystemInch, 5, -1.0), -25.40004, 1e-9);
}

TEST(Units, ValuesThatAreNotConverted)
{
    for (int kind : {1, 2, 3, 4, 5, 6, 7, 8, 15}) {
        EXPECT_EQ(toMetric(kUnitSystemMetric, kind, 12.345678f), 12.345678f) << kind;
        EXPECT_EQ(toDisplay(kUnitSystemMetric, kind, 12.345678), 12.345678) << kind;
    }
    for (int kind : {0, 2, 3, 4, 7, 8, 9999}) {
        EXPECT_EQ(toMetric(kUnitSystemInch, kind, 3.14159f), 3.14159f) << kind;
        EXPECT_EQ(toDisplay(kUnitSystemInch, kind, 3.14159), 3.14159) << kind;
    }
    EXPECT_EQ(toMetric(2, 1, 7.5), 7.5);
    EXPECT_EQ(toDisplay(-1, 1, 7.5f), 7.5f);
}

TEST(Units, HugeValuesAreLeftAlone)
{
    EXPECT_EQ(roundDecimals(1e30, 5), 1e30);
    EXPECT_TRUE(std::isinf(toMetric(kUnitSystemInch, 5, std::numeric_limits<double>::infinity())));
}

// Every converted value lies on the grid of its decimals and is the exact quotient
// rounded half up; a stored value shown and typed back in comes back unchanged.
TEST(Units, RoundTripsStayWithinTheRounding)
{
    std::mt19937 random(20250307);
    std::uniform_real_distribution<double> millimetres(0.0, 1000.0);
    std::uniform_int_distribution<int> hundredThousandths(0, 4'000'000);
    for (int i = 0; i < 20000; ++i) {
        const double mm = millimetres(random);
        for (int kind : {1, 5}) {
            const int decimals = kind == 1 ? 4 : 5;
            const double scale = std::pow(10.0, decimals);
            double exact = mm / kMillimetresPerInch;
            if (kind == 1)
                exact = static_cast<float>(exact);
            const double shown = toDisplay(kUnitSystemInch, kind, mm);
            ASSERT_NEAR(shown * scale, std::round(shown * scale), 1e-6) << mm;
            ASSERT_LE(std::fabs(shown - exact), 0.5 / scale + 1e-9) << mm << " kind " << kind;

            // Shown in inches and read back: within half a unit of the shown place.
            const double back = toMetric(kUnitSystemInch, kind, shown);
            ASSERT_LE(std::fabs(back - mm), 0.5 / scale * kMillimetresPerInch + 1e-4) << mm;

            const float shownFloat = toDisplay(kUnitSystemInch, kind, static_cast<float>(mm));
            const float backFloat = toMetric(kUnitSystemInch, kind, shownFloat);
            ASSERT_LE(std::fabs(backFloat - mm), 0.5e-5 * kMillimetresPerInch + 2e-5 + 4 * mm * 1.2e-7) << mm;
        }

        // Inch input with as many decimals as the display survives a trip through the store.
        const double inch = hundredThousandths(random) / 100000.0;
        ASSERT_NEAR(toDisplay(kUnitSystemInch, 5, toMetric(kUnitSystemInch, 5, inch)), inch, 1e-9) << inch;
        const double inch4 = std::trunc(inch * 10000.0) / 10000.0;
        ASSERT_NEAR(toDisplay(kUnitSystemInch, 1, toMetric(kUnitSystemInch, 1, inch4)), inch4, 1e-9) << inch4;
    }
}

TEST(Units, FluidOuncesAndFractions)
{
    EXPECT_NEAR(millilitresToUsFluidOunces(1000.0), 33.814, 1e-9);
    EXPECT_NEAR(millilitresToImperialFluidOunces(1000.0), 35.195, 1e-9);
    EXPECT_NEAR(mixedFraction(1, 3, 4), 1.75, 1e-12);
    EXPECT_NEAR(mixedFraction(0, 1, 3), 0.333, 1e-12);
    EXPECT_NEAR(mixedFraction(2, 2, 3), 2.667, 1e-12);
    EXPECT_NEAR(mixedFraction(5, 1, 0), 5.0, 1e-12);
}

TEST(UnitLabels, LabelFollowedByTheUnitOfTheSystem)
{
    BuiltinTexts builtin;
    EXPECT_EQ(unitLabel(builtin, 500, "*Durchmesser D", kUnitSystemMetric, 1), "*Durchmesser D [mm]");
    EXPECT_EQ(unitLabel(builtin, 500, "*Durchmesser D", kUnitSystemInch, 1), "*Durchmesser D [inch]");
    EXPECT_EQ(unitLabel(builtin, 500, "*Zähne Anzahl n:", kUnitSystemInch, kUnitKindWithoutText), "*Zähne Anzahl n:");
    EXPECT_EQ(unitLabel(builtin, 500, "*Zähne Anzahl n:", kUnitSystemMetric, kNoUnit), "*Zähne Anzahl n:");

    test::ModuleTexts module;
    EXPECT_EQ(unitLabel(module, 500, "", kUnitSystemMetric, 4), "text 500 text 68104");
    EXPECT_EQ(unitLabel(module, 500, "", kUnitSystemInch, 4), "text 500 text 68124");
    for (int kind = 1; kind <= 14; ++kind)
        EXPECT_FALSE(unitText(builtin, kUnitSystemInch, kind).empty()) << kind;
}

} // namespace
} // namespace kvt
