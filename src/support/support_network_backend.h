#pragma once
// The network client lives in a module of its own, loaded beside the program the first
// time the server is asked: Qt Network and the libraries it takes along (Kerberos, the
// proxy resolver) cost a start nothing then. This is the one interface between them.

#include "support/update_check.h"

#include <filesystem>
#include <string_view>

namespace kvt {

class SupportNetworkBackend {
public:
    virtual ~SupportNetworkBackend() = default;
    virtual LatestBuild fetchLatestBuild() = 0;
    virtual NetworkStatus testConnection() = 0;
    virtual bool download(std::string_view remotePath, const std::filesystem::path& target) = 0;
};

// The module's file name without prefix and suffix, as QLibrary takes it, and its entry.
inline constexpr const char* kNetworkModuleName = "Kalvora_Tools_Network";
inline constexpr const char* kNetworkModuleEntry = "kvtCreateSupportNetwork";
// Creates a client for the server with the time-out; the caller owns it.
using CreateSupportNetwork = SupportNetworkBackend* (*)(const char* server, int timeoutMs);

} // namespace kvt
