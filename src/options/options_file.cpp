#include "options/options_file.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <new>
#include <numeric>
#include <system_error>
#include <vector>

#include "common/atomic_file.h"
#include "common/atomic_file_writer.h"
#include "common/large_buffer.h"

namespace kvt {

namespace {

constexpr std::size_t kVersionOffset = 4;
constexpr std::size_t kFileNameOffset = 516;
constexpr std::size_t kSecondHeaderSizeOffset = 1028;
constexpr std::size_t kPayloadLengthOffset = 1032;
constexpr std::size_t kSectionNameOffset = 1048;
constexpr std::size_t kHeaderTextBytes = 512; // 256 UTF-16 units

using Header = std::array<std::uint8_t, kOptionsPayloadOffset>;

void putUint32(Header& header, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i) {
        header[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t getUint32(const Header& header, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(header[offset + i]) << (8 * i);
    }
    return value;
}

// ASCII text as zero-padded UTF-16LE in a 256-character field.
void putText(Header& header, std::size_t offset, std::string_view text)
{
    for (std::size_t i = 0; i < text.size() && 2 * i + 1 < kHeaderTextBytes; ++i) {
        header[offset + 2 * i] = static_cast<std::uint8_t>(text[i]);
        header[offset + 2 * i + 1] = 0;
    }
}

LoadedOptions loadFailure(OptionsStatus status)
{
    LoadedOptions loaded;
    loaded.status = status;
    return loaded;
}

Header makeHeader(std::uint32_t payloadLength)
{
    Header header {};
    putUint32(header, 0, static_cast<std::uint32_t>(kOptionsPayloadOffset) + payloadLength);
    putText(header, kVersionOffset, "1.0");
    putText(header, kFileNameOffset, kOptionsFileName);
    putUint32(header, kSecondHeaderSizeOffset, static_cast<std::uint32_t>(kOptionsSecondHeaderSize));
    putUint32(header, kPayloadLengthOffset, payloadLength);
    // 1036..1047 stay zero.
    putText(header, kSectionNameOffset, "Optionsdata");
    return header;
}

std::span<std::uint8_t> storedBytes(OptionsRecord& record)
{
    return {reinterpret_cast<std::uint8_t*>(&record), kOptionsStoredSize};
}

// Clears the writing flag however write() leaves.
class WritingScope {
public:
    explicit WritingScope(std::atomic<bool>& flag)
        : m_flag(flag)
    {
        m_flag.store(true);
    }
    ~WritingScope() { m_flag.store(false); }
    WritingScope(const WritingScope&) = delete;
    WritingScope& operator=(const WritingScope&) = delete;

private:
    std::atomic<bool>& m_flag;
};

} // namespace

std::string_view optionsMessageText(OptionsStatus status)
{
    switch (status) {
    case OptionsStatus::NotFound:
    case OptionsStatus::OpenFailed:
        return "LesenBIN_OPT";
    case OptionsStatus::ReadFailed:
    case OptionsStatus::ReadIoFailed:
        return "Readfile1";
    case OptionsStatus::ReadOutOfMemory:
        return "Error allocating memory";
    case OptionsStatus::ReadKeyFailed:
        return "Decrypt1";
    case OptionsStatus::DecryptFailed:
        return "Decrypt2";
    case OptionsStatus::WriteKeyFailed:
        return "Encrypt1";
    case OptionsStatus::LengthFailed:
        return "Encrypt2";
    case OptionsStatus::WriteOutOfMemory:
        return "Encrypt3";
    case OptionsStatus::EncryptFailed:
        return "Encrypt4";
    case OptionsStatus::WriteFailed:
        return "SchreibenBIN_OPT";
    case OptionsStatus::Ok:
    case OptionsStatus::Unchanged:
    case OptionsStatus::Busy:
        break;
    }
    return {};
}

OptionsReadFailure readFailureOf(OptionsStatus status)
{
    switch (status) {
    case OptionsStatus::Ok:
    case OptionsStatus::Unchanged:
        return OptionsReadFailure::None;
    case OptionsStatus::NotFound:
        return OptionsReadFailure::Missing;
    case OptionsStatus::OpenFailed:
        return OptionsReadFailure::Unreadable;
    case OptionsStatus::ReadFailed:
        return OptionsReadFailure::Damaged;
    default:
        // Without padding AES-CBC decrypts any whole blocks, so a failing key or
        // cipher says nothing about the file; neither does a lack of memory.
        return OptionsReadFailure::Transient;
    }
}

std::optional<std::filesystem::path> keepDamagedCopy(const std::filesystem::path& file)
{
    return keepDamagedCopy(file, {file.filename().string() + ".damaged", ""});
}

int removeStaleOptionsTemporaries(const std::filesystem::path& dataDirectory)
{
    const std::string prefix = std::string(kOptionsFileName) + ".tmp";
    int removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(dataDirectory, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const bool digitsOnly = std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
            [](char c) { return c >= '0' && c <= '9'; });
        std::error_code ignored;
        if (digitsOnly && it->is_regular_file(ignored) && std::filesystem::remove(it->path(), ignored)) {
            ++removed;
        }
    }
    return removed;
}

std::optional<MessageBoxRequest> optionsMessageBox(const OptionsResult& result)
{
    const std::string_view text = optionsMessageText(result.status);
    if (text.empty()) {
        return std::nullopt;
    }
    MessageBoxRequest request;
    request.text = std::string(text);
    request.caption = std::string(kOptionsMessageCaption);
    request.icon = MessageIcon::Information;
    request.buttons = MessageButtons::Ok;
    return request;
}

std::array<std::uint8_t, 32> optionsKeyPassword()
{
    constexpr std::u16string_view password = u"q7wd2k9rm4tx8ncp";
    static_assert(password.size() == 16);
    std::array<std::uint8_t, 32> bytes {};
    for (std::size_t i = 0; i < password.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(password[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(password[i] >> 8);
    }
    return bytes;
}

std::array<std::uint8_t, 16> optionsKeySalt()
{
    // Never change these: every options file ever written is keyed with them.
    constexpr std::uint32_t kSaltWords[4] = {0x4B76744FU, 0x1E5C93A7U, 0xC40D28F1U, 0x5A3B7E96U};
    std::array<std::uint8_t, 16> salt {};
    for (std::size_t word = 0; word < 4; ++word) {
        for (std::size_t i = 0; i < 4; ++i) {
            salt[4 * word + i] = static_cast<std::uint8_t>(kSaltWords[word] >> (8 * i));
        }
    }
    return salt;
}

OptionsFile::OptionsFile(OptionsCipher& cipher)
    : m_cipher(cipher)
{
}

const OptionsKey* OptionsFile::prepareKey()
{
    if (!m_key) {
        OptionsKey key {};
        if (!m_cipher.deriveKey(optionsKeyPassword(), optionsKeySalt(), kOptionsKeyIterations, key)) {
            return nullptr;
        }
        m_key = key;
    }
    return &*m_key;
}

OptionsResult OptionsFile::read(const std::filesystem::path& path, OptionsRecord& record)
{
    if (m_writing.load()) {
        return {OptionsStatus::Busy};
    }
    const LoadedOptions loaded = load(path);
    if (loaded.status != OptionsStatus::Ok) {
        return {loaded.status};
    }
    apply(loaded, record);
    return {OptionsStatus::Ok};
}

LoadedOptions OptionsFile::load(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return loadFailure(OptionsStatus::NotFound);
    }
    if (!std::filesystem::is_regular_file(status)) {
        return loadFailure(OptionsStatus::OpenFailed);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return loadFailure(OptionsStatus::OpenFailed);
    }
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    in.seekg(0, std::ios::beg);
    if (!in || end < static_cast<std::streamoff>(kOptionsPayloadOffset)) {
        return loadFailure(OptionsStatus::ReadFailed);
    }
    const auto fileSize = static_cast<std::uintmax_t>(end);

    Header header;
    in.read(reinterpret_cast<char*>(header.data()), static_cast<std::streamsize>(header.size()));
    if (in.gcount() != static_cast<std::streamsize>(header.size())) {
        return loadFailure(OptionsStatus::ReadFailed);
    }
    // The writer puts exactly one payload behind the headers; a file whose numbers
    // disagree with its size was cut short or is not an options file at all.
    const std::uintmax_t payloadLength = getUint32(header, kPayloadLengthOffset);
    if (getUint32(header, 0) != fileSize || getUint32(header, kSecondHeaderSizeOffset) != kOptionsSecondHeaderSize
        || payloadLength != fileSize - kOptionsPayloadOffset || payloadLength == 0
        || payloadLength % kCipherBlockSize != 0 || payloadLength > kOptionsStoredSize) {
        return loadFailure(OptionsStatus::ReadFailed);
    }
    const auto length = static_cast<std::size_t>(payloadLength);

    // One buffer, decrypted in place: every fresh page costs a fault, and 9.67 MB
    // of them are most of what a read costs.
    LargeBuffer payload = allocateLargeBuffer(length);
    if (!payload) {
        std::cerr << "Error allocating memory\n";
        return loadFailure(OptionsStatus::ReadOutOfMemory);
    }
    in.read(reinterpret_cast<char*>(payload.get()), static_cast<std::streamsize>(length));
    if (in.gcount() != static_cast<std::streamsize>(length)) {
        // The size was checked above: the bytes are there, the system did not deliver them.
        return loadFailure(OptionsStatus::ReadIoFailed);
    }
    in.close();

    const OptionsKey* key = prepareKey();
    if (!key) {
        return loadFailure(OptionsStatus::ReadKeyFailed);
    }
    if (!m_cipher.decrypt(*key, {payload.get(), length}, {payload.get(), length})) {
        return loadFailure(OptionsStatus::DecryptFailed);
    }

    return LoadedOptions {OptionsStatus::Ok, std::move(payload), length};
}

void OptionsFile::apply(const LoadedOptions& loaded, OptionsRecord& record)
{
    if (loaded.status != OptionsStatus::Ok || !loaded.payload || loaded.length > kOptionsStoredSize) {
        return;
    }
    std::memcpy(storedBytes(record).data(), loaded.payload.get(), loaded.length);
    // The first block carries no data (the initial vector is not stored); it is always
    // set to the same marker so that nothing depends on what the file held there.
    std::iota(std::begin(record.machines[0].blockMarker), std::end(record.machines[0].blockMarker), std::uint8_t {0});
    std::fill(std::begin(record.settings.dialogChanged), std::end(record.settings.dialogChanged), std::uint8_t {0});
}

OptionsResult OptionsFile::write(const std::filesystem::path& path, OptionsRecord& record)
{
    if (record.settings.changed != 1) {
        return {OptionsStatus::Unchanged};
    }
    WritingScope scope(m_writing);
    // The file holds the record as it is after the write, that is with `changed`
    // cleared; should the write fail, the mark comes back so the next occasion retries.
    record.settings.changed = 0;
    const OptionsStatus status = writeChanged(path, record);
    if (status != OptionsStatus::Ok) {
        record.settings.changed = 1;
    }
    return {status, true};
}

OptionsStatus OptionsFile::writeChanged(const std::filesystem::path& path, const OptionsRecord& record)
{
    const OptionsKey* key = prepareKey();
    if (!key) {
        return OptionsStatus::WriteKeyFailed;
    }
    std::size_t length = 0;
    // The reader accepts at most the record's stored size, so anything else is useless.
    if (!m_cipher.encryptedLength(kOptionsStoredSize, length) || length != kOptionsStoredSize) {
        return OptionsStatus::LengthFailed;
    }
    LargeBuffer buffer = allocateLargeBuffer(kOptionsPayloadOffset + length);
    if (!buffer) {
        return OptionsStatus::WriteOutOfMemory;
    }
    const Header header = makeHeader(static_cast<std::uint32_t>(length));
    std::memcpy(buffer.get(), header.data(), header.size());
    const std::span<const std::uint8_t> plain {reinterpret_cast<const std::uint8_t*>(&record), kOptionsStoredSize};
    if (!m_cipher.encrypt(*key, plain, {buffer.get() + kOptionsPayloadOffset, length})) {
        return OptionsStatus::EncryptFailed;
    }

    AtomicFileWriter writer(path);
    if (!writer.open() || !writer.write(buffer.get(), kOptionsPayloadOffset + length) || !writer.commit()) {
        return OptionsStatus::WriteFailed;
    }
    if (m_replacedHook) {
        m_replacedHook(path);
    }
    return OptionsStatus::Ok;
}

BackupOrSeedResult backupOrSeedOptionsFile(const std::filesystem::path& dataDirectory,
    const std::filesystem::path& programDirectory, std::string_view stamp, const OptionsFileHook& createdHook)
{
    std::error_code error;
    const std::filesystem::path dataFile = optionsFilePath(dataDirectory);
    if (std::filesystem::is_regular_file(dataFile, error)) {
        const std::filesystem::path backup = dataDirectory / ("Options" + std::string(stamp) + ".sav");
        if (!copyFileAtomically(dataFile, backup)) {
            return {BackupOrSeedOutcome::Failed, {}};
        }
        if (createdHook) {
            createdHook(dataFile);
            createdHook(backup);
        }
        return {BackupOrSeedOutcome::BackedUp, backup};
    }
    const std::filesystem::path shipped = optionsFilePath(programDirectory);
    if (!std::filesystem::is_regular_file(shipped, error)) {
        return {BackupOrSeedOutcome::NothingToDo, {}};
    }
    std::filesystem::create_directories(dataDirectory, error);
    if (!copyFileAtomically(shipped, dataFile)) {
        return {BackupOrSeedOutcome::Failed, {}};
    }
    if (createdHook) {
        createdHook(dataFile);
    }
    return {BackupOrSeedOutcome::Seeded, dataFile};
}

} // namespace kvt
