#pragma once

#include <QStringList>
#include <optional>

// What one read of the log's tail found; an absent member leaves the published value as it is.
struct TailRead
{
    std::optional<QStringList> lines;
    std::optional<QString> fileError;

    bool operator==(const TailRead &) const = default;
};

// Opens `path`, reads at most its last `windowBytes` and keeps the newest `maxLines` whole lines.
// Fails into a value, never more than the window is read, and the file is closed on every way out.
TailRead readLogTail(const QString &path, qint64 maxLines, qint64 windowBytes);
