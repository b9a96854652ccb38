#include "platform/linux/SystemdUnitWatcher.h"

SystemdUnitWatcher::SystemdUnitWatcher(SystemdServiceControl::Bus systemBus,
                                       SystemdServiceControl::Bus sessionBus)
    : m_systemBus(std::move(systemBus))
    , m_sessionBus(std::move(sessionBus))
{}

void SystemdUnitWatcher::start(Observer observer)
{
    m_observer = std::move(observer);
    m_system = std::make_unique<SystemdManagerWatch>(*m_systemBus);
    QObject::connect(m_system.get(), &SystemdManagerWatch::answerChanged, m_system.get(),
                     [this] { answersChanged(); });
    m_system->start();
}

void SystemdUnitWatcher::answersChanged()
{
    const std::optional<UnitAnswer> system = m_system->answer();
    if (!system)
        return;
    std::optional<UnitAnswer> user;
    if (asksUserManager(*system)) {
        if (!m_user) {
            m_user = std::make_unique<SystemdManagerWatch>(*m_sessionBus);
            QObject::connect(m_user.get(), &SystemdManagerWatch::answerChanged, m_user.get(),
                             [this] { answersChanged(); });
            m_user->start();
        }
        user = m_user->answer();
        if (!user)
            return;
    }
    const ServiceState state = stateFromAnswers(*system, user);
    if (state == m_published)
        return;
    m_published = state;
    m_observer(state);
}
