// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrivatePipeWire.h"

#include <QDeadlineTimer>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>

PrivatePipeWire::PrivatePipeWire() : m_dir(QStringLiteral("/tmp/kinolith-pw-XXXXXX"))
{
    QFile::setPermissions(m_dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

PrivatePipeWire::~PrivatePipeWire()
{
    stop();
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.terminate();
        m_bus.waitForFinished(3000);
    }
}

QProcessEnvironment PrivatePipeWire::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("PIPEWIRE_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=%1/bus").arg(m_dir.path()));
    env.remove(QStringLiteral("PIPEWIRE_REMOTE"));
    return env;
}

void PrivatePipeWire::useInThisProcess() const
{
    const QProcessEnvironment env = environment();
    for (const char *name : {"XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS"})
        qputenv(name, env.value(QString::fromLatin1(name)).toLocal8Bit());
    qunsetenv("PIPEWIRE_REMOTE");
}

bool PrivatePipeWire::startProcess(QProcess &process, const QString &program,
                                   const QStringList &arguments)
{
    process.setProcessEnvironment(environment());
    process.setStandardOutputFile(m_dir.filePath(program + QStringLiteral(".log")),
                                  QIODevice::Append);
    process.setStandardErrorFile(m_dir.filePath(program + QStringLiteral(".log")),
                                 QIODevice::Append);
    // Should the test crash, its daemons go with it.
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.start(program, arguments);
    return process.waitForStarted(5000);
}

bool PrivatePipeWire::pipeWireAnswers(const QString &objectType, const QString &needle)
{
    QProcess cli;
    cli.setProcessEnvironment(environment());
    cli.start(QStringLiteral("pw-cli"), {QStringLiteral("ls"), objectType});
    if (!cli.waitForFinished(3000) || cli.exitCode() != 0)
        return false;
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    return needle.isEmpty() ? !out.isEmpty() : out.contains(needle);
}

bool PrivatePipeWire::start()
{
    if (m_bus.state() == QProcess::NotRunning &&
        !startProcess(m_bus, QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--nopidfile"),
                       QStringLiteral("--address=unix:path=%1/bus").arg(m_dir.path())}))
        return false;
    if (!startProcess(m_pipewire, QStringLiteral("pipewire"), {}))
        return false;
    QDeadlineTimer deadline(15000);
    while (!pipeWireAnswers(QStringLiteral("Core"))) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    if (!startProcess(m_wireplumber, QStringLiteral("wireplumber"), {}))
        return false;
    // WirePlumber is ready to link streams once its policy has published the default metadata.
    while (!pipeWireAnswers(QStringLiteral("Metadata"), QStringLiteral("\"default\""))) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}

void PrivatePipeWire::stop()
{
    for (QProcess *process : {&m_wireplumber, &m_pipewire}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
}

bool PrivatePipeWire::isRunning() const
{
    return m_pipewire.state() != QProcess::NotRunning;
}
