#include "ui/StatusDot.h"

#include "ui/Theme.h"

#include <QPainter>

StatusDot::StatusDot(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(10, 10);
}

void StatusDot::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_running = running;
    update();
}

void StatusDot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::toneColour(m_running ? Tone::green : Tone::red, palette()));
    painter.drawEllipse(QRectF(rect()));
}
