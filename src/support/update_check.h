#pragma once
// Help, update check and support mail: the plain part. The build number of this
// program, the vendor's files on its download server, how the version file reads,
// what an update check tells the user, and where the server, the product web site and
// the support address come from (start-up settings; no host is built into the program).

#include "common/message_boxes.h"
#include "common/text_lookup.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kvt {

class SettingsStore;

inline constexpr int kBuildNumber = 9700;
inline constexpr std::string_view kEditionText = "x86 Edition";

// The version file is read up to this many bytes; a text longer than
// kMaxVersionTextLength counts as build 0.
inline constexpr std::size_t kMaxVersionReplyBytes = 255;
inline constexpr std::size_t kMaxVersionTextLength = 10;

// Outcome of a network operation, in the values the program has always used.
enum class NetworkStatus : std::uint8_t {
    Success = 0,
    NoSession = 1, // no server configured, or the connection could not be made
    ResourceFailed = 2, // the file could not be read, or its content is too long
    ServerAnswered = 3, // connection test: the server answered
};

struct LatestBuild {
    bool fetched = false; // false: the file could not be read at all
    int number = 0;
    NetworkStatus status = NetworkStatus::NoSession;
};

// The build number in the version file's text: the leading decimal number as atoi
// reads it (blanks, a sign, digits; anything after is ignored, no digits give 0), 0
// for a text over kMaxVersionTextLength characters. Never overflows.
LatestBuild readVersionText(std::string_view text);

// Paths on the vendor's download server.
inline constexpr std::string_view kVersionPath = "/downloads/kvt25_v32.txt";
std::string updateLogName(std::int32_t languageCode); // KVT2025_UpdateLog_DE.txt / _EN
std::string installerName(std::int32_t languageCode); // KalvoraTools_Setup32_DE.msi / _EN
std::string manualName(std::int32_t languageCode); // Kalvora_Tools_2025_Handbuch_Deutsch.pdf / ..._English
std::string updateLogPath(std::int32_t languageCode);
std::string installerPath(std::int32_t languageCode);
std::string manualPath(std::int32_t languageCode);

// The start-up settings that name the vendor. Empty when not set.
inline constexpr std::string_view kServerSetting = "Vendor_DownloadServer";
inline constexpr std::string_view kWebSiteSetting = "Vendor_WebSite";
inline constexpr std::string_view kSupportAddressSetting = "Vendor_SupportAddress";

struct VendorConfig {
    std::string server; // "https://host[:port][/prefix]"
    std::string webSite; // "https://..."
    std::string supportAddress; // "name@host"
};
VendorConfig readVendorConfig(SettingsStore& settings);

// The full address of a file on the server: the base without trailing slashes plus the
// path as it stands. Empty when the base is not an http or https address, so that a
// damaged setting never sends the program to a file or another scheme.
std::string serverUrl(std::string_view base, std::string_view path);
// The web site when it is an http or https address, otherwise empty.
std::string webSiteUrl(std::string_view site);

// What the about dialog does after "*Update prüfen".
enum class UpdateOutcome { NoConnection, Available, UpToDate };
UpdateOutcome updateOutcome(const LatestBuild& latest, int ownBuild = kBuildNumber);

struct UpdateCheckResult {
    UpdateOutcome outcome = UpdateOutcome::NoConnection;
    MessageBoxRequest message;
    std::string statusText; // the status field; empty unless an update is available
    bool showUpdateInfo = false;
    bool enableUpdateDownload = false;
};
UpdateCheckResult updateCheckResult(const LatestBuild& latest, const TextLookup& texts, int ownBuild = kBuildNumber);

// Messages of the help services.
MessageBoxRequest noConnectionMessage(const TextLookup& texts);
MessageBoxRequest downloadFailedMessage(const TextLookup& texts);
MessageBoxRequest showDownloadQuestion(const TextLookup& texts);
MessageBoxRequest showInFolderFailedMessage();

} // namespace kvt
