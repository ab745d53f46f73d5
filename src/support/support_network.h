#pragma once
// The vendor's download server. Each call waits for its answer in a local event loop
// that leaves out user input: the window keeps painting, nothing can be clicked twice,
// and the time-out ends a call to a server that never answers. The client itself is in
// the network module beside the program, loaded at the first call; without the module
// every call fails as if no connection could be made.

#include "support/update_check.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace kvt {

class SupportNetworkBackend;

// How long a call may go without a byte from the server.
inline constexpr int kNetworkTimeoutMs = 15000;

class SupportNetwork {
public:
    // moduleFolder: where the network module is looked for; empty for the program's folder.
    explicit SupportNetwork(
        std::string server, int timeoutMs = kNetworkTimeoutMs, std::filesystem::path moduleFolder = {});
    ~SupportNetwork();
    SupportNetwork(const SupportNetwork&) = delete;
    SupportNetwork& operator=(const SupportNetwork&) = delete;

    // The latest build from the version file. Not fetched when no server is
    // configured (status 1) or the file could not be read (status 2).
    LatestBuild fetchLatestBuild();
    // ServerAnswered when the server's root gives any HTTP answer.
    NetworkStatus testConnection();
    // Downloads a file of the server to the target, replacing a copy there only when the
    // whole file arrived (temporary file and rename). Never served from a cache.
    bool download(std::string_view remotePath, const std::filesystem::path& target);

private:
    // The client, created at the first call; nullptr when the module is missing.
    SupportNetworkBackend* backend();

    std::string m_server;
    int m_timeoutMs;
    std::filesystem::path m_moduleFolder;
    bool m_tried = false;
    std::unique_ptr<SupportNetworkBackend> m_backend;
};

// The manual download: the server must answer before the file is asked for.
bool downloadAfterConnectionTest(
    SupportNetwork& network, std::string_view remotePath, const std::filesystem::path& target);

} // namespace kvt
