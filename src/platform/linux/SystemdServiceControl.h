#pragma once

#include "platform/ServiceControl.h"
#include "platform/linux/BusReconnector.h"
#include "platform/linux/SystemdUnitState.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <atomic>
#include <memory>
#include <optional>

// korvel-printer.service through systemd's D-Bus API: the system manager first, the user's
// manager when the system bus cannot be reached or the system does not know the unit. A restart
// is RestartUnit with interactive authorization, so polkit asks the user for a password.
class SystemdServiceControl : public ServiceControl
{
public:
    // Shared with the watch, so both follow the bus when it comes back. Asked on pool threads
    // at each use, so the first connection is not made on the GUI thread.
    using Bus = std::shared_ptr<BusReconnector>;

    SystemdServiceControl(Bus systemBus, Bus sessionBus);

    ServiceState queryState() override;
    void restart() override;

private:
    const Bus m_systemBus;
    const Bus m_sessionBus;
    // Where the last query found the unit, so a restart goes to that manager.
    std::atomic_bool m_onUserManager = false;
};

// What a manager's reply says when it is no answer: a manager that let the call time out did not
// answer; a connection that dropped lost its bus; any other error (no such name on the bus,
// access denied, no bus) is a manager we cannot ask, with `busError` for a reply that is neither
// answer nor error.
std::optional<UnitAnswer> unitCallFailure(const QDBusMessage &reply, const QString &busError);

// The property in the reply to a Properties.Get that `unitCallFailure` found to be an answer.
QVariant propertyValue(const QDBusMessage &reply);

// The answer when `bus` is not connected: lost if it was reached before, else no manager.
UnitAnswer unconnectedAnswer(const QDBusConnection &bus, bool wasReached);
