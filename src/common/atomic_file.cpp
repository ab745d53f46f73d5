#include "common/atomic_file.h"

#include "common/atomic_file_writer.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

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

bool copyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target, std::string* error)
{
    const auto fail = [error](int code) {
        if (error)
            *error = std::strerror(code);
        return false;
    };
    std::error_code statusError;
    if (!std::filesystem::is_regular_file(source, statusError))
        return fail(statusError ? statusError.value() : EINVAL);
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return fail(errno ? errno : EIO);
    AtomicFileWriter writer(target);
    if (!writer.open())
        return fail(errno ? errno : EIO);
    std::vector<char> chunk(1 << 20);
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto count = static_cast<std::size_t>(in.gcount());
        if (count > 0 && !writer.write(chunk.data(), count))
            return fail(errno ? errno : EIO);
    }
    if (!in.eof() || in.bad())
        return fail(EIO);
    if (!writer.commit())
        return fail(errno ? errno : EIO);
    return true;
}

namespace {

std::string damagedCopyName(const DamagedCopyNames& names, int number)
{
    return names.stem + (number == 1 ? std::string() : std::to_string(number)) + names.extension;
}

// The free name, or the reason there is none.
std::optional<std::filesystem::path> findFreeCopy(
    const std::filesystem::path& folder, const DamagedCopyNames& names, std::string* reason)
{
    for (int number = 1; number <= kMaxDamagedCopies; ++number) {
        const std::filesystem::path copy = folder / damagedCopyName(names, number);
        std::error_code error;
        const std::filesystem::file_type type = std::filesystem::symlink_status(copy, error).type();
        if (type == std::filesystem::file_type::not_found)
            return copy;
        if (type == std::filesystem::file_type::none) {
            // The folder cannot even be looked at.
            if (reason)
                *reason = damagedCopyName(names, number) + ": " + std::strerror(error ? error.value() : EIO);
            return std::nullopt;
        }
    }
    if (reason) {
        *reason = damagedCopyName(names, 1) + " ... " + damagedCopyName(names, kMaxDamagedCopies) + ": "
            + std::strerror(EEXIST);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::filesystem::path> freeDamagedCopyPath(
    const std::filesystem::path& folder, const DamagedCopyNames& names)
{
    return findFreeCopy(folder, names, nullptr);
}

std::optional<std::filesystem::path> keepDamagedCopy(
    const std::filesystem::path& file, const DamagedCopyNames& names, std::string* error)
{
    std::optional<std::filesystem::path> copy = findFreeCopy(file.parent_path(), names, error);
    if (!copy)
        return std::nullopt;
    // Only one instance runs at a time, so nothing else creates the name between the
    // look and the rename; the copy appears complete or not at all.
    std::string reason;
    if (!copyFileAtomically(file, *copy, &reason)) {
        if (error)
            *error = copy->filename().string() + ": " + reason;
        return std::nullopt;
    }
    return copy;
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
