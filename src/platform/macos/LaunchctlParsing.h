#pragma once

#include "platform/macos/ProcessRun.h"
#include "service/ServiceState.h"

// The job's state from one run of `launchctl list <label>`: a start failure or a timeout is
// unknown, a non-zero exit status means launchd does not know the label, and otherwise the first
// usable "PID" line of the output gives the running process.
ServiceState stateFromLaunchctlResult(const ProcessResult &result);
