#include "ui/Card.h"

#include "ui/Theme.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QPainter>

Card::Card(QWidget *parent)
    : QWidget(parent)
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if ((old && isAncestorOf(old)) || (now && isAncestorOf(now)))
            update();
    });
}

void Card::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::cardColour(palette()));
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
    auto *focused = qobject_cast<QAbstractScrollArea *>(QApplication::focusWidget());
    if (focused && isAncestorOf(focused) && focused->isVisible())
        Theme::paintFocusRing(
            painter, QRectF(focused->mapTo(this, QPoint()), focused->size()).adjusted(-4, -4, 4, 4),
            palette());
}
