#include "ui/Theme.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>

namespace Theme {

namespace {

QColor blend(const QColor &over, const QColor &under, qreal amount)
{
    return QColor::fromRgbF(over.redF() * amount + under.redF() * (1 - amount),
                            over.greenF() * amount + under.greenF() * (1 - amount),
                            over.blueF() * amount + under.blueF() * (1 - amount));
}

} // namespace

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor toneColour(Tone tone, const QPalette &palette)
{
    // Each hue has a deeper shade for light backgrounds and a brighter one for dark backgrounds,
    // so that small text stays readable on both.
    const bool dark = isDark(palette);
    switch (tone) {
    case Tone::primary:
        return palette.color(QPalette::WindowText);
    case Tone::secondary:
        return blend(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.6);
    case Tone::red:
        return dark ? QColor(0xff, 0x6b, 0x61) : QColor(0xc9, 0x2a, 0x22);
    case Tone::green:
        return dark ? QColor(0x3d, 0xd6, 0x5b) : QColor(0x1f, 0x8a, 0x3a);
    case Tone::orange:
        return dark ? QColor(0xff, 0xa3, 0x2e) : QColor(0xc2, 0x5e, 0x00);
    }
    Q_UNREACHABLE();
    return {};
}

QColor cardColour(const QPalette &palette)
{
    const QColor window = palette.color(QPalette::Window);
    return isDark(palette) ? window.lighter(125) : palette.color(QPalette::Base);
}

QColor textBackgroundColour(const QPalette &palette)
{
    return palette.color(QPalette::Base);
}

QColor separatorColour(const QPalette &palette)
{
    return blend(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.18);
}

QColor linkColour(const QPalette &palette)
{
    // Some dark palettes keep the light theme's deep blue link colour; lift it so it stays legible.
    QColor link = palette.color(QPalette::Link);
    if (isDark(palette) && link.lightness() < 140)
        link = QColor::fromHslF(link.hslHueF() < 0 ? 0.6 : link.hslHueF(), 0.9, 0.68);
    return link;
}

void makeScrollBarSlim(QScrollBar *bar)
{
    bar->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { width: 10px; background: transparent; margin: 2px 2px 2px 0; }"
        "QScrollBar::handle:vertical { background: rgba(128, 128, 128, 140); border-radius: 3px;"
        " min-height: 24px; }"
        "QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }"));
}

void paintFocusRing(QPainter &painter, const QRectF &rect, const QPalette &palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette.color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(1, 1, -1, -1), 6, 6);
    painter.restore();
}

QFont systemFont(int points, QFont::Weight weight)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(points);
    font.setWeight(weight);
    return font;
}

QFont monospaceFont(int points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(points);
    font.setWeight(QFont::Normal);
    return font;
}

QFont headlineFont()
{
    return systemFont(13, QFont::Bold);
}

QFont captionFont()
{
    return systemFont(11);
}

QFont caption2Font()
{
    return systemFont(10);
}

} // namespace Theme
