#include "ui/OpenConfigButton.h"

#include "ui/Glyphs.h"
#include "ui/Theme.h"

#include <QFocusEvent>
#include <QPainter>

namespace {
constexpr int glyphSize = 13;
constexpr int glyphGap = 6;
} // namespace

OpenConfigButton::OpenConfigButton(const QString &text, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(text);
    setFont(Theme::systemFont(13, QFont::Medium));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize OpenConfigButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(glyphSize + glyphGap + metrics.horizontalAdvance(text()) + 24, 30);
}

void OpenConfigButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::Highlight);
    if (isDown())
        fill = fill.darker(120);
    else if (m_hovered)
        fill = fill.lighter(108);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), 6, 6);
    if (showsFocus()) {
        painter.setPen(QPen(palette().color(QPalette::HighlightedText), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 4, 4);
    }

    const QColor ink = palette().color(QPalette::HighlightedText);
    const QFontMetrics metrics(font());
    const int contentWidth = glyphSize + glyphGap + metrics.horizontalAdvance(text());
    const qreal left = (width() - contentWidth) / 2.0;
    Glyphs::paintSliders(painter, QRectF(left, (height() - glyphSize) / 2.0, glyphSize, glyphSize),
                         ink);
    painter.setPen(ink);
    painter.drawText(QRectF(left + glyphSize + glyphGap, 0, width(), height()),
                     Qt::AlignVCenter | Qt::AlignLeft, text());
}

void OpenConfigButton::enterEvent(QEnterEvent *)
{
    m_hovered = true;
    update();
}

void OpenConfigButton::leaveEvent(QEvent *)
{
    m_hovered = false;
    update();
}

void OpenConfigButton::focusInEvent(QFocusEvent *event)
{
    m_keyboardFocus =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}
