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

// LoadUnit, then the properties the answer needs, one by one.
UnitAnswer askManager(BusReconnector &reconnector)
{
    const QDBusConnection bus = reconnector.connection();
    if (!bus.isConnected())
        return unconnectedAnswer(bus, reconnector.wasReached());

    QDBusMessage load = managerCall(u"LoadUnit"_s);
    load << QString(daemonUnit);
    const QDBusMessage loaded = bus.call(load, QDBus::Block, callTimeoutMs);
    if (auto failure = unitCallFailure(loaded, bus.lastError().message()))
        return *failure;
    const QString unitPath = loaded.arguments().constFirst().value<QDBusObjectPath>().path();

    UnitAnswer answer;
    for (std::size_t i = 0; i < unitProperties.size(); ++i) {
        if (!needsProperty(answer, i))
            continue;
        const QDBusMessage reply =
            getProperty(bus, unitPath, unitProperties[i].interface, unitProperties[i].name);
        if (auto failure = unitCallFailure(reply, bus.lastError().message()))
            return *failure;
        setUnitProperty(answer, i, propertyValue(reply));
    }
    return answer;
}

} // namespace

std::optional<UnitAnswer> unitCallFailure(const QDBusMessage &reply, const QString &busError)
{
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        return std::nullopt;
    if (reply.type() != QDBusMessage::ErrorMessage)
        return UnitAnswer::failure(UnitAnswer::Kind::noManager, busError);
    if (reply.errorName() == "org.freedesktop.DBus.Error.NoReply"_L1 ||
        reply.errorName() == "org.freedesktop.DBus.Error.Timeout"_L1)
        return UnitAnswer::failure(UnitAnswer::Kind::noAnswer);
    if (reply.errorName() == "org.freedesktop.DBus.Error.Disconnected"_L1)
        return UnitAnswer::failure(UnitAnswer::Kind::busLost, reply.errorMessage());
    return UnitAnswer::failure(UnitAnswer::Kind::noManager, reply.errorMessage());
}

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

QVariant propertyValue(const QDBusMessage &reply)
{
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

UnitAnswer unconnectedAnswer(const QDBusConnection &bus, bool wasReached)
{
    // A dropped connection has no error of its own until it is used; say what a call would.
    const QString error = bus.lastError().isValid() || !wasReached
                              ? bus.lastError().message()
                              : u"Not connected to D-Bus server"_s;
    return UnitAnswer::failure(wasReached ? UnitAnswer::Kind::busLost : UnitAnswer::Kind::noManager,
                               error);
}
