#pragma once
// Every file the program writes goes through a temporary file in the same folder and a
// rename, so that a crash or a full disk never leaves a half-written file under the
// real name.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace kvt {

// Writes `bytes` as the whole content of `path`, replacing an existing file. Returns
// false (with a reason in `error` when given) when the file could not be written; the
// old file, if any, is then left as it was.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error = nullptr);

// Reads a small data file whole. A file larger than `maxBytes` is not read: no data file
// of the program grows that large, so it is damaged or not ours.
enum class SmallFileStatus { Read, Missing, TooLarge, Unreadable };
struct SmallFile {
    SmallFileStatus status = SmallFileStatus::Missing;
    std::string bytes;
};
SmallFile readSmallFile(const std::filesystem::path& path, std::size_t maxBytes);

} // namespace kvt
