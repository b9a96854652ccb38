#pragma once

#include "daemon/DaemonAddress.h"
#include "platform/Platform.h"

#include <QString>
#include <QStringList>
#include <optional>

// Everything the app reaches outside itself. The shipped program always uses standard(); only
// the end-to-end test build points these at fakes.
struct AppEnvironment
{
    QString logPath = defaultLogPath();
    QString daemonBase = DaemonAddress::base;
    QString launchctlPath = QStringLiteral("/bin/launchctl");
    QString osascriptPath = QStringLiteral("/usr/bin/osascript");
    // "AppIcon.icns" in the application bundle's resources; absent without a bundle.
    std::optional<QString> bundleIconPath;
    QString workingDirectory;
    // Where the web page module may be, searched in order.
    QStringList pageModuleDirs;
    // The local socket that keeps one instance per user and display.
    QString instanceName;

    static AppEnvironment standard();
};
