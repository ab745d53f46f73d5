// The transfer window's numbers and texts without widgets.

#include "serial/transfer_form.h"

#include "common/text_lookup.h"

#include "locale_test_support.h"

#include <gtest/gtest.h>

namespace kvt {
namespace {

// The built-in texts as a user reads them: without the leading '*'.
class ShownTexts final : public TextLookup {
public:
    std::string text(int, std::string_view builtin) const override
    {
        return std::string(builtin.starts_with('*') ? builtin.substr(1) : builtin);
    }
};

TEST(TransferTimeEstimate, BitsPerCharacterAndTheSplitIntoHoursMinutesSeconds)
{
    struct Case {
        std::uint32_t bytes;
        std::uint32_t baud;
        std::uint32_t dataBits;
        std::uint8_t stopCode;
        double bits;
        double seconds;
        std::uint32_t h, m, s;
    };
    const Case cases[] = {
        {10'000, 9600, 8, 0, 11.0, 11.458333333333334, 0, 0, 11},
        {10'000, 9600, 8, 1, 11.5, 11.979166666666666, 0, 0, 11}, {10'000, 9600, 8, 2, 12.0, 12.5, 0, 0, 12},
        {10'000, 9600, 8, 7, 10.0, 10.416666666666666, 0, 0, 10}, // an unknown code adds no stop bits
        {10'000, 9600, 7, 0, 10.0, 10.416666666666666, 0, 0, 10},
        {32'727, 300, 8, 0, 11.0, 1199.99, 0, 19, 59}, // just under 20 minutes
        {32'728, 300, 8, 0, 11.0, 1200.0266666666666, 0, 20, 0}, {10'240'000, 300, 8, 2, 12.0, 409'600.0, 113, 46, 40},
        {10'000, 0, 8, 0, 11.0, 0.0, 0, 0, 0}, // no baud rate stored
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bitsPerCharacter(c.dataBits, c.stopCode), c.bits) << c.bytes;
        const TransferTimeEstimate e = estimateTransferTime(c.bytes, c.baud, c.dataBits, c.stopCode);
        EXPECT_NEAR(e.seconds, c.seconds, 1e-9) << c.bytes << " " << c.baud;
        EXPECT_EQ(e.hours, c.h) << c.bytes;
        EXPECT_EQ(e.minutes, c.m) << c.bytes;
        EXPECT_EQ(e.wholeSeconds, c.s) << c.bytes;
    }
}

TEST(TransferTimeEstimate, TheEndIsATwelveHourClockTime)
{
    struct Case {
        LocalDateTime now;
        double seconds;
        const char* expected;
    };
    const Case cases[] = {
        {{2025, 3, 7, 14, 5, 9}, 11.46, "02:05:20 PM"},
        {{2025, 3, 7, 0, 0, 0}, 0.0, "12:00:00 AM"},
        {{2025, 3, 7, 11, 59, 59}, 1.0, "12:00:00 PM"},
        {{2025, 3, 7, 12, 59, 59}, 1.0, "01:00:00 PM"},
        {{2025, 3, 7, 23, 59, 59}, 1.0, "12:00:00 AM"},
        {{2025, 3, 7, 22, 0, 0}, 409'600.0, "03:46:40 PM"}, // days later, the time of day
        {{2025, 3, 7, 9, 30, 0}, -5.0, "09:30:00 AM"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(clockTimeAfter(c.now, c.seconds), c.expected) << c.expected;

    const ShownTexts texts;
    EXPECT_EQ(transferTimeTooltip(estimateTransferTime(10'000, 9600, 8, 0), {2025, 3, 7, 14, 5, 9}, texts),
        "Geschätzte Übertragungszeit: 0 Std. 0 Min. 11 Sek., fertig um 02:05:20 PM");
}

TEST(TransferForm, SizeTextCaptionAndMissingPort)
{
    const ShownTexts texts;
    EXPECT_EQ(sizeText(0, texts), "0 Bytes");
    EXPECT_EQ(sizeText(65'535, texts), "65535 Bytes");
    struct Red {
        std::uint32_t number, memory;
        bool red;
    };
    for (const Red& r : {Red {99, 100, false}, Red {100, 100, true}, Red {101, 100, true}, Red {5'000, 0, false}})
        EXPECT_EQ(sizeTextIsRed(r.number, r.memory), r.red) << r.number << " " << r.memory;

    EXPECT_EQ(transferWindowCaption({}, texts), "Serielle Kommunikation  - Keine Datei geöffnet");
    EXPECT_EQ(transferWindowCaption("/home/nc/P1.dat", texts), "Serielle Kommunikation  - /home/nc/P1.dat");

    EXPECT_EQ(missingPortText(3, texts), "COM3 ist auf diesem Rechner nicht vorhanden.");
    EXPECT_EQ(missingPortText(10, texts), "COM10 ist auf diesem Rechner nicht vorhanden.");
}

} // namespace
} // namespace kvt
