#include "common/atomic_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kvt {

namespace {

int openExclusive(const std::filesystem::path& path)
{
#ifdef _WIN32
    return ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
#else
    // 0666 less the umask: the same rights any newly created file of the user gets.
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
}

bool writeAll(int handle, const unsigned char* data, std::size_t size)
{
    while (size > 0) {
#ifdef _WIN32
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30));
        const int written = ::_write(handle, data, chunk);
#else
        const ::ssize_t written = ::write(handle, data, size);
#endif
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool syncToDisk(int handle)
{
#ifdef _WIN32
    return ::_commit(handle) == 0;
#else
    return ::fsync(handle) == 0;
#endif
}

int closeFile(int handle)
{
#ifdef _WIN32
    return ::_close(handle);
#else
    return ::close(handle);
#endif
}

// After the rename the folder entry itself must reach the disk, or a power cut may
// bring back the old name. Windows has no handle on folders for this; NTFS journals
// the rename.
void syncFolder([[maybe_unused]] const std::filesystem::path& folder)
{
#ifndef _WIN32
    const int handle = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
#endif
}

std::filesystem::path temporaryNameFor(const std::filesystem::path& target)
{
    static std::mt19937_64 generator {std::random_device {}()};
    std::filesystem::path name = target;
    name += ".tmp" + std::to_string(generator() % 100'000'000);
    return name;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target)
    : m_target(std::move(target))
{
}

AtomicFileWriter::~AtomicFileWriter()
{
    closeHandle();
    if (!m_committed && !m_temporary.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
    }
}

bool AtomicFileWriter::open()
{
    if (m_handle >= 0 || m_committed) {
        return false;
    }
    // A stale temporary file of an earlier crash may carry the same name; try a few.
    for (int attempt = 0; attempt < 8 && m_handle < 0; ++attempt) {
        m_temporary = temporaryNameFor(m_target);
        m_handle = openExclusive(m_temporary);
        if (m_handle < 0 && errno != EEXIST) {
            break;
        }
    }
    if (m_handle < 0) {
        m_temporary.clear();
        return false;
    }
    std::error_code error;
    const auto oldStatus = std::filesystem::status(m_target, error);
    if (!error && std::filesystem::is_regular_file(oldStatus)) {
        std::filesystem::permissions(m_temporary, oldStatus.permissions(), error);
    }
    return true;
}

bool AtomicFileWriter::write(const void* data, std::size_t size)
{
    if (m_handle < 0 || m_failed) {
        return false;
    }
    if (!writeAll(m_handle, static_cast<const unsigned char*>(data), size)) {
        m_failed = true;
    }
    return !m_failed;
}

bool AtomicFileWriter::commit()
{
    if (m_handle < 0 || m_failed) {
        return false;
    }
    const bool synced = syncToDisk(m_handle);
    const bool closed = closeFile(m_handle) == 0;
    m_handle = -1;
    if (!synced || !closed) {
        m_failed = true;
        return false;
    }
    std::error_code error;
    std::filesystem::rename(m_temporary, m_target, error);
    if (error) {
        m_failed = true;
        return false;
    }
    m_committed = true;
    syncFolder(m_target.parent_path());
    return true;
}

void AtomicFileWriter::closeHandle()
{
    if (m_handle >= 0) {
        closeFile(m_handle);
        m_handle = -1;
    }
}

} // namespace kvt
