#include "ui/Spinner.h"

#include "ui/Theme.h"

#include <QPainter>

Spinner::Spinner(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(16, 16);
    setAccessibleName(tr("Loading…"));
    m_timer.setInterval(33);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 24) % 360;
        update();
    });
}

void Spinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = QRectF(rect()).adjusted(2, 2, -2, -2);
    QColor track = Theme::toneColour(Tone::secondary, palette());
    track.setAlphaF(0.25);
    painter.setPen(QPen(track, 2));
    painter.drawEllipse(ring);
    painter.setPen(
        QPen(Theme::toneColour(Tone::secondary, palette()), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(ring, -m_angle * 16, 100 * 16);
}

void Spinner::showEvent(QShowEvent *)
{
    m_timer.start();
}

void Spinner::hideEvent(QHideEvent *)
{
    m_timer.stop();
}
