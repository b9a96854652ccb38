#include "app/TitleIcon.h"

#include <QFont>
#include <QPainter>
#include <algorithm>

QImage titleIcon(const QString &text, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    const qreal outline = std::max(1.0, side / 16.0);
    const QRectF badge =
        QRectF(image.rect()).adjusted(outline / 2, outline / 2, -outline / 2, -outline / 2);
    painter.setPen(QPen(QColor(0xf2, 0xf2, 0xf2), outline));
    painter.setBrush(QColor(0x1c, 0x1f, 0x24));
    painter.drawRoundedRect(badge, side * 0.22, side * 0.22);

    QFont font;
    font.setBold(true);
    font.setPixelSize(std::max(1, side / 2));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(badge, Qt::AlignCenter, text);
    return image;
}
