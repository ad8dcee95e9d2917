// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"

#include <QTcpSocket>

LoopbackHttpServer::LoopbackHttpServer()
{
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackHttpServer::onNewConnection);
}

bool LoopbackHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl LoopbackHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LoopbackHttpServer::respond(int status, QByteArray body, QByteArray contentType)
{
    m_status = status;
    m_body = std::move(body);
    m_contentType = std::move(contentType);
    m_hold = false;
}

void LoopbackHttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        ++m_connections;
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const qsizetype headerEnd = buffer->indexOf("\r\n\r\n");
            if (headerEnd < 0)
                return;
            Request request;
            const QList<QByteArray> lines = buffer->left(headerEnd).split('\n');
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            request.method = first.value(0);
            request.path = first.value(1);
            qsizetype length = 0;
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon < 0)
                    continue;
                const QByteArray name = lines[i].left(colon).trimmed().toLower();
                const QByteArray value = lines[i].mid(colon + 1).trimmed();
                request.headers.append({name, value});
                if (name == "content-length")
                    length = value.toLongLong();
            }
            if (buffer->size() < headerEnd + 4 + length)
                return;
            request.body = buffer->mid(headerEnd + 4, length);
            buffer->remove(0, headerEnd + 4 + length);
            m_requests.append(request);
            Q_EMIT requestReceived();
            if (m_hold)
                return;
            QByteArray response = "HTTP/1.1 " + QByteArray::number(m_status) + " Status\r\n";
            response += "Content-Type: " + m_contentType + "\r\n";
            response += "Content-Length: " + QByteArray::number(m_body.size()) + "\r\n";
            response += "Connection: close\r\n\r\n";
            response += m_body;
            socket->write(response);
            socket->disconnectFromHost();
        });
    }
}
