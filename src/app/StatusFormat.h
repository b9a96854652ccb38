#pragma once

#include "app/StationReport.h"

#include <QByteArray>
#include <QString>

// The three ways `korvel-printer --status` prints one report. Texts are the panel's own.
namespace StatusFormat {

// The verdict, then service, health, printers, slots and log, one "name: value" line each.
QString text(const StationReport &report);
// One JSON object with the keys the README lists; compact, with a final newline.
QByteArray json(const StationReport &report);
// Prometheus text exposition for node_exporter's textfile collector.
QByteArray prometheus(const StationReport &report);

// The service line's text: the manager's state, or why there is none.
QString serviceText(const StationReport &report);

} // namespace StatusFormat
