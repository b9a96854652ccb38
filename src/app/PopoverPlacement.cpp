#include "app/PopoverPlacement.h"

#include <algorithm>

namespace {

int clampInto(int value, int low, int length, int span)
{
    // A popover larger than the screen keeps its top-left corner visible.
    return std::max(low, std::min(value, low + span - length));
}

} // namespace

QPoint popoverOrigin(const QRect &anchor, const QSize &size, const QRect &available)
{
    const int x = anchor.center().x() - size.width() / 2;
    const bool above = anchor.center().y() > available.center().y();
    const int y = above ? anchor.top() - size.height() : anchor.bottom() + 1;
    return {clampInto(x, available.left(), size.width(), available.width()),
            clampInto(y, available.top(), size.height(), available.height())};
}
