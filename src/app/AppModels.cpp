#include "app/AppModels.h"

#include "app/AppEnvironment.h"

namespace {

constexpr qint64 maxLines = 300;
constexpr qint64 tailWindowBytes = 65536;

} // namespace

AppModels::AppModels(const AppEnvironment &environment)
    : logTailer(environment.logPath, maxLines, tailWindowBytes, environment.desktop,
                environment.prompts)
    , serviceStatus(environment.serviceControl,
                    QUrl(environment.daemonBase + DaemonAddress::healthPath))
    , printerList(environment.daemonBase + DaemonAddress::printersPath)
    , configSummary(environment.daemonBase + DaemonAddress::configPath)
{}

void AppModels::start()
{
    logTailer.start();
    serviceStatus.start();
    printerList.refresh();
    configSummary.refresh();
}

void AppModels::stop()
{
    logTailer.stop();
    serviceStatus.stop();
    printerList.cancel();
    configSummary.cancel();
}
