// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A PipeWire daemon (with its own D-Bus session bus and WirePlumber) in a runtime directory of
// its own, which a test can stop and start again while the test command's daemon stays up. The
// test process talks to it after useInThisProcess().
class PrivatePipeWire
{
public:
    PrivatePipeWire();
    ~PrivatePipeWire();
    PrivatePipeWire(const PrivatePipeWire &) = delete;
    PrivatePipeWire &operator=(const PrivatePipeWire &) = delete;

    // Starts the daemons and waits until PipeWire answers and WirePlumber is connected.
    bool start();
    // Stops WirePlumber and PipeWire (the bus stays).
    void stop();
    bool isRunning() const;

    QString runtimeDir() const { return m_dir.path(); }
    // Points this process's PipeWire clients (and child processes) at this daemon.
    void useInThisProcess() const;

private:
    bool startProcess(QProcess &process, const QString &program, const QStringList &arguments);
    bool pipeWireAnswers(const QString &objectType, const QString &needle = {});
    QProcessEnvironment environment() const;

    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_pipewire;
    QProcess m_wireplumber;
};
