#include "app/options_storage_file.h"

#include <system_error>

namespace kvt {

namespace {

std::optional<std::string> messageOf(const OptionsResult& result)
{
    const std::string_view text = optionsMessageText(result.status);
    if (result.ok() || text.empty())
        return std::nullopt;
    return std::string(text);
}

} // namespace

OptionsStorageFile::OptionsStorageFile()
    : m_file(m_cipher)
{
    try {
        m_keyThread = std::thread([this] { m_file.prepareKey(); });
    } catch (const std::system_error&) {
        // No thread to spare: the first read or write derives the key itself.
    }
}

OptionsStorageFile::~OptionsStorageFile()
{
    waitForKey();
}

void OptionsStorageFile::waitForKey()
{
    if (m_keyThread.joinable())
        m_keyThread.join();
}

OptionsReadOutcome OptionsStorageFile::read(const std::filesystem::path& file, OptionsRecord& record)
{
    waitForKey();
    const OptionsResult result = m_file.read(file, record);
    OptionsReadOutcome outcome;
    outcome.failure = readFailureOf(result.status);
    if (outcome.failure != OptionsReadFailure::None)
        outcome.message = messageOf(result).value_or("LesenBIN_OPT");
    return outcome;
}

std::optional<std::string> OptionsStorageFile::write(const std::filesystem::path& file, OptionsRecord& record)
{
    waitForKey();
    return messageOf(m_file.write(file, record));
}

} // namespace kvt
