// SPDX-License-Identifier: GPL-3.0-or-later
#include "CrashReportUploader.h"

#include "platform/foundation/Logger.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {
const Logger &logger()
{
    static const Logger instance("CrashReporter");
    return instance;
}
} // namespace

CrashReportUploader::CrashReportUploader(QUrl endpoint, QStringList reports, QObject *parent)
    : QObject(parent), m_endpoint(std::move(endpoint)), m_pending(std::move(reports))
{}

void CrashReportUploader::start()
{
    sendNext();
}

void CrashReportUploader::sendNext()
{
    QByteArray body;
    QString path;
    while (!m_pending.isEmpty()) {
        path = m_pending.takeFirst();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            body = file.readAll();
            break;
        }
        path.clear();
    }
    if (path.isEmpty()) {
        // Told from the event loop, after the last reply's deferred deletion, so that a process
        // that ends on finished() leaves nothing of the transfer behind.
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_network.clearConnectionCache();
                m_finished = true;
                Q_EMIT finished();
            },
            Qt::QueuedConnection);
        return;
    }

    QNetworkRequest request(m_endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("text/plain; charset=utf-8"));
    request.setRawHeader("X-Kinolith-Report", QFileInfo(path).fileName().toUtf8());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(transferTimeoutMs);
    QNetworkReply *reply = m_network.post(request, body);
    connect(reply, &QNetworkReply::finished, this, [this, reply, path] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
            QFile::remove(path);
            ++m_sent;
        } else {
            logger().error(QStringLiteral("Crash report %1 kept, the endpoint did not take it: %2")
                               .arg(QFileInfo(path).fileName(), reply->errorString()));
        }
        sendNext();
    });
}
