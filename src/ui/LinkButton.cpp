#include "ui/LinkButton.h"

#include "ui/Theme.h"

#include <QFocusEvent>
#include <QPainter>

LinkButton::LinkButton(const QString &text, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize LinkButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 2, metrics.height() + 2);
}

QColor LinkButton::foregroundColour() const
{
    QColor colour = Theme::linkColour(palette());
    if (!isEnabled())
        colour.setAlphaF(0.4);
    else if (isDown())
        colour = Theme::isDark(palette()) ? colour.lighter(130) : colour.darker(140);
    return colour;
}

void LinkButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(foregroundColour());
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (showsFocus()) {
        const QFontMetrics metrics(font());
        const int width = metrics.horizontalAdvance(text());
        const int y = rect().center().y() + metrics.ascent() / 2 + 2;
        painter.drawLine((this->width() - width) / 2, y, (this->width() + width) / 2, y);
    }
}

void LinkButton::focusInEvent(QFocusEvent *event)
{
    m_keyboardFocus =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}
