#include "platform/linux/SystemdServiceControl.h"

#include "platform/linux/SystemdNames.h"
#include "platform/linux/SystemdUnitQuery.h"

#include <QDBusMessage>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

using SystemdNames::callTimeoutMs;
// The polkit dialog stays up while the user looks for the password; D-Bus's own 25 s default
// would end the wait long before the restart does.
constexpr int restartTimeoutMs = 30 * 60 * 1000;

QDBusMessage managerCall(const QString &method)
{
    return QDBusMessage::createMethodCall(SystemdNames::service, SystemdNames::managerPath,
                                          SystemdNames::managerInterface, method);
}

// LoadUnit, then the properties the answer needs, each call waiting for its reply.
UnitAnswer askManager(BusReconnector &reconnector)
{
    const QDBusConnection bus = reconnector.connection();
    if (!bus.isConnected())
        return unconnectedAnswer(bus, reconnector.wasReached());
    const ManagerCall blocking = [&bus](const QString &path, const QString &interface,
                                        const QString &method, const QVariantList &arguments,
                                        std::function<void(const QDBusMessage &)> then) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(SystemdNames::service, path, interface, method);
        message.setArguments(arguments);
        const QDBusMessage reply = bus.call(message, QDBus::Block, callTimeoutMs);
        // No reply at all (the call could not be sent): the bus says why.
        then(reply.type() == QDBusMessage::InvalidMessage
                 ? QDBusMessage::createError(QDBusError::Failed, bus.lastError().message())
                 : reply);
    };
    UnitAnswer answer;
    queryUnit(blocking, {}, [&answer](const UnitAnswer &result) { answer = result; });
    return answer;
}

} // namespace

SystemdServiceControl::SystemdServiceControl(Bus systemBus, Bus sessionBus)
    : m_systemBus(std::move(systemBus))
    , m_sessionBus(std::move(sessionBus))
{}

ServiceState SystemdServiceControl::queryState()
{
    const UnitAnswer system = askManager(*m_systemBus);
    m_onUserManager = asksUserManager(system);
    if (!m_onUserManager)
        return stateFromAnswers(system, std::nullopt);
    return stateFromAnswers(system, askManager(*m_sessionBus));
}

void SystemdServiceControl::restart()
{
    const QDBusConnection bus =
        m_onUserManager ? m_sessionBus->connection() : m_systemBus->connection();
    QDBusMessage call = managerCall(u"RestartUnit"_s);
    call << QString(daemonUnit) << u"replace"_s;
    call.setInteractiveAuthorizationAllowed(true);
    // Accepted, denied or cancelled: the check that follows shows what happened.
    bus.call(call, QDBus::Block, restartTimeoutMs);
}
