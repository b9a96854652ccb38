#pragma once

#include "service/ServiceState.h"

#include <functional>

// Follows the daemon's service as the service manager announces its changes, without asking
// over and over.
class ServiceWatcher
{
public:
    using Observer = std::function<void(const ServiceState &)>;

    virtual ~ServiceWatcher() = default;

    // `observer` gets, on the GUI thread, the state once the manager has answered and then each
    // state it changes to.
    virtual void start(Observer observer) = 0;
};
