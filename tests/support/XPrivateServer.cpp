// SPDX-License-Identifier: GPL-3.0-or-later
#include "XPrivateServer.h"

#include <csignal>
#include <sys/prctl.h>

XPrivateServer::XPrivateServer(QSize screen)
{
    m_process.setProgram(QStringLiteral("Xvfb"));
    // The display number comes on standard output once the server accepts connections.
    m_process.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                            QStringLiteral("-screen"), QStringLiteral("0"),
                            QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                            QStringLiteral("+extension"), QStringLiteral("COMPOSITE")});
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    // A test that crashes takes its server along instead of leaving it behind.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start();
    if (!m_process.waitForStarted())
        return;
    QByteArray number;
    while (!number.endsWith('\n') && m_process.waitForReadyRead(5000))
        number += m_process.readAllStandardOutput();
    number = number.trimmed();
    if (number.isEmpty()) {
        kill();
        return;
    }
    m_display = ':' + number;
}

XPrivateServer::~XPrivateServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

void XPrivateServer::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(3000);
}
