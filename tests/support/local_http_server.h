#pragma once
// A small HTTP server on 127.0.0.1 for the network tests: it answers each path with a
// status and a body, or keeps silent to stand in for a server that never answers. It
// runs on the test's own thread; the calls under test serve it from their event loop.

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace kvt::test {

class LocalHttpServer {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
    };

    LocalHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    std::string baseText() const { return base().toStdString(); }
    void answer(const QByteArray& path, int status, const QByteArray& body) { m_answers[path] = {status, body}; }
    // Connections are accepted, but no byte is ever sent back.
    void setSilent(bool silent) { m_silent = silent; }
    const QStringList& requests() const { return m_requests; }

private:
    void serve(QTcpSocket* socket)
    {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
        const QByteArray path = requestLine.size() > 1 ? requestLine[1] : QByteArray();
        m_buffers.remove(socket);
        m_requests << QString::fromLatin1(path);
        if (m_silent)
            return;
        const Answer answer = m_answers.value(path, Answer {404, "not found"});
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(answer.status) + " X\r\nContent-Length: "
            + QByteArray::number(answer.body.size()) + "\r\nConnection: close\r\n\r\n" + answer.body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QMap<QTcpSocket*, QByteArray> m_buffers;
    QMap<QByteArray, Answer> m_answers;
    QStringList m_requests;
    bool m_silent = false;
};

} // namespace kvt::test
