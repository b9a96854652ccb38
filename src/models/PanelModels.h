#pragma once

#include "daemon/ConfigSummary.h"
#include "daemon/PrinterList.h"
#include "log/LogTailer.h"
#include "service/ServiceStatus.h"

#include <memory>

// The panel's four models, pointed at the log and the daemon, set to work together while the
// panel is open.
class PanelModels
{
public:
    PanelModels(const QString &logPath, const QString &daemonBase,
                std::shared_ptr<ServiceControl> serviceControl,
                std::shared_ptr<DesktopIntegration> desktop, std::shared_ptr<UserPrompts> prompts);

    // In the opening order: the log read, the service check, then both fetches.
    void start();
    // Both timers stopped, both requests in flight cancelled.
    void stop();

    LogTailer logTailer;
    ServiceStatus serviceStatus;
    PrinterList printerList;
    ConfigSummary configSummary;
};
