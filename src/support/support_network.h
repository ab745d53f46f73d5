#pragma once
// The vendor's download server through Qt Network. Each call waits for its answer in a
// local event loop that leaves out user input: the window keeps painting, nothing can
// be clicked twice, and the time-out ends a call to a server that never answers.

#include "support/update_check.h"

#include <QNetworkAccessManager>

#include <filesystem>
#include <string>
#include <string_view>

namespace kvt {

// How long a call may go without a byte from the server.
inline constexpr int kNetworkTimeoutMs = 15000;

class SupportNetwork {
public:
    explicit SupportNetwork(std::string server, int timeoutMs = kNetworkTimeoutMs);

    // The latest build from the version file. Not fetched when no server is
    // configured (status 1) or the file could not be read (status 2).
    LatestBuild fetchLatestBuild();
    // ServerAnswered when the server's root gives any HTTP answer.
    NetworkStatus testConnection();
    // Downloads a file of the server to the target, replacing a copy there only when the
    // whole file arrived (temporary file and rename). Never served from a cache.
    bool download(std::string_view remotePath, const std::filesystem::path& target);

private:
    QNetworkReply* get(const std::string& url);
    void wait(QNetworkReply* reply);

    std::string m_server;
    int m_timeoutMs;
    QNetworkAccessManager m_manager;
};

// The manual download: the server must answer before the file is asked for.
bool downloadAfterConnectionTest(
    SupportNetwork& network, std::string_view remotePath, const std::filesystem::path& target);

} // namespace kvt
