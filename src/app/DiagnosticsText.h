#pragma once

#include "app/StationReport.h"

#include <QString>

// What the report says about the app's own surroundings, which only the running app knows.
struct DiagnosticsContext
{
    QString qtPlatform;
    // XEmbed, StatusNotifier or none.
    QString trayHost;
};

// The plain-text report "Copy diagnostics" puts on the clipboard for a support person: the app
// and its system, the service, health, the daemon's raw answers and the log's alert lines.
QString diagnosticsText(const StationReport &report, const DiagnosticsContext &context);
