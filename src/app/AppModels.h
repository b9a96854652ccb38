#pragma once

#include "daemon/ConfigSummary.h"
#include "daemon/PrinterList.h"
#include "log/LogTailer.h"
#include "service/ServiceStatus.h"

struct AppEnvironment;

// The panel's four models, pointed where the environment says, set to work together while the
// panel is open.
class AppModels
{
public:
    explicit AppModels(const AppEnvironment &environment);

    // In the opening order: the log read, the service check, then both fetches.
    void start();
    // Both timers stopped, both requests in flight cancelled.
    void stop();

    LogTailer logTailer;
    ServiceStatus serviceStatus;
    PrinterList printerList;
    ConfigSummary configSummary;
};
