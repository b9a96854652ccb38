#include "app/PrintErrorNotices.h"

#include "platform/Notifier.h"
#include "ui/LineColouring.h"

#include <QLocale>

PrintErrorNotices::PrintErrorNotices(const QString &logPath, Notifier &notifier, QObject *parent)
    : QObject(parent)
    , m_notifier(notifier)
    , m_watch(logPath)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PrintErrorNotices::decide);
    connect(&m_watch, &LogAppendWatch::linesAppended, this, &PrintErrorNotices::linesAppended);
}

void PrintErrorNotices::setEnabled(bool enabled)
{
    if (enabled) {
        // Lines written while switched off are as old as those before the start.
        m_watch.start();
        return;
    }
    m_watch.stop();
    m_timer.stop();
    m_policy = PrintErrorPolicy();
}

void PrintErrorNotices::linesAppended(const QStringList &lines)
{
    int errors = 0;
    QString newest;
    for (const QString &line : lines) {
        if (colorForLine(line) == Tone::red) {
            ++errors;
            newest = line;
        }
    }
    m_policy.observe(errors, newest);
    decide();
}

void PrintErrorNotices::decide()
{
    if (const auto notice = m_policy.decide(m_clock.elapsed(), QDateTime::currentDateTime())) {
        const QString title =
            notice->since && notice->count > 1
                ? tr("%1 print errors since %2")
                      .arg(notice->count)
                      .arg(QLocale::system().toString(notice->since->time(), QLocale::ShortFormat))
                : tr("Print error");
        m_notifier.notify(title, notice->newestLine);
    }
    const auto at = m_policy.decisionAt();
    if (at)
        m_timer.start(std::max<qint64>(0, *at - m_clock.elapsed()));
    else
        m_timer.stop();
}
