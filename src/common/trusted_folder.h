#pragma once
// Native code is loaded only from folders that no other user can change: a customer
// calculations library in a folder another account may write to would run that
// account's code under this user's name.

#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace kvt {

// Nullopt when every folder exists, belongs to this user or to the administrator, and
// neither its group nor anyone else may write to it; otherwise the first folder that
// fails, for the message.
std::optional<std::filesystem::path> folderOthersMayWrite(std::span<const std::filesystem::path> folders);

} // namespace kvt
