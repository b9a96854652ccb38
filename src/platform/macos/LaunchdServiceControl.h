#pragma once

#include "service/ServiceControl.h"

#include <QString>
#include <chrono>

// The daemon's launchd job and the programs that reach it; tests point the paths at fakes.
struct LaunchdTools
{
    QString label = QStringLiteral("com.korvel.printer");
    QString launchctlPath = QStringLiteral("/bin/launchctl");
    QString osascriptPath = QStringLiteral("/usr/bin/osascript");
    // A launchctl that hangs is killed after this long, so checks cannot pile up.
    std::chrono::milliseconds launchctlTimeout = std::chrono::seconds(10);
};

// `launchctl list <label>` for the state; a restart reloads the job through osascript behind the
// administrator prompt.
class LaunchdServiceControl : public ServiceControl
{
public:
    explicit LaunchdServiceControl(const LaunchdTools &tools = {});

    ServiceState queryState() override;
    void restart() override;

private:
    const LaunchdTools m_tools;
};
