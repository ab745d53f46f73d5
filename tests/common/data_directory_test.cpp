#include "common/data_directory.h"

#include "common/fakes.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kvt {
namespace {

using namespace std::chrono_literals;
using test::TempFolder;

void touch(const std::filesystem::path& file, std::filesystem::file_time_type written)
{
    std::ofstream(file) << "x";
    std::filesystem::last_write_time(file, written);
}

TEST(DataDirectory, CreatesTheWholeTreeInOrder)
{
    TempFolder temp;
    const std::filesystem::path data = temp.path() / "Venmark" / "Kalvora Tools";
    std::filesystem::create_directories(data.parent_path());
    EXPECT_EQ(createDataDirectories(data), 0);
    for (std::string_view name : kDataDirectoryLayout)
        EXPECT_TRUE(std::filesystem::is_directory(data / name)) << name;
    EXPECT_EQ(createDataDirectories(data), 0); // nothing to do the second time
}

TEST(DataDirectory, ParentsComeBeforeTheirFolders)
{
    // Each folder is created on its own, so a parent listed later would fail its children.
    for (std::size_t i = 0; i < kDataDirectoryLayout.size(); ++i) {
        const std::string_view name = kDataDirectoryLayout[i];
        const auto slash = name.rfind('/');
        if (slash == std::string_view::npos)
            continue;
        const auto parent = std::find(kDataDirectoryLayout.begin(), kDataDirectoryLayout.end(), name.substr(0, slash));
        ASSERT_NE(parent, kDataDirectoryLayout.end()) << name;
        EXPECT_LT(static_cast<std::size_t>(parent - kDataDirectoryLayout.begin()), i) << name;
    }
}

TEST(DataDirectory, FailuresAreCountedNotThrown)
{
    TempFolder temp;
    std::ofstream(temp.path() / "file") << "x";
    EXPECT_EQ(createDataDirectories(temp.path() / "file"), 1 + static_cast<int>(kDataDirectoryLayout.size()));
}

struct AgeCase {
    const char* name;
    int days;
    std::chrono::hours age;
    bool deleted;
};

class DeleteOldFilesTest : public ::testing::TestWithParam<AgeCase> { };

TEST_P(DeleteOldFilesTest, AgeInWholeDays)
{
    TempFolder temp;
    const auto now = std::filesystem::file_time_type::clock::now();
    const FixedClock clock({}, now);
    const std::filesystem::path file = temp.path() / "SDR Report_01012025_120000.txt";
    touch(file, now - GetParam().age);
    EXPECT_EQ(deleteOldFiles(temp.path(), GetParam().days, clock), GetParam().deleted ? 1 : 0);
    EXPECT_EQ(std::filesystem::exists(file), !GetParam().deleted);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, DeleteOldFilesTest,
    ::testing::Values(AgeCase {"ThreeDaysStays", 3, 72h, false}, AgeCase {"FourDaysGoes", 3, 96h, true},
        AgeCase {"SevenDaysStays", 7, 7 * 24h, false}, AgeCase {"AlmostEightDaysStays", 7, 8 * 24h - 1h, false},
        AgeCase {"EightDaysGoes", 7, 8 * 24h, true}, AgeCase {"ThirtyDaysStays", 30, 30 * 24h + 23h, false},
        AgeCase {"ThirtyOneDaysGoes", 30, 31 * 24h, true}, AgeCase {"FutureFileStays", 3, -48h, false},
        AgeCase {"NegativeDaysDeleteNothing", -1, 1000h, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeleteOldFiles, OnlyTextFilesOfTheFolderItself)
{
    TempFolder temp;
    const auto now = std::filesystem::file_time_type::clock::now();
    const FixedClock clock({}, now);
    const auto old = now - 100 * 24h;
    touch(temp.path() / "a.txt", old);
    touch(temp.path() / "B.TXT", old);
    touch(temp.path() / "tools.kvwz", old);
    touch(temp.path() / "notes.txt.bak", old);
    std::filesystem::create_directory(temp.path() / "folder.txt");
    std::filesystem::create_directory(temp.path() / "sub");
    touch(temp.path() / "sub" / "c.txt", old);
    EXPECT_EQ(deleteOldFiles(temp.path(), 3, clock), 2);
    EXPECT_FALSE(std::filesystem::exists(temp.path() / "a.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp.path() / "B.TXT"));
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "tools.kvwz"));
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "notes.txt.bak"));
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "folder.txt"));
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "sub" / "c.txt"));
    EXPECT_EQ(deleteOldFiles(temp.path() / "missing", 3, clock), 0);
}

TEST(DeleteOldReports, CleansTheReportFoldersButNotGal)
{
    TempFolder temp;
    createDataDirectories(temp.path());
    const auto now = std::filesystem::file_time_type::clock::now();
    const FixedClock clock({}, now);
    for (std::string_view name : kDataDirectoryLayout) {
        touch(temp.path() / name / "old.txt", now - 31 * 24h);
        touch(temp.path() / name / "new.txt", now - 24h);
    }
    touch(temp.path() / "old.txt", now - 31 * 24h);
    EXPECT_EQ(deleteOldReports(temp.path(), 30, clock), static_cast<int>(kCleanedReportFolders.size()));
    for (std::string_view name : kDataDirectoryLayout) {
        const bool cleaned = std::find(kCleanedReportFolders.begin(), kCleanedReportFolders.end(), name)
            != kCleanedReportFolders.end();
        EXPECT_EQ(std::filesystem::exists(temp.path() / name / "old.txt"), !cleaned) << name;
        EXPECT_TRUE(std::filesystem::exists(temp.path() / name / "new.txt")) << name;
    }
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "GAL" / "old.txt"));
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "old.txt"));
}

} // namespace
} // namespace kvt
