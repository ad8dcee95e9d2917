// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/updates/UpdateCheckResult.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;

class UpdateCheck;

// The update framework's controller and the state its dialog shows. A user-initiated check shows
// the dialog at once ("checking", which the user can cancel), fetches the appcast feed and then
// tells the outcome: up to date, a newer release with its notes and a button to its download
// page, or the reason of a failure. It never downloads or runs anything. Main thread only.
class StandardUpdaterController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(State state READ state NOTIFY changed)
    Q_PROPERTY(QString title READ title NOTIFY changed)
    Q_PROPERTY(QString message READ message NOTIFY changed)
    Q_PROPERTY(QString releaseNotes READ releaseNotes NOTIFY changed)

public:
    enum class State { idle, checking, upToDate, updateAvailable, failed };
    Q_ENUM(State)

    // With startingUpdater the updater is started at once. Checking is always up to the user:
    // nothing touches the network before checkForUpdates().
    explicit StandardUpdaterController(bool startingUpdater, QObject *parent = nullptr);
    ~StandardUpdaterController() override;

    void startUpdater();
    bool isStarted() const { return m_started; }
    // The engine the dialog is built in.
    void setEngine(QQmlEngine *engine);

    // A user-initiated check. While one runs, a second choice only brings its dialog forward.
    Q_INVOKABLE void checkForUpdates();
    // The dialog's buttons.
    Q_INVOKABLE void cancel();
    Q_INVOKABLE void openDownloadPage();
    Q_INVOKABLE void dismiss();

    State state() const { return m_state; }
    QString title() const;
    QString message() const;
    QString releaseNotes() const { return m_result.newest.releaseNotes; }
    QUrl downloadPage() const { return m_result.newest.downloadPage; }
    QQuickWindow *dialog() const { return m_dialog; }
    int checksStarted() const { return m_checksStarted; }

    // The feed address is fixed; tests point it at a local server before the first check.
    static void setFeedUrlForTesting(const QUrl &url);
    static QUrl feedUrl();

Q_SIGNALS:
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onCheckFinished(const UpdateCheckResult &result);
    void setState(State state);
    bool ensureDialog();

    bool m_started = false;
    State m_state = State::idle;
    UpdateCheckResult m_result;
    int m_checksStarted = 0;
    QPointer<QQmlEngine> m_engine;
    QPointer<QQuickWindow> m_dialog;
    // Made at the first check.
    std::unique_ptr<QNetworkAccessManager> m_network;
    std::unique_ptr<UpdateCheck> m_check;
};
