#include "locale_test_support.h"
#include "tooldb/tool_export_file.h"
#include "tooldb/tool_table.h"
#include "tooldb_test_support.h"

#include "common/text_lookup.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

namespace kvt {
namespace {

using test::newMachine;
using test::sampleTool;
using test::utf16Le;

ToolRecord plainTool()
{
    ToolRecord tool {};
    setToolText(tool, ToolField::NcData, u"T1 D1");
    setToolText(tool, ToolField::Description, u"Schlichtfräser");
    setToolText(tool, ToolField::Category, u"*Schaftfräser, Schlicht");
    setToolText(tool, ToolField::Maker, u"Maker");
    setToolText(tool, ToolField::OrderNumber, u"4711");
    setToolText(tool, ToolField::PicturePath, u"C:\\pics\\a.png");
    setToolText(tool, ToolField::ReplacementDate, u"01.02.2026");
    setToolText(tool, ToolField::LastChangeDate, u"03.02.2026");
    tool.pictureRotation = 1;
    tool.length = 75.25f;
    tool.radius = 2.5f;
    tool.lengthTolerance = 0.01f;
    tool.radiusTolerance = -0.02f;
    tool.angleOrRadius = 45.0f;
    tool.teeth = 4;
    tool.cuttingSpeed = 120.0f;
    tool.feedPerRevolution = 0.1f;
    tool.axialFeedPerRevolution = 0.05f;
    tool.feedPerTooth = 0.025f;
    tool.axialFeedRate = 300.0f;
    tool.feedRate = 1200.0f;
    tool.spindleSpeed = 3819.72f;
    return tool;
}

constexpr std::u16string_view kPlainLine
    = u"T1 D1 | Schlichtfräser | *Schaftfräser, Schlicht | Maker | 4711 | C:\\pics\\a.png | 01.02.2026 | "
      u"03.02.2026 | 1 | 75.250000 | 2.500000 | 0.010000 | -0.020000 | 45.000000 | 4 | 120.000000 | 0.100000 | "
      u"0.050000 | 0.025000 | 300.000000 | 1200.000000 | 3819.719971;\n";

std::u16string lineOf(const ToolRecord& tool)
{
    std::u16string line;
    EXPECT_TRUE(composeToolLine(tool, line).ok());
    return line;
}

// A valid line of `tool` with one field's text replaced as it stands in the file.
std::u16string lineWith(const ToolRecord& tool, ToolField field, std::u16string_view replacement)
{
    std::u16string line = lineOf(tool);
    line.resize(line.size() - 2); // ";\n"
    std::vector<std::u16string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t at = line.find(u" | ", start);
        fields.push_back(line.substr(start, at == std::u16string::npos ? std::u16string::npos : at - start));
        if (at == std::u16string::npos)
            break;
        start = at + 3;
    }
    fields[static_cast<std::size_t>(field)] = replacement;
    std::u16string joined;
    for (std::size_t i = 0; i < fields.size(); ++i)
        joined += (i ? u" | " : u"") + fields[i];
    return joined + u";\n";
}

class ToolExportFileTest : public ::testing::Test {
protected:
    // A machine whose table is full of tools, to show that a refused import changes
    // nothing.
    std::unique_ptr<MachineRecord> filledMachine()
    {
        auto machine = newMachine();
        for (std::size_t slot = 0; slot < 499; ++slot)
            storeTool(*machine, slot, sampleTool(1000 + static_cast<int>(slot)));
        return machine;
    }

    test::TempFolder folder;
    BuiltinTexts texts;
};

TEST_F(ToolExportFileTest, OneToolExportsExactlyOneLineInUtf16WithoutByteOrderMark)
{
    auto machine = newMachine();
    storeTool(*machine, 0, plainTool());
    const auto path = folder / "table.kvwz";

    const ToolExportResult result = exportToolTable(*machine, path);

    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.toolsWritten, 1u);
    EXPECT_EQ(test::readBytes(path), utf16Le(kPlainLine));
}

TEST_F(ToolExportFileTest, FloatsAreWrittenWithSixDecimalsOrAsManyAsTheyNeed)
{
    const std::pair<float, std::u16string_view> cases[] = {
        {2.5f, u"2.500000"},
        {0.0f, u"0.000000"},
        {-0.0f, u"0.000000"},
        {0.1f, u"0.100000"},
        {1.0f / 3.0f, u"0.33333334"},
        {1e-7f, u"0.0000001"},
        {-1234.5678f, u"-1234.567749"},
        {std::numeric_limits<float>::max(), u"340282346638528859811704183484516925440.000000"},
    };
    for (const auto& [value, text] : cases) {
        ToolRecord tool = plainTool();
        tool.radius = value;
        const std::u16string line = lineOf(tool);
        EXPECT_NE(line.find(u" | 75.250000 | " + std::u16string(text) + u" | "), std::u16string::npos)
            << utf16ToUtf8(line);
    }
}

TEST_F(ToolExportFileTest, RoundTripClosesGapsAndKeepsEveryByteOfEveryTool)
{
    auto machine = newMachine();
    storeTool(*machine, 0, sampleTool(1, u"C:\\pics\\one.png"));
    storeTool(*machine, 4, sampleTool(5));
    ToolRecord withoutNcData = sampleTool(3);
    setToolText(withoutNcData, ToolField::NcData, u"");
    storeTool(*machine, 2, withoutNcData); // present in the window, but not exported
    storeTool(*machine, 498, sampleTool(499));
    const auto path = folder / "gaps.kvwz";
    ASSERT_EQ(exportToolTable(*machine, path).toolsWritten, 3u);

    auto target = filledMachine();
    std::memset(target->name, 0x11, sizeof target->name);
    const auto targetBefore = test::machineBytes(*target);
    const ToolImportResult result = importToolTable(*target, path);

    ASSERT_TRUE(result.ok()) << toolImportMessage(texts, result, path);
    EXPECT_EQ(toolImportMessage(texts, result, path), "");
    const std::size_t from[] = {0, 4, 498};
    for (std::size_t slot = 0; slot < 3; ++slot)
        EXPECT_EQ(std::memcmp(target->tools[slot].bytes, machine->tools[from[slot]].bytes, kToolSlotSize), 0) << slot;
    for (std::size_t slot = 3; slot < 499; ++slot)
        ASSERT_TRUE(isEmpty(loadTool(*target, slot))) << slot;
    // Nothing outside the table moved.
    const auto after = test::machineBytes(*target);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + kToolTableOffset, targetBefore.begin()));
}

TEST_F(ToolExportFileTest, FullTableOf499ToolsComesBackByteForByte)
{
    auto machine = newMachine();
    for (std::size_t slot = 0; slot < 499; ++slot) {
        ToolRecord tool = sampleTool(static_cast<int>(slot) + 1);
        tool.feedPerTooth = 1.0f / static_cast<float>(slot + 7); // values six decimals cannot carry
        tool.pictureRotation = static_cast<std::int32_t>(slot) - 250;
        tool.teeth = static_cast<std::uint16_t>(65535 - slot);
        storeTool(*machine, slot, tool);
    }
    const auto path = folder / "full.kvwz";
    ASSERT_EQ(exportToolTable(*machine, path).toolsWritten, 499u);

    auto target = newMachine();
    ASSERT_TRUE(importToolTable(*target, path).ok());
    EXPECT_EQ(std::memcmp(target->tools, machine->tools, sizeof machine->tools), 0);
}

TEST_F(ToolExportFileTest, OnlyThe499FirstOf600LinesAreReadAndTheUserIsTold)
{
    std::u16string text;
    for (int n = 1; n <= 600; ++n)
        text += lineOf(sampleTool(n));
    const auto path = folder / "600.kvwz";
    test::writeBytes(path, utf16Le(text));

    auto machine = newMachine();
    const ToolImportResult result = importToolTable(*machine, path);

    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.records.size(), 499u);
    EXPECT_EQ(result.ignoredLines, 101u);
    const ToolRecord last = sampleTool(499);
    EXPECT_EQ(std::memcmp(machine->tools[498].bytes, &last, sizeof last), 0);
    EXPECT_EQ(toolImportMessage(texts, result, path),
        "*499 Werkzeuge wurden importiert aus:\n" + pathToUtf8(path)
            + "\n\n*Die Datei enthält mehr als 499 Werkzeuge: 101 Zeilen wurden nicht gelesen.");
}

TEST_F(ToolExportFileTest, ByteOrderMarkIsDroppedAndALeadingDigitKept)
{
    ToolRecord tool = plainTool();
    setToolText(tool, ToolField::NcData, u"5 T5 D5");
    const std::u16string line = lineOf(tool);

    const ToolImportResult withMark = parseToolExport(utf16Le(u"\uFEFF" + line + line));
    ASSERT_TRUE(withMark.ok());
    ASSERT_EQ(withMark.records.size(), 2u);
    EXPECT_EQ(toolText(withMark.records[0], ToolField::NcData), u"5 T5 D5");
    EXPECT_EQ(toolText(withMark.records[1], ToolField::NcData), u"5 T5 D5");

    const ToolImportResult withoutMark = parseToolExport(utf16Le(line));
    ASSERT_TRUE(withoutMark.ok());
    EXPECT_EQ(std::memcmp(&withoutMark.records[0], &tool, sizeof tool), 0);
}

TEST_F(ToolExportFileTest, CarriageReturnsBlankLinesAndBlanksAroundNumbersAreTolerated)
{
    std::u16string line = lineWith(plainTool(), ToolField::Length, u"  75.25 ");
    line.insert(line.size() - 1, u"\r");
    const ToolImportResult result = parseToolExport(utf16Le(u"\n" + line + u"  \r\n\n" + lineOf(plainTool())));
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.records.size(), 2u);
    EXPECT_EQ(std::memcmp(&result.records[0], &result.records[1], sizeof(ToolRecord)), 0);
}

TEST_F(ToolExportFileTest, TextLongerThanItsFieldIsCutAndReported)
{
    const ToolImportResult result
        = parseToolExport(utf16Le(lineWith(plainTool(), ToolField::OrderNumber, std::u16string(40, u'9'))));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(toolText(result.records[0], ToolField::OrderNumber), std::u16string(31, u'9'));
    EXPECT_EQ(result.cutTexts, 1u);
    EXPECT_EQ(toolImportMessage(texts, result, "t.kvwz"),
        "*1 Werkzeuge wurden importiert aus:\nt.kvwz\n\n*1 Texte waren länger als ihr Feld und wurden gekürzt.");
}

TEST_F(ToolExportFileTest, NumbersAtTheEdgesOfTheirFields)
{
    struct Case {
        ToolField field;
        std::u16string_view text;
        bool accepted;
    };
    const Case cases[] = {
        {ToolField::Teeth, u"65535", true},
        {ToolField::Teeth, u"65536", false},
        {ToolField::Teeth, u"0", true},
        {ToolField::Teeth, u"-1", false},
        {ToolField::PictureRotation, u"-2147483648", true},
        {ToolField::PictureRotation, u"2147483647", true},
        {ToolField::PictureRotation, u"2147483648", false},
        {ToolField::PictureRotation, u"00000000000000000003", true},
        {ToolField::Radius, u"340282346638528859811704183484516925440.000000", true},
        {ToolField::Radius, u"1000000000000000000000000000000000000000.0", false},
    };
    for (const Case& c : cases) {
        const ToolImportResult result = parseToolExport(utf16Le(lineWith(plainTool(), c.field, c.text)));
        EXPECT_EQ(result.ok(), c.accepted) << utf16ToUtf8(c.text);
        if (!c.accepted) {
            EXPECT_EQ(result.error, ToolImportError::NumberOutOfRange) << utf16ToUtf8(c.text);
            EXPECT_EQ(result.field, c.field);
        }
    }
    const ToolImportResult low
        = parseToolExport(utf16Le(lineWith(plainTool(), ToolField::PictureRotation, u"-2147483648")));
    EXPECT_EQ(low.records.at(0).pictureRotation, std::numeric_limits<std::int32_t>::min());
}

TEST_F(ToolExportFileTest, DamagedFilesAreRefusedAndLeaveTheTableAsItWas)
{
    const std::u16string good = lineOf(sampleTool(1)) + lineOf(sampleTool(2));
    const std::u16string third = lineOf(sampleTool(3));
    const auto padded = [](std::size_t contentUnits) {
        // A valid line whose content (without the line feed) has exactly this length.
        const std::size_t shortest = lineOf(plainTool()).size() - 1;
        return lineWith(
            plainTool(), ToolField::Description, u"Schlichtfräser" + std::u16string(contentUnits - shortest, u'x'));
    };
    std::string junk(4000, '\0');
    std::mt19937 random(7);
    for (char& c : junk)
        c = static_cast<char>(random());

    struct Case {
        const char* name;
        std::string bytes;
        ToolImportError error;
        std::size_t line;
    };
    const Case cases[] = {
        {"odd byte count", utf16Le(good) + "x", ToolImportError::OddByteCount, 0},
        {"empty file", "", ToolImportError::NoTools, 0},
        {"only blank lines", utf16Le(u"\n \r\n\t\n"), ToolImportError::NoTools, 0},
        {"21 fields", utf16Le(good + third.substr(0, third.rfind(u" | ")) + u";\n"), ToolImportError::FieldCount, 3},
        {"23 fields", utf16Le(good + third.substr(0, third.size() - 2) + u" | 7;\n"), ToolImportError::FieldCount, 3},
        {"cut off in the last line", utf16Le(good + third.substr(0, third.size() - 6)), ToolImportError::MissingLineEnd,
            3},
        {"line of 1024 units", utf16Le(good + padded(1024)), ToolImportError::LineTooLong, 3},
        {"zero character in a text",
            utf16Le(good + lineWith(plainTool(), ToolField::Maker, std::u16string(u"a\0b", 3))),
            ToolImportError::BadText, 3},
        {"half a surrogate pair",
            utf16Le(good + lineWith(plainTool(), ToolField::Maker, std::u16string(1, char16_t(0xD800)))),
            ToolImportError::BadText, 3},
        {"word for a number", utf16Le(lineWith(plainTool(), ToolField::Length, u"abc") + good),
            ToolImportError::BadNumber, 1},
        {"decimal comma", utf16Le(good + lineWith(plainTool(), ToolField::Length, u"1,5")), ToolImportError::BadNumber,
            3},
        {"nan", utf16Le(good + lineWith(plainTool(), ToolField::Length, u"nan")), ToolImportError::BadNumber, 3},
        {"exponent", utf16Le(good + lineWith(plainTool(), ToolField::Length, u"1e5")), ToolImportError::BadNumber, 3},
        {"empty number", utf16Le(good + lineWith(plainTool(), ToolField::Length, u"")), ToolImportError::BadNumber, 3},
        {"point in an integer", utf16Le(good + lineWith(plainTool(), ToolField::Teeth, u"4.0")),
            ToolImportError::BadNumber, 3},
        {"binary junk", junk, ToolImportError::None, 0}, // refused, for whichever reason comes first
    };
    for (const Case& c : cases) {
        const auto path = folder / "damaged.kvwz";
        test::writeBytes(path, c.bytes);
        auto machine = filledMachine();
        const auto before = test::machineBytes(*machine);

        const ToolImportResult result = importToolTable(*machine, path);

        EXPECT_FALSE(result.ok()) << c.name;
        if (c.error != ToolImportError::None) {
            EXPECT_EQ(result.error, c.error) << c.name;
            EXPECT_EQ(result.line, c.line) << c.name;
        }
        EXPECT_TRUE(result.records.empty()) << c.name;
        EXPECT_TRUE(test::machineBytes(*machine) == before) << c.name;
        EXPECT_NE(toolImportMessage(texts, result, path).find("*Die Werkzeugtabelle wurde nicht verändert."),
            std::string::npos)
            << c.name;
    }
    // The longest line a reader of the format takes is still read.
    EXPECT_TRUE(parseToolExport(utf16Le(good + padded(1023))).ok());
}

TEST_F(ToolExportFileTest, RefusalMessageNamesThePathTheLineAndTheField)
{
    const auto path = folder / "bad.kvwz";
    test::writeBytes(path, utf16Le(lineOf(plainTool()) + lineWith(plainTool(), ToolField::Length, u"x")));
    auto machine = newMachine();
    const ToolImportResult result = importToolTable(*machine, path);
    EXPECT_EQ(toolImportMessage(texts, result, path),
        "*Die Datei kann nicht als Werkzeugtabelle gelesen werden:\n" + pathToUtf8(path)
            + "\n\n*Zeile 2, Feld \"*Länge\": keine gültige Zahl.\n\n*Die Werkzeugtabelle wurde nicht verändert.");

    const ToolImportResult missing = importToolTable(*machine, folder / "missing.kvwz");
    EXPECT_EQ(missing.error, ToolImportError::CannotOpen);
    EXPECT_EQ(toolImportMessage(texts, missing, folder / "missing.kvwz"),
        "*Die Datei kann nicht als Werkzeugtabelle gelesen werden:\n" + pathToUtf8(folder / "missing.kvwz")
            + "\n\n*Die Datei kann nicht geöffnet werden. (" + std::strerror(ENOENT) // the desktop's language
            + ")\n\n*Die Werkzeugtabelle wurde nicht verändert.");
}

TEST_F(ToolExportFileTest, OversizeFileIsRefusedUnread)
{
    const auto path = folder / "huge.kvwz";
    test::writeBytes(path, std::string(kToolImportMaxBytes + 2, 'a'));
    auto machine = newMachine();
    EXPECT_EQ(importToolTable(*machine, path).error, ToolImportError::TooLarge);
}

TEST_F(ToolExportFileTest, ExportRefusesATableItCannotWriteFaithfullyAndKeepsTheOldFile)
{
    ToolRecord separator = plainTool();
    setToolText(separator, ToolField::Description, u"Fräser | 10 mm");
    ToolRecord notANumber = plainTool();
    notANumber.radius = std::numeric_limits<float>::quiet_NaN();
    ToolRecord infinite = plainTool();
    infinite.feedRate = -std::numeric_limits<float>::infinity();
    ToolRecord longest {};
    for (const ToolFieldInfo& info : toolFields()) {
        if (info.kind == ToolFieldKind::Text)
            setToolText(longest, info.field, std::u16string(info.textLength - 1, u'x'));
    }
    longest.length = longest.radius = longest.feedRate = longest.spindleSpeed = std::numeric_limits<float>::max();
    longest.cuttingSpeed = longest.angleOrRadius = longest.axialFeedRate = std::numeric_limits<float>::max();

    struct Case {
        ToolRecord tool;
        ToolExportError error;
        ToolField field;
        std::string detail;
    };
    const Case cases[] = {
        {separator, ToolExportError::BadText, ToolField::Description,
            "*Werkzeug 007: *Beschreibung: *Die Zeichenfolge \" | \" ist hier nicht erlaubt.\n*Die Exportdatei der "
            "Werkzeugtabelle trennt ihre Felder mit \" | \" und ihre Zeilen mit Zeilenumbrüchen."},
        {notANumber, ToolExportError::BadNumber, ToolField::Radius,
            "*Werkzeug 007, Feld \"*Radius\": der Wert ist keine Zahl."},
        {infinite, ToolExportError::BadNumber, ToolField::FeedRate,
            "*Werkzeug 007, Feld \"*Vorschub\": der Wert ist keine Zahl."},
        {longest, ToolExportError::LineTooLong, ToolField::NcData,
            "*Werkzeug 007: die Zeile wäre länger als 1024 Zeichen."},
    };
    const auto path = folder / "old.kvwz";
    for (const Case& c : cases) {
        test::writeBytes(path, "old backup");
        auto machine = newMachine();
        storeTool(*machine, 0, plainTool());
        storeTool(*machine, 6, c.tool);

        const ToolExportResult result = exportToolTable(*machine, path);

        EXPECT_EQ(result.error, c.error) << c.detail;
        EXPECT_EQ(result.toolNumber, 7);
        EXPECT_EQ(result.field, c.field) << c.detail;
        EXPECT_EQ(test::readBytes(path), "old backup");
        EXPECT_EQ(toolExportMessage(texts, result, path),
            "*Die Werkzeugtabelle konnte nicht exportiert werden:\n" + pathToUtf8(path) + "\n\n" + c.detail
                + "\n\n*Es wurde keine Datei geschrieben.");
    }
}

TEST_F(ToolExportFileTest, FailedWriteIsReportedWithThePath)
{
    auto machine = newMachine();
    storeTool(*machine, 0, plainTool());
    const auto path = folder / "no such folder" / "table.kvwz";
    const ToolExportResult result = exportToolTable(*machine, path);
    EXPECT_EQ(result.error, ToolExportError::CannotWrite);
    EXPECT_EQ(toolExportMessage(texts, result, path),
        "*Die Werkzeugtabelle konnte nicht exportiert werden:\n" + pathToUtf8(path)
            + "\n\n*Die Datei kann nicht geschrieben werden. (" + std::strerror(ENOENT) // the desktop's language
            + ")\n\n*Es wurde keine Datei geschrieben.");
}

TEST_F(ToolExportFileTest, EmptyTableExportsAnEmptyFileThatAnImportRefuses)
{
    auto machine = newMachine();
    const auto path = folder / "empty.kvwz";
    const ToolExportResult result = exportToolTable(*machine, path);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.toolsWritten, 0u);
    EXPECT_EQ(test::readBytes(path), "");

    auto full = filledMachine();
    const auto before = test::machineBytes(*full);
    EXPECT_EQ(importToolTable(*full, path).error, ToolImportError::NoTools);
    EXPECT_TRUE(test::machineBytes(*full) == before);
}

} // namespace
} // namespace kvt
