#pragma once

#include "daemon/SlotLine.h"
#include "service/ServiceState.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <optional>

// One look at everything the panel shows, taken at `takenAt`. An absent answer is one that did
// not come within the check's bound.
struct StationReport
{
    QDateTime takenAt;
    // Absent when the service manager did not answer in time.
    std::optional<ServiceState> service;
    bool healthOk = false;

    std::optional<QStringList> printers;
    std::optional<QString> printersError;
    QList<SlotLine> slots = SlotLine::emptySlots();
    std::optional<QString> configError;

    QString logPath;
    std::optional<QString> logError;
    qint64 logSize = -1;
    // The newest line the panel would colour red, and when it was written, if the line says.
    std::optional<QString> lastErrorLine;
    std::optional<QDateTime> lastErrorAt;
    // Only for the diagnostics: the newest lines coloured red or orange, and both raw answers.
    QStringList alertLines;
    std::optional<QByteArray> printersBody;
    std::optional<QByteArray> configBody;

    int slotsSet() const;
    // Set slots naming a printer the daemon does not list; none while the list is unknown.
    QStringList unknownSlotPrinters() const;
    std::optional<qint64> lastErrorAgeSeconds() const;
};

// The monitoring-plugin convention: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.
enum StatusCode { statusOk = 0, statusWarning = 1, statusCritical = 2, statusUnknown = 3 };

// An error line younger than this is a warning.
inline constexpr qint64 recentErrorSeconds = 10 * 60;

StatusCode statusExitCode(const StationReport &report);
QString statusCodeName(StatusCode code);
