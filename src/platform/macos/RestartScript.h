#pragma once

#include <QString>
#include <QStringView>

// Unloads the daemon's job (an error, such as the job not being loaded, is ignored) and loads it
// again from its property list.
inline constexpr QStringView restartShellCommand =
    u"launchctl unload /Library/LaunchDaemons/com.korvel.printer.plist 2>/dev/null; "
    u"launchctl load /Library/LaunchDaemons/com.korvel.printer.plist";

// The one-line AppleScript that runs `command` as root behind the administrator prompt.
QString privilegedShellScript(QStringView command);
