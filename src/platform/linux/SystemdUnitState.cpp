#include "platform/linux/SystemdUnitState.h"

using namespace Qt::StringLiterals;

namespace {

constexpr auto notFound = "not-found"_L1;
constexpr auto loaded = "loaded"_L1;
constexpr auto failed = "failed"_L1;

ServiceState stateOf(const UnitAnswer &answer)
{
    switch (answer.kind) {
    case UnitAnswer::Kind::noAnswer:
        return ServiceState::unknown(u"systemd did not answer"_s);
    case UnitAnswer::Kind::noManager:
    case UnitAnswer::Kind::busLost:
        return ServiceState::unknown(answer.error);
    case UnitAnswer::Kind::unit:
        break;
    }
    if (answer.loadState == notFound)
        return ServiceState::notInstalled();
    if (answer.loadState != loaded)
        return ServiceState::unknown(daemonUnit + " is "_L1 + answer.loadState);
    // A restart passes through these; a unit reloading keeps running.
    if (answer.activeState == "activating"_L1 || answer.activeState == "reloading"_L1)
        return ServiceState::starting();
    if (answer.activeState == "deactivating"_L1)
        return ServiceState::stopping();
    if (answer.activeState == failed)
        return ServiceState::failed(answer.result);
    return answer.mainPid > 0 ? ServiceState::running(answer.mainPid) : ServiceState::stopped();
}

} // namespace

bool needsProperty(const UnitAnswer &answer, std::size_t index)
{
    switch (index) {
    case 0:
        return true;
    case 1:
    case 2:
        return answer.loadState == loaded;
    default:
        return answer.loadState == loaded && answer.activeState == failed;
    }
}

void setUnitProperty(UnitAnswer &answer, std::size_t index, const QVariant &value)
{
    switch (index) {
    case 0:
        answer.loadState = value.toString();
        return;
    case 1:
        answer.activeState = value.toString();
        return;
    case 2:
        answer.mainPid = value.toLongLong();
        return;
    default:
        answer.result = value.toString();
    }
}

bool isComplete(const UnitAnswer &answer)
{
    const QString *texts[] = {&answer.loadState, &answer.activeState, nullptr, &answer.result};
    for (std::size_t i = 0; i < unitProperties.size(); ++i) {
        if (texts[i] && texts[i]->isEmpty() && needsProperty(answer, i))
            return false;
    }
    return true;
}

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
