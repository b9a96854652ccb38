#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <optional>

// When error lines of the log are worth a desktop notification: the first at once, then at most
// one per quiet period, which tells how many came since the last one. Times are milliseconds of
// one steady clock, given by the caller, which asks decide() again at decisionAt().
class PrintErrorPolicy
{
public:
    static constexpr qint64 quietMs = 10 * 60 * 1000;

    struct Notice
    {
        int count = 0;
        QString newestLine;
        // When the previous notification went out; none for the first.
        std::optional<QDateTime> since;
    };

    void observe(int errorLines, const QString &newestLine);
    std::optional<qint64> decisionAt() const;
    std::optional<Notice> decide(qint64 nowMs, const QDateTime &wallNow);

private:
    int m_pending = 0;
    QString m_newestLine;
    std::optional<qint64> m_notifiedAtMs;
    QDateTime m_notifiedAt;
};
