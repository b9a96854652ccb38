#include "platform/linux/SystemdServiceControl.h"

#include "platform/linux/SystemdNames.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <optional>
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

QDBusMessage getProperty(const QDBusConnection &bus, const QString &path, const QString &interface,
                         const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(SystemdNames::service, path,
                                                      SystemdNames::propertiesInterface, u"Get"_s);
    get << interface << name;
    return bus.call(get, QDBus::Block, callTimeoutMs);
}

// LoadUnit, then the unit's LoadState and, once loaded, the service's MainPID.
UnitAnswer askManager(const QDBusConnection &bus)
{
    if (!bus.isConnected())
        return {UnitAnswer::Kind::noManager, {}, 0, bus.lastError().message()};

    QDBusMessage load = managerCall(u"LoadUnit"_s);
    load << QString(daemonUnit);
    const QDBusMessage loaded = bus.call(load, QDBus::Block, callTimeoutMs);
    if (auto failure = unitCallFailure(loaded, bus.lastError().message()))
        return *failure;
    const QString unitPath = loaded.arguments().constFirst().value<QDBusObjectPath>().path();

    const QDBusMessage loadState =
        getProperty(bus, unitPath, SystemdNames::unitInterface, u"LoadState"_s);
    if (auto failure = unitCallFailure(loadState, bus.lastError().message()))
        return *failure;
    UnitAnswer answer{UnitAnswer::Kind::unit, propertyValue(loadState).toString(), 0, {}};
    if (answer.loadState != "loaded"_L1)
        return answer;

    const QDBusMessage mainPid =
        getProperty(bus, unitPath, SystemdNames::serviceInterface, u"MainPID"_s);
    if (auto failure = unitCallFailure(mainPid, bus.lastError().message()))
        return *failure;
    answer.mainPid = propertyValue(mainPid).toLongLong();
    return answer;
}

} // namespace

std::optional<UnitAnswer> unitCallFailure(const QDBusMessage &reply, const QString &busError)
{
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        return std::nullopt;
    if (reply.type() != QDBusMessage::ErrorMessage)
        return UnitAnswer{UnitAnswer::Kind::noManager, {}, 0, busError};
    if (reply.errorName() == "org.freedesktop.DBus.Error.NoReply"_L1 ||
        reply.errorName() == "org.freedesktop.DBus.Error.Timeout"_L1)
        return UnitAnswer{UnitAnswer::Kind::noAnswer, {}, 0, {}};
    return UnitAnswer{UnitAnswer::Kind::noManager, {}, 0, reply.errorMessage()};
}

SystemdServiceControl::SystemdServiceControl(Bus systemBus, Bus sessionBus)
    : m_systemBus(std::move(systemBus))
    , m_sessionBus(std::move(sessionBus))
{}

ServiceState SystemdServiceControl::queryState()
{
    const UnitAnswer system = askManager(m_systemBus());
    m_onUserManager = asksUserManager(system);
    if (!m_onUserManager)
        return stateFromAnswers(system, std::nullopt);
    return stateFromAnswers(system, askManager(m_sessionBus()));
}

void SystemdServiceControl::restart()
{
    const QDBusConnection bus = m_onUserManager ? m_sessionBus() : m_systemBus();
    QDBusMessage call = managerCall(u"RestartUnit"_s);
    call << QString(daemonUnit) << u"replace"_s;
    call.setInteractiveAuthorizationAllowed(true);
    // Accepted, denied or cancelled: the check that follows shows what happened.
    bus.call(call, QDBus::Block, restartTimeoutMs);
}

QVariant propertyValue(const QDBusMessage &reply)
{
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}
