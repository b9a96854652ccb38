#include "platform/DialogPrompts.h"
#include "platform/Platform.h"
#include "platform/StatusNotifier.h"
#include "platform/macos/LaunchdServiceControl.h"
#include "platform/macos/MacDesktopIntegration.h"
#include "platform/macos/MacSharePicker.h"

#include <QCoreApplication>
#include <malloc/malloc.h>

using namespace Qt::StringLiterals;

std::shared_ptr<DesktopIntegration> makeDesktopIntegration()
{
    return std::make_shared<MacDesktopIntegration>();
}

std::unique_ptr<SharePicker> makeSharePicker()
{
    return std::make_unique<MacSharePicker>();
}

std::shared_ptr<UserPrompts> makeUserPrompts()
{
    return std::make_shared<DialogPrompts>();
}

std::shared_ptr<ServiceControl> makeServiceControl()
{
    return std::make_shared<LaunchdServiceControl>();
}

// The menu-bar icon stays static, so nothing watches.
std::unique_ptr<ServiceWatcher> makeServiceWatcher()
{
    return nullptr;
}

QString defaultLogPath()
{
    return u"/Library/Application Support/KorvelPrinter/KorvelPrinter.log"_s;
}

QString openLogLabel()
{
    return QCoreApplication::translate("LogHeader", "Open in Console");
}

QString revealLogLabel()
{
    return QCoreApplication::translate("LogHeader", "Reveal in Finder");
}

std::unique_ptr<Notifier> makeNotifier(TrayMessage)
{
    return nullptr;
}

// Unverified: no Mac to build on.
void releaseFreedMemory()
{
    malloc_zone_pressure_relief(nullptr, 0);
}

void forbidSessionBusAutolaunch()
{
    // No D-Bus here.
}

std::unique_ptr<StatusNotifier> makeStatusNotifier(QMenu &)
{
    return nullptr;
}

bool chooseTrayPlatform()
{
    return false;
}

bool iconShowsServiceState()
{
    // The menu bar's icon stays as it is.
    return false;
}
