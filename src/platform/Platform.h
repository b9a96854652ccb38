#pragma once

#include "platform/DesktopIntegration.h"
#include "platform/Notifier.h"
#include "platform/PlatformTexts.h"
#include "platform/SharePicker.h"
#include "platform/UserPrompts.h"
#include "service/ServiceControl.h"
#include "service/ServiceWatcher.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// The implementations for the system the app was built for.
std::shared_ptr<DesktopIntegration> makeDesktopIntegration();
std::unique_ptr<SharePicker> makeSharePicker();
std::shared_ptr<UserPrompts> makeUserPrompts();
std::shared_ptr<ServiceControl> makeServiceControl();
// None where the edition keeps a static icon (macOS).
std::unique_ptr<ServiceWatcher> makeServiceWatcher();

// Desktop notifications that fall back to `trayMessage` where the desktop has no notification
// service; none where the edition keeps a static icon (macOS).
using TrayMessage = std::function<void(const QString &title, const QString &body)>;
std::unique_ptr<Notifier> makeNotifier(TrayMessage trayMessage);

// Where no session bus runs, keeps the bus library from starting one of its own (and creating
// ~/.dbus): features that need the session bus then do without. Call before anything uses it.
void forbidSessionBusAutolaunch();

// Picks the GUI platform for the tray app where the user has not (QT_QPA_PLATFORM), before
// QApplication exists; true when it set QT_QPA_PLATFORM, which the caller then unsets again so
// that the programs the app starts choose their own.
bool chooseTrayPlatform();

// Whether this edition's icon carries the service's state (Linux) or stays static (macOS).
bool iconShowsServiceState();

// Hands memory the allocator keeps after a one-off burst back to the system.
void releaseFreedMemory();
