// The network module: the support network client on Qt Network, loaded by the program
// the first time it asks the vendor's server (support_network.cpp).

#include "support/support_network_backend.h"

#include "common/atomic_file_writer.h"

#include <QNetworkAccessManager>

#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <string>

namespace kvt {

namespace {

struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};
using ReplyPtr = std::unique_ptr<QNetworkReply, ReplyDeleter>;

bool httpSuccess(QNetworkReply* reply)
{
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return reply->error() == QNetworkReply::NoError && status.isValid() && status.toInt() >= 200
        && status.toInt() < 300;
}

class QtSupportNetwork final : public SupportNetworkBackend {
public:
    QtSupportNetwork(std::string server, int timeoutMs);
    LatestBuild fetchLatestBuild() override;
    NetworkStatus testConnection() override;
    bool download(std::string_view remotePath, const std::filesystem::path& target) override;

private:
    QNetworkReply* get(const std::string& url);
    void wait(QNetworkReply* reply);

    std::string m_server;
    int m_timeoutMs;
    QNetworkAccessManager m_manager;
};

QtSupportNetwork::QtSupportNetwork(std::string server, int timeoutMs)
    : m_server(std::move(server))
    , m_timeoutMs(timeoutMs)
{
    // No proxy from the environment: the configured server is asked directly.
    m_manager.setProxy(QNetworkProxy::NoProxy);
}

QNetworkReply* QtSupportNetwork::get(const std::string& url)
{
    QNetworkRequest request(QUrl(QString::fromStdString(url), QUrl::StrictMode));
    // Always the server's current file, never a cached copy.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Kalvora Tools"));
    request.setTransferTimeout(m_timeoutMs);
    return m_manager.get(request);
}

void QtSupportNetwork::wait(QNetworkReply* reply)
{
    if (reply->isFinished())
        return;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

LatestBuild QtSupportNetwork::fetchLatestBuild()
{
    const std::string url = serverUrl(m_server, kVersionPath);
    if (url.empty())
        return {false, 0, NetworkStatus::NoSession};
    ReplyPtr reply(get(url));
    bool tooLong = false;
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), [&] {
        // More than the version file can hold: the text counts as build 0 anyway, so a
        // server that sends without end is not read further.
        if (!httpSuccess(reply.get())) {
            reply->abort(); // an error page is no version file
        } else if (reply->bytesAvailable() > static_cast<qint64>(kMaxVersionReplyBytes)) {
            tooLong = true;
            reply->abort();
        }
    });
    wait(reply.get());
    if (tooLong)
        return {true, 0, NetworkStatus::ResourceFailed};
    if (!httpSuccess(reply.get()))
        return {false, 0, NetworkStatus::ResourceFailed};
    const QByteArray body = reply->read(static_cast<qint64>(kMaxVersionReplyBytes));
    return readVersionText(std::string_view(body.constData(), static_cast<std::size_t>(body.size())));
}

NetworkStatus QtSupportNetwork::testConnection()
{
    const std::string url = serverUrl(m_server, "/");
    if (url.empty())
        return NetworkStatus::NoSession;
    ReplyPtr reply(get(url));
    // The answer itself does not matter: a server that answers at all is reachable, and
    // the rest of its page is not read.
    bool answered = false;
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, reply.get(), [&] {
        if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
            answered = true;
            reply->abort();
        }
    });
    wait(reply.get());
    answered = answered || reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    return answered ? NetworkStatus::ServerAnswered : NetworkStatus::ResourceFailed;
}

bool QtSupportNetwork::download(std::string_view remotePath, const std::filesystem::path& target)
{
    const std::string url = serverUrl(m_server, remotePath);
    if (url.empty())
        return false;
    AtomicFileWriter writer(target);
    if (!writer.open())
        return false;
    ReplyPtr reply(get(url));
    bool written = true;
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), [&] {
        const QByteArray chunk = reply->readAll();
        if (written && !writer.write(chunk.constData(), static_cast<std::size_t>(chunk.size()))) {
            written = false;
            reply->abort();
        }
    });
    wait(reply.get());
    if (!written || !httpSuccess(reply.get()))
        return false; // the writer removes its temporary file; a copy already there stays
    const QByteArray rest = reply->readAll();
    return writer.write(rest.constData(), static_cast<std::size_t>(rest.size())) && writer.commit();
}

} // namespace

} // namespace kvt

extern "C" Q_DECL_EXPORT kvt::SupportNetworkBackend* kvtCreateSupportNetwork(const char* server, int timeoutMs)
{
    return new kvt::QtSupportNetwork(server ? server : "", timeoutMs);
}
