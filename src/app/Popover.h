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
    // Shows the panel as an ordinary titled window, for a desktop that shows no status item.
    virtual void showAsWindow() { showBelow({}); }
    virtual void close() = 0;

Q_SIGNALS:
    // The panel hid itself because of a mouse press at `globalPos`, outside it.
    void dismissedByOutsidePress(QPoint globalPos);
    // The panel hid itself because the focus went to another app, at a place nobody tells.
    void dismissedByFocusLoss();
    // The panel's keyboard shortcut for "Copy diagnostics", which no label shows.
    void diagnosticsRequested();
    // The user closed the window of showAsWindow() (Escape, or its close button).
    void windowClosed();
};
