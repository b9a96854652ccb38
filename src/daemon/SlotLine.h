#pragma once

#include <QList>
#include <QString>
#include <utility>

// One printer slot of the daemon's configuration, identified by its id.
struct SlotLine
{
    QString id;
    QString name;
    QString printer;
    bool reverse = false;

    bool operator==(const SlotLine &) const = default;

    // The four slots as (key, display name), in the order they are shown.
    static inline const QList<std::pair<QString, QString>> order = {
        {QStringLiteral("payment"), QStringLiteral("Phiếu tạm tính")},
        {QStringLiteral("kitchen"), QStringLiteral("Phiếu đơn hàng")},
        {QStringLiteral("complete"), QStringLiteral("Phiếu thanh toán")},
        {QStringLiteral("label"), QStringLiteral("Nhãn tem")},
    };

    // One row per slot of `order`, no printer assigned.
    static QList<SlotLine> emptySlots();
};
