#include "common/data_directory.h"

#include "common/code_page.h"

#include <chrono>
#include <system_error>

namespace kvt {

namespace {

bool hasTxtExtension(const std::filesystem::path& file)
{
    // The Windows file search matches the extension without regard to case.
    std::string extension = pathToUtf8(file.extension());
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension == ".txt";
}

bool ensureFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec))
        return true;
    std::filesystem::create_directory(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

} // namespace

int createDataDirectories(const std::filesystem::path& dataDirectory)
{
    int missing = ensureFolder(dataDirectory) ? 0 : 1;
    for (std::string_view name : kDataDirectoryLayout) {
        if (!ensureFolder(dataDirectory / pathFromUtf8(name)))
            ++missing;
    }
    return missing;
}

int deleteOldFiles(const std::filesystem::path& folder, int days, const Clock& clock)
{
    if (days < 0)
        return 0;
    using Days = std::chrono::duration<std::int64_t, std::ratio<86400>>;
    const auto now = clock.fileTimeNow();
    int deleted = 0;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec)
        return 0;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        const std::filesystem::directory_entry& entry = *it;
        std::error_code fileError;
        if (!entry.is_regular_file(fileError) || !hasTxtExtension(entry.path()))
            continue;
        const auto written = entry.last_write_time(fileError);
        if (fileError)
            continue;
        // Whole days, cut towards zero: 7 days and 23 hours count as 7.
        const auto age = std::chrono::duration_cast<Days>(now - written).count();
        if (age > days && std::filesystem::remove(entry.path(), fileError))
            ++deleted;
    }
    return deleted;
}

int deleteOldReports(const std::filesystem::path& dataDirectory, int days, const Clock& clock)
{
    int deleted = 0;
    for (std::string_view name : kCleanedReportFolders) {
        const std::filesystem::path folder = dataDirectory / pathFromUtf8(name);
        std::error_code ec;
        if (std::filesystem::is_directory(folder, ec))
            deleted += deleteOldFiles(folder, days, clock);
    }
    return deleted;
}

} // namespace kvt
