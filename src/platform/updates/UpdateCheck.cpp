// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateCheck.h"

#include "platform/updates/AppcastParser.h"
#include "platform/updates/VersionComparator.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

UpdateCheck::UpdateCheck(QNetworkAccessManager &network, QUrl feedUrl, QString runningVersion,
                         QObject *parent)
    : QObject(parent), m_network(network), m_feedUrl(std::move(feedUrl)),
      m_runningVersion(std::move(runningVersion))
{}

UpdateCheck::~UpdateCheck()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void UpdateCheck::start()
{
    QNetworkRequest request(m_feedUrl);
    // Never follow a redirect from https to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(transferTimeoutMs);
    request.setRawHeader("Accept", "application/rss+xml, application/xml, text/xml");
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Kinolith/%1").arg(m_runningVersion));
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::finished, this, &UpdateCheck::onReplyFinished);
    // A feed is small: a server that sends more is not an appcast server.
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > maximumFeedBytes && m_reply) {
            m_tooLarge = true;
            m_reply->abort();
        }
    });
}

void UpdateCheck::cancel()
{
    if (!m_reply)
        return;
    m_cancelled = true;
    m_reply->abort();
}

void UpdateCheck::onReplyFinished()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();

    if (m_cancelled) {
        finish(UpdateCheckResult{UpdateCheckResult::Outcome::cancelled, {}, {}});
        return;
    }
    const QByteArray document = reply->read(maximumFeedBytes + 1);
    if (m_tooLarge || document.size() > maximumFeedBytes) {
        finish(failure(QStringLiteral("The update feed is larger than an update feed can be.")));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        finish(failure(reply->errorString()));
        return;
    }
    const Expected<AppcastItem> newest = AppcastParser::newestItem(document);
    if (!newest) {
        finish(UpdateCheckResult{UpdateCheckResult::Outcome::failed, {}, newest.error()});
        return;
    }
    const bool newer = VersionComparator::compare(newest->version, m_runningVersion) > 0;
    finish(UpdateCheckResult{newer ? UpdateCheckResult::Outcome::updateAvailable
                                   : UpdateCheckResult::Outcome::upToDate,
                             *newest,
                             {}});
}

UpdateCheckResult UpdateCheck::failure(const QString &reason)
{
    return UpdateCheckResult{
        UpdateCheckResult::Outcome::failed,
        {},
        Error{QStringLiteral("Updates"), networkFailure,
              QStringLiteral("The update feed could not be fetched: %1").arg(reason)}};
}

void UpdateCheck::finish(UpdateCheckResult result)
{
    Q_EMIT finished(result);
}
