#pragma once

#include "daemon/DaemonAddress.h"
#include "platform/Platform.h"

#include <QString>
#include <QStringList>
#include <functional>
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
    // Makes the watch of that manager's signals (makeServiceWatcher); may make none.
    std::function<std::unique_ptr<ServiceWatcher>()> makeServiceWatcher;
    std::shared_ptr<DesktopIntegration> desktop;
    std::shared_ptr<UserPrompts> prompts;
    // "AppIcon.icns" in the application bundle's resources; absent without a bundle.
    std::optional<QString> bundleIconPath;
    QString workingDirectory;
    // The program that hosts the configuration window.
    QString configHelperPath;
    // The local socket that keeps one instance per user and display.
    QString instanceName;

    static AppEnvironment standard();
};
