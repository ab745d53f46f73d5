#include "common/report_writer.h"

#include "common/code_page.h"
#include "common/data_directory.h"
#include "common/fakes.h"
#include "state/open_dialog_data.h"
#include "state/state_blocks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

namespace kvt {
namespace {

using test::RecordingMessageBoxes;
using test::TempFolder;

std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const LocalDateTime kMarch7 {2025, 3, 7, 14, 5, 9};

TEST(ReportFileNames, KindFolderPrefixAndStamp)
{
    const std::filesystem::path data = "/data";
    const std::pair<int, std::string> german[] = {
        {8, "SDR/SDR Report_07032025_140509.txt"},
        {4, "KSM/KSS Report_07032025_140509.txt"},
        {1, "AMDWS/AMDWS Report_07032025_140509.txt"},
        {13, "GAL/GAL Report_07032025_140509.txt"},
        {0, "07032025_140509.txt"},
        {14, "07032025_140509.txt"},
    };
    for (const auto& [kind, name] : german)
        EXPECT_EQ(reportFilePath(data, kind, 49, kMarch7), data / name) << kind;
    EXPECT_EQ(reportFilePath(data, 8, 44, kMarch7), data / "SDR/SDR Report_20250307_140509.txt");
    EXPECT_EQ(reportFilePath(data, 8, 0, kMarch7), data / "SDR/SDR Report_20250307_140509.txt");
}

TEST(ReportFileNames, EveryKindHasAFolderOfTheDataDirectory)
{
    for (const ReportKind& kind : kReportKinds) {
        EXPECT_NE(std::find(kDataDirectoryLayout.begin(), kDataDirectoryLayout.end(), kind.folder),
            kDataDirectoryLayout.end())
            << kind.folder;
        EXPECT_TRUE(kind.prefix.ends_with(" Report_"));
    }
}

TEST(ReportLines, LabelTabColonValue)
{
    EXPECT_EQ(reportLine("Durchmesser D [mm]", "12.000"), "Durchmesser D [mm]\t: 12.000\r\n");
    EXPECT_EQ(reportSeparator(44), std::string(44, '-') + "\r\n");
}

class ReportWriterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_buffer = new NcTextBuffer(); }
    static void TearDownTestSuite()
    {
        delete s_buffer;
        s_buffer = nullptr;
    }

    void SetUp() override
    {
        clearReportArea(s_buffer->reportText);
        state = std::make_unique<OpenDialogData>();
        state->languageCode = 49;
        setDataDirectory(folder.path());
        createDataDirectories(folder.path());
    }

    void setDataDirectory(const std::filesystem::path& path)
    {
        setFixedText(state->dataDirectory, (path / "").u16string());
    }

    std::filesystem::path lastReportPath() const { return std::u16string(fixedText(state->lastReportPath)); }

    static NcTextBuffer* s_buffer;
    TempFolder folder;
    std::unique_ptr<OpenDialogData> state;
    FixedClock clock {kMarch7};
    BuiltinTexts texts;
    RecordingMessageBoxes boxes;
    ReportWriter writer {clock, texts, boxes};
};

NcTextBuffer* ReportWriterTest::s_buffer = nullptr;

TEST_F(ReportWriterTest, ReadsBackAsWindows1252)
{
    const std::string text = "Schnittdaten 07.03.2025_14:05\r\nØ 12 mm\t: 1 €\r\nΩ漢\r\n";
    const ReportWriteResult result = writer.write(*state, *s_buffer, 8, text);
    ASSERT_TRUE(result.written) << result.error;
    EXPECT_EQ(result.path, folder.path() / "SDR" / "SDR Report_07032025_140509.txt");
    EXPECT_EQ(lastReportPath(), result.path);
    // No byte order mark, no terminating zero, '?' for what the code page lacks.
    EXPECT_EQ(readBytes(result.path), "Schnittdaten 07.03.2025_14:05\r\n\xD8 12 mm\t: 1 \x80\r\n??\r\n");
    EXPECT_STREQ(s_buffer->reportNarrow, readBytes(result.path).c_str());
    EXPECT_TRUE(boxes.shown.empty());
    // Only the report itself is left in the folder, no temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path() / "SDR"), {}), 1);
}

TEST_F(ReportWriterTest, EnglishNameHoldsTheYearFirst)
{
    state->languageCode = 44;
    const ReportWriteResult result = writer.write(*state, *s_buffer, 8, "x");
    EXPECT_EQ(result.path.filename(), "SDR Report_20250307_140509.txt");
    EXPECT_TRUE(std::filesystem::exists(result.path));
}

TEST_F(ReportWriterTest, EveryKindLandsInItsFolder)
{
    for (const ReportKind& kind : kReportKinds) {
        const ReportWriteResult result = writer.write(folder.path(), kind.kind, 49, "r");
        ASSERT_TRUE(result.written) << kind.kind;
        EXPECT_EQ(result.path.parent_path(), folder.path() / kind.folder);
    }
    const ReportWriteResult other = writer.write(folder.path(), 99, 49, "r");
    EXPECT_EQ(other.path, folder.path() / "07032025_140509.txt");
    EXPECT_TRUE(other.written);
}

TEST_F(ReportWriterTest, SameSecondReplacesTheReport)
{
    writer.write(*state, *s_buffer, 2, "first report");
    const ReportWriteResult second = writer.write(*state, *s_buffer, 2, "second");
    EXPECT_EQ(readBytes(second.path), "second");
}

TEST_F(ReportWriterTest, LongReportIsWrittenWhole)
{
    std::string text;
    for (int line = 0; text.size() < 3 * kReportTextLength; ++line)
        text += "Zeile " + std::to_string(line) + "\t: Ø 12.000 mm\r\n";
    const ReportWriteResult result = writer.write(*state, *s_buffer, 9, text);
    ASSERT_TRUE(result.written);
    EXPECT_EQ(readBytes(result.path), utf8ToAnsi(text));
    // The shared areas hold a terminated copy cut to their size.
    EXPECT_EQ(s_buffer->reportText[kReportTextLength - 1], u'\0');
    EXPECT_EQ(fixedText(s_buffer->reportText).size(), kReportTextLength - 1);
    EXPECT_EQ(s_buffer->reportNarrow[kReportTextLength - 1], '\0');
}

TEST_F(ReportWriterTest, AreaIsReadUpToItsTerminatorOnly)
{
    clearReportArea(s_buffer->reportText);
    EXPECT_TRUE(appendToReportArea(s_buffer->reportText, "Kopf\r\n"));
    EXPECT_TRUE(appendToReportArea(s_buffer->reportText, "Wert\t: 1\r\n"));
    ReportWriteResult result = writer.writeFromArea(*state, *s_buffer, 10);
    EXPECT_EQ(readBytes(result.path), "Kopf\r\nWert\t: 1\r\n");

    // An area filled to the last unit without a terminator (a careless writer) is read
    // up to its end and no further.
    std::fill(std::begin(s_buffer->reportText), std::end(s_buffer->reportText), u'A');
    clock.setLocalTime({2025, 3, 7, 14, 5, 10});
    result = writer.writeFromArea(*state, *s_buffer, 10);
    EXPECT_EQ(readBytes(result.path), std::string(kReportTextLength, 'A'));
}

TEST_F(ReportWriterTest, TextStopsAtAnEmbeddedZero)
{
    const ReportWriteResult result = writer.write(folder.path(), 3, 49, std::string_view("abc\0def", 7));
    EXPECT_EQ(readBytes(result.path), "abc");
}

TEST_F(ReportWriterTest, FailureIsReportedWithThePathAndTheTextIsKept)
{
    setDataDirectory(folder.path() / "missing");
    state->messageBoxPending = 0;
    const std::string text = "Bericht\r\n";
    const ReportWriteResult result = writer.write(*state, *s_buffer, 8, text);
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(std::filesystem::exists(result.path));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("*Der Report konnte nicht geschrieben werden:"), std::string::npos);
    EXPECT_NE(boxes.shown[0].text.find(pathToUtf8(result.path)), std::string::npos);
    EXPECT_EQ(boxes.shown[0].caption, "*Fehler");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(state->messageBoxPending, 1);
    EXPECT_EQ(reportAreaText(s_buffer->reportText), text);
    // The path is kept, so opening the report shows the viewer's own complaint rather
    // than an older report.
    EXPECT_EQ(lastReportPath(), result.path);

    // Once the folder is back the same text can be written again.
    setDataDirectory(folder.path());
    EXPECT_TRUE(writer.writeFromArea(*state, *s_buffer, 8).written);
}

TEST(ReportArea, BoundedAppend)
{
    std::array<char16_t, 8> area {};
    EXPECT_TRUE(appendToReportArea(area, "abc"));
    EXPECT_TRUE(appendToReportArea(area, "ü"));
    EXPECT_FALSE(appendToReportArea(area, "defgh"));
    EXPECT_EQ(reportAreaText(area), "abcüdef");
    EXPECT_EQ(area.back(), u'\0');
    EXPECT_FALSE(appendToReportArea(area, "x"));
    EXPECT_EQ(reportAreaText(area), "abcüdef");
    clearReportArea(area);
    EXPECT_EQ(reportAreaText(area), "");
}

class RecordingLauncher final : public TextViewerLauncher {
public:
    bool open(const std::filesystem::path& file) override
    {
        opened.push_back(file);
        return true;
    }
    std::vector<std::filesystem::path> opened;
};

TEST(OpenReport, OpensTheLastReportOnly)
{
    auto state = std::make_unique<OpenDialogData>();
    RecordingLauncher launcher;
    EXPECT_FALSE(openReport(*state, launcher));
    EXPECT_TRUE(launcher.opened.empty());
    setFixedText(state->lastReportPath, u"/data/SDR/SDR Report_07032025_140509.txt");
    EXPECT_TRUE(openReport(*state, launcher));
    ASSERT_EQ(launcher.opened.size(), 1u);
    EXPECT_EQ(launcher.opened[0], "/data/SDR/SDR Report_07032025_140509.txt");
}

} // namespace
} // namespace kvt
