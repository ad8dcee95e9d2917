// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionHold.h"

#include "engine/CaptureSession.h"

SessionHold::SessionHold(QObject *parent) : QObject(parent) {}

SessionHold::~SessionHold() = default;

void SessionHold::setSession(CaptureSession *session)
{
    if (session == m_session.get())
        return;
    // A session that no shared owner holds (none the engine makes) is shown but not held.
    m_session = session ? session->weak_from_this().lock() : nullptr;
    Q_EMIT sessionChanged();
}
