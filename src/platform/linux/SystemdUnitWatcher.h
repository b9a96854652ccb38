#pragma once

#include "platform/linux/SystemdManagerWatch.h"
#include "platform/linux/SystemdServiceControl.h"
#include "service/ServiceWatcher.h"

#include <memory>

// korvel-printer.service on the manager where it lives, by the rules of SystemdServiceControl:
// the system manager, or the user's when the system bus cannot be reached or the system does not
// know the unit.
class SystemdUnitWatcher : public ServiceWatcher
{
public:
    // The buses are connected on the GUI thread when the watch starts, if nothing has yet.
    SystemdUnitWatcher(SystemdServiceControl::Bus systemBus, SystemdServiceControl::Bus sessionBus);

    void start(Observer observer) override;

private:
    void answersChanged();

    const SystemdServiceControl::Bus m_systemBus;
    const SystemdServiceControl::Bus m_sessionBus;
    Observer m_observer;
    std::unique_ptr<SystemdManagerWatch> m_system;
    // Started once the system manager's answer sends us there.
    std::unique_ptr<SystemdManagerWatch> m_user;
    std::optional<ServiceState> m_published;
};
