#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include "options/openssl_options_cipher.h"
#include "options/options_file.h"
#include "options_test_support.h"

namespace kvt {
namespace {

using test::bytesOf;
using test::fillPattern;
using test::newRecord;
using test::readFileBytes;
using test::TempFolder;
using test::writeFileBytes;

constexpr std::size_t kFileSize = kOptionsPayloadOffset + kOptionsStoredSize;
constexpr std::size_t kSettingsOffset = offsetof(OptionsRecord, settings);
constexpr std::size_t kChangedOffset = kSettingsOffset + offsetof(GlobalSettings, changed);

void putUint32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// The headers written out by hand from the file layout, independent of the writer.
std::vector<std::uint8_t> expectedHeader(std::uint32_t payloadLength)
{
    std::vector<std::uint8_t> header(kOptionsPayloadOffset, 0);
    const auto putText = [&](std::size_t offset, std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            header[offset + 2 * i] = static_cast<std::uint8_t>(text[i]);
        }
    };
    putUint32(header, 0, 1560 + payloadLength);
    putText(4, "1.0");
    putText(516, "Options.kvt");
    putUint32(header, 1028, 532);
    putUint32(header, 1032, payloadLength);
    putText(1048, "Optionsdata");
    return header;
}

// A file with consistent headers around the given plain bytes, encrypted with the key
// of every options file (pinned by the cipher test).
std::vector<std::uint8_t> buildFile(const std::uint8_t* plain, std::size_t length)
{
    OpenSslOptionsCipher cipher;
    OptionsKey key {};
    EXPECT_TRUE(cipher.deriveKey(optionsKeyPassword(), optionsKeySalt(), 1000, key));
    std::vector<std::uint8_t> file = expectedHeader(static_cast<std::uint32_t>(length));
    file.resize(kOptionsPayloadOffset + length);
    if (length % 16 == 0) {
        EXPECT_TRUE(cipher.encrypt(key, {plain, length}, {file.data() + kOptionsPayloadOffset, length}));
    }
    return file;
}

enum class FailAt { None, DeriveKey, EncryptedLength, Encrypt, Decrypt };

// The real cipher with one step made to fail.
class FaultyCipher final : public OptionsCipher {
public:
    explicit FaultyCipher(FailAt failAt)
        : m_failAt(failAt)
    {
    }
    bool deriveKey(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt, std::uint32_t iterations,
        OptionsKey& key) override
    {
        return m_failAt != FailAt::DeriveKey && m_real.deriveKey(password, salt, iterations, key);
    }
    bool encryptedLength(std::size_t plainLength, std::size_t& length) override
    {
        return m_failAt != FailAt::EncryptedLength && m_real.encryptedLength(plainLength, length);
    }
    bool encrypt(const OptionsKey& key, std::span<const std::uint8_t> in, std::span<std::uint8_t> out) override
    {
        return m_failAt != FailAt::Encrypt && m_real.encrypt(key, in, out);
    }
    bool decrypt(const OptionsKey& key, std::span<const std::uint8_t> in, std::span<std::uint8_t> out) override
    {
        return m_failAt != FailAt::Decrypt && m_real.decrypt(key, in, out);
    }

private:
    FailAt m_failAt;
    OpenSslOptionsCipher m_real;
};

class OptionsFileTest : public testing::Test {
protected:
    // Writes a patterned record and returns the file's bytes.
    std::vector<std::uint8_t> writeValidFile()
    {
        auto record = newRecord();
        fillPattern(*record, 11);
        record->settings.changed = 1;
        EXPECT_EQ(m_file.write(m_path, *record).status, OptionsStatus::Ok);
        return readFileBytes(m_path);
    }

    TempFolder m_folder;
    std::filesystem::path m_path = optionsFilePath(m_folder.path());
    OpenSslOptionsCipher m_cipher;
    OptionsFile m_file {m_cipher};
};

TEST(OptionsRecordLayout, EveryGlobalFieldSitsAtItsStoredOffset)
{
    // Each field set alone in a zero record shows up at exactly these bytes of the
    // stored record, which every options file ever written relies on.
    constexpr std::size_t kSettings = 10 * 965'768;
    struct Case {
        const char* name;
        std::function<void(GlobalSettings&)> set;
        std::size_t offset;
        std::size_t size;
    };
    const Case cases[] = {
        {"unitSystem", [](GlobalSettings& g) { g.unitSystem = 1; }, 0, 1},
        {"volumeUnit", [](GlobalSettings& g) { g.volumeUnit = 9; }, 1, 1},
        {"unitSystemChanged", [](GlobalSettings& g) { g.unitSystemChanged = 1; }, 2, 1},
        {"volumeUnitChanged", [](GlobalSettings& g) { g.volumeUnitChanged = 1; }, 3, 1},
        {"currentMachine", [](GlobalSettings& g) { g.currentMachine = 9; }, 4, 1},
        {"changed", [](GlobalSettings& g) { g.changed = 1; }, 5, 1},
        {"dialogChanged", [](GlobalSettings& g) { std::fill(g.dialogChanged, g.dialogChanged + 4, 1); }, 6, 4},
        {"openReportsAutomatically", [](GlobalSettings& g) { g.openReportsAutomatically = 1; }, 10, 1},
        {"copyUnitsToClipboard", [](GlobalSettings& g) { g.copyUnitsToClipboard = 1; }, 11, 1},
        {"restartMarker", [](GlobalSettings& g) { g.restartMarker = 1; }, 12, 1},
        {"safetyValue", [](GlobalSettings& g) { g.safetyValue = 1.2345678f; }, 16, 4},
        {"startPageIsLastUsed", [](GlobalSettings& g) { g.startPageIsLastUsed = 1; }, 20, 1},
        {"calculationLevel", [](GlobalSettings& g) { g.calculationLevel = 2; }, 21, 1},
    };
    for (const Case& c : cases) {
        auto record = newRecord();
        c.set(record->settings);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(record.get());
        std::size_t first = kOptionsStoredSize;
        std::size_t last = 0;
        for (std::size_t i = 0; i < kOptionsStoredSize; ++i) {
            if (bytes[i] != 0) {
                first = std::min(first, i);
                last = i;
            }
        }
        EXPECT_EQ(first, kSettings + c.offset) << c.name;
        EXPECT_EQ(last + 1 - first, c.size) << c.name;
    }
}

TEST_F(OptionsFileTest, RoundTripKeepsEveryStoredByteAndResetsMarkerAndPageFlags)
{
    auto written = newRecord();
    fillPattern(*written, 1);
    written->machines[0].speedSteps[0] = 63.0f;
    written->machines[4].name[0] = u'Ä';
    written->machines[9].tools[498].bytes[1579] = 0xA5;
    written->settings.unitSystem = 1;
    written->settings.currentMachine = 9;
    written->settings.safetyValue = 1.25f;
    written->settings.dialogChanged[0] = 1;
    written->settings.dialogChanged[3] = 1;
    written->settings.changed = 1;

    const OptionsResult writeResult = m_file.write(m_path, *written);
    ASSERT_EQ(writeResult.status, OptionsStatus::Ok);
    EXPECT_TRUE(writeResult.writeStarted);
    EXPECT_EQ(written->settings.changed, 0);
    EXPECT_FALSE(m_file.writing());
    EXPECT_EQ(test::leftoverTemporaryFiles(m_folder.path()), 0u);

    auto read = newRecord();
    fillPattern(*read, 2);
    auto expected = std::make_unique<OptionsRecord>(*written);
    for (std::size_t i = 0; i < 16; ++i) {
        expected->machines[0].blockMarker[i] = static_cast<std::uint8_t>(i);
    }
    std::fill(std::begin(expected->settings.dialogChanged), std::end(expected->settings.dialogChanged), 0);
    std::memcpy(expected->unstored, read->unstored, sizeof(read->unstored)); // never in the file

    ASSERT_EQ(m_file.read(m_path, *read).status, OptionsStatus::Ok);
    EXPECT_EQ(read->machines[9].tools[498].bytes[1579], 0xA5);
    EXPECT_EQ(read->settings.safetyValue, 1.25f);
    EXPECT_EQ(std::memcmp(read.get(), expected.get(), sizeof(OptionsRecord)), 0);
}

TEST_F(OptionsFileTest, FileHasExactHeadersAndTheRecordEncryptedWithTheFixedKey)
{
    auto record = newRecord();
    fillPattern(*record, 3);
    record->settings.changed = 1;
    ASSERT_EQ(m_file.write(m_path, *record).status, OptionsStatus::Ok);

    const auto file = readFileBytes(m_path);
    ASSERT_EQ(file.size(), kFileSize);
    EXPECT_TRUE(
        std::equal(file.begin(), file.begin() + kOptionsPayloadOffset, expectedHeader(kOptionsStoredSize).begin()));
    // Decrypted by hand with the key pinned in the cipher test, the payload is the record
    // as it stands after the write, `changed` cleared included.
    OpenSslOptionsCipher cipher;
    OptionsKey key {};
    const auto keyBytes
        = std::vector<std::uint8_t> {0x57, 0xed, 0x0d, 0x64, 0xca, 0x06, 0xeb, 0x75, 0xc7, 0x19, 0xcc, 0x8c, 0x80, 0x82,
            0xf9, 0x0e, 0x8b, 0xd7, 0xaa, 0x53, 0x41, 0xf7, 0x48, 0x7e, 0x67, 0x80, 0x2e, 0x95, 0xb5, 0x0d, 0x8e, 0x62};
    std::copy(keyBytes.begin(), keyBytes.end(), key.begin());
    std::vector<std::uint8_t> plain(kOptionsStoredSize);
    ASSERT_TRUE(cipher.decrypt(key, {file.data() + kOptionsPayloadOffset, kOptionsStoredSize}, plain));
    EXPECT_EQ(plain[kChangedOffset], 0);
    EXPECT_EQ(std::memcmp(plain.data(), record.get(), kOptionsStoredSize), 0);
}

TEST_F(OptionsFileTest, WritesOnlyWhenMarkedChanged)
{
    auto record = newRecord();
    record->settings.changed = 1;
    ASSERT_EQ(m_file.write(m_path, *record).status, OptionsStatus::Ok);
    std::filesystem::remove(m_path);

    const OptionsResult second = m_file.write(m_path, *record);
    EXPECT_EQ(second.status, OptionsStatus::Unchanged);
    EXPECT_FALSE(second.writeStarted);
    EXPECT_FALSE(optionsMessageBox(second).has_value());
    EXPECT_FALSE(std::filesystem::exists(m_path));
}

struct WriteFailureCase {
    const char* name;
    FailAt failAt;
    const char* message;

    friend void PrintTo(const WriteFailureCase& c, std::ostream* os) { *os << c.name; }
};

class FailedWrite : public OptionsFileTest, public testing::WithParamInterface<WriteFailureCase> { };

TEST_P(FailedWrite, KeepsOldFileAndChangedMark)
{
    const auto oldFile = writeValidFile();
    auto record = newRecord();
    fillPattern(*record, 5);
    record->settings.changed = 1;

    FaultyCipher cipher(GetParam().failAt);
    OptionsFile file(cipher);
    const OptionsResult result = file.write(m_path, *record);

    EXPECT_TRUE(result.writeStarted);
    const auto box = optionsMessageBox(result);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, GetParam().message);
    EXPECT_EQ(box->caption, "Program Error_QXZR");
    EXPECT_EQ(box->icon, MessageIcon::Information);
    EXPECT_EQ(record->settings.changed, 1);
    EXPECT_FALSE(file.writing());
    EXPECT_TRUE(readFileBytes(m_path) == oldFile);
}

INSTANTIATE_TEST_SUITE_P(CipherSteps, FailedWrite,
    testing::Values(WriteFailureCase {"KeyDerivation", FailAt::DeriveKey, "Encrypt1"},
        WriteFailureCase {"OutputLength", FailAt::EncryptedLength, "Encrypt2"},
        WriteFailureCase {"Encryption", FailAt::Encrypt, "Encrypt4"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OptionsFileTest, TargetThatIsAFolderFailsAndTheNextWriteRetries)
{
    std::filesystem::create_directory(m_path);
    auto record = newRecord();
    record->settings.changed = 1;
    const OptionsResult result = m_file.write(m_path, *record);
    EXPECT_EQ(optionsMessageText(result.status), "SchreibenBIN_OPT");
    EXPECT_EQ(record->settings.changed, 1);
    EXPECT_EQ(test::leftoverTemporaryFiles(m_folder.path()), 0u);

    std::filesystem::remove(m_path);
    EXPECT_EQ(m_file.write(m_path, *record).status, OptionsStatus::Ok);
    EXPECT_EQ(record->settings.changed, 0);
}

#ifndef _WIN32
// A disk that fills up half-way through the payload: the limit on the file size makes
// the write fail after a megabyte, which works even for root.
TEST_F(OptionsFileTest, WriteCutOffHalfWayKeepsOldFile)
{
    const auto oldFile = writeValidFile();
    auto record = newRecord();
    record->settings.changed = 1;

    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const OptionsResult result = m_file.write(m_path, *record);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result.status, OptionsStatus::WriteFailed);
    EXPECT_EQ(record->settings.changed, 1);
    EXPECT_TRUE(readFileBytes(m_path) == oldFile);
    EXPECT_EQ(test::leftoverTemporaryFiles(m_folder.path()), 0u);
}

TEST_F(OptionsFileTest, ReplacingKeepsTheOwnersPermissions)
{
    writeValidFile();
    const auto ownerOnly = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
    std::filesystem::permissions(m_path, ownerOnly);
    auto record = newRecord();
    record->settings.changed = 1;
    ASSERT_EQ(m_file.write(m_path, *record).status, OptionsStatus::Ok);
    EXPECT_EQ(std::filesystem::status(m_path).permissions(), ownerOnly);
}
#endif

TEST_F(OptionsFileTest, ReadDuringWriteIsRefusedAsBusy)
{
    std::optional<OptionsStatus> readStatus;
    bool writingSeen = false;
    auto other = newRecord();
    m_file.setReplacedHook([&](const std::filesystem::path& path) {
        writingSeen = m_file.writing();
        readStatus = m_file.read(path, *other).status;
    });
    auto record = newRecord();
    record->settings.changed = 1;
    ASSERT_EQ(m_file.write(m_path, *record).status, OptionsStatus::Ok);
    EXPECT_TRUE(writingSeen);
    EXPECT_EQ(readStatus, OptionsStatus::Busy);
    EXPECT_EQ(other->machines[0].blockMarker[1], 0);
    EXPECT_EQ(m_file.read(m_path, *other).status, OptionsStatus::Ok);
}

TEST_F(OptionsFileTest, ShortPayloadFillsTheRecordUpToItsLength)
{
    constexpr std::size_t kLength = 4096;
    auto source = newRecord();
    fillPattern(*source, 7);
    writeFileBytes(m_path, buildFile(bytesOf(*source), kLength));

    auto record = newRecord();
    fillPattern(*record, 8);
    auto before = std::make_unique<OptionsRecord>(*record);
    ASSERT_EQ(m_file.read(m_path, *record).status, OptionsStatus::Ok);

    EXPECT_EQ(record->machines[0].blockMarker[15], 15);
    EXPECT_EQ(std::memcmp(bytesOf(*record) + 16, bytesOf(*source) + 16, kLength - 16), 0);
    EXPECT_EQ(std::memcmp(bytesOf(*record) + kLength, bytesOf(*before) + kLength, kChangedOffset + 1 - kLength), 0);
    EXPECT_EQ(record->settings.dialogChanged[0], 0);
}

using Bytes = std::vector<std::uint8_t>;
using Damage = std::function<std::optional<Bytes>(Bytes)>; // nullopt: no file at all

Damage resizedBy(std::ptrdiff_t delta)
{
    return [delta](Bytes b) {
        b.resize(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(b.size()) + delta));
        return std::optional(b);
    };
}

Damage truncatedTo(std::size_t size)
{
    return [size](Bytes b) {
        b.resize(size);
        return std::optional(b);
    };
}

Damage patched(std::size_t offset, std::uint32_t value)
{
    return [offset, value](Bytes b) {
        putUint32(b, offset, value);
        return std::optional(b);
    };
}

// A file whose headers agree with its size but whose payload length is unusable.
Damage consistentWithPayload(std::size_t length)
{
    return [length](Bytes) {
        const Bytes plain(length, 0x5A);
        return std::optional(buildFile(plain.data(), length));
    };
}

struct DamagedFileCase {
    const char* name;
    Damage damage;
    FailAt failAt;
    const char* message;

    friend void PrintTo(const DamagedFileCase& c, std::ostream* os) { *os << c.name; }
};

class DamagedFile : public OptionsFileTest, public testing::WithParamInterface<DamagedFileCase> { };

TEST_P(DamagedFile, GivesItsMessageAndLeavesTheRecordUntouched)
{
    const auto damaged = GetParam().damage(writeValidFile());
    std::filesystem::remove(m_path);
    if (damaged) {
        writeFileBytes(m_path, *damaged);
    }
    auto record = newRecord();
    fillPattern(*record, 9);
    auto before = std::make_unique<OptionsRecord>(*record);

    FaultyCipher cipher(GetParam().failAt);
    OptionsFile file(cipher);
    const OptionsResult result = file.read(m_path, *record);
    EXPECT_EQ(optionsMessageText(result.status), GetParam().message);
    EXPECT_EQ(std::memcmp(record.get(), before.get(), sizeof(OptionsRecord)), 0);

    // Read in two steps (ahead of time, then into the record), the file fails the same
    // way, and the failed load fills nothing.
    FaultyCipher stepCipher(GetParam().failAt);
    OptionsFile stepwise(stepCipher);
    const LoadedOptions loaded = stepwise.load(m_path);
    EXPECT_EQ(loaded.status, result.status);
    EXPECT_FALSE(loaded.payload);
    OptionsFile::apply(loaded, *record);
    EXPECT_EQ(std::memcmp(record.get(), before.get(), sizeof(OptionsRecord)), 0);
}

const Damage kNoFile = [](Bytes) { return std::optional<Bytes>(); };
const Damage kIntact = [](Bytes b) { return std::optional(b); };

INSTANTIATE_TEST_SUITE_P(Cases, DamagedFile,
    testing::Values(DamagedFileCase {"Missing", kNoFile, FailAt::None, "LesenBIN_OPT"},
        DamagedFileCase {"Empty", truncatedTo(0), FailAt::None, "Readfile1"},
        DamagedFileCase {"CutInFirstHeader", truncatedTo(1000), FailAt::None, "Readfile1"},
        DamagedFileCase {"HeadersOnly", truncatedTo(kOptionsPayloadOffset), FailAt::None, "Readfile1"},
        DamagedFileCase {"PayloadCutShort", resizedBy(-16), FailAt::None, "Readfile1"},
        DamagedFileCase {"TrailingBytes", resizedBy(16), FailAt::None, "Readfile1"},
        DamagedFileCase {"TotalSizeWrong", patched(0, kFileSize - 16), FailAt::None, "Readfile1"},
        DamagedFileCase {"SecondHeaderSizeWrong", patched(1028, 533), FailAt::None, "Readfile1"},
        DamagedFileCase {"PayloadNotWholeBlocks", consistentWithPayload(1000), FailAt::None, "Readfile1"},
        DamagedFileCase {
            "PayloadLongerThanRecord", consistentWithPayload(kOptionsStoredSize + 16), FailAt::None, "Readfile1"},
        DamagedFileCase {"EmptyPayload", consistentWithPayload(0), FailAt::None, "Readfile1"},
        DamagedFileCase {"KeyDerivationFails", kIntact, FailAt::DeriveKey, "Decrypt1"},
        DamagedFileCase {"DecryptionFails", kIntact, FailAt::Decrypt, "Decrypt2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OptionsReadFailure, EachStatusSaysWhatMayBeDoneWithTheFileAndHasItsText)
{
    struct Case {
        OptionsStatus status;
        OptionsReadFailure failure;
        const char* text;
    };
    const Case cases[] = {
        {OptionsStatus::Ok, OptionsReadFailure::None, ""},
        {OptionsStatus::NotFound, OptionsReadFailure::Missing, "LesenBIN_OPT"},
        {OptionsStatus::OpenFailed, OptionsReadFailure::Unreadable, "LesenBIN_OPT"},
        {OptionsStatus::ReadFailed, OptionsReadFailure::Damaged, "Readfile1"},
        {OptionsStatus::ReadIoFailed, OptionsReadFailure::Transient, "Readfile1"},
        {OptionsStatus::ReadKeyFailed, OptionsReadFailure::Transient, "Decrypt1"},
        {OptionsStatus::DecryptFailed, OptionsReadFailure::Transient, "Decrypt2"},
        // Never an empty box: a lack of memory is said in words.
        {OptionsStatus::ReadOutOfMemory, OptionsReadFailure::Transient, "Error allocating memory"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readFailureOf(c.status), c.failure) << c.text;
        EXPECT_EQ(optionsMessageText(c.status), c.text);
    }
}

TEST_F(OptionsFileTest, FolderInPlaceOfTheFileCannotBeOpened)
{
    std::filesystem::create_directory(m_path);
    auto record = newRecord();
    EXPECT_EQ(optionsMessageText(m_file.read(m_path, *record).status), "LesenBIN_OPT");
}

} // namespace
} // namespace kvt
