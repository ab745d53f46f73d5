#include "common/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace kvt {

namespace {

bool fail(std::string* error, std::string reason)
{
    if (error)
        *error = std::move(reason);
    return false;
}

std::FILE* openForWriting(const std::filesystem::path& path)
{
#ifdef _WIN32
    return _wfopen(path.c_str(), L"wb");
#else
    return std::fopen(path.c_str(), "wb");
#endif
}

} // namespace

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error)
{
    std::filesystem::path temporary = path;
    temporary += ".kvt-part";
    std::FILE* file = openForWriting(temporary);
    if (!file)
        return fail(error, std::strerror(errno));
    int failure = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        failure = errno ? errno : EIO;
    if (std::fflush(file) != 0 && failure == 0)
        failure = errno ? errno : EIO;
    if (std::fclose(file) != 0 && failure == 0)
        failure = errno ? errno : EIO;
    std::error_code ec;
    if (failure != 0) {
        std::filesystem::remove(temporary, ec);
        return fail(error, std::strerror(failure));
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return fail(error, ec.message());
    }
    return true;
}

} // namespace kvt
