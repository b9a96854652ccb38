#include "app/FallPolicy.h"

#include <algorithm>

void FallPolicy::observe(ServiceState::Kind kind, qint64 nowMs)
{
    switch (kind) {
    case ServiceState::Kind::unknown:
        // No manager answered: that says nothing about the daemon itself.
        return;
    case ServiceState::Kind::running:
        m_running = true;
        m_fallAt.reset();
        return;
    case ServiceState::Kind::stopped:
        if (m_running && m_restarts == 0)
            m_fallAt = nowMs;
        m_running = false;
        return;
    case ServiceState::Kind::notInstalled:
        // Removed on purpose, not fallen.
        m_running = false;
        m_fallAt.reset();
        return;
    case ServiceState::Kind::starting:
    case ServiceState::Kind::stopping:
        // Not settled either way: a restart passes through here. A fall already waiting is put
        // off; it counts afresh if the service settles stopped.
        if (m_fallAt) {
            m_fallAt.reset();
            m_running = true;
        }
        return;
    }
}

void FallPolicy::restartStarted()
{
    ++m_restarts;
    // The user is already acting on it.
    m_fallAt.reset();
}

void FallPolicy::restartChecked()
{
    m_restarts = std::max(0, m_restarts - 1);
}

std::optional<qint64> FallPolicy::decisionAt() const
{
    if (!m_fallAt)
        return std::nullopt;
    const qint64 settled = *m_fallAt + settleMs;
    // A fall within the quiet minute is told at its end if the service is still down then.
    return m_notifiedAt ? std::max(settled, *m_notifiedAt + quietMs) : settled;
}

bool FallPolicy::decide(qint64 nowMs)
{
    const auto at = decisionAt();
    if (!at || nowMs < *at)
        return false;
    m_fallAt.reset();
    m_notifiedAt = nowMs;
    return true;
}
