#include "ui/Card.h"

#include "ui/Theme.h"

#include <QPainter>

Card::Card(QWidget *parent)
    : QWidget(parent)
{}

void Card::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::cardColour(palette()));
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
}
