#include "platform/macos/LaunchdServiceControl.h"

#include "platform/macos/LaunchctlParsing.h"
#include "platform/macos/ProcessRun.h"
#include "platform/macos/RestartScript.h"

using namespace Qt::StringLiterals;

LaunchdServiceControl::LaunchdServiceControl(const LaunchdTools &tools)
    : m_tools(tools)
{}

ServiceState LaunchdServiceControl::queryState()
{
    return stateFromLaunchctlResult(runCapturingOutput(
        m_tools.launchctlPath, {u"list"_s, m_tools.label}, m_tools.launchctlTimeout));
}

void LaunchdServiceControl::restart()
{
    runUntilExit(m_tools.osascriptPath, {u"-e"_s, privilegedShellScript(restartShellCommand)});
}
