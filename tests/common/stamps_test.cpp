#include "common/stamps.h"

#include <gtest/gtest.h>

namespace kvt {
namespace {

struct StampCase {
    int languageCode;
    const char* date;
    const char* dateTime;
    const char* seconds;
};

class StampTest : public ::testing::TestWithParam<StampCase> { };

TEST_P(StampTest, FormsPerLanguage)
{
    const FixedClock clock({2025, 3, 7, 14, 5, 9});
    EXPECT_EQ(dateStamp(GetParam().languageCode, clock), GetParam().date);
    EXPECT_EQ(dateTimeStamp(GetParam().languageCode, clock), GetParam().dateTime);
    EXPECT_EQ(dateTimeSecondsStamp(GetParam().languageCode, clock), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(Languages, StampTest,
    ::testing::Values(StampCase {49, "07.03.2025 ", "07.03.2025_14:05", "07.03.2025_14:05:09"},
        StampCase {44, "2025.03.07 ", "2025.03.07_14:05", "2025.03.07_14:05:09"},
        StampCase {0, "", "2025.03.07_14:05", "2025.03.07_14:05:09"}, StampCase {33, "", "", ""}));

TEST(Stamps, CompactFormForFileNames)
{
    EXPECT_EQ(compactStamp("07.03.2025_14:05:09"), "07032025_140509");
    EXPECT_EQ(compactStamp("2025.03.07 "), "20250307");
    EXPECT_EQ(compactStamp(dateTimeStamp(49, LocalDateTime {2025, 12, 31, 23, 59, 0})), "31122025_2359");
}

} // namespace
} // namespace kvt
