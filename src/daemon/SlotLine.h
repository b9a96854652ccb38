#pragma once

#include <QList>
#include <QString>

// One printer slot of the daemon's configuration, identified by its id.
struct SlotLine
{
    QString id;
    QString name;
    QString printer;
    bool reverse = false;

    bool operator==(const SlotLine &) const = default;

    // (implementation fills in: order, emptySlots())
};
