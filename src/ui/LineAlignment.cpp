#include "ui/LineAlignment.h"

#include <algorithm>

qsizetype linesToDrop(const QStringList &shown, const QStringList &next)
{
    const qsizetype first = std::max<qsizetype>(0, shown.size() - next.size());
    for (qsizetype drop = first; drop < shown.size(); ++drop) {
        if (std::equal(shown.cbegin() + drop, shown.cend(), next.cbegin()))
            return drop;
    }
    return shown.size();
}
