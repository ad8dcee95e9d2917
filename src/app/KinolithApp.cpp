// SPDX-License-Identifier: GPL-3.0-or-later
#include "KinolithApp.h"

#include "app/AppConfiguration.h"
#include "app/ShellQmlTypes.h"
#include "platform/crashreport/CrashReporter.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Logger.h"

#include <QQuickStyle>
#include <QUrl>
#include <cstdio>

namespace {

// Screen capture works on X11 (or XWayland): ask Qt for its X11 platform unless told otherwise.
int &preferX11(int &argc)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    return argc;
}

} // namespace

KinolithApp::KinolithApp(int &argc, char **argv) : m_application(preferX11(argc), argv)
{
    // Automatic window tabbing would be switched off here; Linux desktops never merge an
    // application's windows into tabs on their own.
    QGuiApplication::setApplicationName(QStringLiteral("Kinolith"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Kinolith"));
    QGuiApplication::setOrganizationName(QStringLiteral("Nordvane"));
    QGuiApplication::setApplicationVersion(Bundle::appVersion());
    if (const auto &identifier = Bundle::main().identifier())
        QGuiApplication::setDesktopFileName(*identifier);
    Logger::installQtMessageHandler();
    CrashReporter::start({QString::fromUtf8(AppConfiguration::CrashReports::endpoint),
                          AppConfiguration::CrashReports::sendDefaultPii});
    // The Basic style is the one that takes the dark palette everywhere, whatever the desktop's
    // theme.
    QQuickStyle::setStyle(QStringLiteral("Basic"));
}

int KinolithApp::run()
{
    ShellQmlTypes::registerTypes();
    bool loaded = false;
    QObject::connect(
        &m_engine, &QQmlApplicationEngine::objectCreated, &m_application,
        [&loaded](QObject *object, const QUrl &) { loaded = object != nullptr; },
        Qt::DirectConnection);
    m_engine.load(QUrl(QStringLiteral("qrc:/Kinolith/Main.qml")));
    if (!loaded) {
        std::fprintf(stderr, "kinolith: the main window could not be loaded\n");
        return 1;
    }
    return QGuiApplication::exec();
}
