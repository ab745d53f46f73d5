#pragma once
// Replaces a file as a whole or not at all: the new contents go to a temporary file in
// the target's folder, are flushed to the disk, and only then renamed over the target.
// A crash or a full disk in between leaves the old file as it was.

#include <cstddef>
#include <filesystem>

namespace kvt {

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::filesystem::path target);
    ~AtomicFileWriter(); // removes the temporary file unless commit() succeeded
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file. When the target exists, the new file takes over its
    // permission bits, so a replacement never widens who may read or write it.
    bool open();
    bool write(const void* data, std::size_t size);
    // Flushes the temporary file to the disk, closes it and renames it over the target.
    bool commit();

    const std::filesystem::path& temporaryPath() const { return m_temporary; }

private:
    void closeHandle();

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    int m_handle = -1;
    bool m_failed = false;
    bool m_committed = false;
};

} // namespace kvt
