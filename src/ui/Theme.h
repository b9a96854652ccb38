#pragma once

#include <QColor>
#include <QFont>

class QPainter;
class QPalette;
class QScrollBar;

// The panel's semantic colours. They are resolved against the current palette at paint time so
// the panel follows a light or dark theme.
enum class Tone { primary, secondary, red, green, orange };

namespace Theme {

bool isDark(const QPalette &palette);
QColor toneColour(Tone tone, const QPalette &palette);
// Background of the three cards.
QColor cardColour(const QPalette &palette);
// Background of the log view.
QColor textBackgroundColour(const QPalette &palette);
QColor separatorColour(const QPalette &palette);
QColor linkColour(const QPalette &palette);

// Sizes are the panel's design points; one point is one device-independent pixel, so the fixed
// 520 × 720 panel holds the same content on every platform.
// Slim scroll bars without arrows, in a grey that reads on light and dark backgrounds.
void makeScrollBarSlim(QScrollBar *bar);
// The keyboard focus mark of the areas that draw none themselves (the log, the printer list): a
// ring in the highlight colour, which stands out in light and dark themes alike.
void paintFocusRing(QPainter &painter, const QRectF &rect, const QPalette &palette);

QFont systemFont(int points, QFont::Weight weight = QFont::Normal);
QFont monospaceFont(int points);
QFont headlineFont();
QFont captionFont();
QFont caption2Font();

} // namespace Theme
