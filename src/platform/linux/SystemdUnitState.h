#pragma once

#include "platform/linux/SystemdNames.h"
#include "service/ServiceState.h"

#include <QLatin1StringView>
#include <QString>
#include <QVariant>
#include <array>
#include <optional>

inline constexpr QLatin1StringView daemonUnit{"korvel-printer.service"};

// What one systemd manager said about the daemon's unit.
struct UnitAnswer
{
    // busLost: the bus was reached once and the connection has dropped since, which says
    // nothing about where the unit lives, unlike a bus that was never there (noManager).
    enum class Kind { unit, noManager, noAnswer, busLost };

    Kind kind = Kind::unit;
    // For `unit`: its load state and the service's main process (0: none).
    QString loadState;
    qint64 mainPid = 0;
    // For `noManager` and `busLost`: why it could not be asked, in the bus's own words.
    QString error;
    // For a loaded `unit`: its active state, and the service's result once it failed.
    QString activeState;
    QString result;

    // An answer of a kind other than `unit`.
    static UnitAnswer failure(Kind kind, const QString &error = {})
    {
        UnitAnswer answer;
        answer.kind = kind;
        answer.error = error;
        return answer;
    }

    bool operator==(const UnitAnswer &) const = default;
};

// One property of the unit as systemd's D-Bus API names it.
struct UnitProperty
{
    QLatin1StringView interface;
    QLatin1StringView name;
};

// The properties an answer is made of, in the order they are asked: each is needed (see
// `needsProperty`) only by what those before it said.
inline constexpr std::array<UnitProperty, 4> unitProperties{{
    {SystemdNames::unitInterface, QLatin1StringView("LoadState")},
    {SystemdNames::unitInterface, QLatin1StringView("ActiveState")},
    {SystemdNames::serviceInterface, QLatin1StringView("MainPID")},
    {SystemdNames::serviceInterface, QLatin1StringView("Result")},
}};

bool needsProperty(const UnitAnswer &answer, std::size_t index);
void setUnitProperty(UnitAnswer &answer, std::size_t index, const QVariant &value);
// Whether every property the answer needs has a value; a signal may leave one out.
bool isComplete(const UnitAnswer &answer);

// The user's manager is asked only when the system bus cannot be reached at all or the system
// manager does not know the unit; never because a system bus that was up went away.
bool asksUserManager(const UnitAnswer &system);

// The daemon's state from the system manager's answer and, when it was asked, the user's.
ServiceState stateFromAnswers(const UnitAnswer &system, const std::optional<UnitAnswer> &user);
