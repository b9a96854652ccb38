#include "app/ToggleArbiter.h"

bool ToggleArbiter::popoverDismissed(QPoint globalPos, const QRect &iconGeometry, qint64 nowMs)
{
    m_lastAtMs = nowMs;
    if (iconGeometry.isEmpty()) {
        // Where the icon is is unknown: an activation right after this press decides.
        m_last = Dismissal::unplaced;
        return false;
    }
    m_last = iconGeometry.contains(globalPos) ? Dismissal::onIcon : Dismissal::none;
    return m_last == Dismissal::onIcon;
}

void ToggleArbiter::popoverLostFocus(qint64 nowMs)
{
    m_lastAtMs = nowMs;
    m_last = Dismissal::unplaced;
}

ToggleArbiter::Action ToggleArbiter::iconActivated(qint64 nowMs)
{
    const Dismissal last = m_last;
    m_last = Dismissal::none;
    if (nowMs - m_lastAtMs > sameClickMs)
        return Action::open;
    switch (last) {
    case Dismissal::onIcon:
        return Action::none;
    case Dismissal::unplaced:
        return Action::close;
    case Dismissal::none:
        break;
    }
    return Action::open;
}
