#include "platform/linux/SystemdUnitState.h"

using namespace Qt::StringLiterals;

namespace {

constexpr auto notFound = "not-found"_L1;

ServiceState stateOf(const UnitAnswer &answer)
{
    switch (answer.kind) {
    case UnitAnswer::Kind::noAnswer:
        return ServiceState::unknown(u"systemd did not answer"_s);
    case UnitAnswer::Kind::noManager:
        return ServiceState::unknown(answer.error);
    case UnitAnswer::Kind::unit:
        break;
    }
    if (answer.loadState == notFound)
        return ServiceState::notInstalled();
    if (answer.loadState != "loaded"_L1)
        return ServiceState::unknown(daemonUnit + " is "_L1 + answer.loadState);
    // Inactive, failed and activating without a process all read as stopped.
    return answer.mainPid > 0 ? ServiceState::running(answer.mainPid) : ServiceState::stopped();
}

} // namespace

bool asksUserManager(const UnitAnswer &system)
{
    return system.kind == UnitAnswer::Kind::noManager ||
           (system.kind == UnitAnswer::Kind::unit && system.loadState == notFound);
}

ServiceState stateFromAnswers(const UnitAnswer &system, const std::optional<UnitAnswer> &user)
{
    if (!user)
        return stateOf(system);
    if (user->kind != UnitAnswer::Kind::noManager)
        return stateOf(*user);
    // Only the system manager was reached, and it does not know the unit; or none was.
    return system.kind == UnitAnswer::Kind::unit ? ServiceState::notInstalled() : stateOf(system);
}
