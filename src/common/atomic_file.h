#pragma once
// Every file the program writes goes through a temporary file in the same folder and a
// rename, so that a crash or a full disk never leaves a half-written file under the
// real name.

#include <filesystem>
#include <string>
#include <string_view>

namespace kvt {

// Writes `bytes` as the whole content of `path`, replacing an existing file. Returns
// false (with a reason in `error` when given) when the file could not be written; the
// old file, if any, is then left as it was.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error = nullptr);

} // namespace kvt
