#include "app/PrintErrorPolicy.h"

void PrintErrorPolicy::observe(int errorLines, const QString &newestLine)
{
    if (errorLines <= 0)
        return;
    m_pending += errorLines;
    m_newestLine = newestLine;
}

std::optional<qint64> PrintErrorPolicy::decisionAt() const
{
    if (m_pending == 0)
        return std::nullopt;
    return m_notifiedAtMs ? *m_notifiedAtMs + quietMs : 0;
}

std::optional<PrintErrorPolicy::Notice> PrintErrorPolicy::decide(qint64 nowMs,
                                                                 const QDateTime &wallNow)
{
    const auto at = decisionAt();
    if (!at || nowMs < *at)
        return std::nullopt;
    Notice notice{m_pending, m_newestLine,
                  m_notifiedAtMs ? std::optional(m_notifiedAt) : std::nullopt};
    m_pending = 0;
    m_notifiedAtMs = nowMs;
    m_notifiedAt = wallNow;
    return notice;
}
