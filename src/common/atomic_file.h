#pragma once
// Every file the program writes goes through a temporary file in the same folder and a
// rename, so that a crash or a full disk never leaves a half-written file under the
// real name.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kvt {

// Writes `bytes` as the whole content of `path`, replacing an existing file. Returns
// false (with a reason in `error` when given) when the file could not be written; the
// old file, if any, is then left as it was.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error = nullptr);

// Copies a regular file to `target` through a temporary file and a rename: the copy
// appears complete or not at all. False (with a reason in `error` when given) when it
// could not be made; an existing target is then left as it was.
bool copyFileAtomically(
    const std::filesystem::path& source, const std::filesystem::path& target, std::string* error = nullptr);

// A data file that could not be read may hold what the user typed by hand, so it is
// copied aside before it is replaced. The copies are named stem + extension for the
// first, then stem + "2" + extension, stem + "3" + extension, ... up to 999, in the
// file's own folder: "Options.kvt.damaged" then "Options.kvt.damaged2" (no extension),
// "GaugeBlockSets.damaged.txt" then "GaugeBlockSets.damaged2.txt".
struct DamagedCopyNames {
    std::string stem;
    std::string extension;
};
inline constexpr int kMaxDamagedCopies = 999;

// The name the next copy would take: the first of the names that is free (a file, a
// folder or a link of any kind takes a name). nullopt when the folder cannot be looked
// at or every name is taken.
std::optional<std::filesystem::path> freeDamagedCopyPath(
    const std::filesystem::path& folder, const DamagedCopyNames& names);

// Copies `file` to the first free name beside it; an earlier copy is never overwritten.
// The path of the complete copy, or nullopt when none could be made, with a reason in
// `error` when given that names the copy ("GaugeBlockSets.damaged2.txt: No space left on
// device"). The caller must then leave `file` as it is.
std::optional<std::filesystem::path> keepDamagedCopy(
    const std::filesystem::path& file, const DamagedCopyNames& names, std::string* error = nullptr);

// Reads a small data file whole. A file larger than `maxBytes` is not read: no data file
// of the program grows that large, so it is damaged or not ours.
enum class SmallFileStatus { Read, Missing, TooLarge, Unreadable };
struct SmallFile {
    SmallFileStatus status = SmallFileStatus::Missing;
    std::string bytes;
};
SmallFile readSmallFile(const std::filesystem::path& path, std::size_t maxBytes);

} // namespace kvt
