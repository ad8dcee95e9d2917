// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>
#include <memory>

class CaptureSession;

// Keeps a session alive while the view that shows it exists. The manager releases a removed
// session as soon as the new list is out, while the session's card is still being taken down;
// without the hold every binding of the card would see its session turn null in between.
class SessionHold : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(CaptureSession *session READ session WRITE setSession NOTIFY sessionChanged)

public:
    explicit SessionHold(QObject *parent = nullptr);
    ~SessionHold() override;

    CaptureSession *session() const { return m_session.get(); }
    void setSession(CaptureSession *session);

Q_SIGNALS:
    void sessionChanged();

private:
    // Main thread only.
    std::shared_ptr<CaptureSession> m_session;
};
