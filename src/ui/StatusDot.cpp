#include "ui/StatusDot.h"

#include <QPainter>

StatusDot::StatusDot(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(10, 10);
}

void StatusDot::setTone(Tone tone)
{
    if (tone == m_tone)
        return;
    m_tone = tone;
    update();
}

void StatusDot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::toneColour(m_tone, palette()));
    painter.drawEllipse(QRectF(rect()));
}
