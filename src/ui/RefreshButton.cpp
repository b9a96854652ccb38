#include "ui/RefreshButton.h"

#include "ui/Glyphs.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr int glyphSize = 12;
constexpr int glyphGap = 4;
} // namespace

RefreshButton::RefreshButton(const QString &text, QWidget *parent)
    : LinkButton(text, parent)
{
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_angle = value.toReal();
        update();
    });
    connect(&m_animation, &QVariantAnimation::finished, this, [this] {
        m_angle = 0;
        update();
    });
}

void RefreshButton::setSpinning(bool spinning)
{
    if (spinning == m_spinning)
        return;
    m_spinning = spinning;
    if (!isVisible())
        return;
    if (spinning)
        startSpin();
    else
        settle();
}

void RefreshButton::startSpin()
{
    m_animation.stop();
    m_animation.setStartValue(m_angle);
    m_animation.setEndValue(m_angle + 360.0);
    m_animation.setDuration(800);
    m_animation.setEasingCurve(QEasingCurve::Linear);
    m_animation.setLoopCount(-1);
    m_animation.start();
}

void RefreshButton::settle()
{
    // Finish the turn forward to rest instead of snapping back.
    m_animation.stop();
    const qreal from = std::fmod(m_angle, 360.0);
    if (from == 0)
        return;
    m_animation.setStartValue(from);
    m_animation.setEndValue(360.0);
    m_animation.setDuration(250);
    m_animation.setEasingCurve(QEasingCurve::OutCubic);
    m_animation.setLoopCount(1);
    m_animation.start();
}

QSize RefreshButton::sizeHint() const
{
    const QSize textSize = LinkButton::sizeHint();
    return QSize(glyphSize + glyphGap + textSize.width(), std::max(glyphSize, textSize.height()));
}

void RefreshButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor colour = foregroundColour();
    const QRectF glyph(0, (height() - glyphSize) / 2.0, glyphSize, glyphSize);
    Glyphs::paintClockwiseArrow(painter, glyph, colour, m_angle);
    painter.setPen(colour);
    painter.drawText(rect().adjusted(glyphSize + glyphGap, 0, 0, 0),
                     Qt::AlignVCenter | Qt::AlignLeft, text());
}

void RefreshButton::showEvent(QShowEvent *event)
{
    LinkButton::showEvent(event);
    if (m_spinning)
        startSpin();
}

void RefreshButton::hideEvent(QHideEvent *event)
{
    LinkButton::hideEvent(event);
    m_animation.stop();
    m_angle = 0;
}
