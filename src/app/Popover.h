#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

// The fixed-size panel that opens from the status item and hides itself on a click elsewhere.
class Popover : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool isShown() const = 0;
    // Shows the panel next to `anchor` (the status item's global rectangle).
    virtual void showBelow(const QRect &anchor) = 0;
    virtual void close() = 0;

Q_SIGNALS:
    // The panel hid itself because of a mouse press at `globalPos`, outside it.
    void dismissedByOutsidePress(QPoint globalPos);
    // The panel's keyboard shortcut for "Copy diagnostics", which no label shows.
    void diagnosticsRequested();
};
