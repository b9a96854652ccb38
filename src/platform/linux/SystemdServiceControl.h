#pragma once

#include "platform/linux/BusReconnector.h"
#include "platform/linux/SystemdUnitState.h"
#include "service/ServiceControl.h"

#include <atomic>
#include <memory>

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
