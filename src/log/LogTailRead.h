#pragma once

#include <QStringList>
#include <optional>

class QFile;

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

// Opens `path` only if it is a regular file; otherwise the errno-style reason. A FIFO or a device
// at the log path would block the main thread on open or read, so it is refused unopened.
int openRegularFile(const QString &path, QFile &file);
