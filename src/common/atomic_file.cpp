#include "common/atomic_file.h"

#include "common/atomic_file_writer.h"

#include <cerrno>
#include <cstring>

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

} // namespace kvt
