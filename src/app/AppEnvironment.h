#pragma once

#include "app/Popover.h"
#include "app/StatusItem.h"
#include "daemon/DaemonAddress.h"
#include "platform/Platform.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class PanelModels;

// Everything the app reaches outside itself, and every piece of the desktop it is made of. The
// shipped program always uses standard(), where all of them are chosen; the end-to-end test
// build points some at fakes, the delegate's test all of the desktop's.
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

    std::function<std::unique_ptr<StatusItem>()> makeStatusItem;
    // The panel on the models, with the action that opens the configuration window.
    std::function<std::unique_ptr<Popover>(PanelModels &, std::function<void()> openConfig)>
        makePopover;
    // Desktop notifications, given the status item's balloon as fallback; may make none, and
    // then nothing is notified.
    std::function<std::unique_ptr<Notifier>(TrayMessage trayMessage)> makeNotifier;
    // The icon carries the service's state (badge and tooltip), kept up to date by the watcher;
    // where it does not, it stays as it is (macOS).
    bool iconShowsServiceState = false;

    static AppEnvironment standard();
};
