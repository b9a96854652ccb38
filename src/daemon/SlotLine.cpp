#include "daemon/SlotLine.h"

QList<SlotLine> SlotLine::emptySlots()
{
    QList<SlotLine> lines;
    for (const auto &[key, name] : order)
        lines.append({key, name, {}, false});
    return lines;
}
