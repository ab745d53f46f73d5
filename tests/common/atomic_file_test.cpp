#include "common/atomic_file.h"

#include "common/fakes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace kvt {
namespace {

using test::TempFolder;

std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

int entriesIn(const std::filesystem::path& folder)
{
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(DamagedCopy, EachDamageKeepsItsOwnCopyUnderTheNextName)
{
    struct Case {
        const char* file;
        DamagedCopyNames names;
        const char* first;
        const char* second;
        const char* third;
    };
    const Case cases[] = {
        {"Options.kvt", {"Options.kvt.damaged", ""}, "Options.kvt.damaged", "Options.kvt.damaged2",
            "Options.kvt.damaged3"},
        {"GaugeBlockSets.txt", {"GaugeBlockSets.damaged", ".txt"}, "GaugeBlockSets.damaged.txt",
            "GaugeBlockSets.damaged2.txt", "GaugeBlockSets.damaged3.txt"},
        {"ControlProfiles.txt", {"ControlProfiles.txt.bad", ""}, "ControlProfiles.txt.bad", "ControlProfiles.txt.bad2",
            "ControlProfiles.txt.bad3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempFolder folder;
        const std::filesystem::path file = folder.path() / c.file;
        EXPECT_EQ(freeDamagedCopyPath(folder.path(), c.names), folder.path() / c.first);

        writeBytes(file, "first damage\n");
        std::string error = "untouched";
        EXPECT_EQ(keepDamagedCopy(file, c.names, &error), folder.path() / c.first);
        EXPECT_EQ(error, "untouched");
        writeBytes(file, std::string("second\0damage", 13));
        EXPECT_EQ(freeDamagedCopyPath(folder.path(), c.names), folder.path() / c.second);
        EXPECT_EQ(keepDamagedCopy(file, c.names), folder.path() / c.second);

        EXPECT_EQ(readBytes(folder.path() / c.first), "first damage\n");
        EXPECT_EQ(readBytes(folder.path() / c.second), std::string("second\0damage", 13));
        EXPECT_EQ(readBytes(file), std::string("second\0damage", 13)); // the original is left to the caller
        EXPECT_EQ(entriesIn(folder.path()), 3); // no temporary file stays behind

        // A name taken by anything, even a folder, is passed over, never replaced.
        std::filesystem::remove(folder.path() / c.first);
        std::filesystem::create_directory(folder.path() / c.first);
        EXPECT_EQ(keepDamagedCopy(file, c.names), folder.path() / c.third);
        EXPECT_TRUE(std::filesystem::is_directory(folder.path() / c.first));
    }
}

TEST(DamagedCopy, ACopyThatCannotBeMadeIsReportedAndNothingChanges)
{
    TempFolder folder;
    // The copy's name still fits the file system, its temporary file's name does not.
    const std::string longName(245, 'n');
    const std::filesystem::path file = folder.path() / longName;
    writeBytes(file, "damaged\n");
    std::string error;
    EXPECT_EQ(keepDamagedCopy(file, {longName + ".damaged", ""}, &error), std::nullopt);
    EXPECT_EQ(error, longName + ".damaged: " + std::strerror(ENAMETOOLONG));
    EXPECT_EQ(readBytes(file), "damaged\n");
    EXPECT_EQ(entriesIn(folder.path()), 1);

    // Every name taken: refused, and the reason names the range that was tried.
    const std::filesystem::path options = folder.path() / "Options.kvt";
    writeBytes(options, "damaged\n");
    const DamagedCopyNames names {"Options.kvt.damaged", ""};
    writeBytes(folder.path() / "Options.kvt.damaged", "1");
    for (int number = 2; number <= kMaxDamagedCopies; ++number)
        writeBytes(folder.path() / ("Options.kvt.damaged" + std::to_string(number)), std::to_string(number));
    EXPECT_EQ(freeDamagedCopyPath(folder.path(), names), std::nullopt);
    EXPECT_EQ(keepDamagedCopy(options, names, &error), std::nullopt);
    EXPECT_EQ(error, std::string("Options.kvt.damaged ... Options.kvt.damaged999: ") + std::strerror(EEXIST));
    EXPECT_EQ(readBytes(folder.path() / "Options.kvt.damaged999"), "999");
    EXPECT_EQ(entriesIn(folder.path()), 2 + kMaxDamagedCopies);

    // Only a regular file is copied: a folder where the file should be gives no copy.
    std::filesystem::create_directory(folder.path() / "Folder.txt");
    EXPECT_EQ(keepDamagedCopy(folder.path() / "Folder.txt", {"Folder.damaged", ".txt"}, &error), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Folder.damaged.txt"));
}

} // namespace
} // namespace kvt
