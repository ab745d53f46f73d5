#include "serial/nc_text.h"

#include "common/atomic_file_writer.h"
#include "common/code_page.h"
#include "common/number_format.h"
#include "common/stamps.h"
#include "common/text_lookup.h"
#include "serial/nc_editor_texts.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

namespace kvt {

namespace {

using namespace nc_text_ids;

constexpr std::size_t kCopyChunk = 1 << 20;
constexpr int kMaxBackupAttempts = 100;

std::string lookup(const TextLookup& texts, const TextId& id)
{
    return texts.text(id.id, id.builtin);
}

NcFileResult failure(NcFileStatus status, std::string message)
{
    NcFileResult result;
    result.status = status;
    result.message = std::move(message);
    return result;
}

std::string withPath(std::string message, const std::filesystem::path& path)
{
    return message + pathToUtf8(path);
}

enum class ReadOutcome { Ok, TooLarge, Unreadable };

// Reads at most `limit` bytes; one byte more means the file does not fit. The size the
// file system reports is not trusted: a file may grow while it is read, and a device
// or pipe reports none.
ReadOutcome readLimited(const std::filesystem::path& path, std::size_t limit, std::string& bytes)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return ReadOutcome::Unreadable;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return ReadOutcome::Unreadable;
    bytes.clear();
    std::vector<char> chunk(kCopyChunk);
    while (bytes.size() <= limit) {
        const std::size_t want = std::min(chunk.size(), limit + 1 - bytes.size());
        file.read(chunk.data(), static_cast<std::streamsize>(want));
        const auto got = static_cast<std::size_t>(file.gcount());
        bytes.append(chunk.data(), got);
        if (file.bad())
            return ReadOutcome::Unreadable;
        if (got < want)
            break; // end of file
    }
    return bytes.size() > limit ? ReadOutcome::TooLarge : ReadOutcome::Ok;
}

// Copies a file to `target` through a temporary file, flushed to the disk before the
// rename, so the backup is complete before the original is replaced.
bool copyFileSafely(const std::filesystem::path& source, const std::filesystem::path& target)
{
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return false;
    AtomicFileWriter writer(target);
    if (!writer.open())
        return false;
    std::vector<char> chunk(kCopyChunk);
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (in.bad())
            return false;
        if (got > 0 && !writer.write(chunk.data(), got))
            return false;
    }
    return writer.commit();
}

// A free name for the backup: the stamped name, or with "_2", "_3", ... before the
// extension when two saves fall into the same second.
std::filesystem::path freeBackupPath(const std::filesystem::path& stamped)
{
    std::error_code error;
    if (!std::filesystem::exists(stamped, error) && !error)
        return stamped;
    const std::filesystem::path folder = stamped.parent_path();
    const std::string stem = pathToUtf8(stamped.stem());
    const std::string extension = pathToUtf8(stamped.extension());
    for (int n = 2; n <= kMaxBackupAttempts; ++n) {
        std::filesystem::path candidate = folder / pathFromUtf8(stem + cformat("_%i", n) + extension);
        if (!std::filesystem::exists(candidate, error) && !error)
            return candidate;
    }
    return {};
}

void storeNarrow(NcTextBuffer& buffer, std::string_view narrow)
{
    std::copy(narrow.begin(), narrow.end(), buffer.narrowText);
    std::memset(buffer.narrowText + narrow.size(), 0, sizeof buffer.narrowText - narrow.size());
    buffer.length = static_cast<std::uint32_t>(narrow.size());
}

void storeDisplay(NcTextBuffer& buffer, std::u16string_view text)
{
    std::copy(text.begin(), text.end(), buffer.displayText);
    std::fill(buffer.displayText + text.size(), buffer.displayText + kNcTextCapacity, u'\0');
    buffer.displayLength = static_cast<std::uint32_t>(text.size());
    buffer.lineCount = countCrLf(text);
}

void clearColouring(NcTextBuffer& buffer)
{
    buffer.colourRangeCount = 0;
    std::memset(buffer.dirtyLines, 0, sizeof buffer.dirtyLines);
}

// Converts and checks the editor's text for a save; fills `narrow` or a failure.
bool prepareSave(std::u16string_view editorText, const TextLookup& texts, std::string& narrow, NcFileResult& result)
{
    if (editorText.empty()) {
        result = failure(NcFileStatus::NothingToSave, lookup(texts, kNothingToSave));
        return false;
    }
    narrow = utf16ToAnsi(editorText);
    if (narrow.size() > kNcMaxTextLength) {
        result = failure(NcFileStatus::TextTooLong,
            cformat(lookup(texts, kTextTooLong), static_cast<std::uint32_t>(kNcMaxTextLength)));
        return false;
    }
    return true;
}

NcFileResult writeNarrow(NcTextBuffer& buffer, const std::filesystem::path& path, const std::string& narrow,
    const TextLookup& texts, std::filesystem::path backup)
{
    AtomicFileWriter writer(path);
    if (!(writer.open() && writer.write(narrow.data(), narrow.size()) && writer.commit()))
        return failure(NcFileStatus::WriteFailed, withPath(lookup(texts, kWriteFailed), path));
    storeNarrow(buffer, narrow);
    storeDisplay(buffer, ansiToUtf16(narrow));
    NcFileResult result;
    result.backupPath = std::move(backup);
    return result;
}

} // namespace

std::u16string_view ncDisplayText(const NcTextBuffer& buffer)
{
    return {buffer.displayText, std::min<std::size_t>(buffer.displayLength, kNcMaxTextLength)};
}

std::uint32_t countCrLf(std::u16string_view text)
{
    std::uint32_t count = 0;
    for (std::size_t i = text.find(u'\r'); i != std::u16string_view::npos && i + 1 < text.size();
         i = text.find(u'\r', i + 1)) {
        if (text[i + 1] == u'\n')
            ++count;
    }
    return count;
}

std::u16string withCrLf(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            out += u'\r';
        out += text[i];
    }
    return out;
}

NcFileResult loadNcFile(NcTextBuffer& buffer, const std::filesystem::path& path, const TextLookup& texts)
{
    std::string bytes;
    switch (readLimited(path, kNcMaxTextLength, bytes)) {
    case ReadOutcome::TooLarge:
        return failure(NcFileStatus::TooLarge,
            withPath(cformat(lookup(texts, kFileTooLarge), static_cast<std::uint32_t>(kNcMaxTextLength)), path));
    case ReadOutcome::Unreadable:
        return failure(NcFileStatus::Unreadable, withPath(lookup(texts, kFileUnreadable), path));
    case ReadOutcome::Ok:
        break;
    }

    NcFileResult result;
    for (char& c : bytes) {
        if (c == '\0') {
            c = ' ';
            ++result.nulBytesReplaced;
        }
    }
    storeNarrow(buffer, bytes);
    storeDisplay(buffer, ansiToUtf16(bytes));
    clearColouring(buffer);
    if (result.nulBytesReplaced > 0)
        result.message = cformat(lookup(texts, kNulBytesReplaced), result.nulBytesReplaced);
    if (bytes.empty()) {
        result.status = NcFileStatus::Empty;
        result.editorText = lookup(texts, kFileEmpty);
    }
    return result;
}

NcFileResult saveNcFile(
    NcTextBuffer& buffer, const std::filesystem::path& path, std::u16string_view editorText, const TextLookup& texts)
{
    std::string narrow;
    NcFileResult refused;
    if (!prepareSave(editorText, texts, narrow, refused))
        return refused;
    return writeNarrow(buffer, path, narrow, texts, {});
}

NcFileResult saveNcFileWithBackup(NcTextBuffer& buffer, const std::filesystem::path& path,
    std::u16string_view editorText, int languageCode, const Clock& clock, const TextLookup& texts)
{
    std::string narrow;
    NcFileResult refused;
    if (!prepareSave(editorText, texts, narrow, refused))
        return refused;

    std::filesystem::path backup;
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        backup = freeBackupPath(ncBackupPath(path, languageCode, clock.localTime()));
        if (backup.empty() || !copyFileSafely(path, backup))
            return failure(NcFileStatus::BackupFailed, withPath(lookup(texts, kBackupFailed), path));
    } else if (error) {
        return failure(NcFileStatus::BackupFailed, withPath(lookup(texts, kBackupFailed), path));
    }
    return writeNarrow(buffer, path, narrow, texts, std::move(backup));
}

std::filesystem::path ncBackupPath(const std::filesystem::path& file, int languageCode, const LocalDateTime& time)
{
    std::string stamp = dateTimeSecondsStamp(languageCode, time);
    std::replace(stamp.begin(), stamp.end(), ':', '_');
    std::replace(stamp.begin(), stamp.end(), '.', '_');
    const std::string name = pathToUtf8(file.stem()) + "_Save_" + stamp + pathToUtf8(file.extension());
    return file.parent_path() / pathFromUtf8(name);
}

std::uint32_t replaceNulBytes(NcTextBuffer& buffer)
{
    const std::size_t length = std::min<std::size_t>(buffer.length, kNcMaxTextLength);
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (buffer.narrowText[i] == '\0') {
            buffer.narrowText[i] = ' ';
            ++count;
        }
    }
    return count;
}

bool storeNcText(NcTextBuffer& buffer, std::u16string_view text)
{
    if (text.size() > kNcMaxTextLength)
        return false;
    const std::string narrow = utf16ToAnsi(text);
    if (narrow.size() > kNcMaxTextLength)
        return false;
    storeNarrow(buffer, narrow);
    storeDisplay(buffer, text);
    return true;
}

void showReceivedText(NcTextBuffer& buffer)
{
    const std::size_t length = std::min<std::size_t>(buffer.length, kNcMaxTextLength);
    storeDisplay(buffer, ansiToUtf16(std::string_view(buffer.narrowText, length)));
    clearColouring(buffer);
}

NcFileResult saveReceivedText(const NcTextBuffer& buffer, const std::filesystem::path& path, const TextLookup& texts)
{
    const std::size_t length = std::min<std::size_t>(buffer.length, kNcMaxTextLength);
    const auto end = std::find(buffer.narrowText, buffer.narrowText + length, '\0');
    const std::string_view text(buffer.narrowText, static_cast<std::size_t>(end - buffer.narrowText));
    if (text.empty())
        return failure(NcFileStatus::NothingToSave, lookup(texts, kNothingToSave));
    AtomicFileWriter writer(path);
    if (!(writer.open() && writer.write(text.data(), text.size()) && writer.commit()))
        return failure(NcFileStatus::WriteFailed, withPath(lookup(texts, kWriteFailed), path));
    return {};
}

void clearNcText(NcTextBuffer& buffer)
{
    storeNarrow(buffer, {});
    storeDisplay(buffer, {});
    clearColouring(buffer);
}

} // namespace kvt
