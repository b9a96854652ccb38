#include "log/LogTailRead.h"

#include "log/LogWindow.h"

#include <QFile>

using namespace Qt::StringLiterals;

TailRead readLogTail(const QString &path, qint64 maxLines, qint64 windowBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringList{}, u"Log file not found: "_s + path};

    const qint64 start = tailWindowStart(file.size(), windowBytes);
    if (!file.seek(start))
        return {std::nullopt, file.errorString()};

    // A failed read counts as an empty file: the next tick tries again.
    const QByteArray window = file.read(windowBytes);
    const std::optional<QStringList> lines = linesOfTailWindow(window, start, maxLines);
    if (!lines)
        return {std::nullopt, u"Log file is not valid UTF-8"_s};
    return {*lines, std::nullopt};
}
