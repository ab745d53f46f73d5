// The about dialog and the support mail composer offscreen, with a local server standing
// in for the vendor and the desktop replaced.

#include "support/about_dialog.h"
#include "support/support_mail_dialog.h"

#include "common/language_codes.h"
#include "local_http_server.h"
#include "qt_test_support.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <fstream>

namespace kvt {
namespace {

class AnsweringBoxes final : public MessageBoxes {
public:
    MessageAnswer show(const MessageBoxRequest& request) override
    {
        shown.push_back(request);
        return answer;
    }
    std::vector<MessageBoxRequest> shown;
    MessageAnswer answer = MessageAnswer::Ok;
};

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

template<typename T> T* control(QWidget& dialog, const QString& name)
{
    for (T* widget : dialog.findChildren<T*>()) {
        if (widget->accessibleName() == name)
            return widget;
    }
    return nullptr;
}

class SupportDialogs : public ::testing::Test {
protected:
    SupportServices services()
    {
        SupportServices s {texts, boxes};
        s.vendor.server = server.baseText();
        s.languageCode = kLanguageGerman;
        s.dataDirectory = std::filesystem::path(folder.path().toStdString());
        s.networkTimeoutMs = 2000;
        s.openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        s.openTextFile = [this](const std::filesystem::path& file) {
            openedFiles.push_back(file);
            return true;
        };
        s.chooseInstallerPath = [this](QWidget*, const std::filesystem::path& suggested) {
            suggestedInstaller = suggested;
            return chosenInstaller;
        };
        s.showInFileManager = [this](const std::filesystem::path& file) {
            shownInFolder.push_back(file);
            return true;
        };
        s.beep = [this] { ++beeps; };
        return s;
    }

    BuiltinTexts texts;
    AnsweringBoxes boxes;
    test::LocalHttpServer server;
    QTemporaryDir folder;
    std::vector<QUrl> opened;
    std::vector<std::filesystem::path> openedFiles;
    std::vector<std::filesystem::path> shownInFolder;
    std::filesystem::path suggestedInstaller;
    std::optional<std::filesystem::path> chosenInstaller;
    int beeps = 0;
};

TEST_F(SupportDialogs, AboutShowsBuildAndEditionWithTheDownloadNotYetOffered)
{
    AboutDialog dialog(services());
    EXPECT_EQ(dialog.windowTitle(), "*Über Kalvora Tools");
    EXPECT_NE(control<QLabel>(dialog, "Build 9700"), nullptr);
    EXPECT_NE(control<QLabel>(dialog, "x86 Edition"), nullptr);
    EXPECT_EQ(control<QLabel>(dialog, "*Produktseite"), nullptr); // no web site configured
    EXPECT_TRUE(control<QPushButton>(dialog, "*Update prüfen")->isEnabled());
    EXPECT_FALSE(control<QPushButton>(dialog, "*Update laden")->isEnabled());
    EXPECT_TRUE(control<QPushButton>(dialog, "*Update Info")->isHidden());
}

TEST_F(SupportDialogs, TheProductLinkOpensTheConfiguredSite)
{
    SupportServices s = services();
    s.vendor.webSite = "https://www.example/kvt";
    AboutDialog dialog(std::move(s));
    QLabel* link = control<QLabel>(dialog, "*Produktseite");
    ASSERT_NE(link, nullptr);
    emit link->linkActivated(QStringLiteral("https://www.example/kvt"));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(), "https://www.example/kvt");
}

TEST_F(SupportDialogs, UpdateCheckOutcomes)
{
    struct Case {
        QByteArray version;
        std::string message;
        bool offered;
    };
    const Case cases[] = {
        {"9701",
            "*Update verfügbar. Bitte laden Sie das Update herunter und aktualisieren Kalvora Tools auf die neuste "
            "Version.",
            true},
        {"9700", "*Kein Update verfügbar. Kalvora Tools ist auf dem neusten Stand", false},
        {"9699", "*Kein Update verfügbar. Kalvora Tools ist auf dem neusten Stand", false},
        {"97010000000", "*Kein Update verfügbar. Kalvora Tools ist auf dem neusten Stand", false},
    };
    for (const Case& c : cases) {
        server.answer("/downloads/kvt25_v32.txt", 200, c.version);
        boxes.shown.clear();
        AboutDialog dialog(services());
        dialog.checkForUpdate();
        ASSERT_EQ(boxes.shown.size(), 1u) << c.version.constData();
        EXPECT_EQ(boxes.shown[0].text, c.message);
        EXPECT_EQ(boxes.shown[0].caption, "*Info");
        EXPECT_EQ(control<QPushButton>(dialog, "*Update laden")->isEnabled(), c.offered) << c.version.constData();
        EXPECT_EQ(control<QPushButton>(dialog, "*Update Info")->isHidden(), !c.offered) << c.version.constData();
        EXPECT_EQ(control<QLabel>(dialog, "Build 9701 *verfügbar") != nullptr, c.offered);
    }
}

TEST_F(SupportDialogs, UpdateCheckWithoutServerSaysSo)
{
    SupportServices s = services();
    s.vendor.server = ""; // not configured
    AboutDialog dialog(std::move(s));
    dialog.checkForUpdate();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Keine Verbindung zum Internet verfügbar");
    EXPECT_EQ(boxes.shown[0].caption, "*Fehler");
    EXPECT_FALSE(control<QPushButton>(dialog, "*Update laden")->isEnabled());
}

TEST_F(SupportDialogs, UpdateInfoDownloadsTheLogOfTheLanguageAndOpensIt)
{
    server.answer("/downloads/KVT2025_UpdateLog_EN.txt", 200, "Build 9701: fixes");
    SupportServices s = services();
    s.languageCode = kLanguageEnglish;
    AboutDialog dialog(std::move(s));
    dialog.showUpdateLog();
    const std::filesystem::path log = std::filesystem::path(folder.path().toStdString()) / "KVT2025_UpdateLog_EN.txt";
    EXPECT_EQ(readFile(log), "Build 9701: fixes");
    EXPECT_EQ(openedFiles, std::vector<std::filesystem::path> {log});
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SupportDialogs, UpdateDownloadLandsWhereAskedAndOffersTheFolder)
{
    server.answer("/downloads/KalvoraTools_Setup32_DE.msi", 200, QByteArray(100000, 'm'));
    const std::filesystem::path target = std::filesystem::path(folder.path().toStdString()) / "setup.msi";
    chosenInstaller = target;
    boxes.answer = MessageAnswer::Yes;
    AboutDialog dialog(services());
    dialog.downloadUpdate();
    EXPECT_EQ(suggestedInstaller.filename(), "KalvoraTools_Setup32_DE.msi");
    EXPECT_EQ(readFile(target), std::string(100000, 'm'));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(
        boxes.shown[0].text, "*Update-Datei erfolgreich heruntergeladen. Download Verzeichnis in Explorer zeigen?");
    EXPECT_EQ(shownInFolder, std::vector<std::filesystem::path> {target});
}

TEST_F(SupportDialogs, UpdateDownloadFailureOrCancel)
{
    AboutDialog dialog(services());
    dialog.downloadUpdate(); // cancelled in the save dialog
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_TRUE(boxes.shown.empty());

    chosenInstaller = std::filesystem::path(folder.path().toStdString()) / "setup.msi";
    dialog.downloadUpdate(); // the server has no installer
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Die Datei konnte nicht heruntergeladen werden.");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
    EXPECT_FALSE(std::filesystem::exists(*chosenInstaller));
    EXPECT_TRUE(shownInFolder.empty());
}

TEST_F(SupportDialogs, SupportMailCountsDownAndAsksForMissingFields)
{
    SupportServices s = services();
    s.vendor.supportAddress = "support@example";
    SupportMailDialog dialog(std::move(s));
    EXPECT_EQ(dialog.windowTitle(), "*Support Email Erstellung");
    QLabel* remaining = control<QLabel>(dialog, "*Zeichen übrig");
    ASSERT_NE(remaining, nullptr);
    EXPECT_EQ(remaining->text(), "2499");
    auto* description = control<QPlainTextEdit>(dialog, "*Formlose Beschreibung des Problems");
    QTest::keyClicks(description, "Ab ");
    description->insertPlainText(QStringLiteral("ü"));
    EXPECT_EQ(remaining->text(), "2495");

    control<QPushButton>(dialog, "*OK")->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Bitte Absender-Namen angeben!");
    QTest::keyClicks(control<QLineEdit>(dialog, "*Absender-Name"), "Anna");
    control<QPushButton>(dialog, "*OK")->click();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "*Bitte Absender-Email-Adresse angeben!");
    EXPECT_EQ(beeps, 2);
    EXPECT_TRUE(opened.empty());
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    description->setPlainText(QString(3000, QChar('x')));
    EXPECT_EQ(description->toPlainText().size(), 2499);
    EXPECT_EQ(remaining->text(), "0");
}

TEST_F(SupportDialogs, SupportMailHandsTheTextIntactToTheMailProgram)
{
    SupportServices s = services();
    s.vendor.supportAddress = "support@example";
    SupportMailDialog dialog(std::move(s));
    control<QLineEdit>(dialog, "*Absender-Name")->setText(QStringLiteral("Jörg"));
    QTest::keyClicks(control<QLineEdit>(dialog, "*Abesender-Email-Adresse"), "j@example");
    const QString description = QStringLiteral("Spindel & Vorschub #2?\n50% Öl\nEnde");
    control<QPlainTextEdit>(dialog, "*Formlose Beschreibung des Problems")->setPlainText(description);

    control<QPushButton>(dialog, "*Kopieren")->click();
    EXPECT_EQ(QApplication::clipboard()->text(),
        QStringLiteral("support@example\n*Kalvora Tools Support Anfrage Build 9700\n\nJörg\nj@example\n\n")
            + description);

    control<QPushButton>(dialog, "*OK")->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const QUrl& url = opened[0];
    EXPECT_EQ(url.scheme(), "mailto");
    EXPECT_EQ(url.path(), "support@example");
    EXPECT_EQ(url.toEncoded().toStdString(), dialog.form().link());
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), "*Kalvora Tools Support Anfrage Build 9700");
    QString expected = QStringLiteral("Jörg\nj@example\n\n") + description;
    expected.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded), expected);
}

} // namespace
} // namespace kvt
