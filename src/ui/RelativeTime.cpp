#include "ui/RelativeTime.h"

#include <QCoreApplication>

QString relativeTimeString(const QDateTime &from, const QDateTime &now)
{
    // Milliseconds divided by 1000 in integers truncates toward zero, also for negative spans.
    const qint64 seconds = from.msecsTo(now) / 1000;
    if (seconds < 5)
        return QCoreApplication::translate("PopoverView", "just now");
    if (seconds < 60)
        return QString::number(seconds) + QCoreApplication::translate("PopoverView", "s ago");
    if (seconds < 3600)
        return QString::number(seconds / 60) + QCoreApplication::translate("PopoverView", "m ago");
    return QString::number(seconds / 3600) + QCoreApplication::translate("PopoverView", "h ago");
}

QString relativeTimeString(const QDateTime &from)
{
    return relativeTimeString(from, QDateTime::currentDateTime());
}
