#include "common/atomic_file.h"

#include "common/atomic_file_writer.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace kvt {

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error)
{
    AtomicFileWriter writer(path);
    if (writer.open() && writer.write(bytes.data(), bytes.size()) && writer.commit())
        return true;
    if (error)
        *error = std::strerror(errno ? errno : EIO);
    return false;
}

SmallFile readSmallFile(const std::filesystem::path& path, std::size_t maxBytes)
{
    SmallFile file;
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    if (error) {
        file.status = SmallFileStatus::Unreadable;
        return file;
    }
    if (!exists)
        return file;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        file.status = SmallFileStatus::Unreadable;
        return file;
    }
    if (size > maxBytes) {
        file.status = SmallFileStatus::TooLarge;
        return file;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        file.status = SmallFileStatus::Unreadable;
        return file;
    }
    file.status = SmallFileStatus::Read;
    file.bytes = std::move(bytes);
    return file;
}

} // namespace kvt
