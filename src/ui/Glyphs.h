#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// Small vector glyphs drawn with QPainter, so they stay sharp at any device pixel ratio. Each
// fills `rect`, keeping its own aspect ratio, centred.
namespace Glyphs {

void paintPrinter(QPainter &painter, const QRectF &rect, const QColor &colour);
// Three horizontal sliders with knobs at different positions.
void paintSliders(QPainter &painter, const QRectF &rect, const QColor &colour);
// A clockwise circular arrow, turned by `degrees` about its centre.
void paintClockwiseArrow(QPainter &painter, const QRectF &rect, const QColor &colour,
                         qreal degrees);

} // namespace Glyphs
