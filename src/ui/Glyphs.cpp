#include "ui/Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace Glyphs {

namespace {

QRectF square(const QRectF &rect)
{
    const qreal side = std::min(rect.width(), rect.height());
    return QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
}

} // namespace

void paintPrinter(QPainter &painter, const QRectF &rect, const QColor &colour)
{
    const QRectF box = square(rect);
    const qreal u = box.width() / 12;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.translate(box.topLeft());

    // Paper tray on top, the body with a slot cut out, and the sheet coming out below.
    painter.drawRoundedRect(QRectF(3 * u, 0.5 * u, 6 * u, 2.5 * u), 0.6 * u, 0.6 * u);
    QPainterPath body;
    body.addRoundedRect(QRectF(0.5 * u, 3.5 * u, 11 * u, 5.5 * u), 1.3 * u, 1.3 * u);
    QPainterPath slot;
    slot.addRect(QRectF(2.5 * u, 7 * u, 7 * u, 2 * u));
    painter.drawPath(body.subtracted(slot));
    painter.drawRoundedRect(QRectF(3 * u, 7.6 * u, 6 * u, 3.9 * u), 0.5 * u, 0.5 * u);
    painter.restore();
}

void paintSliders(QPainter &painter, const QRectF &rect, const QColor &colour)
{
    const QRectF box = square(rect);
    const qreal u = box.width() / 12;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    painter.setPen(QPen(colour, 1.2 * u, Qt::SolidLine, Qt::RoundCap));
    const qreal knobs[] = {3.5, 8, 5};
    for (int row = 0; row < 3; ++row) {
        const qreal y = (2.5 + row * 3.5) * u;
        painter.drawLine(QPointF(0.8 * u, y), QPointF(11.2 * u, y));
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(knobs[row] * u, y), 1.4 * u, 1.4 * u);
    }
    painter.restore();
}

void paintClockwiseArrow(QPainter &painter, const QRectF &rect, const QColor &colour, qreal degrees)
{
    const QRectF box = square(rect);
    const qreal u = box.width() / 12;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.center());
    painter.rotate(degrees);

    // An open ring from the top, clockwise round to just before the top again, with the arrow
    // head at its end pointing onward.
    const qreal radius = 4.6 * u;
    const QRectF ring(-radius, -radius, 2 * radius, 2 * radius);
    painter.setPen(QPen(colour, 1.4 * u, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(ring, 60 * 16, 300 * 16);

    const qreal angle = 60.0 * M_PI / 180.0;
    const QPointF tip(radius * std::cos(angle), -radius * std::sin(angle));
    // Clockwise on screen is the direction of decreasing angle.
    const QPointF forward(std::sin(angle), std::cos(angle));
    const QPointF across(-forward.y(), forward.x());
    QPainterPath head;
    head.moveTo(tip + forward * 2.2 * u);
    head.lineTo(tip + across * 2.2 * u - forward * 0.6 * u);
    head.lineTo(tip - across * 2.2 * u - forward * 0.6 * u);
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(head);
    painter.restore();
}

} // namespace Glyphs
