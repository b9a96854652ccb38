#pragma once

#include <QPoint>
#include <QRect>
#include <QtGlobal>

// Tells a click on the status item apart from the tail of the press that has just hidden the
// popover. A popup hides on the press that lands on the tray icon, and that same click then
// arrives as an activation: taken at face value it would reopen the popover at once.
class ToggleArbiter
{
public:
    enum class Action { open, close, none };

    // A press and its activation arrive within a few milliseconds. Kept short because some
    // trays never deliver that activation, and a second click after this is a real one.
    static constexpr qint64 sameClickMs = 250;

    // The popover hid itself on a press at `globalPos`. True when that press was on the icon:
    // it is the closing click, and the caller stops the models now.
    bool popoverDismissed(QPoint globalPos, const QRect &iconGeometry, qint64 nowMs);
    // The popover hid itself because the focus left the app: a click on the icon (the shell took
    // the focus) or anywhere else; an activation right after it decides.
    void popoverLostFocus(qint64 nowMs);
    // The icon was activated while the popover is not shown: what that click means.
    Action iconActivated(qint64 nowMs);

private:
    enum class Dismissal { none, onIcon, unplaced };

    Dismissal m_last = Dismissal::none;
    qint64 m_lastAtMs = 0;
};
