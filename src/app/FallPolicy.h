#pragma once

#include "service/ServiceState.h"

#include <QtGlobal>
#include <optional>

// When the print service's fall is worth a desktop notification: a running service that stops
// and stays stopped for 2 s (a restart's stop-start, however long its start takes, is no fall),
// none while a restart of our own is under way, and at most one a minute however often it flaps.
// Times are milliseconds of one steady clock, given by the caller, which asks decide() again at
// decisionAt().
class FallPolicy
{
public:
    static constexpr qint64 settleMs = 2000;
    static constexpr qint64 quietMs = 60000;

    void observe(ServiceState::Kind kind, qint64 nowMs);
    void restartStarted();
    // Called once the restart's re-check has published its state.
    void restartChecked();

    // When the fall now waiting should be decided; nothing while none waits.
    std::optional<qint64> decisionAt() const;
    // Whether to notify now; true at most once per fall.
    bool decide(qint64 nowMs);

private:
    bool m_running = false;
    int m_restarts = 0;
    std::optional<qint64> m_fallAt;
    std::optional<qint64> m_notifiedAt;
};
