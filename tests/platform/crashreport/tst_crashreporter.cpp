// SPDX-License-Identifier: GPL-3.0-or-later
// Crashes a child process that runs the application's crash-report client, then reads the report
// it left and sends it at the child's next start.
#include "support/LoopbackHttpServer.h"

#include <QDir>
#include <QFile>
#include <QHostInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The child's standard output once it has ended by itself within the timeout.
struct Run
{
    QProcess::ExitStatus status;
    int exitCode;
    QByteArray output;
};

Run runHelper(const QString &stateHome, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_STATE_HOME"), stateHome);
    // The report is the subject here, not a core file.
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       QStringLiteral("handle_segv=0:handle_abort=0"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(CRASH_HELPER), arguments);
    if (!process.waitForFinished(30'000))
        process.kill();
    return {process.exitStatus(), process.exitCode(), process.readAllStandardOutput()};
}

QString reportFolder(const QString &stateHome)
{
    return stateHome + QStringLiteral("/Kinolith/crash-reports");
}

QStringList reports(const QString &stateHome)
{
    return QDir(reportFolder(stateHome)).entryList(QDir::Files | QDir::Hidden);
}

mode_t permissions(const QString &path)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

QString currentUser()
{
    const passwd *entry = ::getpwuid(::getuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

} // namespace

class TestCrashReporter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fatalSignalLeavesOnePrivateReport_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("signalLine");
        QTest::addRow("segmentation fault") << "segv"
                                            << "signal: 11 (SIGSEGV)";
        QTest::addRow("abort") << "abort"
                               << "signal: 6 (SIGABRT)";
        QTest::addRow("stack overflow") << "overflow"
                                        << "signal: 11 (SIGSEGV)";
    }
    void fatalSignalLeavesOnePrivateReport()
    {
        QFETCH(QString, mode);
        QFETCH(QString, signalLine);
        QTemporaryDir state;
        QVERIFY(state.isValid());

        const Run run = runHelper(state.path(), {mode});
        QCOMPARE(run.status, QProcess::CrashExit);

        const QStringList files = reports(state.path());
        QCOMPARE(files.size(), 1);
        QVERIFY2(files.first().startsWith(QStringLiteral("crash-")) &&
                     files.first().endsWith(QStringLiteral(".crash")),
                 qPrintable(files.first()));
        const QString path = reportFolder(state.path()) + u'/' + files.first();
        QCOMPARE(permissions(reportFolder(state.path())), mode_t(0700));
        QCOMPARE(permissions(path), mode_t(0600));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString report = QString::fromUtf8(file.readAll());
        const QStringList lines = report.split(u'\n');
        QCOMPARE(lines.value(0), QStringLiteral("Kinolith crash report"));
        QVERIFY2(lines.contains(signalLine), qPrintable(report));
        QVERIFY(lines.contains(QStringLiteral("version: 0.1.0")));
        QVERIFY(lines.contains(QStringLiteral("build: 1")));
        QVERIFY(lines.contains(QStringLiteral("user: ") + currentUser()));
        QVERIFY(lines.contains(QStringLiteral("host: ") + QHostInfo::localHostName()));
        // The time is an ISO 8601 UTC stamp of today.
        const QString timeLine =
            lines.filter(QRegularExpression(QStringLiteral("^time: "))).value(0);
        const QDateTime written = QDateTime::fromString(timeLine.mid(6), Qt::ISODate);
        QVERIFY2(written.isValid(), qPrintable(timeLine));
        QVERIFY(qAbs(written.secsTo(QDateTime::currentDateTimeUtc())) < 120);
        // The backtrace names at least a few frames of the helper.
        const qsizetype backtraceAt = lines.indexOf(QStringLiteral("backtrace:"));
        QVERIFY(backtraceAt > 0);
        QVERIFY2(lines.size() - backtraceAt > 3, qPrintable(report));
        QVERIFY(report.contains(QStringLiteral("kinolith_crash_helper")));
    }

    void pendingReportGoesToTheEndpointAtTheNextStart()
    {
        QTemporaryDir state;
        QVERIFY(state.isValid());
        QCOMPARE(runHelper(state.path(), {QStringLiteral("segv")}).status, QProcess::CrashExit);
        const QStringList before = reports(state.path());
        QCOMPARE(before.size(), 1);
        QFile file(reportFolder(state.path()) + u'/' + before.first());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray report = file.readAll();
        file.close();

        LoopbackHttpServer endpoint;
        QVERIFY(endpoint.listen());
        endpoint.respond(202, QByteArray(), "text/plain");
        // The child is synchronous with the server only through the event loop of this process,
        // so run it asynchronously and keep serving while it runs.
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        process.setProcessEnvironment(environment);
        process.start(
            QStringLiteral(CRASH_HELPER),
            {QStringLiteral("start"), endpoint.url(QStringLiteral("/reports")).toString()});
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 30'000);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput().trimmed(), QByteArray("sent 1"));

        QCOMPARE(endpoint.requests().size(), 1);
        const LoopbackHttpServer::Request &request = endpoint.requests().first();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/reports"));
        QCOMPARE(request.body, report);
        QVERIFY(reports(state.path()).isEmpty());
    }

    void failingEndpointKeepsTheReport_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::addRow("server error") << true;
        QTest::addRow("connection refused") << false;
    }
    void failingEndpointKeepsTheReport()
    {
        QFETCH(bool, listening);
        QTemporaryDir state;
        QVERIFY(state.isValid());
        QCOMPARE(runHelper(state.path(), {QStringLiteral("abort")}).status, QProcess::CrashExit);
        const QStringList before = reports(state.path());
        QCOMPARE(before.size(), 1);

        QUrl url;
        auto endpoint = std::make_unique<LoopbackHttpServer>();
        QVERIFY(endpoint->listen());
        endpoint->respond(500, QByteArray("busy"), "text/plain");
        url = endpoint->url();
        if (!listening)
            endpoint.reset();

        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(CRASH_HELPER), {QStringLiteral("start"), url.toString()});
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 30'000);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput().trimmed(), QByteArray("sent 0"));
        if (endpoint)
            QCOMPARE(endpoint->requests().size(), 1);
        QCOMPARE(reports(state.path()), before);
    }

    void withoutEndpointReportsStay()
    {
        QTemporaryDir state;
        QVERIFY(state.isValid());
        QCOMPARE(runHelper(state.path(), {QStringLiteral("segv")}).status, QProcess::CrashExit);
        const Run run = runHelper(state.path(), {QStringLiteral("start")});
        QCOMPARE(run.status, QProcess::NormalExit);
        QCOMPARE(run.output.trimmed(), QByteArray("sent 0"));
        QCOMPARE(reports(state.path()).size(), 1);
    }

    void plainHttpOffThisMachineIsRefused()
    {
        QTemporaryDir state;
        QVERIFY(state.isValid());
        QCOMPARE(runHelper(state.path(), {QStringLiteral("segv")}).status, QProcess::CrashExit);
        // Nothing may listen there; the report must not even be tried over plain http.
        const Run run = runHelper(
            state.path(), {QStringLiteral("start"), QStringLiteral("http://192.0.2.1:9/reports")});
        QCOMPARE(run.status, QProcess::NormalExit);
        QCOMPARE(run.output.trimmed(), QByteArray("sent 0"));
        QCOMPARE(reports(state.path()).size(), 1);
    }

    void existingFolderIsMadePrivate()
    {
        QTemporaryDir state;
        QVERIFY(state.isValid());
        const QString folder = reportFolder(state.path());
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        QCOMPARE(runHelper(state.path(), {QStringLiteral("start")}).status, QProcess::NormalExit);
        QCOMPARE(permissions(folder), mode_t(0700));
    }
};

QTEST_GUILESS_MAIN(TestCrashReporter)
#include "tst_crashreporter.moc"
