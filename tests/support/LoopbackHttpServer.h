// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QUrl>

// A small HTTP/1.1 server on 127.0.0.1 for tests: it answers every request with the same
// response, or holds the connection open without answering, and records what it was sent.
class LoopbackHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
    };

    LoopbackHttpServer();

    bool listen();
    // Stops listening: later connections are refused.
    void close() { m_server.close(); }
    QUrl url(const QString &path = QStringLiteral("/")) const;

    // The response to every request.
    void respond(int status, QByteArray body, QByteArray contentType = "application/xml");
    // Accept connections but never answer.
    void holdConnections() { m_hold = true; }

    int connectionCount() const { return m_connections; }
    const QList<Request> &requests() const { return m_requests; }

Q_SIGNALS:
    void requestReceived();

private:
    void onNewConnection();

    QTcpServer m_server;
    int m_status = 200;
    QByteArray m_body;
    QByteArray m_contentType = "application/xml";
    bool m_hold = false;
    int m_connections = 0;
    QList<Request> m_requests;
};
