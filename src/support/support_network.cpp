#include "support/support_network.h"

#include "support/support_network_backend.h"

#include <QCoreApplication>
#include <QLibrary>

#include <map>
#include <mutex>

namespace kvt {

namespace {

// The module's entry in the folder; each folder is loaded once and never unloaded, so
// that no client outlives the code it runs on.
CreateSupportNetwork moduleEntry(const std::filesystem::path& folder)
{
    static std::mutex mutex;
    static std::map<std::filesystem::path, CreateSupportNetwork> entries;
    const std::lock_guard lock(mutex);
    if (const auto found = entries.find(folder); found != entries.end())
        return found->second;
    const auto text = (folder / kNetworkModuleName).u8string();
    QLibrary library(
        QString::fromUtf8(reinterpret_cast<const char*>(text.data()), static_cast<qsizetype>(text.size())));
    auto entry = reinterpret_cast<CreateSupportNetwork>(library.resolve(kNetworkModuleEntry));
    entries.emplace(folder, entry);
    return entry;
}

std::filesystem::path programFolder()
{
    const QByteArray folder = QCoreApplication::applicationDirPath().toUtf8();
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(folder.constData()), static_cast<std::size_t>(folder.size())));
}

} // namespace

SupportNetwork::SupportNetwork(std::string server, int timeoutMs, std::filesystem::path moduleFolder)
    : m_server(std::move(server))
    , m_timeoutMs(timeoutMs)
    , m_moduleFolder(std::move(moduleFolder))
{
}

SupportNetwork::~SupportNetwork() = default;

SupportNetworkBackend* SupportNetwork::backend()
{
    if (!m_tried) {
        m_tried = true;
        if (const CreateSupportNetwork create = moduleEntry(m_moduleFolder.empty() ? programFolder() : m_moduleFolder))
            m_backend.reset(create(m_server.c_str(), m_timeoutMs));
    }
    return m_backend.get();
}

LatestBuild SupportNetwork::fetchLatestBuild()
{
    if (SupportNetworkBackend* client = backend())
        return client->fetchLatestBuild();
    return {false, 0, NetworkStatus::NoSession};
}

NetworkStatus SupportNetwork::testConnection()
{
    if (SupportNetworkBackend* client = backend())
        return client->testConnection();
    return NetworkStatus::NoSession;
}

bool SupportNetwork::download(std::string_view remotePath, const std::filesystem::path& target)
{
    SupportNetworkBackend* client = backend();
    return client && client->download(remotePath, target);
}

bool downloadAfterConnectionTest(
    SupportNetwork& network, std::string_view remotePath, const std::filesystem::path& target)
{
    return network.testConnection() == NetworkStatus::ServerAnswered && network.download(remotePath, target);
}

} // namespace kvt
