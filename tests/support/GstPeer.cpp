// SPDX-License-Identifier: GPL-3.0-or-later
#include "GstPeer.h"

#include <csignal>
#include <sys/prctl.h>

GstPeer::GstPeer(QStringList pipeline) : m_pipeline(std::move(pipeline))
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // Should the test crash, the pipeline goes with it.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

GstPeer::~GstPeer()
{
    stop();
}

bool GstPeer::start()
{
    m_process.start(QStringLiteral("gst-launch-1.0"),
                    QStringList{QStringLiteral("-q")} + m_pipeline);
    return m_process.waitForStarted(5000);
}

void GstPeer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

void GstPeer::interrupt()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(m_process.processId()), SIGINT);
    if (!waitForFinished(5000))
        stop();
}

bool GstPeer::waitForFinished(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

bool GstPeer::isRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

int GstPeer::exitCode() const
{
    return m_process.exitCode();
}

QString GstPeer::output()
{
    m_output += QString::fromLocal8Bit(m_process.readAll());
    return m_output;
}

QStringList GstPeer::testSource(const QString &nodeName, const QString &description, int width,
                                int height, const QString &pattern, int framerate)
{
    return {QStringLiteral("videotestsrc"), QStringLiteral("is-live=true"),
            QStringLiteral("pattern=%1").arg(pattern), QStringLiteral("!"),
            QStringLiteral("video/x-raw,format=BGRA,width=%1,height=%2,framerate=%3/1")
                .arg(width)
                .arg(height)
                .arg(framerate),
            QStringLiteral("!"), QStringLiteral("pipewiresink"), QStringLiteral("mode=provide"),
            // gst-launch joins its arguments and parses them again: quote the structure.
            QStringLiteral("stream-properties=\"p,node.name=%1,node.description=\\\"%2\\\","
                           "media.class=Video/Source\"")
                .arg(nodeName, description)};
}
