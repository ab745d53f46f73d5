#include "app/options_storage_file.h"
#include "options/options_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <ostream>

namespace kvt {
namespace {

using test::fillPattern;
using test::newRecord;
using test::TempFolder;

// Writes the options file as the program does, with the record marked by its seed.
void writeOptions(const std::filesystem::path& file, std::uint32_t seed)
{
    auto record = newRecord();
    fillPattern(*record, seed);
    record->settings.changed = 1;
    OptionsStorageFile storage;
    ASSERT_EQ(storage.write(file, *record), std::nullopt);
}

// The record a plain read of the file gives.
std::unique_ptr<OptionsRecord> readPlainly(const std::filesystem::path& file)
{
    auto record = newRecord();
    OptionsStorageFile storage;
    EXPECT_EQ(storage.read(file, *record).failure, OptionsReadFailure::None);
    return record;
}

bool sameRecord(const OptionsRecord& a, const OptionsRecord& b)
{
    return std::memcmp(&a, &b, kOptionsStoredSize) == 0; // the stored part leads the record
}

struct ReadAheadCase {
    const char* name;
    // What happens to the file between the read ahead and the read.
    std::function<void(const std::filesystem::path& file)> meanwhile;
    bool readOtherFile;
    bool takenAhead;

    friend void PrintTo(const ReadAheadCase& c, std::ostream* os) { *os << c.name; }
};

class ReadAhead : public testing::TestWithParam<ReadAheadCase> { };

TEST_P(ReadAhead, TakesTheFileReadAheadOnlyWhenItIsStillTheSame)
{
    const TempFolder folder;
    const std::filesystem::path file = folder.path() / "Options.kvt";
    const std::filesystem::path other = folder.path() / "Other.kvt";
    writeOptions(file, 1);
    writeOptions(other, 3);

    OptionsStorageFile storage(file);
    storage.finishReadAhead();
    GetParam().meanwhile(file);

    const std::filesystem::path target = GetParam().readOtherFile ? other : file;
    const auto expected = readPlainly(target);
    auto record = newRecord();
    fillPattern(*record, 7);
    const OptionsReadOutcome outcome = storage.read(target, *record);
    EXPECT_EQ(outcome.failure, OptionsReadFailure::None);
    EXPECT_EQ(outcome.message, "");
    EXPECT_EQ(storage.lastReadWasAhead(), GetParam().takenAhead);
    EXPECT_TRUE(sameRecord(*record, *expected));
    // The marker block and the page flags are set as by every read.
    EXPECT_EQ(record->machines[0].blockMarker[15], 15);
    EXPECT_EQ(record->settings.dialogChanged[0], 0);

    // Used once: the next read reads the file again.
    auto again = newRecord();
    EXPECT_EQ(storage.read(target, *again).failure, OptionsReadFailure::None);
    EXPECT_FALSE(storage.lastReadWasAhead());
    EXPECT_TRUE(sameRecord(*again, *expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadAhead,
    testing::Values(ReadAheadCase {"Unchanged", [](const std::filesystem::path&) {}, false, true},
        // Another instance saving at its end: a new file put in place by a rename.
        ReadAheadCase {"ReplacedByAWrite", [](const std::filesystem::path& f) { writeOptions(f, 2); }, false, false},
        ReadAheadCase {"AnotherFileIsRead", [](const std::filesystem::path&) {}, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadAheadFailures, AreLeftToTheReadAtItsTime)
{
    const TempFolder folder;
    const std::filesystem::path file = folder.path() / "Options.kvt";

    // No file when the start looked: one that appears before the read is read.
    {
        OptionsStorageFile storage(file);
        storage.finishReadAhead();
        writeOptions(file, 4);
        auto record = newRecord();
        EXPECT_EQ(storage.read(file, *record).failure, OptionsReadFailure::None);
        EXPECT_FALSE(storage.lastReadWasAhead());
        EXPECT_TRUE(sameRecord(*record, *readPlainly(file)));
    }
    // A damaged file is reported by the read, with the record left alone.
    {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(3000, 'x');
        OptionsStorageFile storage(file);
        auto record = newRecord();
        fillPattern(*record, 5);
        auto before = std::make_unique<OptionsRecord>(*record);
        const OptionsReadOutcome outcome = storage.read(file, *record);
        EXPECT_EQ(outcome.failure, OptionsReadFailure::Damaged);
        EXPECT_EQ(outcome.message, "Readfile1");
        EXPECT_FALSE(storage.lastReadWasAhead());
        EXPECT_EQ(std::memcmp(record.get(), before.get(), sizeof(OptionsRecord)), 0);
    }
    // A write in between makes the file read ahead stale even under the same name.
    {
        writeOptions(file, 6);
        OptionsStorageFile storage(file);
        auto written = newRecord();
        fillPattern(*written, 8);
        written->settings.changed = 1;
        EXPECT_EQ(storage.write(file, *written), std::nullopt);
        auto record = newRecord();
        EXPECT_EQ(storage.read(file, *record).failure, OptionsReadFailure::None);
        EXPECT_FALSE(storage.lastReadWasAhead());
        EXPECT_TRUE(sameRecord(*record, *readPlainly(file)));
    }
}

} // namespace
} // namespace kvt
