#pragma once

#include "daemon/DaemonAddress.h"
#include "platform/Platform.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// Everything the app reaches outside itself. The shipped program always uses standard(); only
// the end-to-end test build points these at fakes.
struct AppEnvironment
{
    QString logPath = defaultLogPath();
    QString daemonBase = DaemonAddress::base;
    // The service manager, the desktop's helpers and the dialogs of the system built for.
    std::shared_ptr<ServiceControl> serviceControl;
    std::shared_ptr<DesktopIntegration> desktop;
    std::shared_ptr<UserPrompts> prompts;
    // "AppIcon.icns" in the application bundle's resources; absent without a bundle.
    std::optional<QString> bundleIconPath;
    QString workingDirectory;
    // Where the web page module may be, searched in order.
    QStringList pageModuleDirs;
    // The local socket that keeps one instance per user and display.
    QString instanceName;

    static AppEnvironment standard();
};
