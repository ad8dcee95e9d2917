// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class CrashReportUploader;

// The crash-report client. start() installs the fatal-signal handler that writes a report into
// the user's state directory, then sends the reports earlier runs left there to the endpoint
// (in the background, on the event loop). Reports that cannot be sent stay for the next start.
class CrashReporter
{
public:
    struct Options
    {
        // Where reports are sent: an https address that takes one report per POST (plain http
        // only to this machine's loopback interface). Empty keeps reports on this machine.
        QString endpoint;
        // With it, reports name the user and the machine.
        bool sendDefaultPii = false;
    };

    // Main thread, once, before any window exists. Later calls do nothing.
    static void start(const Options &options);
    // The uploader of this run's start, or null when there was nothing to send.
    static CrashReportUploader *uploader();
};
