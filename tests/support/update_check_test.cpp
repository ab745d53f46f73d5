// The version file, the server addresses and what an update check tells the user.

#include "support/update_check.h"

#include "app/platform.h"
#include "common/language_codes.h"

#include <gtest/gtest.h>

#include <map>

namespace kvt {
namespace {

struct VersionCase {
    const char* name;
    std::string text;
    int number;
    NetworkStatus status;
};

TEST(ReadVersionText, ReadsTheNumberAsAtoiDoesAndRefusesLongTexts)
{
    const VersionCase cases[] = {
        {"plain", "9701", 9701, NetworkStatus::Success},
        {"line break after it", "9701\r\n", 9701, NetworkStatus::Success},
        {"leading blanks", "  9702", 9702, NetworkStatus::Success},
        {"trailing text", "9703abc", 9703, NetworkStatus::Success},
        {"empty", "", 0, NetworkStatus::Success},
        {"no digits", "Build", 0, NetworkStatus::Success},
        {"negative", "-5", -5, NetworkStatus::Success},
        {"ten characters", "0000009704", 9704, NetworkStatus::Success},
        {"eleven characters", "00000009705", 0, NetworkStatus::ResourceFailed},
        {"an html page", "<html><body>9999</body></html>", 0, NetworkStatus::ResourceFailed},
        {"ten digits past int", "9999999999", 2147483647, NetworkStatus::Success},
    };
    for (const VersionCase& c : cases) {
        const LatestBuild latest = readVersionText(c.text);
        EXPECT_TRUE(latest.fetched) << c.name;
        EXPECT_EQ(latest.number, c.number) << c.name;
        EXPECT_EQ(latest.status, c.status) << c.name;
    }
}

TEST(UpdateCheck, OnlyANewerBuildOffersTheUpdate)
{
    const BuiltinTexts texts;
    struct Case {
        LatestBuild latest;
        UpdateOutcome outcome;
    };
    const Case cases[] = {
        {{true, 9701, NetworkStatus::Success}, UpdateOutcome::Available},
        {{true, 9700, NetworkStatus::Success}, UpdateOutcome::UpToDate},
        {{true, 9699, NetworkStatus::Success}, UpdateOutcome::UpToDate},
        {readVersionText("00000009800"), UpdateOutcome::UpToDate},
        {{false, 0, NetworkStatus::NoSession}, UpdateOutcome::NoConnection},
        {{false, 0, NetworkStatus::ResourceFailed}, UpdateOutcome::NoConnection},
    };
    for (const Case& c : cases) {
        const UpdateCheckResult result = updateCheckResult(c.latest, texts);
        EXPECT_EQ(result.outcome, c.outcome) << c.latest.number;
        EXPECT_EQ(result.showUpdateInfo, c.outcome == UpdateOutcome::Available);
        EXPECT_EQ(result.enableUpdateDownload, c.outcome == UpdateOutcome::Available);
    }
}

TEST(UpdateCheck, TheUserReadsTheseTexts)
{
    const BuiltinTexts texts;
    const UpdateCheckResult available = updateCheckResult({true, 9701, NetworkStatus::Success}, texts);
    EXPECT_EQ(available.statusText, "Build 9701 *verfügbar");
    EXPECT_EQ(available.message.text,
        "*Update verfügbar. Bitte laden Sie das Update herunter und aktualisieren Kalvora Tools auf die neuste "
        "Version.");
    EXPECT_EQ(available.message.caption, "*Info");
    EXPECT_EQ(available.message.icon, MessageIcon::Information);

    const UpdateCheckResult upToDate = updateCheckResult({true, 9700, NetworkStatus::Success}, texts);
    EXPECT_EQ(upToDate.message.text, "*Kein Update verfügbar. Kalvora Tools ist auf dem neusten Stand");
    EXPECT_EQ(upToDate.message.caption, "*Info");
    EXPECT_EQ(upToDate.statusText, "");

    const UpdateCheckResult none = updateCheckResult({}, texts);
    EXPECT_EQ(none.message.text, "*Keine Verbindung zum Internet verfügbar");
    EXPECT_EQ(none.message.caption, "*Fehler");
    EXPECT_EQ(none.message.icon, MessageIcon::Error);

    const MessageBoxRequest question = showDownloadQuestion(texts);
    EXPECT_EQ(question.text, "*Update-Datei erfolgreich heruntergeladen. Download Verzeichnis in Explorer zeigen?");
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(showInFolderFailedMessage().text, "CoInitialize failed");
    EXPECT_EQ(showInFolderFailedMessage().caption, "Error_QXTZR017");
}

TEST(VendorFiles, NamesAndPathsByLanguage)
{
    EXPECT_EQ(kVersionPath, "/downloads/kvt25_v32.txt");
    EXPECT_EQ(updateLogPath(kLanguageGerman), "/downloads/KVT2025_UpdateLog_DE.txt");
    EXPECT_EQ(updateLogPath(kLanguageEnglish), "/downloads/KVT2025_UpdateLog_EN.txt");
    EXPECT_EQ(installerPath(kLanguageGerman), "/downloads/KalvoraTools_Setup32_DE.msi");
    EXPECT_EQ(installerPath(kLanguageEnglish), "/downloads/KalvoraTools_Setup32_EN.msi");
    EXPECT_EQ(manualPath(kLanguageGerman), "/downloads//Kalvora_Tools_2025_Handbuch_Deutsch.pdf");
    EXPECT_EQ(manualPath(kLanguageEnglish), "/downloads//Kalvora_Tools_2025_Manual_English.pdf");
    EXPECT_EQ(installerName(kLanguageGerman), "KalvoraTools_Setup32_DE.msi");
    EXPECT_EQ(updateLogName(kLanguageEnglish), "KVT2025_UpdateLog_EN.txt");
}

TEST(ServerUrl, JoinsOnlyWebAddresses)
{
    struct Case {
        const char* base;
        const char* expected;
    };
    const Case cases[] = {
        {"http://127.0.0.1:8080", "http://127.0.0.1:8080/downloads/kvt25_v32.txt"},
        {"https://downloads.example/", "https://downloads.example/downloads/kvt25_v32.txt"},
        {"HTTPS://downloads.example//", "HTTPS://downloads.example/downloads/kvt25_v32.txt"},
        {"http://host/prefix", "http://host/prefix/downloads/kvt25_v32.txt"},
        {"", ""},
        {"http://", ""},
        {"file:///etc", ""},
        {"ftp://host", ""},
        {"downloads.example", ""},
        {"http://host name", ""},
        {"http://host\n", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(serverUrl(c.base, kVersionPath), c.expected) << c.base;
    EXPECT_EQ(webSiteUrl("https://www.example"), "https://www.example");
    EXPECT_EQ(webSiteUrl("javascript:alert(1)"), "");
}

class MapSettings final : public SettingsStore {
public:
    std::map<std::string, std::string> texts;
    std::optional<std::uint32_t> readNumber(const std::string&) override { return std::nullopt; }
    void writeNumber(const std::string&, std::uint32_t) override { }
    std::optional<std::string> readText(const std::string& name) override
    {
        auto it = texts.find(name);
        return it == texts.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    void writeText(const std::string& name, const std::string& value) override { texts[name] = value; }
    void remove(const std::string& name) override { texts.erase(name); }
    std::optional<std::string> installerValue(const std::string&) override { return std::nullopt; }
};

TEST(VendorConfig, ComesFromTheStartupSettings)
{
    MapSettings settings;
    EXPECT_EQ(readVendorConfig(settings).server, "");
    settings.texts["Vendor_DownloadServer"] = "http://127.0.0.1:1";
    settings.texts["Vendor_WebSite"] = "https://www.example";
    settings.texts["Vendor_SupportAddress"] = "help@example";
    const VendorConfig config = readVendorConfig(settings);
    EXPECT_EQ(config.server, "http://127.0.0.1:1");
    EXPECT_EQ(config.webSite, "https://www.example");
    EXPECT_EQ(config.supportAddress, "help@example");
}

} // namespace
} // namespace kvt
