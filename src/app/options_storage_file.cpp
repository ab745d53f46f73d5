#include "app/options_storage_file.h"

namespace kvt {

namespace {

std::optional<std::string> messageOf(const OptionsResult& result)
{
    if (result.ok())
        return std::nullopt;
    return std::string(optionsMessageText(result.status));
}

} // namespace

OptionsStorageFile::OptionsStorageFile()
    : m_file(m_cipher)
{
}

std::optional<std::string> OptionsStorageFile::read(const std::filesystem::path& file, OptionsRecord& record)
{
    return messageOf(m_file.read(file, record));
}

std::optional<std::string> OptionsStorageFile::write(const std::filesystem::path& file, OptionsRecord& record)
{
    return messageOf(m_file.write(file, record));
}

} // namespace kvt
