// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A GStreamer pipeline run by gst-launch-1.0 as a real PipeWire peer (pipewiresrc as a consumer,
// pipewiresink as a source). Stopped, and killed if need be, when destroyed.
class GstPeer
{
public:
    // The pipeline in gst-launch syntax, split into its words.
    explicit GstPeer(QStringList pipeline);
    ~GstPeer();
    GstPeer(const GstPeer &) = delete;
    GstPeer &operator=(const GstPeer &) = delete;

    bool start();
    // Ends the pipeline (SIGTERM, then SIGKILL after a while). gst-launch has no handler for
    // SIGTERM: the process dies without leaving PipeWire in order.
    void stop();
    // Asks gst-launch to end (SIGINT): it takes its pipeline down in order, then exits.
    void interrupt();
    // Waits for the pipeline to end by itself (num-buffers reached). False on timeout.
    bool waitForFinished(int timeoutMs);
    bool isRunning() const;
    int exitCode() const;
    // What the pipeline printed so far, for failure messages.
    QString output();

    // A pipeline of raw BGRA test video published as a Video/Source node named nodeName.
    static QStringList testSource(const QString &nodeName, const QString &description, int width,
                                  int height, const QString &pattern = QStringLiteral("smpte"),
                                  int framerate = 30);

private:
    QStringList m_pipeline;
    QProcess m_process;
    QString m_output;
};
