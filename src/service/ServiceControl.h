#pragma once

#include "service/ServiceState.h"

// The system's service manager as the monitor sees it: what state the daemon's service is in,
// and a restart behind the system's own authentication prompt. Both block, so both run on pool
// threads, several at a time; an implementation is safe to use from any thread.
class ServiceControl
{
public:
    virtual ~ServiceControl() = default;

    // Every failure comes back as a state (unknown with a reason), never as an exception.
    virtual ServiceState queryState() = 0;
    // Returns once the attempt has ended, however long the prompt stays open. Success, failure
    // and a cancelled prompt are not told apart: the next query shows the outcome.
    virtual void restart() = 0;
};
