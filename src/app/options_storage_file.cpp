#include "app/options_storage_file.h"

#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

OptionsStorageFile::OptionsStorageFile(std::filesystem::path readAheadFile)
    : m_file(m_cipher)
    , m_readAheadFile(std::move(readAheadFile))
{
    if (m_readAheadFile.empty())
        return;
    try {
        m_keyThread = std::thread([this] { readAhead(); });
    } catch (const std::system_error&) {
        // No thread to spare: the read at its time does all the work.
    }
}

OptionsStorageFile::~OptionsStorageFile()
{
    finishReadAhead();
    dropReadAhead();
}

void OptionsStorageFile::finishReadAhead()
{
    if (m_keyThread.joinable())
        m_keyThread.join();
}

#ifndef _WIN32

namespace {

template<typename Identity> Identity identityOf(const struct stat& info)
{
    Identity identity;
    identity.device = static_cast<unsigned long long>(info.st_dev);
    identity.inode = static_cast<unsigned long long>(info.st_ino);
    identity.size = static_cast<long long>(info.st_size);
    identity.modifiedSeconds = static_cast<long long>(info.st_mtim.tv_sec);
    identity.modifiedNanoseconds = static_cast<long long>(info.st_mtim.tv_nsec);
    identity.changedSeconds = static_cast<long long>(info.st_ctim.tv_sec);
    identity.changedNanoseconds = static_cast<long long>(info.st_ctim.tv_nsec);
    return identity;
}

} // namespace

void OptionsStorageFile::readAhead()
{
    // Without a file nothing is derived either: the cipher library is then loaded by
    // the first write, after the first window shows. The file is held open until the
    // result is taken or dropped: while it is open, no other file can come to carry the
    // same device and inode numbers.
    const int handle = ::open(m_readAheadFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        return;
    struct stat before { };
    if (::fstat(handle, &before) != 0 || !S_ISREG(before.st_mode)) {
        ::close(handle);
        return;
    }
    LoadedOptions loaded = m_file.load(m_readAheadFile);
    // Only a clean read is kept; every failure is left to the read at its proper time,
    // which reports it and decides what becomes of the file.
    struct stat after { };
    if (loaded.status != OptionsStatus::Ok || ::stat(m_readAheadFile.c_str(), &after) != 0
        || identityOf<FileIdentity>(before) != identityOf<FileIdentity>(after)) {
        ::close(handle);
        return;
    }
    m_readAhead = std::move(loaded);
    m_readAheadIdentity = identityOf<FileIdentity>(before);
    m_readAheadHandle = handle;
}

bool OptionsStorageFile::takeReadAhead(const std::filesystem::path& file, OptionsRecord& record)
{
    if (m_readAheadHandle < 0)
        return false;
    // Whatever happens, the result is used at most once: a later read reads the file.
    struct stat now { };
    const bool same = !m_file.writing() && file == m_readAheadFile && ::stat(file.c_str(), &now) == 0
        && identityOf<FileIdentity>(now) == m_readAheadIdentity;
    if (same)
        OptionsFile::apply(m_readAhead, record);
    dropReadAhead();
    return same;
}

void OptionsStorageFile::dropReadAhead()
{
    if (m_readAheadHandle >= 0)
        ::close(m_readAheadHandle);
    m_readAheadHandle = -1;
    m_readAhead = LoadedOptions {};
}

#else

// The options folder on Windows is shared by all users, and a file held open there
// would stand in the way of another user's write: the file is read at its time only,
// and only the key is derived ahead.
void OptionsStorageFile::readAhead()
{
    m_file.prepareKey();
}
bool OptionsStorageFile::takeReadAhead(const std::filesystem::path&, OptionsRecord&)
{
    return false;
}
void OptionsStorageFile::dropReadAhead()
{
}

#endif

OptionsReadOutcome OptionsStorageFile::read(const std::filesystem::path& file, OptionsRecord& record)
{
    finishReadAhead();
    OptionsReadOutcome outcome;
    m_lastReadWasAhead = takeReadAhead(file, record);
    if (m_lastReadWasAhead)
        return outcome;
    const OptionsResult result = m_file.read(file, record);
    outcome.failure = readFailureOf(result.status);
    if (outcome.failure != OptionsReadFailure::None)
        outcome.message = messageOf(result).value_or("LesenBIN_OPT");
    return outcome;
}

std::optional<std::string> OptionsStorageFile::write(const std::filesystem::path& file, OptionsRecord& record)
{
    finishReadAhead();
    // A write makes whatever was read ahead stale.
    dropReadAhead();
    return messageOf(m_file.write(file, record));
}

} // namespace kvt
