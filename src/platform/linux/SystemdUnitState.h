#pragma once

#include "service/ServiceState.h"

#include <QLatin1StringView>
#include <QString>
#include <optional>

inline constexpr QLatin1StringView daemonUnit{"korvel-printer.service"};

// What one systemd manager said about the daemon's unit.
struct UnitAnswer
{
    enum class Kind { unit, noManager, noAnswer };

    Kind kind = Kind::unit;
    // For `unit`: its load state and the service's main process (0: none).
    QString loadState;
    qint64 mainPid = 0;
    // For `noManager`: why it could not be asked, in the bus's own words.
    QString error;

    bool operator==(const UnitAnswer &) const = default;
};

// The user's manager is asked only when the system bus cannot be reached or the system manager
// does not know the unit.
bool asksUserManager(const UnitAnswer &system);

// The daemon's state from the system manager's answer and, when it was asked, the user's.
ServiceState stateFromAnswers(const UnitAnswer &system, const std::optional<UnitAnswer> &user);
