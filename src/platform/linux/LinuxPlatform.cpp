#include "platform/DialogPrompts.h"
#include "platform/Platform.h"
#include "platform/linux/FreedesktopNotifier.h"
#include "platform/linux/LinuxDesktopIntegration.h"
#include "platform/linux/LinuxSharePicker.h"
#include "platform/linux/StatusNotifierItem.h"
#include "platform/linux/SystemdServiceControl.h"
#include "platform/linux/SystemdUnitWatcher.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

#include <malloc.h>

std::shared_ptr<DesktopIntegration> makeDesktopIntegration()
{
    return std::make_shared<LinuxDesktopIntegration>();
}

std::unique_ptr<SharePicker> makeSharePicker()
{
    return std::make_unique<LinuxSharePicker>();
}

std::shared_ptr<UserPrompts> makeUserPrompts()
{
    return std::make_shared<DialogPrompts>();
}

namespace {

// The control and the watch share each bus, so that both follow it when it comes back.
SystemdServiceControl::Bus sharedBus(QDBusConnection::BusType type)
{
    static std::weak_ptr<BusReconnector> buses[2];
    std::weak_ptr<BusReconnector> &shared = buses[type == QDBusConnection::SystemBus];
    if (auto bus = shared.lock())
        return bus;
    auto bus = BusReconnector::create(type);
    shared = bus;
    return bus;
}

} // namespace

std::shared_ptr<ServiceControl> makeServiceControl()
{
    return std::make_shared<SystemdServiceControl>(sharedBus(QDBusConnection::SystemBus),
                                                   sharedBus(QDBusConnection::SessionBus));
}

std::unique_ptr<ServiceWatcher> makeServiceWatcher()
{
    return std::make_unique<SystemdUnitWatcher>(sharedBus(QDBusConnection::SystemBus),
                                                sharedBus(QDBusConnection::SessionBus));
}

QString defaultLogPath()
{
    return u"/var/log/korvel-printer/KorvelPrinter.log"_s;
}

QString openLogLabel()
{
    return QCoreApplication::translate("LogHeader", "Open Log");
}

QString revealLogLabel()
{
    return QCoreApplication::translate("LogHeader", "Open Containing Folder");
}

std::unique_ptr<Notifier> makeNotifier(TrayMessage trayMessage)
{
    return std::make_unique<FreedesktopNotifier>(QDBusConnection::sessionBus(),
                                                 std::move(trayMessage));
}

void releaseFreedMemory()
{
    malloc_trim(0);
}

void forbidSessionBusAutolaunch()
{
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString socket = runtime + "/bus"_L1;
    if (!runtime.isEmpty() && QFileInfo(socket).exists()) {
        // The user's bus, as libdbus would find it; percent-encoding is the address's escaping.
        const QByteArray path = QFile::encodeName(socket).toPercentEncoding("/");
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + path);
    } else {
        // An address type that no library knows: every connection attempt fails at once.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    }
}

bool chooseTrayPlatform()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsSet("DISPLAY") ||
        !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return false;
    // No Wayland protocol lets a client place its popup at the tray icon on GNOME or KDE;
    // through XWayland it can.
    qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}

std::unique_ptr<StatusNotifier> makeStatusNotifier(QMenu &menu)
{
    return std::make_unique<StatusNotifierItem>(QDBusConnection::sessionBus(), menu);
}

bool iconShowsServiceState()
{
    return true;
}
