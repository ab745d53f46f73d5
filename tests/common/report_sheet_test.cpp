#include "common/report_sheet.h"

#include <gtest/gtest.h>

namespace kvt {
namespace {

TEST(ReportSheet, LinesSplitAtEitherLineEndAndExpandTabsByCharacters)
{
    EXPECT_EQ(reportSheetLines("a\r\nb\nc"), (std::vector<std::string> {"a", "b", "c"}));
    EXPECT_EQ(reportSheetLines("a\r\n"), (std::vector<std::string> {"a"}));
    EXPECT_EQ(reportSheetLines("\r\n\r\n"), (std::vector<std::string> {"", ""}));
    EXPECT_TRUE(reportSheetLines("").empty());
    // The report writer's "label\t: value": the colon lands on the next tab stop, and an
    // umlaut counts as one column, not two bytes.
    EXPECT_EQ(reportSheetLines("Drehzahl\t: 955"), (std::vector<std::string> {"Drehzahl        : 955"}));
    EXPECT_EQ(reportSheetLines("Vorschübe\t: 1"), (std::vector<std::string> {"Vorschübe       : 1"}));
    EXPECT_EQ(reportSheetLines("\tx"), (std::vector<std::string> {"        x"}));
}

TEST(ReportSheet, PagesBreakExactlyAtTheLinesAPageHolds)
{
    struct Case {
        std::size_t lines;
        int perPage;
        std::vector<std::size_t> counts;
    };
    const Case cases[] = {
        {0, 50, {0}}, // an empty report still prints its header
        {1, 50, {1}},
        {50, 50, {50}},
        {51, 50, {50, 1}},
        {100, 50, {50, 50}},
        {3, 0, {1, 1, 1}}, // a page too small for any line still takes one
        {3, -4, {1, 1, 1}},
    };
    for (const Case& c : cases) {
        const std::vector<SheetPage> pages = paginate(c.lines, c.perPage);
        ASSERT_EQ(pages.size(), c.counts.size()) << c.lines << " lines, " << c.perPage << " a page";
        std::size_t next = 0;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            EXPECT_EQ(pages[i].firstLine, next);
            EXPECT_EQ(pages[i].lineCount, c.counts[i]);
            next += pages[i].lineCount;
        }
    }
}

TEST(ReportSheet, PageNumberReadsInTheLanguage)
{
    EXPECT_EQ(pageNumberText(BuiltinTexts(), 2, 3), "*Seite 2* von 3");
}

} // namespace
} // namespace kvt
