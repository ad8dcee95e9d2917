// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/updates/UpdateCheckResult.h"

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;

// One check for updates: fetches the appcast feed, finds its newest release and compares it with
// the running version. It only reads the feed; nothing is downloaded or run. Main thread only.
class UpdateCheck : public QObject
{
    Q_OBJECT

public:
    static constexpr int networkFailure = -2;
    static constexpr qint64 maximumFeedBytes = 1024 * 1024;
    static constexpr int transferTimeoutMs = 30'000;

    UpdateCheck(QNetworkAccessManager &network, QUrl feedUrl, QString runningVersion,
                QObject *parent = nullptr);
    ~UpdateCheck() override;

    // Starts the request; finished() follows exactly once, never from inside start().
    void start();
    // Stops a check in progress; finished() then reports cancelled. Does nothing once finished.
    void cancel();
    bool isRunning() const { return m_reply != nullptr; }

Q_SIGNALS:
    void finished(const UpdateCheckResult &result);

private:
    void onReplyFinished();
    void finish(UpdateCheckResult result);
    static UpdateCheckResult failure(const QString &reason);

    QNetworkAccessManager &m_network;
    QUrl m_feedUrl;
    QString m_runningVersion;
    QPointer<QNetworkReply> m_reply;
    bool m_cancelled = false;
    bool m_tooLarge = false;
};
