#pragma once
// The options file "Options.kvt": the stored part of the options record, encrypted,
// behind two plain headers (little-endian, texts UTF-16LE in 256-character fields):
//
//   offset    0  u32   total file size: 1028 + 532 + payload length
//   offset    4  text  format version "1.0"
//   offset  516  text  file name "Options.kvt"
//   offset 1028  u32   size of the second header: 532
//   offset 1032  u32   payload length (a multiple of 16, at most kOptionsStoredSize)
//   offset 1036  u32   0, then 8 bytes 0
//   offset 1048  text  "Optionsdata"
//   offset 1560        payload: AES-256-CBC of the record's first payload-length bytes
//
// A read never leaves the record half-filled: the file is checked and decrypted aside,
// and the record is touched only when everything worked. A write replaces the file as
// a whole through a temporary file, and a failed write keeps the record marked changed
// so that the next occasion tries again.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/large_buffer.h"
#include "common/message_boxes.h"
#include "options/options_cipher.h"
#include "options/options_record.h"

namespace kvt {

inline constexpr std::string_view kOptionsFileName = "Options.kvt";
inline constexpr std::size_t kOptionsFirstHeaderSize = 1028;
inline constexpr std::size_t kOptionsSecondHeaderSize = 532;
inline constexpr std::size_t kOptionsPayloadOffset = kOptionsFirstHeaderSize + kOptionsSecondHeaderSize; // 1560
inline constexpr std::uint32_t kOptionsKeyIterations = 1000;
inline constexpr std::string_view kOptionsMessageCaption = "Program Error_QXZR";

enum class OptionsStatus {
    Ok, // read or written
    Unchanged, // write: the record was not marked changed, nothing to do
    Busy, // read: a write is in progress; ask again in 500 ms
    NotFound, // "LesenBIN_OPT": there is no options file (a first start)
    OpenFailed, // "LesenBIN_OPT": something of that name exists but cannot be opened
    ReadFailed, // "Readfile1": short, truncated or inconsistent file
    ReadIoFailed, // "Readfile1": the system failed to deliver bytes the file has
    ReadKeyFailed, // "Decrypt1"
    DecryptFailed, // "Decrypt2"
    ReadOutOfMemory, // "Error allocating memory"
    WriteKeyFailed, // "Encrypt1"
    LengthFailed, // "Encrypt2"
    WriteOutOfMemory, // "Encrypt3"
    EncryptFailed, // "Encrypt4"
    WriteFailed, // "SchreibenBIN_OPT": creating, writing or replacing the file failed
};

struct OptionsResult {
    OptionsStatus status = OptionsStatus::Ok;
    // write: true when the record was marked changed and a write was started, whether
    // or not it succeeded. The caller sets the central state's optionsWritten then.
    bool writeStarted = false;

    bool ok() const { return status == OptionsStatus::Ok || status == OptionsStatus::Unchanged; }
};

// The text of the message box for a status, empty when none is shown.
std::string_view optionsMessageText(OptionsStatus status);

// What a failed read says about the file on disk, and so what may be done with it.
enum class OptionsReadFailure {
    None, // the record was read
    Missing, // no file: the zero record may be written
    Unreadable, // something is there that cannot be opened: it must not be replaced
    Damaged, // opened and read, but no intact options file: keep a copy before replacing it
    Transient, // out of memory, an I/O or cipher failure: the file may be good, leave it alone
};
OptionsReadFailure readFailureOf(OptionsStatus status);

// Copies a file that could not be read to the first free name of "Options.kvt.damaged",
// "Options.kvt.damaged2", "Options.kvt.damaged3", ... beside it; an earlier copy is never
// overwritten. The path of the complete copy, or nullopt when none could be made.
std::optional<std::filesystem::path> keepDamagedCopy(const std::filesystem::path& file);

// Removes what writes of "Options.kvt" left behind when the program was killed in the
// middle: "Options.kvt.tmp" followed by digits only. Returns how many were removed. Runs
// only while this instance holds the single-instance lock, so no write of another
// instance can be under way.
int removeStaleOptionsTemporaries(const std::filesystem::path& dataDirectory);
// The whole message box (caption "Program Error_QXZR", information icon), if any.
std::optional<MessageBoxRequest> optionsMessageBox(const OptionsResult& result);

// Called with a file this store has just created or replaced. On Windows the options
// live in a folder shared by all users, and the platform layer hooks in there to grant
// the other users write access; on Linux the folder is the user's own and nothing is
// needed.
using OptionsFileHook = std::function<void(const std::filesystem::path&)>;

// The password (UTF-16LE bytes) and salt of the key; fixed for every options file.
std::array<std::uint8_t, 32> optionsKeyPassword();
std::array<std::uint8_t, 16> optionsKeySalt();

inline std::filesystem::path optionsFilePath(const std::filesystem::path& dataDirectory)
{
    return dataDirectory / kOptionsFileName;
}

// A file read and decrypted aside, not yet put into any record: what read() does
// before it touches the record, so that the work can be done ahead on another thread.
struct LoadedOptions {
    OptionsStatus status = OptionsStatus::NotFound;
    LargeBuffer payload; // the decrypted payload when status is Ok
    std::size_t length = 0;
};

class OptionsFile {
public:
    explicit OptionsFile(OptionsCipher& cipher);

    // Fills the record from the file. On success the first 16 bytes become 00 01 .. 0F
    // and the four dialogChanged bytes are cleared; a payload shorter than the record
    // fills it up to its length and leaves the rest. On any failure the record stays
    // exactly as it was.
    OptionsResult read(const std::filesystem::path& path, OptionsRecord& record);

    // read() in two steps. load() checks, reads and decrypts the file without a record
    // (it does not refuse while a write runs: the caller sees to that); apply() fills the
    // record from a load whose status is Ok exactly as read() does and ignores any other.
    LoadedOptions load(const std::filesystem::path& path);
    static void apply(const LoadedOptions& loaded, OptionsRecord& record);

    // Writes the record when settings.changed is 1; the file holds it with `changed`
    // cleared. `changed` stays 1 when the write fails, and the old file stays intact.
    OptionsResult write(const std::filesystem::path& path, OptionsRecord& record);

    // True while write() runs; read() refuses with Busy meanwhile.
    bool writing() const { return m_writing.load(); }

    void setReplacedHook(OptionsFileHook hook) { m_replacedHook = std::move(hook); }

    // Derives the key once; every file has the same one. nullptr when the derivation
    // failed (the next call tries again). Not to be called by two threads at once.
    const OptionsKey* prepareKey();

private:
    OptionsStatus writeChanged(const std::filesystem::path& path, const OptionsRecord& record);

    OptionsCipher& m_cipher;
    std::optional<OptionsKey> m_key;
    std::atomic<bool> m_writing {false};
    OptionsFileHook m_replacedHook;
};

enum class BackupOrSeedOutcome {
    BackedUp, // Options.kvt of the data folder copied to Options<stamp>.sav
    Seeded, // Options.kvt of the program folder copied into the data folder
    NothingToDo, // neither folder holds an options file
    Failed, // the copy could not be made; nothing was changed
};

struct BackupOrSeedResult {
    BackupOrSeedOutcome outcome = BackupOrSeedOutcome::NothingToDo;
    std::filesystem::path createdFile;
};

// Run once after an installation or update: keeps a dated copy of the user's options,
// or gives a fresh data folder the options shipped with the program. `stamp` is the
// German date-time stamp with points, colon and blanks removed, e.g. "07032025_1405".
BackupOrSeedResult backupOrSeedOptionsFile(const std::filesystem::path& dataDirectory,
    const std::filesystem::path& programDirectory, std::string_view stamp, const OptionsFileHook& createdHook = {});

} // namespace kvt
