#pragma once

#include "platform/linux/SystemdUnitState.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantList>
#include <functional>
#include <optional>

// One call to the systemd manager: `then` gets the reply, at once for a blocking caller or later
// for an asynchronous one.
using ManagerCall = std::function<void(const QString &path, const QString &interface,
                                       const QString &method, const QVariantList &arguments,
                                       std::function<void(const QDBusMessage &reply)> then)>;

// The daemon's unit as one manager describes it: LoadUnit, then Get of each property the answer
// needs, through `call`. `loaded` hears of LoadUnit's reply before the properties are asked;
// `done` gets the answer, or the first failure.
void queryUnit(const ManagerCall &call, const std::function<void(const QDBusMessage &)> &loaded,
               std::function<void(const UnitAnswer &)> done);

// What a manager's reply says when it is no answer: a manager that let the call time out did not
// answer; a connection that dropped lost its bus; any other error (no such name on the bus,
// access denied, no bus) is a manager we cannot ask, with `busError` for a reply that is neither
// answer nor error.
std::optional<UnitAnswer> unitCallFailure(const QDBusMessage &reply, const QString &busError);

// The answer when `bus` is not connected: lost if it was reached before, else no manager.
UnitAnswer unconnectedAnswer(const QDBusConnection &bus, bool wasReached);
