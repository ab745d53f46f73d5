// The network client against a server the test starts on 127.0.0.1.

#include "support/support_network.h"

#include "local_http_server.h"
#include "qt_test_support.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace kvt {
namespace {

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(SupportNetwork, ReadsTheLatestBuildFromTheVersionFile)
{
    test::LocalHttpServer server;
    struct Case {
        QByteArray body;
        int number;
        NetworkStatus status;
    };
    const Case cases[] = {
        {"9701", 9701, NetworkStatus::Success},
        {"9700\r\n", 9700, NetworkStatus::Success},
        {"9699", 9699, NetworkStatus::Success},
        {"12345678901", 0, NetworkStatus::ResourceFailed}, // eleven characters
        {QByteArray(4000, '9'), 0, NetworkStatus::ResourceFailed},
    };
    for (const Case& c : cases) {
        server.answer("/downloads/kvt25_v32.txt", 200, c.body);
        SupportNetwork network(server.baseText(), 5000);
        const LatestBuild latest = network.fetchLatestBuild();
        EXPECT_TRUE(latest.fetched) << c.body.left(20).constData();
        EXPECT_EQ(latest.number, c.number) << c.body.left(20).constData();
        EXPECT_EQ(latest.status, c.status) << c.body.left(20).constData();
    }
    EXPECT_EQ(server.requests().last(), "/downloads/kvt25_v32.txt");
}

TEST(SupportNetwork, AMissingFileOrServerIsNoConnection)
{
    test::LocalHttpServer server; // answers 404 for every path
    SupportNetwork missingFile(server.baseText(), 5000);
    LatestBuild latest = missingFile.fetchLatestBuild();
    EXPECT_FALSE(latest.fetched);
    EXPECT_EQ(latest.status, NetworkStatus::ResourceFailed);

    // A port that was just free: nothing listens there.
    std::string deadBase;
    {
        test::LocalHttpServer gone;
        deadBase = gone.baseText();
    }
    SupportNetwork noServer(deadBase, 5000);
    latest = noServer.fetchLatestBuild();
    EXPECT_FALSE(latest.fetched);
    EXPECT_EQ(updateOutcome(latest), UpdateOutcome::NoConnection);
    EXPECT_EQ(noServer.testConnection(), NetworkStatus::ResourceFailed);

    SupportNetwork notConfigured("", 5000);
    EXPECT_EQ(notConfigured.fetchLatestBuild().status, NetworkStatus::NoSession);
    EXPECT_EQ(notConfigured.testConnection(), NetworkStatus::NoSession);
}

TEST(SupportNetwork, WithoutTheNetworkModuleEveryCallIsNoConnectionAndAsksNothing)
{
    test::LocalHttpServer server;
    server.answer("/downloads/kvt25_v32.txt", 200, "9701");
    server.answer("/downloads/x", 200, "new");
    QTemporaryDir emptyFolder;
    const std::filesystem::path noModule = emptyFolder.path().toStdString();
    SupportNetwork network(server.baseText(), 5000, noModule);
    const LatestBuild latest = network.fetchLatestBuild();
    EXPECT_FALSE(latest.fetched);
    EXPECT_EQ(latest.number, 0);
    EXPECT_EQ(latest.status, NetworkStatus::NoSession);
    EXPECT_EQ(updateOutcome(latest), UpdateOutcome::NoConnection);
    EXPECT_EQ(network.testConnection(), NetworkStatus::NoSession);
    const std::filesystem::path target = noModule / "x";
    std::ofstream(target) << "old";
    EXPECT_FALSE(downloadAfterConnectionTest(network, "/downloads/x", target));
    EXPECT_FALSE(network.download("/downloads/x", target));
    EXPECT_EQ(readFile(target), "old");
    EXPECT_TRUE(server.requests().isEmpty());

    // The module beside the test program answers for the same server.
    SupportNetwork withModule(server.baseText(), 5000);
    EXPECT_EQ(withModule.fetchLatestBuild().number, 9701);
}

TEST(SupportNetwork, AServerThatNeverAnswersTimesOut)
{
    test::LocalHttpServer server;
    server.setSilent(true);
    SupportNetwork network(server.baseText(), 300);
    QElapsedTimer clock;
    clock.start();
    const LatestBuild latest = network.fetchLatestBuild();
    EXPECT_FALSE(latest.fetched);
    EXPECT_EQ(network.testConnection(), NetworkStatus::ResourceFailed);
    QTemporaryDir folder;
    EXPECT_FALSE(network.download("/downloads/x", std::filesystem::path(folder.path().toStdString()) / "x"));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(server.requests().size(), 3);
}

TEST(SupportNetwork, ConnectionTestCountsAnyAnswer)
{
    test::LocalHttpServer server; // the root gives 404
    SupportNetwork network(server.baseText(), 5000);
    EXPECT_EQ(network.testConnection(), NetworkStatus::ServerAnswered);
    EXPECT_EQ(server.requests(), QStringList {"/"});
}

TEST(SupportNetwork, DownloadsReplaceACachedCopyOnlyWhenTheFileArrived)
{
    test::LocalHttpServer server;
    QTemporaryDir folder;
    const std::filesystem::path target = std::filesystem::path(folder.path().toStdString()) / "manual.pdf";
    {
        std::ofstream old(target, std::ios::binary);
        old << "old copy";
    }
    const QByteArray content = QByteArray("%PDF-1.4\n") + QByteArray(300000, 'x');
    server.answer("/downloads//Kalvora_Tools_2025_Manual_English.pdf", 200, content);
    SupportNetwork network(server.baseText(), 5000);

    EXPECT_FALSE(network.download("/downloads//missing.pdf", target));
    EXPECT_EQ(readFile(target), "old copy");

    EXPECT_TRUE(downloadAfterConnectionTest(network, "/downloads//Kalvora_Tools_2025_Manual_English.pdf", target));
    EXPECT_EQ(readFile(target), content.toStdString());
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList {"manual.pdf"});

    EXPECT_FALSE(network.download("/downloads/x", target.parent_path() / "no folder" / "x"));
}

TEST(SupportNetwork, TheManualIsNotAskedForWhenTheServerDoesNotAnswer)
{
    test::LocalHttpServer server;
    server.setSilent(true);
    SupportNetwork network(server.baseText(), 300);
    QTemporaryDir folder;
    EXPECT_FALSE(downloadAfterConnectionTest(
        network, "/downloads//x.pdf", std::filesystem::path(folder.path().toStdString()) / "x.pdf"));
    EXPECT_EQ(server.requests(), QStringList {"/"});
}

} // namespace
} // namespace kvt
