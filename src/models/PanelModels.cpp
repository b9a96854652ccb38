#include "models/PanelModels.h"

#include "daemon/DaemonAddress.h"

namespace {

constexpr qint64 maxLines = 300;
constexpr qint64 tailWindowBytes = 65536;

} // namespace

PanelModels::PanelModels(const QString &logPath, const QString &daemonBase,
                         std::shared_ptr<ServiceControl> serviceControl,
                         std::shared_ptr<DesktopIntegration> desktop,
                         std::shared_ptr<UserPrompts> prompts)
    : logTailer(logPath, maxLines, tailWindowBytes, std::move(desktop), std::move(prompts))
    , serviceStatus(std::move(serviceControl), QUrl(daemonBase + DaemonAddress::healthPath))
    , printerList(daemonBase + DaemonAddress::printersPath)
    , configSummary(daemonBase + DaemonAddress::configPath)
{}

void PanelModels::start()
{
    logTailer.start();
    serviceStatus.start();
    printerList.refresh();
    configSummary.refresh();
}

void PanelModels::stop()
{
    logTailer.stop();
    serviceStatus.stop();
    printerList.cancel();
    configSummary.cancel();
}
