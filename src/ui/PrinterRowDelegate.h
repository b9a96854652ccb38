#pragma once

#include <QAbstractItemDelegate>

// One row of the panel's printer list: the printer glyph, then the name in the view's font,
// wrapped to the row's width at a space if there is one and anywhere inside a word otherwise, so
// no part of it is ever cut off. Rows after the first keep a gap above them.
class PrinterRowDelegate : public QAbstractItemDelegate
{
    Q_OBJECT

public:
    using QAbstractItemDelegate::QAbstractItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    // As wide as the view offers (option.rect), as tall as the wrapped name.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
