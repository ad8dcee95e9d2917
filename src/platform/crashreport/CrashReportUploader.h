// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Sends crash reports to the endpoint, one POST each (text/plain, the report's bytes), one after
// another. A report the endpoint accepted (2xx) is deleted; any other answer, or no answer,
// keeps it for the next start. Main thread only.
class CrashReportUploader : public QObject
{
    Q_OBJECT

public:
    static constexpr int transferTimeoutMs = 30'000;

    CrashReportUploader(QUrl endpoint, QStringList reports, QObject *parent = nullptr);

    void start();
    bool isFinished() const { return m_finished; }
    int sentCount() const { return m_sent; }

Q_SIGNALS:
    // Every report was tried.
    void finished();

private:
    void sendNext();

    QNetworkAccessManager m_network;
    QUrl m_endpoint;
    QStringList m_pending;
    int m_sent = 0;
    bool m_finished = false;
};
