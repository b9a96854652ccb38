#include "ui/PrinterRowDelegate.h"

#include "ui/Glyphs.h"
#include "ui/Theme.h"

#include <QPainter>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>

namespace {

constexpr int glyphSize = 12;
constexpr int textLeft = glyphSize + 6;
constexpr int rowGap = 3;

int gapAbove(const QModelIndex &index)
{
    return index.row() > 0 ? rowGap : 0;
}

// Lays the name out in lines of the width the row leaves it, the first at the top; returns the
// height of all lines. Without a width (a view not laid out yet) the name stays on one line.
int layOutName(QTextLayout &layout, int rowWidth)
{
    const int width = rowWidth - textLeft;
    QTextOption option;
    option.setWrapMode(width > 0 ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(width, 0));
        line.setLeadingIncluded(true);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return qCeil(y);
}

} // namespace

void PrinterRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    const QRect row = option.rect.adjusted(0, gapAbove(index), 0, 0);
    QTextLayout layout(index.data().toString(), option.font);
    layOutName(layout, row.width());

    painter->save();
    QPalette::ColorRole textRole = QPalette::WindowText;
    if (option.state & QStyle::State_Selected) {
        const QPalette::ColorGroup group =
            option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        painter->fillRect(row, option.palette.brush(group, QPalette::Highlight));
        textRole = QPalette::HighlightedText;
    }
    // Centred beside the name, like a widget in a row layout.
    const QRectF glyph(row.left(), row.top() + (row.height() - glyphSize) / 2, glyphSize,
                       glyphSize);
    Glyphs::paintPrinter(*painter, glyph.adjusted(1, 1, -1, -1),
                         Theme::toneColour(Tone::secondary, option.palette));
    painter->setPen(option.palette.color(textRole));
    layout.draw(painter, QPointF(row.left() + textLeft, row.top()));
    painter->restore();
}

QSize PrinterRowDelegate::sizeHint(const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    QTextLayout layout(index.data().toString(), option.font);
    const int height = std::max(glyphSize, layOutName(layout, option.rect.width()));
    return {option.rect.width(), gapAbove(index) + height};
}
