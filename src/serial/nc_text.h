#pragma once
// The NC program text of the transfer window and its files. The program lives in the
// NcTextBuffer in two forms: the 8-bit text that is sent and received, and the UTF-16
// display text that the editor shows. Loading and saving go through here, so that a
// damaged or oversize file never reaches the buffer and a save never loses the file
// it replaces.
//
// Every function leaves the buffer exactly as it was when it fails.

#include "common/clock.h"
#include "state/state_blocks.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kvt {

class TextLookup;

// The text areas are NUL-terminated, so one byte (or unit) of each is the terminator.
inline constexpr std::size_t kNcMaxTextLength = kNcTextCapacity - 1;

enum class NcFileStatus {
    Ok,
    Empty, // an empty file was loaded; the editor shows "*File empty"
    TooLarge, // the file does not fit the buffer; nothing was loaded
    Unreadable, // the file could not be opened or read; nothing was loaded
    NothingToSave, // the text is empty; no file and no backup were touched
    TextTooLong, // the text does not fit an NC file; nothing was written
    BackupFailed, // the old file could not be copied aside; nothing was written
    WriteFailed, // the new file could not be written; the old file is as it was
};

struct NcFileResult {
    NcFileStatus status = NcFileStatus::Ok;
    std::string message; // UTF-8 for a message box; empty when there is nothing to say
    std::string editorText; // what the editor shows instead of the program ("*File empty")
    std::uint32_t nulBytesReplaced = 0;
    std::filesystem::path backupPath; // save with backup: the copy of the old file
    bool succeeded() const { return status == NcFileStatus::Ok || status == NcFileStatus::Empty; }
};

// Reads an NC file into the buffer: the 8-bit text, its length, the display text, the
// line count. The colour ranges and dirty-line flags are cleared, since they belong to
// the old text. A NUL byte inside the file would end the text early and a later save
// would cut the program there, so each one is shown and kept as a space (and counted).
NcFileResult loadNcFile(NcTextBuffer& buffer, const std::filesystem::path& path, const TextLookup& texts);

// Writes the editor's text (UTF-16, CR LF line ends) to `path` in the 8-bit code page,
// through a temporary file and a rename. On success the buffer holds what was written:
// the 8-bit text and its length, and the display text made from it (a character the
// code page lacks is a '?' in the file and so also in the display text).
NcFileResult saveNcFile(
    NcTextBuffer& buffer, const std::filesystem::path& path, std::u16string_view editorText, const TextLookup& texts);

// As saveNcFile, but an existing file is first copied to its backup name (see
// ncBackupPath). The old file stays under its own name until the new one replaces it
// whole, and an existing backup is never overwritten.
NcFileResult saveNcFileWithBackup(NcTextBuffer& buffer, const std::filesystem::path& path,
    std::u16string_view editorText, int languageCode, const Clock& clock, const TextLookup& texts);

// The backup name of an NC file: its name without the extension, "_Save_", the
// date-and-time stamp with seconds (year first for language code 44 or 0, day first
// for 49) with every ':' and '.' turned into '_', and the file's own extension.
// "P1.dat" gives "P1_Save_2026_12_06_07_46_12.dat", "PROG" gives "PROG_Save_<stamp>".
std::filesystem::path ncBackupPath(const std::filesystem::path& file, int languageCode, const LocalDateTime& time);

// Received data may carry NUL bytes that would end the text early: within the first
// `length` bytes of the 8-bit text each one becomes a space. Returns how many.
std::uint32_t replaceNulBytes(NcTextBuffer& buffer);

// Puts a new program text into the buffer (display text, line count, display length
// and the 8-bit text that is sent). False, and nothing changed, when it does not fit.
bool storeNcText(NcTextBuffer& buffer, std::u16string_view text);

// After a receive: the display text and line count are made from the 8-bit text
// (its first `length` bytes; run replaceNulBytes first so none ends it early).
void showReceivedText(NcTextBuffer& buffer);

// Writes the 8-bit text as it stands (its first `length` bytes) to `path`, through a
// temporary file and a rename; for a received program. Nothing is written when the
// text is empty.
NcFileResult saveReceivedText(const NcTextBuffer& buffer, const std::filesystem::path& path, const TextLookup& texts);

// Empties the program: both texts, the lengths, the colour ranges and dirty lines.
void clearNcText(NcTextBuffer& buffer);

std::u16string_view ncDisplayText(const NcTextBuffer& buffer);

// Number of CR LF pairs, the line count the colouring question goes by.
std::uint32_t countCrLf(std::u16string_view text);

// An edit widget hands its text with bare line feeds; the files and the sent program
// use CR LF. Line feeds that already follow a CR are left alone.
std::u16string withCrLf(std::u16string_view text);

} // namespace kvt
