#include "serial/nc_text.h"

#include "common/fakes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>

namespace kvt {
namespace {

using test::TempFolder;

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> folderEntries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class NcTextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_buffer = new NcTextBuffer(); }
    static void TearDownTestSuite()
    {
        delete s_buffer;
        s_buffer = nullptr;
    }
    void SetUp() override { clearNcText(*s_buffer); }

    NcTextBuffer& buffer() { return *s_buffer; }
    std::u16string display() { return std::u16string(ncDisplayText(buffer())); }

    static NcTextBuffer* s_buffer;
    TempFolder folder;
    BuiltinTexts texts;
    FixedClock clock {LocalDateTime {2026, 12, 6, 7, 46, 12}};
};
NcTextBuffer* NcTextTest::s_buffer = nullptr;

struct BackupCase {
    const char* file;
    int languageCode;
    const char* backup;
};

TEST(NcBackupPath, UsesTheRealExtensionAndTheStampOfTheLanguage)
{
    const LocalDateTime time {2026, 12, 6, 7, 46, 12};
    const BackupCase cases[] = {
        {"P1.dat", 44, "P1_Save_2026_12_06_07_46_12.dat"},
        {"P1.dat", 0, "P1_Save_2026_12_06_07_46_12.dat"},
        {"P1.dat", 49, "P1_Save_06_12_2026_07_46_12.dat"},
        {"O1234.nc", 44, "O1234_Save_2026_12_06_07_46_12.nc"},
        {"PROG", 49, "PROG_Save_06_12_2026_07_46_12"},
        {"part.v2.txt", 44, "part.v2_Save_2026_12_06_07_46_12.txt"},
        {"/work/nc/P1.dat", 44, "/work/nc/P1_Save_2026_12_06_07_46_12.dat"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ncBackupPath(c.file, c.languageCode, time).string(), c.backup) << c.file << " " << c.languageCode;
}

TEST_F(NcTextTest, LoadsBytesCountsCrLfPairsAndShowsCodePageCharacters)
{
    const auto path = folder.path() / "P1.dat";
    writeAll(path, "%\r\nN10 G00 X0 (\xE4\x80)\r\nN20 M30\r\n");
    const NcFileResult result = loadNcFile(buffer(), path, texts);
    EXPECT_EQ(result.status, NcFileStatus::Ok);
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(buffer().length, 29u);
    EXPECT_EQ(buffer().lineCount, 3u);
    EXPECT_EQ(buffer().displayLength, 29u);
    EXPECT_EQ(display(), u"%\r\nN10 G00 X0 (\u00E4\u20AC)\r\nN20 M30\r\n");
    EXPECT_EQ(std::string(buffer().narrowText), "%\r\nN10 G00 X0 (\xE4\x80)\r\nN20 M30\r\n");
}

TEST_F(NcTextTest, AnEmptyFileShowsFileEmpty)
{
    const auto path = folder.path() / "empty.dat";
    writeAll(path, "");
    ASSERT_TRUE(storeNcText(buffer(), u"OLD"));
    const NcFileResult result = loadNcFile(buffer(), path, texts);
    EXPECT_EQ(result.status, NcFileStatus::Empty);
    EXPECT_EQ(result.editorText, "*File empty");
    EXPECT_EQ(buffer().length, 0u);
    EXPECT_EQ(display(), u"");
}

TEST_F(NcTextTest, NulBytesOfALoadedFileBecomeSpacesAndAreReported)
{
    const auto path = folder.path() / "nul.dat";
    writeAll(path, std::string("N1\0G0\0\r\n", 8));
    const NcFileResult result = loadNcFile(buffer(), path, texts);
    EXPECT_EQ(result.nulBytesReplaced, 2u);
    EXPECT_EQ(
        result.message, "*Die Datei enthält 2 Null-Bytes. Sie werden als Leerzeichen gezeigt und so auch gespeichert.");
    EXPECT_EQ(display(), u"N1 G0 \r\n");
    EXPECT_EQ(buffer().length, 8u);
}

TEST_F(NcTextTest, AFileOneByteOverTheBufferIsRefusedAndTheTextStays)
{
    ASSERT_TRUE(storeNcText(buffer(), u"N10 G00\r\n"));
    buffer().colourRangeCount = 7;
    const auto path = folder.path() / "big.dat";
    writeAll(path, std::string(kNcMaxTextLength + 1, 'X'));
    const NcFileResult result = loadNcFile(buffer(), path, texts);
    EXPECT_EQ(result.status, NcFileStatus::TooLarge);
    EXPECT_EQ(result.message,
        "*Die Datei ist zu groß für den NC Editor und wurde nicht geladen. Höchstens 10239999 Bytes sind möglich, die "
        "Datei hat mehr.\n\n"
            + path.string());
    EXPECT_EQ(display(), u"N10 G00\r\n");
    EXPECT_EQ(std::string(buffer().narrowText), "N10 G00\r\n");
    EXPECT_EQ(buffer().length, 9u);
    EXPECT_EQ(buffer().colourRangeCount, 7u);
}

TEST_F(NcTextTest, AFileThatFillsTheBufferExactlyLoadsWhole)
{
    const auto path = folder.path() / "full.dat";
    writeAll(path, std::string(kNcMaxTextLength, 'X'));
    EXPECT_EQ(loadNcFile(buffer(), path, texts).status, NcFileStatus::Ok);
    EXPECT_EQ(buffer().length, kNcMaxTextLength);
    EXPECT_EQ(buffer().displayLength, kNcMaxTextLength);
    EXPECT_EQ(buffer().narrowText[kNcMaxTextLength], '\0');
    EXPECT_EQ(buffer().displayText[kNcMaxTextLength - 1], u'X');
}

TEST_F(NcTextTest, AMissingFileIsReportedAndTheTextStays)
{
    ASSERT_TRUE(storeNcText(buffer(), u"KEEP"));
    const auto path = folder.path() / "missing.dat";
    for (const auto& p : {path, folder.path()}) {
        const NcFileResult result = loadNcFile(buffer(), p, texts);
        EXPECT_EQ(result.status, NcFileStatus::Unreadable);
        EXPECT_EQ(result.message, "*Die Datei konnte nicht gelesen werden.\n\n" + p.string());
        EXPECT_EQ(display(), u"KEEP");
    }
}

TEST_F(NcTextTest, SaveWritesTheCodePageTextAndKeepsItInTheBuffer)
{
    const auto path = folder.path() / "P1.dat";
    const NcFileResult result = saveNcFile(buffer(), path, u"N10 (\u00E4\u2192)\r\n", texts);
    EXPECT_EQ(result.status, NcFileStatus::Ok);
    EXPECT_EQ(readAll(path), "N10 (\xE4?)\r\n");
    EXPECT_EQ(std::string(buffer().narrowText), "N10 (\xE4?)\r\n");
    EXPECT_EQ(buffer().length, 10u);
    EXPECT_EQ(display(), u"N10 (\u00E4?)\r\n");
    EXPECT_EQ(buffer().lineCount, 1u);
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string> {"P1.dat"});
}

TEST_F(NcTextTest, SavingAnEmptyTextTouchesNothingAndSaysSo)
{
    const auto path = folder.path() / "P1.dat";
    writeAll(path, "OLD PROGRAM\r\n");
    for (bool withBackup : {false, true}) {
        const NcFileResult result = withBackup ? saveNcFileWithBackup(buffer(), path, u"", 44, clock, texts)
                                               : saveNcFile(buffer(), path, u"", texts);
        EXPECT_EQ(result.status, NcFileStatus::NothingToSave);
        EXPECT_EQ(result.message,
            "*Der Text ist leer. Es wurde nichts gespeichert und keine Sicherungskopie angelegt; die Datei bleibt, wie "
            "sie war.");
        EXPECT_EQ(readAll(path), "OLD PROGRAM\r\n");
        EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string> {"P1.dat"});
    }
}

TEST_F(NcTextTest, ATextLongerThanTheBufferIsNotSaved)
{
    const auto path = folder.path() / "P1.dat";
    writeAll(path, "OLD\r\n");
    const std::u16string tooLong(kNcMaxTextLength + 1, u'X');
    const NcFileResult result = saveNcFileWithBackup(buffer(), path, tooLong, 44, clock, texts);
    EXPECT_EQ(result.status, NcFileStatus::TextTooLong);
    EXPECT_EQ(result.message,
        "*Der Text ist zu lang für eine NC Datei (höchstens 10239999 Bytes). Es wurde nichts gespeichert.");
    EXPECT_EQ(readAll(path), "OLD\r\n");
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string> {"P1.dat"});
}

TEST_F(NcTextTest, SaveWithBackupKeepsEveryEarlierVersion)
{
    const auto path = folder.path() / "O1234.nc";
    writeAll(path, "VERSION 0\r\n");
    const NcFileResult first = saveNcFileWithBackup(buffer(), path, u"VERSION 1\r\n", 44, clock, texts);
    ASSERT_EQ(first.status, NcFileStatus::Ok);
    EXPECT_EQ(first.backupPath, folder.path() / "O1234_Save_2026_12_06_07_46_12.nc");
    // A second save in the same second must not overwrite the first backup.
    const NcFileResult second = saveNcFileWithBackup(buffer(), path, u"VERSION 2\r\n", 44, clock, texts);
    ASSERT_EQ(second.status, NcFileStatus::Ok);
    EXPECT_EQ(second.backupPath, folder.path() / "O1234_Save_2026_12_06_07_46_12_2.nc");

    EXPECT_EQ(readAll(path), "VERSION 2\r\n");
    EXPECT_EQ(readAll(first.backupPath), "VERSION 0\r\n");
    EXPECT_EQ(readAll(second.backupPath), "VERSION 1\r\n");
    EXPECT_EQ(folderEntries(folder.path()),
        (std::vector<std::string> {
            "O1234.nc", "O1234_Save_2026_12_06_07_46_12.nc", "O1234_Save_2026_12_06_07_46_12_2.nc"}));
}

TEST_F(NcTextTest, SaveWithBackupOfANewFileMakesNoBackup)
{
    const auto path = folder.path() / "PROG";
    const NcFileResult result = saveNcFileWithBackup(buffer(), path, u"N10\r\n", 49, clock, texts);
    EXPECT_EQ(result.status, NcFileStatus::Ok);
    EXPECT_TRUE(result.backupPath.empty());
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string> {"PROG"});
}

TEST_F(NcTextTest, AFailedWriteLeavesTheBufferAsItWas)
{
    ASSERT_TRUE(storeNcText(buffer(), u"KEEP"));
    const auto path = folder.path() / "no such folder" / "P1.dat";
    const NcFileResult result = saveNcFileWithBackup(buffer(), path, u"NEW\r\n", 44, clock, texts);
    EXPECT_EQ(result.status, NcFileStatus::WriteFailed);
    EXPECT_EQ(result.message,
        "*Die Datei konnte nicht gespeichert werden. Eine vorhandene Datei bleibt, wie sie war.\n\n" + path.string());
    EXPECT_EQ(std::string(buffer().narrowText), "KEEP");
}

TEST_F(NcTextTest, ReplaceNulBytesOnlyWithinTheLength)
{
    std::memcpy(buffer().narrowText, "A\0B\0C", 5);
    buffer().length = 4;
    EXPECT_EQ(replaceNulBytes(buffer()), 2u);
    EXPECT_EQ(std::string(buffer().narrowText, 6), std::string("A B C\0", 6));
}

TEST_F(NcTextTest, AReceivedProgramIsShownAndSavedWithItsNulBytesAsSpaces)
{
    std::memcpy(buffer().narrowText, "N1\0G0\r\n", 7);
    buffer().length = 7;
    const auto path = folder.path() / "received.dat";
    EXPECT_EQ(saveReceivedText(buffer(), path, texts).status, NcFileStatus::Ok);
    EXPECT_EQ(readAll(path), "N1"); // as the bytes stand, a NUL ends the text
    EXPECT_EQ(replaceNulBytes(buffer()), 1u);
    showReceivedText(buffer());
    EXPECT_EQ(display(), u"N1 G0\r\n");
    EXPECT_EQ(buffer().lineCount, 1u);
    EXPECT_EQ(saveReceivedText(buffer(), path, texts).status, NcFileStatus::Ok);
    EXPECT_EQ(readAll(path), "N1 G0\r\n");

    clearNcText(buffer());
    EXPECT_EQ(saveReceivedText(buffer(), path, texts).status, NcFileStatus::NothingToSave);
    EXPECT_EQ(readAll(path), "N1 G0\r\n");
}

TEST(NcTextLines, CountsOnlyCrLfPairsAndAddsMissingCarriageReturns)
{
    EXPECT_EQ(countCrLf(u"A\r\nB\nC\rD\r\n\r\n"), 3u);
    EXPECT_EQ(countCrLf(u"\r"), 0u);
    EXPECT_EQ(withCrLf(u"A\nB\r\nC\n"), u"A\r\nB\r\nC\r\n");
    EXPECT_EQ(withCrLf(u"\n"), u"\r\n");
}

} // namespace
} // namespace kvt
