#include "ui/ElidedLabel.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

ElidedLabel::ElidedLabel(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    elide();
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(m_text) + 1, metrics.height());
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(std::min(sizeHint().width(), metrics.horizontalAdvance(QStringLiteral("M…M"))),
                 metrics.height());
}

void ElidedLabel::elide()
{
    const QString elided = fontMetrics().elidedText(m_text, Qt::ElideMiddle, width());
    setToolTip(elided == m_text ? QString() : m_text);
    if (elided == m_displayed)
        return;
    m_displayed = elided;
    update();
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, m_displayed);
}

void ElidedLabel::resizeEvent(QResizeEvent *)
{
    elide();
}

void ElidedLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        elide();
    }
    QWidget::changeEvent(event);
}
