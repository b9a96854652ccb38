#include "ui/PrinterGlyph.h"

#include "ui/Glyphs.h"

#include <QPainter>

PrinterGlyph::PrinterGlyph(Tone tone, QWidget *parent)
    : QWidget(parent)
    , m_tone(tone)
{
    setFixedSize(12, 12);
}

void PrinterGlyph::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Glyphs::paintPrinter(painter, QRectF(rect()).adjusted(1, 1, -1, -1),
                         Theme::toneColour(m_tone, palette()));
}
