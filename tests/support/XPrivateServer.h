// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QSize>

// An Xvfb of one test's own, on a display number the server picks itself (-displayfd), so that
// it never meets another server. Stopped when it goes out of scope.
class XPrivateServer
{
public:
    explicit XPrivateServer(QSize screen = QSize(640, 480));
    ~XPrivateServer();
    XPrivateServer(const XPrivateServer &) = delete;
    XPrivateServer &operator=(const XPrivateServer &) = delete;

    bool isRunning() const { return !m_display.isEmpty(); }
    // ":N"; empty when the server did not start.
    const QByteArray &display() const { return m_display; }
    qint64 processId() const { return m_process.processId(); }

    // Ends the server at once, as a crash would.
    void kill();

private:
    QProcess m_process;
    QByteArray m_display;
};
