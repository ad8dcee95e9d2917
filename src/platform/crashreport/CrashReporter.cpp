// SPDX-License-Identifier: GPL-3.0-or-later
#include "CrashReporter.h"

#include "platform/crashreport/CrashReportDirectory.h"
#include "platform/crashreport/CrashReportUploader.h"
#include "platform/crashreport/CrashReportWriter.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Logger.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QUrl>

namespace {

const Logger &logger()
{
    static const Logger instance("CrashReporter");
    return instance;
}

bool g_started = false;
// Main thread. Lives until the process ends, parented to the application when there is one.
CrashReportUploader *g_uploader = nullptr;

} // namespace

void CrashReporter::start(const Options &options)
{
    if (g_started)
        return;
    g_started = true;

    const std::optional<QString> directory = CrashReportDirectory::ensure();
    if (!directory) {
        logger().error(QStringLiteral("Crash reports are off: %1 cannot be made private to this "
                                      "user")
                           .arg(CrashReportDirectory::path()));
        return;
    }
    const QByteArray fields = CrashReportWriter::fixedFields(
        Bundle::appVersion(), Bundle::appBuild(), options.sendDefaultPii);
    if (!CrashReportWriter::install(*directory, fields))
        logger().error(QStringLiteral("Crash reports are off: the signal handler could not be "
                                      "installed"));

    if (options.endpoint.isEmpty())
        return;
    const QUrl endpoint(options.endpoint, QUrl::StrictMode);
    // Reports can name the user and the machine: they travel encrypted, or not off this machine.
    const bool loopback =
        QHostAddress(endpoint.host()).isLoopback() || endpoint.host() == u"localhost";
    if (!endpoint.isValid() ||
        !(endpoint.scheme() == u"https" || (endpoint.scheme() == u"http" && loopback))) {
        logger().error(QStringLiteral("Crash reports stay on this machine: the endpoint %1 is not "
                                      "an https address")
                           .arg(options.endpoint));
        return;
    }
    const QStringList pending = CrashReportDirectory::pendingReports();
    if (pending.isEmpty())
        return;
    g_uploader = new CrashReportUploader(endpoint, pending, QCoreApplication::instance());
    g_uploader->start();
}

CrashReportUploader *CrashReporter::uploader()
{
    return g_uploader;
}
