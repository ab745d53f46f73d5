#include <gtest/gtest.h>

#include <set>

#include "options/options_file.h"
#include "options_test_support.h"

namespace kvt {
namespace {

using test::readFileBytes;
using test::TempFolder;
using test::writeFileBytes;

class BackupOrSeed : public testing::Test {
protected:
    BackupOrSeedResult run()
    {
        return backupOrSeedOptionsFile(
            m_data, m_program, "07032025_1405", [this](const std::filesystem::path& path) { m_hooked.insert(path); });
    }

    TempFolder m_root;
    std::filesystem::path m_data = m_root / "data";
    std::filesystem::path m_program = m_root / "program";
    std::set<std::filesystem::path> m_hooked;
    const std::vector<std::uint8_t> m_userFile = std::vector<std::uint8_t>(3000, 0x11);
    const std::vector<std::uint8_t> m_shippedFile = std::vector<std::uint8_t>(2000, 0x22);
};

TEST_F(BackupOrSeed, ExistingOptionsAreCopiedToTheDatedBackupOverAnOlderOne)
{
    std::filesystem::create_directories(m_data);
    std::filesystem::create_directories(m_program);
    writeFileBytes(m_data / "Options.kvt", m_userFile);
    writeFileBytes(m_data / "Options07032025_1405.sav", std::vector<std::uint8_t>(5000, 0x33));
    writeFileBytes(m_program / "Options.kvt", m_shippedFile);

    const BackupOrSeedResult result = run();
    const auto backup = m_data / "Options07032025_1405.sav";
    EXPECT_EQ(result.outcome, BackupOrSeedOutcome::BackedUp);
    EXPECT_EQ(result.createdFile, backup);
    EXPECT_TRUE(readFileBytes(backup) == m_userFile);
    EXPECT_TRUE(readFileBytes(m_data / "Options.kvt") == m_userFile); // not seeded over
    EXPECT_EQ(m_hooked, (std::set<std::filesystem::path> {m_data / "Options.kvt", backup}));
    EXPECT_EQ(test::leftoverTemporaryFiles(m_data), 0u);
}

TEST_F(BackupOrSeed, MissingOptionsAreSeededFromTheProgramFolder)
{
    std::filesystem::create_directories(m_program);
    writeFileBytes(m_program / "Options.kvt", m_shippedFile);

    const BackupOrSeedResult result = run();
    EXPECT_EQ(result.outcome, BackupOrSeedOutcome::Seeded);
    EXPECT_TRUE(readFileBytes(m_data / "Options.kvt") == m_shippedFile);
    EXPECT_EQ(m_hooked, (std::set<std::filesystem::path> {m_data / "Options.kvt"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_data), std::filesystem::directory_iterator()), 1);
}

TEST_F(BackupOrSeed, NoOptionsAnywhereCreatesNothing)
{
    std::filesystem::create_directories(m_data);
    EXPECT_EQ(run().outcome, BackupOrSeedOutcome::NothingToDo);
    EXPECT_TRUE(std::filesystem::is_empty(m_data));
    EXPECT_TRUE(m_hooked.empty());
}

TEST_F(BackupOrSeed, FailedCopyIsReportedAndCreatesNothing)
{
    // A file where the data folder should be: the folder cannot be made, the copy fails.
    std::filesystem::create_directories(m_program);
    writeFileBytes(m_program / "Options.kvt", m_shippedFile);
    writeFileBytes(m_data, {});
    EXPECT_EQ(run().outcome, BackupOrSeedOutcome::Failed);
    EXPECT_TRUE(std::filesystem::is_regular_file(m_data));
    EXPECT_TRUE(m_hooked.empty());
    EXPECT_EQ(test::leftoverTemporaryFiles(m_root.path()), 0u);
}

} // namespace
} // namespace kvt
