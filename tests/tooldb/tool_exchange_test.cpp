#include "tooldb/tool_exchange.h"

#include "common/code_page.h"
#include "common/json_value.h"
#include "common/number_format.h"
#include "common/text_lookup.h"
#include "common/units.h"
#include "common/zip_archive.h"
#include "options/options_record.h"
#include "tooldb/freecad_tool_library.h"
#include "tooldb/fusion_tool_library.h"
#include "tooldb/heidenhain_tool_table.h"
#include "tooldb/tool_exchange_file.h"
#include "tooldb/tool_table.h"

#include "tooldb_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kvt {
namespace {

const BuiltinTexts kTexts;
constexpr std::u16string_view kToday = u"03.02.2026";

// A tool whose values every format can carry exactly: lengths on a 1/16 mm grid and
// feeds with few decimals, so that even four decimals (TOOL.T) give them back.
ToolRecord exchangeTool(int n)
{
    static constexpr std::string_view kCategories[] = {"*Schaftfräser, Schlicht", "*Bohrer, Spiralbohrer",
        "*Schaftfräser, Kugel", "*Senker, Kegel", "*Reibahle", "*Messerkopf, Plan"};
    ToolRecord tool {};
    const std::u16string number = utf8ToUtf16(std::to_string(n));
    setToolText(tool, ToolField::NcData, u"T" + number + u" D" + number);
    setToolText(tool, ToolField::Description, u"Fräser Ø" + number);
    setToolText(tool, ToolField::Category, utf8ToUtf16(kCategories[static_cast<std::size_t>(n) % 6]));
    setToolText(tool, ToolField::Maker, u"Maker " + number);
    setToolText(tool, ToolField::OrderNumber, u"A-" + number);
    setToolText(tool, ToolField::LastChangeDate, kToday);
    tool.length = 40.0f + static_cast<float>(n) / 8.0f;
    tool.radius = static_cast<float>(n) / 16.0f;
    tool.angleOrRadius = n % 6 == 1 || n % 6 == 3 ? 118.0f : static_cast<float>(n % 3) * 0.5f;
    tool.teeth = static_cast<std::uint16_t>(n % 7);
    tool.cuttingSpeed = 120.0f + static_cast<float>(n);
    tool.feedPerTooth = 0.025f * static_cast<float>(n % 5);
    tool.feedPerRevolution = 0.1f;
    tool.feedRate = 1234.5f;
    tool.spindleSpeed = static_cast<float>(3000 + n);
    return tool;
}

// 499 slots with gaps: every fifth tool number is empty.
std::unique_ptr<MachineRecord> tableWithGaps()
{
    auto machine = test::newMachine();
    for (int n = 1; n <= kHighestToolNumber; ++n) {
        if (n % 5 != 0)
            storeTool(*machine, static_cast<std::size_t>(n - 1), exchangeTool(n));
    }
    return machine;
}

constexpr std::uint32_t bits(std::initializer_list<ToolField> fields)
{
    std::uint32_t all = 0;
    for (ToolField field : fields)
        all |= fieldBit(field);
    return all;
}

bool sameField(const ToolRecord& a, const ToolRecord& b, ToolField field)
{
    const ToolFieldInfo& info = toolFieldInfo(field);
    const std::size_t size = info.kind == ToolFieldKind::Text ? info.textLength * 2
        : info.kind == ToolFieldKind::UnsignedShort           ? 2
                                                              : 4;
    return std::memcmp(
               reinterpret_cast<const char*>(&a) + info.offset, reinterpret_cast<const char*>(&b) + info.offset, size)
        == 0;
}

struct RoundTripCase {
    const char* name;
    ToolExchangeFormat format;
    ExchangeUnit unit;
    const char* file;
    std::uint32_t carried; // besides the number
};

class ExchangeRoundTrip : public testing::TestWithParam<RoundTripCase> { };

TEST_P(ExchangeRoundTrip, GivesBackEveryCarriedFieldOfEveryTool)
{
    const RoundTripCase& c = GetParam();
    test::TempFolder folder;
    const auto original = tableWithGaps();
    const std::filesystem::path path = folder / c.file;
    const ToolExchangeExportResult exported = exportToolExchangeFile(c.format, *original, path, {c.unit, true}, kTexts);
    ASSERT_TRUE(exported.written) << toolExchangeExportMessage(kTexts, c.format, exported, path);
    EXPECT_EQ(exported.composed.toolsWritten, 400u);

    const ExchangeReadResult read = readToolExchangeFile(c.format, path, c.unit);
    ASSERT_TRUE(read.ok()) << exchangeReadMessage(kTexts, c.format, read, path.string());

    // Into an empty table: every tool new, at its own number, the gaps left empty.
    auto empty = test::newMachine();
    const ImportPlan fresh = planExchangeImport(*empty, c.format, read, kTexts, kToday);
    EXPECT_EQ(fresh.newTools, 400u);
    EXPECT_EQ(fresh.replacedTools, 0u);
    applyToolImport(*empty, fresh);
    for (int n = 1; n <= kHighestToolNumber; ++n) {
        const ToolRecord got = loadTool(*empty, static_cast<std::size_t>(n - 1));
        if (n % 5 == 0) {
            EXPECT_TRUE(isEmpty(got)) << n;
            continue;
        }
        const ToolRecord want = exchangeTool(n);
        for (const ToolFieldInfo& info : toolFields()) {
            if (c.carried & fieldBit(info.field)) {
                EXPECT_TRUE(sameField(want, got, info.field)) << "tool " << n << " " << info.label;
            }
        }
    }

    // Back into the table it came from: every tool replaced by itself, not a byte changed.
    auto again = tableWithGaps();
    const ImportPlan back = planExchangeImport(*again, c.format, read, kTexts, kToday);
    EXPECT_EQ(back.replacedTools, 400u);
    applyToolImport(*again, back);
    EXPECT_EQ(test::machineBytes(*again), test::machineBytes(*original));
}

constexpr std::uint32_t kGeometry = bits({ToolField::Description, ToolField::Length, ToolField::Radius});
constexpr std::uint32_t kCam
    = bits({ToolField::NcData, ToolField::Description, ToolField::Maker, ToolField::OrderNumber, ToolField::Length,
        ToolField::Radius, ToolField::AngleOrRadius, ToolField::Teeth, ToolField::CuttingSpeed, ToolField::FeedPerTooth,
        ToolField::FeedPerRevolution, ToolField::FeedRate, ToolField::SpindleSpeed});

INSTANTIATE_TEST_SUITE_P(Formats, ExchangeRoundTrip,
    testing::Values(
        RoundTripCase {"LinuxCncMm", ToolExchangeFormat::LinuxCnc, ExchangeUnit::Millimetre, "t.tbl", kGeometry},
        RoundTripCase {"LinuxCncInch", ToolExchangeFormat::LinuxCnc, ExchangeUnit::Inch, "t.tbl", kGeometry},
        RoundTripCase {"HeidenhainMm", ToolExchangeFormat::Heidenhain, ExchangeUnit::Millimetre, "TOOL.T",
            kGeometry | bits({ToolField::AngleOrRadius, ToolField::Teeth})},
        RoundTripCase {"FusionMm", ToolExchangeFormat::FusionJson, ExchangeUnit::Millimetre, "t.json", kCam},
        RoundTripCase {"FusionInch", ToolExchangeFormat::FusionJson, ExchangeUnit::Inch, "t.json", kCam},
        RoundTripCase {"FusionZipped", ToolExchangeFormat::FusionZipped, ExchangeUnit::Inch, "t.tools", kCam},
        RoundTripCase {"FreeCad", ToolExchangeFormat::FreeCad, ExchangeUnit::Millimetre, "t.fctl",
            bits({ToolField::Description, ToolField::Length, ToolField::Radius, ToolField::AngleOrRadius,
                ToolField::Teeth, ToolField::CuttingSpeed, ToolField::FeedPerTooth, ToolField::FeedPerRevolution})}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

// Sample files written by hand from the formats' documentation.
struct SampleFile {
    std::string name;
    std::string content;
};

struct SampleCase {
    const char* name;
    ToolExchangeFormat format;
    ExchangeUnit unit; // LinuxCNC: the unit the user chose
    std::vector<SampleFile> files; // the first is opened
    // Per tool: number, description, diameter and length in mm ("%.4f"), teeth, category.
    std::vector<std::string> expected;
};

std::string describe(const ExchangeTool& tool, const ImportPlanLine& line)
{
    return cformat("%i|%s|%.4f|%.4f|%i|%s", tool.number, utf16ToUtf8(toolText(tool.record, ToolField::Description)),
        tool.record.radius * 2.0f, tool.record.length, tool.record.teeth,
        utf16ToUtf8(toolText(line.result, ToolField::Category)));
}

class ExchangeSample : public testing::TestWithParam<SampleCase> { };

TEST_P(ExchangeSample, ReadsAsDocumented)
{
    const SampleCase& c = GetParam();
    test::TempFolder folder;
    for (const SampleFile& file : c.files) {
        std::filesystem::create_directories((folder.path() / file.name).parent_path());
        test::writeBytes(folder.path() / file.name, file.content);
    }
    const ExchangeReadResult read = readToolExchangeFile(c.format, folder.path() / c.files.front().name, c.unit);
    ASSERT_TRUE(read.ok()) << exchangeReadMessage(kTexts, c.format, read, c.files.front().name);
    auto machine = test::newMachine();
    const ImportPlan plan = planExchangeImport(*machine, c.format, read, kTexts, kToday);
    std::vector<std::string> got;
    for (std::size_t i = 0; i < read.tools.size(); ++i)
        got.push_back(describe(read.tools[i], plan.lines[i]));
    EXPECT_EQ(got, c.expected);
}

const char* const kTbl = "; tool table of the mill\r\n"
                         "T1 P1 D0.125000 Z+0.511000 ;1/8 end mill\r\n"
                         "\r\n"
                         "T2 P7 X0 Y0 D0.062500 Z+0.100000 I0 J0 Q0 ;1/16 end mill; long\r\n"
                         "t3 p3 z1.273 d0.201\r\n";

const char* const kToolTMm = "BEGIN TOOL.T MM\n"
                             "T     NAME                L          R          R2      TL PLC       CUT TYP   "
                             "DOC                 T-ANGLE\n"
                             "0     NULLWZ              +0         +0         +0         %00000000 0   MILL\n"
                             "1     SCHLICHT_D10        +85,25     +5         +0,5    L  %00000011 4   MILL  "
                             "Schlichtfr\xE4ser\n"
                             "2     SPB_8_5             +120.1     +4.25      +0         %00000000 2   DRILL "
                             "                    +118\n"
                             "[END]\n";

const char* const kToolTInch = "BEGIN TOOL.T INCH\r\n"
                               "T    NAME             L         R         CUT\r\n"
                               "5    EM_HALF          +3.5      +0.25     2\r\n"
                               "[END]\r\n";

const char* const kFusionInch = R"({
  "data": [
    {"type": "holder", "description": "BT40 ER32", "unit": "inches", "guid": "h1"},
    {"type": "ball end mill", "unit": "inches", "description": "1/4 ball",
     "geometry": {"DC": 0.25, "NOF": 2, "OAL": 2.5, "RE": 0.125, "LCF": 0.75},
     "post-process": {"number": 12, "comment": "T12 H12"},
     "start-values": {"presets": [{"name": "Al", "v_c": 600, "f_z": 0.002}]}}
  ],
  "version": 13
})";

const char* const kFreeCadLibrary = R"({"version": 1, "tools": [{"nr": 4, "path": "6mm_Endmill.fctb"},
  {"nr": 9, "path": "drill_quarter.fctb"}]})";
const char* const kFreeCadEndmill = R"({"version": 2, "name": "6mm Endmill", "shape": "endmill.fcstd",
  "parameter": {"CuttingEdgeHeight": "30.0000 mm", "Diameter": "6.0000 mm", "Length": "50.0000 mm",
  "ShankDiameter": "6.0000 mm", "Flutes": 3}, "attribute": {}})";
const char* const kFreeCadDrill = R"({"version": 2, "name": "Drill 1/4", "shape": "drill.fcstd",
  "parameter": {"Diameter": "0.25 in", "Length": "3 in", "TipAngle": "118.00 °"}, "attribute": {}})";

INSTANTIATE_TEST_SUITE_P(Files, ExchangeSample,
    testing::Values(
        SampleCase {"LinuxCncInchCrlfComments", ToolExchangeFormat::LinuxCnc, ExchangeUnit::Inch, {{"mill.tbl", kTbl}},
            {"1|1/8 end mill|3.1750|12.9794|0|", "2|1/16 end mill; long|1.5875|2.5400|0|", "3||5.1054|32.3342|0|"}},
        SampleCase {"HeidenhainMmCommaUnknownColumnsLf", ToolExchangeFormat::Heidenhain, ExchangeUnit::Millimetre,
            {{"TOOL.T", kToolTMm}},
            {"0|NULLWZ|0.0000|0.0000|0|", "1|Schlichtfräser|10.0000|85.2500|4|*Schaftfräser, Schlicht",
                "2|SPB_8_5|8.5000|120.1000|2|*Bohrer, Spiralbohrer"}},
        SampleCase {"HeidenhainInchCrlf", ToolExchangeFormat::Heidenhain, ExchangeUnit::Millimetre,
            {{"TOOL.T", kToolTInch}}, {"5|EM_HALF|12.7000|88.9000|2|*Schaftfräser, Schlicht"}},
        SampleCase {"FusionInchWithHolder", ToolExchangeFormat::FusionJson, ExchangeUnit::Millimetre,
            {{"lib.json", kFusionInch}},
            {"0|BT40 ER32|0.0000|0.0000|0|", "12|1/4 ball|6.3500|63.5000|2|*Schaftfräser, Kugel"}},
        SampleCase {"FreeCadBitsInTheBitFolder", ToolExchangeFormat::FreeCad, ExchangeUnit::Millimetre,
            {{"Library/shop.fctl", kFreeCadLibrary}, {"Bit/6mm_Endmill.fctb", kFreeCadEndmill},
                {"Library/drill_quarter.fctb", kFreeCadDrill}},
            {"4|6mm Endmill|6.0000|50.0000|3|*Schaftfräser, Schlicht",
                "9|Drill 1/4|6.3500|76.2000|0|*Bohrer, Spiralbohrer"}}),
    [](const testing::TestParamInfo<SampleCase>& info) { return std::string(info.param.name); });

TEST(ExchangeSampleDetail, InchValuesConvertWithTheExactInch)
{
    const ExchangeReadResult read = parseFusionToolLibrary(kFusionInch);
    ASSERT_TRUE(read.ok());
    const ToolRecord& ball = read.tools[1].record;
    EXPECT_EQ(cformat("%.4f", ball.angleOrRadius), "3.1750"); // RE 0.125 in
    EXPECT_EQ(cformat("%.4f", ball.cuttingSpeed), "182.8800"); // 600 ft/min
    EXPECT_EQ(cformat("%.4f", ball.feedPerTooth), "0.0508"); // 0.002 in
    EXPECT_EQ(utf16ToUtf8(toolText(ball, ToolField::NcData)), "T12 H12");
}

// Damaged files: refused with the line and the reason, nothing read.
struct DamagedCase {
    const char* name;
    ToolExchangeFormat format;
    std::string content;
    ExchangeError error;
    std::size_t line;
    const char* detail;
};

std::string manyRows(const char* prefix, int rows, const char* suffix)
{
    std::string text = prefix;
    for (int i = 1; i <= rows; ++i)
        text += cformat("T%i P%i D6 Z50\n", i, i);
    return text + suffix;
}

std::string manyFusionTools(int count)
{
    std::string text = R"({"data": [)";
    for (int i = 1; i <= count; ++i)
        text += cformat(R"(%s{"type": "drill", "post-process": {"number": %i}})", i > 1 ? "," : "", i);
    return text + "]}";
}

class ExchangeDamaged : public testing::TestWithParam<DamagedCase> { };

TEST_P(ExchangeDamaged, IsRefusedWithLineAndReason)
{
    const DamagedCase& c = GetParam();
    test::TempFolder folder;
    const std::filesystem::path path = folder / "damaged";
    test::writeBytes(path, c.content);
    const ExchangeReadResult read = readToolExchangeFile(c.format, path, ExchangeUnit::Millimetre);
    EXPECT_EQ(read.error, c.error);
    EXPECT_EQ(read.line, c.line);
    EXPECT_EQ(read.detail, c.detail);
    EXPECT_TRUE(read.tools.empty());
}

const std::string kHeader = "BEGIN TOOL.T MM\nT    NAME        L       R\n";

INSTANTIATE_TEST_SUITE_P(Files, ExchangeDamaged,
    testing::Values(DamagedCase {"ToolTWithoutBeginLine", ToolExchangeFormat::Heidenhain,
                        "T NAME L R\n1 X +1 +2\n[END]\n", ExchangeError::MissingHeader, 1, ""},
        DamagedCase {"ToolTWithoutColumnHeader", ToolExchangeFormat::Heidenhain, "BEGIN TOOL.T MM\n[END]\n",
            ExchangeError::MissingHeader, 2, ""},
        DamagedCase {"ToolTWithoutRadiusColumn", ToolExchangeFormat::Heidenhain,
            "BEGIN TOOL.T MM\nT    NAME        L\n[END]\n", ExchangeError::MissingColumn, 2, "R"},
        DamagedCase {"ToolTUnknownUnit", ToolExchangeFormat::Heidenhain, "BEGIN TOOL.T CM\n", ExchangeError::BadUnit, 1,
            "BEGIN TOOL.T CM"},
        DamagedCase {"ToolTShortRow", ToolExchangeFormat::Heidenhain, kHeader + "1    SHORT       +50\n[END]\n",
            ExchangeError::ShortRow, 3, "R"},
        DamagedCase {"ToolTNotANumber", ToolExchangeFormat::Heidenhain,
            kHeader + "1    X           5O.0    +2\n[END]\n", ExchangeError::BadNumber, 3, "L 5O.0"},
        DamagedCase {"ToolTCutShort", ToolExchangeFormat::Heidenhain, kHeader + "1    X           +50     +2\n",
            ExchangeError::MissingEnd, 3, ""},
        DamagedCase {"TblNotANumber", ToolExchangeFormat::LinuxCnc, "T1 P1 D6 Z50\nT2 P2 Dabc Z50\n",
            ExchangeError::BadNumber, 2, "Dabc"},
        DamagedCase {"TblWithoutToolNumber", ToolExchangeFormat::LinuxCnc, "P1 D6 Z50 ;no T\n",
            ExchangeError::MissingColumn, 1, "T"},
        DamagedCase {"TblUnknownWord", ToolExchangeFormat::LinuxCnc, "T1 P1 K5\n", ExchangeError::BadWord, 1, "K5"},
        DamagedCase {"TblTenThousandRows", ToolExchangeFormat::LinuxCnc, manyRows("", 10000, ""),
            ExchangeError::TooManyTools, 1001, ""},
        DamagedCase {"TblEmpty", ToolExchangeFormat::LinuxCnc, "; only a comment\n", ExchangeError::Empty, 0, ""},
        DamagedCase {"FusionBrokenJson", ToolExchangeFormat::FusionJson, "{\"data\": [\n{\"type\": \"drill\",,\n]}",
            ExchangeError::BadJson, 2, "a member name is missing"},
        DamagedCase {"FusionWithoutData", ToolExchangeFormat::FusionJson, "{\"tools\": []}",
            ExchangeError::MissingHeader, 0, "data"},
        DamagedCase {"FusionUnknownUnit", ToolExchangeFormat::FusionJson,
            R"({"data": [{"type": "drill", "unit": "feet", "post-process": {"number": 1}}]})", ExchangeError::BadUnit,
            0, "data[1] feet"},
        DamagedCase {"FusionNumberNotANumber", ToolExchangeFormat::FusionJson,
            R"({"data": [{"type": "drill", "post-process": {"number": 1}, "geometry": {"DC": "x"}}]})",
            ExchangeError::BadNumber, 0, "data[1] DC"},
        DamagedCase {"FusionTenThousandTools", ToolExchangeFormat::FusionJson, manyFusionTools(10000),
            ExchangeError::TooManyTools, 0, ""},
        DamagedCase {"FusionNestedTooDeep", ToolExchangeFormat::FusionJson, std::string(100000, '['),
            ExchangeError::BadJson, 1, "nested too deeply"},
        DamagedCase {"ToolsZipCutShort", ToolExchangeFormat::FusionZipped,
            writeZip({{"tools.json", manyFusionTools(200)}}).substr(0, 100), ExchangeError::BadZip, 0,
            "not a zip file (no central directory)"},
        DamagedCase {"FreeCadMissingBit", ToolExchangeFormat::FreeCad,
            R"({"version": 1, "tools": [{"nr": 1, "path": "gone.fctb"}]})", ExchangeError::MissingBit, 0, ""},
        DamagedCase {"FreeCadPathLeavesTheFolder", ToolExchangeFormat::FreeCad,
            R"({"version": 1, "tools": [{"nr": 1, "path": "../../etc/x.fctb"}]})", ExchangeError::MissingBit, 0, ""}),
    [](const testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.name); });

TEST(ExchangeMessages, NameTheFileTheLineAndTheReason)
{
    ExchangeReadResult read;
    read.error = ExchangeError::BadNumber;
    read.line = 3;
    read.detail = "L 5O.0";
    EXPECT_EQ(exchangeReadMessage(kTexts, ToolExchangeFormat::Heidenhain, read, "/m/TOOL.T"),
        "*Die Datei kann nicht als *Heidenhain-Werkzeugtabelle (TOOL.T) gelesen werden:\n/m/TOOL.T\n\n"
        "*Zeile 3: *\"L 5O.0\" ist keine gültige Zahl.\n\n*Die Werkzeugtabelle wurde nicht verändert.");
}

// What an import plan does with each tool, and the preview line the user reads.
TEST(ExchangeImportPlan, SaysWhatIsNewReplacedOrSkippedAndWhy)
{
    auto machine = test::newMachine();
    storeTool(*machine, 2, exchangeTool(3)); // tool 3 is there
    auto tool = [](int number, std::u16string_view name, float radius) {
        ExchangeTool t;
        t.number = number;
        setToolText(t.record, ToolField::Description, name);
        t.record.radius = radius;
        t.carried = fieldBit(ToolField::Description) | fieldBit(ToolField::Radius);
        return t;
    };
    std::vector<ExchangeTool> tools
        = {tool(3, u"Neu für drei", 2.5f), tool(4, u"Vier", 1.0f), tool(0, u"Null", 0.0f), tool(500, u"Zu hoch", 1.0f),
            tool(4, u"Nochmal vier", 1.0f), tool(6, u"Zwei | Felder", 1.0f), tool(7, u"Halter", 0.0f)};
    tools[6].notATool = true;
    tools[6].carried = fieldBit(ToolField::Description);
    const ImportPlan plan = planToolImport(*machine, tools, {}, "", kTexts, kToday);
    std::vector<std::string> rows;
    for (const ImportPreviewRow& row : importPreviewRows(kTexts, plan, kUnitSystemMetric))
        rows.push_back(row.number + "|" + row.name + "|" + row.diameter + "|" + row.action);
    EXPECT_EQ(rows,
        (std::vector<std::string> {"003|Neu für drei| 5.000|*ersetzt \"Fräser Ø3\"", "004|Vier| 2.000|*neu",
            "000|Null| 0.000|*übersprungen: *Werkzeug 0 ist reserviert",
            "500|Zu hoch| 2.000|*übersprungen: *keine Werkzeugnummer von 1 bis 499",
            "004|Nochmal vier| 2.000|*übersprungen: *die Nummer kam in der Datei schon vor",
            "006|Zwei | Felder| 2.000|*übersprungen: *ein Text enthält einen Zeilenumbruch oder \" | \"",
            "|Halter|---|*übersprungen: *kein Werkzeug (Halter)"}));
    EXPECT_EQ(importPreviewSummary(kTexts, plan),
        "*1 neu, 1 ersetzt, 5 übersprungen.\n*Mit OK werden die neuen und ersetzten Werkzeuge übernommen, mit "
        "Abbrechen bleibt die Tabelle, wie sie ist.");

    // The replaced tool keeps what the file does not carry; the new one gets "T4".
    auto applied = test::newMachine();
    storeTool(*applied, 2, exchangeTool(3));
    EXPECT_EQ(applyToolImport(*applied, plan), (std::vector<int> {3, 4}));
    const ToolRecord three = loadTool(*applied, 2);
    EXPECT_EQ(utf16ToUtf8(toolText(three, ToolField::Maker)), "Maker 3");
    EXPECT_EQ(three.radius, 2.5f);
    EXPECT_EQ(utf16ToUtf8(toolText(loadTool(*applied, 3), ToolField::NcData)), "T4");
    EXPECT_TRUE(isPresent(loadTool(*applied, 3)));
}

// Names the formats cannot hold as they are: kept, cut with a notice, or refused.
TEST(ExchangeHostileNames, SurviveOrAreRefusedCleanly)
{
    const std::u16string hostile = u"../..\\a\"b'c/Фреза 刀";
    test::TempFolder folder;
    auto machine = test::newMachine();
    ToolRecord record = exchangeTool(1);
    setToolText(record, ToolField::Description, hostile);
    storeTool(*machine, 0, record);

    // Text formats carry it as it is.
    for (ToolExchangeFormat format :
        {ToolExchangeFormat::LinuxCnc, ToolExchangeFormat::FusionJson, ToolExchangeFormat::FreeCad}) {
        const std::filesystem::path path = folder / "hostile.out";
        ASSERT_TRUE(exportToolExchangeFile(format, *machine, path, {}, kTexts).written);
        const ExchangeReadResult read = readToolExchangeFile(format, path, ExchangeUnit::Millimetre);
        ASSERT_TRUE(read.ok()) << static_cast<int>(format);
        EXPECT_EQ(std::u16string(toolText(read.tools[0].record, ToolField::Description)), hostile);
    }
    // The bit file gets a plain name beside the library, never a path of its own.
    EXPECT_EQ(freeCadBitFileName(1, hostile), "T001_______a_b_c________.fctb");
    EXPECT_TRUE(std::filesystem::exists(folder / "T001_______a_b_c________.fctb"));

    // TOOL.T is Windows-1252: Cyrillic cannot be written, and nothing is.
    const ToolExchangeExportResult refused
        = exportToolExchangeFile(ToolExchangeFormat::Heidenhain, *machine, folder / "TOOL.T", {}, kTexts);
    EXPECT_FALSE(refused.written);
    EXPECT_FALSE(std::filesystem::exists(folder / "TOOL.T"));
    EXPECT_EQ(toolExchangeExportMessage(kTexts, ToolExchangeFormat::Heidenhain, refused, "/x/TOOL.T"),
        "*Die Werkzeugtabelle konnte nicht exportiert werden:\n*Heidenhain-Werkzeugtabelle (TOOL.T)\n/x/TOOL.T\n\n"
        "*Werkzeug 001: *Feld \"*Beschreibung\": der Text kann in diesem Format nicht geschrieben werden.\n\n"
        "*Die Exportdatei wurde nicht geschrieben.");

    // A long Latin name is cut to the column, and its NAME made of allowed characters.
    setToolText(record, ToolField::Description, u"Schaftfräser \"lang\" mit sehr langem Namen über 32");
    storeTool(*machine, 0, record);
    const ToolExchangeExportResult cut
        = exportToolExchangeFile(ToolExchangeFormat::Heidenhain, *machine, folder / "TOOL.T", {}, kTexts);
    ASSERT_TRUE(cut.written);
    EXPECT_EQ(toolExchangeExportMessage(kTexts, ToolExchangeFormat::Heidenhain, cut, "/x/TOOL.T"),
        "*Heidenhain-Werkzeugtabelle (TOOL.T)\n/x/TOOL.T\n\n*1 Werkzeuge geschrieben.\n"
        "*Werkzeug 001: *\"*Beschreibung\" auf 32 Zeichen gekürzt.");
    EXPECT_EQ(heidenhainToolName(u"Schaftfräser \"lang\" mit sehr langem Namen über 32", 32),
        "SCHAFTFR_SER__LANG__MIT_SEHR_LAN");

    // A line break would split a LinuxCNC line: refused.
    setToolText(record, ToolField::Description, u"zwei\nZeilen");
    storeTool(*machine, 0, record);
    EXPECT_FALSE(
        exportToolExchangeFile(ToolExchangeFormat::LinuxCnc, *machine, folder / "x.tbl", {}, kTexts).composed.ok);
}

TEST(ExchangeHeidenhain, WritesBackIntoTheTableItReadKeepingForeignColumnsAndRows)
{
    test::TempFolder folder;
    const std::filesystem::path path = folder / "TOOL.T";
    test::writeBytes(path, kToolTMm);
    auto machine = test::newMachine();
    // Tool 1 is a twist drill: its point angle goes to T-ANGLE, and the R2 the control
    // had stays as it was; tool 5 is a face mill with a corner radius in R2.
    ToolRecord one = exchangeTool(1);
    setToolText(one, ToolField::Description, u"Neu");
    storeTool(*machine, 0, one);
    storeTool(*machine, 4, exchangeTool(5));
    const ToolExchangeExportResult result
        = exportToolExchangeFile(ToolExchangeFormat::Heidenhain, *machine, path, {}, kTexts);
    ASSERT_TRUE(result.written);
    EXPECT_EQ(result.composed.keptRows, 2u); // tool 0 and tool 2
    EXPECT_EQ(test::readBytes(path),
        "BEGIN TOOL.T MM\r\n"
        "T     NAME                L          R          R2      TL PLC       CUT TYP   DOC                 T-ANGLE\r\n"
        "0     NULLWZ              +0         +0         +0         %00000000 0   MILL\r\n"
        "1     NEU                 +40.1250   +0.0625    +0,5    L  %00000011 1   DRILL Neu                 "
        "+118.0000\r\n"
        "2     SPB_8_5             +120.1     +4.25      +0         %00000000 2   DRILL                     +118\r\n"
        "5     FR_SER__5           +40.6250   +0.3125    +1.0000              5   MILL  Fr\xE4ser \xD8"
        "5\r\n"
        "[END]\r\n");
}

TEST(ExchangeNumbers, AreWrittenWithTheDecimalsTheyNeed)
{
    EXPECT_EQ(exchangeNumberText(2.5f, 1.0, 3), "2.500");
    EXPECT_EQ(exchangeNumberText(12.7f, kExchangeMillimetresPerInch, 4), "0.5000");
    EXPECT_EQ(exchangeNumberText(10.0f, kExchangeMillimetresPerInch, 4), "0.3937008");
    EXPECT_EQ(exchangeNumberText(0.1f, 1.0, 4, 4), "0.1000");
    EXPECT_EQ(exchangeNumberText(-0.0f, 1.0, 3), "0.000");
    const std::pair<const char*, std::optional<double>> parsed[]
        = {{"+1,5", 1.5}, {"-0.25", -0.25}, {".5", 0.5}, {"7", 7.0}, {"1.2.3", std::nullopt}, {"", std::nullopt},
            {"-", std::nullopt}, {"1e3", std::nullopt}, {" 1", std::nullopt}, {"1,5,0", std::nullopt}};
    for (const auto& [text, value] : parsed)
        EXPECT_EQ(parseExchangeNumber(text), value) << text;
}

} // namespace
} // namespace kvt
