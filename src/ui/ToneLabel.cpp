#include "ui/ToneLabel.h"

#include <QApplication>
#include <QEvent>

ToneLabel::ToneLabel(const QString &objectName, Tone tone, const QFont &font, QWidget *parent)
    : QLabel(parent)
    , m_tone(tone)
{
    setObjectName(objectName);
    setTextFormat(Qt::PlainText);
    setFont(font);
    applyTone();
}

void ToneLabel::applyTone()
{
    // The tone derives from the surrounding palette, not from this label's own, already tinted one.
    const QPalette source = parentWidget() ? parentWidget()->palette() : QApplication::palette();
    const QColor colour = Theme::toneColour(m_tone, source);
    if (palette().color(QPalette::WindowText) == colour)
        return;
    QPalette tinted = palette();
    tinted.setColor(QPalette::WindowText, colour);
    tinted.setColor(QPalette::Text, colour);
    setPalette(tinted);
}

void ToneLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        applyTone();
}
