#pragma once

#include "daemon/DaemonAddress.h"

#include <QString>
#include <QStringList>
#include <optional>

// Everything the app reaches outside itself. The shipped program always uses standard(); only
// the end-to-end test build points these at fakes.
struct AppEnvironment
{
    QString logPath =
        QStringLiteral("/Library/Application Support/KorvelPrinter/KorvelPrinter.log");
    QString daemonBase = DaemonAddress::base;
    QString launchctlPath = QStringLiteral("/bin/launchctl");
    QString osascriptPath = QStringLiteral("/usr/bin/osascript");
    // "AppIcon.icns" in the application bundle's resources; absent without a bundle.
    std::optional<QString> bundleIconPath;
    QString workingDirectory;
    // The program that hosts the configuration window.
    QString configHelperPath;

    static AppEnvironment standard();
};
