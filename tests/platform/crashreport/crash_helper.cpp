// SPDX-License-Identifier: GPL-3.0-or-later
// Usage: kinolith_crash_helper segv|abort|overflow|start [endpoint]
// Starts the crash-report client with the endpoint and personal information on, as the
// application does, then dies the named way, or ("start") waits for the uploads of earlier
// reports and prints how many the endpoint took.
#include "platform/crashreport/CrashReportUploader.h"
#include "platform/crashreport/CrashReporter.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace {

// Recurses until the stack runs out; the limit only keeps the compiler from calling it endless.
[[gnu::noinline]] int deeper(int depth, int limit)
{
    volatile char frame[1024];
    frame[0] = char(depth);
    if (depth >= limit)
        return frame[0];
    return deeper(depth + 1, limit) + frame[0];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const char *mode = argc > 1 ? argv[1] : "start";
    const QString endpoint = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    CrashReporter::start({endpoint, true});

    if (std::strcmp(mode, "segv") == 0) {
        // A real fault, not undefined behaviour the sanitizers would stop first: a store to a
        // page that allows no access.
        void *page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        *static_cast<volatile int *>(page) = 1;
    } else if (std::strcmp(mode, "abort") == 0) {
        std::abort();
    } else if (std::strcmp(mode, "overflow") == 0) {
        return deeper(0, argc + 1'000'000'000);
    }

    CrashReportUploader *uploader = CrashReporter::uploader();
    if (uploader && !uploader->isFinished()) {
        QObject::connect(uploader, &CrashReportUploader::finished, &app, &QCoreApplication::quit);
        app.exec();
    }
    std::printf("sent %d\n", uploader ? uploader->sentCount() : 0);
    return 0;
}
