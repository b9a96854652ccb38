#pragma once

#include "daemon/DaemonRequests.h"
#include "daemon/SlotLine.h"

#include <optional>

// The values one answer gives the config summary: an error and the old rows, or new rows.
struct ConfigUpdate
{
    std::optional<QString> error;
    std::optional<QList<SlotLine>> slots;

    bool operator==(const ConfigUpdate &) const = default;
};

inline const QString invalidConfigText = QStringLiteral("Invalid response from /config");

// None for a request we cancelled: it changes neither the rows nor the error.
std::optional<ConfigUpdate> parseConfigAnswer(const DaemonAnswer &answer);
