#include "support/update_check.h"

#include "app/platform.h"
#include "common/language_codes.h"
#include "common/number_format.h"

#include <climits>

namespace kvt {

LatestBuild readVersionText(std::string_view text)
{
    if (text.size() > kMaxVersionTextLength)
        return {true, 0, NetworkStatus::ResourceFailed};
    std::size_t i = 0;
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; };
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            value = INT_MAX; // ten characters cannot carry it far past the limit
    }
    return {true, static_cast<int>(negative ? -value : value), NetworkStatus::Success};
}

namespace {

bool german(std::int32_t languageCode)
{
    return languageCode == kLanguageGerman;
}

bool isWebAddress(std::string_view text)
{
    auto startsWithNoCase = [&](std::string_view prefix) {
        if (text.size() <= prefix.size())
            return false;
        for (std::size_t i = 0; i < prefix.size(); ++i) {
            char c = text[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            if (c != prefix[i])
                return false;
        }
        return true;
    };
    if (!startsWithNoCase("http://") && !startsWithNoCase("https://"))
        return false;
    // No blanks or control characters: the text becomes part of an address as it stands.
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F)
            return false;
    }
    return true;
}

} // namespace

std::string updateLogName(std::int32_t languageCode)
{
    return german(languageCode) ? "KVT2025_UpdateLog_DE.txt" : "KVT2025_UpdateLog_EN.txt";
}

std::string installerName(std::int32_t languageCode)
{
    return german(languageCode) ? "KalvoraTools_Setup32_DE.msi" : "KalvoraTools_Setup32_EN.msi";
}

std::string manualName(std::int32_t languageCode)
{
    return german(languageCode) ? "Kalvora_Tools_2025_Handbuch_Deutsch.pdf" : "Kalvora_Tools_2025_Manual_English.pdf";
}

std::string updateLogPath(std::int32_t languageCode)
{
    return "/downloads/" + updateLogName(languageCode);
}

std::string installerPath(std::int32_t languageCode)
{
    return "/downloads/" + installerName(languageCode);
}

std::string manualPath(std::int32_t languageCode)
{
    return "/downloads//" + manualName(languageCode);
}

VendorConfig readVendorConfig(SettingsStore& settings)
{
    VendorConfig config;
    config.server = settings.readText(std::string(kServerSetting)).value_or("");
    config.webSite = settings.readText(std::string(kWebSiteSetting)).value_or("");
    config.supportAddress = settings.readText(std::string(kSupportAddressSetting)).value_or("");
    return config;
}

std::string serverUrl(std::string_view base, std::string_view path)
{
    if (!isWebAddress(base))
        return {};
    while (!base.empty() && base.back() == '/')
        base.remove_suffix(1);
    return std::string(base) + std::string(path);
}

std::string webSiteUrl(std::string_view site)
{
    return isWebAddress(site) ? std::string(site) : std::string();
}

UpdateOutcome updateOutcome(const LatestBuild& latest, int ownBuild)
{
    if (!latest.fetched)
        return UpdateOutcome::NoConnection;
    return ownBuild < latest.number ? UpdateOutcome::Available : UpdateOutcome::UpToDate;
}

UpdateCheckResult updateCheckResult(const LatestBuild& latest, const TextLookup& texts, int ownBuild)
{
    UpdateCheckResult result;
    result.outcome = updateOutcome(latest, ownBuild);
    switch (result.outcome) {
    case UpdateOutcome::NoConnection:
        result.message = noConnectionMessage(texts);
        break;
    case UpdateOutcome::Available:
        result.statusText = "Build " + cformat("%i", latest.number) + " " + texts.text(67804, "*verfügbar");
        result.message = {texts.text(67800,
                              "*Update verfügbar. Bitte laden Sie das Update herunter und aktualisieren Kalvora "
                              "Tools auf die neuste Version."),
            texts.text(65471, "*Info"), MessageIcon::Information};
        result.showUpdateInfo = true;
        result.enableUpdateDownload = true;
        break;
    case UpdateOutcome::UpToDate:
        result.message = {texts.text(67801, "*Kein Update verfügbar. Kalvora Tools ist auf dem neusten Stand"),
            texts.text(65471, "*Info"), MessageIcon::Information};
        break;
    }
    return result;
}

MessageBoxRequest noConnectionMessage(const TextLookup& texts)
{
    return {texts.text(65489, "*Keine Verbindung zum Internet verfügbar"), texts.text(65470, "*Fehler"),
        MessageIcon::Error};
}

MessageBoxRequest downloadFailedMessage(const TextLookup& texts)
{
    return {texts.text(67806, "*Die Datei konnte nicht heruntergeladen werden."), texts.text(65470, "*Fehler"),
        MessageIcon::Error};
}

MessageBoxRequest showDownloadQuestion(const TextLookup& texts)
{
    return {texts.text(67805, "*Update-Datei erfolgreich heruntergeladen. Download Verzeichnis in Explorer zeigen?"),
        texts.text(65471, "*Info"), MessageIcon::Question, MessageButtons::YesNo};
}

MessageBoxRequest showInFolderFailedMessage()
{
    return {"CoInitialize failed", "Error_QXTZR017", MessageIcon::Error};
}

} // namespace kvt
