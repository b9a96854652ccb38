#include "app/StatusBadge.h"

#include <QPainter>
#include <algorithm>

namespace {

// Mid tones that stand out at least 3:1 from light and dark trays alike; the white rim keeps
// the edge sharp on dark ones and over the icon.
const QColor stoppedColour(0xe5, 0x39, 0x35);
const QColor unknownColour(0x7a, 0x7a, 0x7a);
// Just over half the icon: still a few pixels of symbol at 16 px.
constexpr qreal badgeShare = 0.56;

} // namespace

QImage badgedStatusImage(const QImage &base, ServiceState::Kind kind)
{
    if (kind == ServiceState::Kind::running || base.isNull())
        return base;
    QImage image = base.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Drawn in device pixels, so the badge keeps its share of the icon at any pixel ratio.
    const qreal ratio = image.devicePixelRatio();
    image.setDevicePixelRatio(1);
    const qreal side = std::min(image.width(), image.height()) * badgeShare;
    const qreal rim = std::max(1.0, side / 10);
    const QRectF badge(image.width() - side, image.height() - side, side, side);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Grey for what is not known to be down: unknown, starting, stopping.
    const bool unknown =
        kind != ServiceState::Kind::stopped && kind != ServiceState::Kind::notInstalled;
    painter.setPen(QPen(Qt::white, rim));
    painter.setBrush(unknown ? unknownColour : stoppedColour);
    painter.drawEllipse(badge.adjusted(rim / 2, rim / 2, -rim / 2, -rim / 2));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const QPointF centre = badge.center();
    if (unknown) {
        painter.drawEllipse(centre, side * 0.14, side * 0.14);
    } else {
        const QSizeF bar(side * 0.56, std::max(1.0, side * 0.18));
        painter.drawRect(QRectF(centre - QPointF(bar.width(), bar.height()) / 2, bar));
    }
    painter.end();
    image.setDevicePixelRatio(ratio);
    return image;
}
