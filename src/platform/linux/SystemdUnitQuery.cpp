#include "platform/linux/SystemdUnitQuery.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct PropertyRound
{
    ManagerCall call;
    QString unitPath;
    std::function<void(const UnitAnswer &)> done;
};

// The properties from `unitProperties[index]` on that the answer needs, one call at a time.
void askProperties(std::shared_ptr<PropertyRound> round, UnitAnswer answer, std::size_t index)
{
    while (index < unitProperties.size() && !needsProperty(answer, index))
        ++index;
    if (index == unitProperties.size())
        return round->done(answer);
    const UnitProperty &property = unitProperties[index];
    const QString unitPath = round->unitPath;
    round->call(unitPath, SystemdNames::propertiesInterface, u"Get"_s,
                {QString(property.interface), QString(property.name)},
                [round, answer, index](const QDBusMessage &reply) mutable {
                    if (auto failure = unitCallFailure(reply, {}))
                        return round->done(*failure);
                    setUnitProperty(answer, index,
                                    reply.arguments().constFirst().value<QDBusVariant>().variant());
                    askProperties(round, answer, index + 1);
                });
}

} // namespace

void queryUnit(const ManagerCall &call, const std::function<void(const QDBusMessage &)> &loaded,
               std::function<void(const UnitAnswer &)> done)
{
    call(SystemdNames::managerPath, SystemdNames::managerInterface, u"LoadUnit"_s,
         {QString(daemonUnit)}, [call, loaded, done = std::move(done)](const QDBusMessage &reply) {
             if (auto failure = unitCallFailure(reply, {}))
                 return done(*failure);
             if (loaded)
                 loaded(reply);
             const QString path = reply.arguments().constFirst().value<QDBusObjectPath>().path();
             askProperties(std::make_shared<PropertyRound>(PropertyRound{call, path, done}), {}, 0);
         });
}

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

UnitAnswer unconnectedAnswer(const QDBusConnection &bus, bool wasReached)
{
    // A dropped connection has no error of its own until it is used; say what a call would.
    const QString error = bus.lastError().isValid() || !wasReached
                              ? bus.lastError().message()
                              : u"Not connected to D-Bus server"_s;
    return UnitAnswer::failure(wasReached ? UnitAnswer::Kind::busLost : UnitAnswer::Kind::noManager,
                               error);
}
