#pragma once

#include "daemon/DaemonRequests.h"

#include <QStringList>
#include <optional>

// The values one answer gives the printer list.
struct PrinterListUpdate
{
    std::optional<QString> error;
    QStringList printers;

    bool operator==(const PrinterListUpdate &) const = default;
};

inline const QString invalidPrintersText = QStringLiteral("Invalid response from /printers");
inline const QString unknownDaemonErrorText = QStringLiteral("Unknown daemon error");

// None for a request we cancelled: it changes neither the list nor the error.
std::optional<PrinterListUpdate> parsePrinterListAnswer(const DaemonAnswer &answer);
