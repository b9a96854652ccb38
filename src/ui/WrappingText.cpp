#include "ui/WrappingText.h"

#include <QEvent>
#include <QtMath>

WrappingText::WrappingText(const QString &objectName, const QFont &font, QWidget *parent)
    : QTextEdit(parent)
{
    setObjectName(objectName);
    setFont(font);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDocumentMargin(0);
    document()->setUndoRedoEnabled(false);
    viewport()->setAutoFillBackground(false);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    followWindowText();
}

int WrappingText::heightForWidth(int width) const
{
    // Measured on a copy: the shown document keeps its width until the layout applies this one.
    QTextDocument probe;
    probe.setDefaultFont(font());
    probe.setDocumentMargin(0);
    probe.setDefaultTextOption(document()->defaultTextOption());
    probe.setPlainText(toPlainText());
    probe.setTextWidth(width);
    return qCeil(probe.size().height());
}

QSize WrappingText::sizeHint() const
{
    const int width = fontMetrics().horizontalAdvance(toPlainText()) + 1;
    return QSize(width, heightForWidth(width));
}

QSize WrappingText::minimumSizeHint() const
{
    // One character wide; the height at the width it is given comes from heightForWidth.
    return QSize(fontMetrics().maxWidth(), sizeHint().height());
}

void WrappingText::resizeEvent(QResizeEvent *event)
{
    QTextEdit::resizeEvent(event);
    if (heightForWidth(width()) != height())
        updateGeometry();
}

void WrappingText::changeEvent(QEvent *event)
{
    QTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followWindowText();
}

// Drawn like the labels around it, not in the colour of an input field.
void WrappingText::followWindowText()
{
    const QColor colour = palette().color(QPalette::WindowText);
    if (palette().color(QPalette::Text) == colour)
        return;
    QPalette tinted = palette();
    tinted.setColor(QPalette::Text, colour);
    setPalette(tinted);
}
