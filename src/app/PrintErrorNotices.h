#pragma once

#include "app/PrintErrorPolicy.h"
#include "log/LogAppendWatch.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class Notifier;

// Watches the log while the app runs and tells new lines the panel colours red through the
// notifier, as the policy allows. Its only timer runs while a notification waits out the quiet
// period, so an idle log costs nothing.
class PrintErrorNotices : public QObject
{
    Q_OBJECT

public:
    PrintErrorNotices(const QString &logPath, Notifier &notifier, QObject *parent = nullptr);

    void setEnabled(bool enabled);

private:
    void linesAppended(const QStringList &lines);
    void decide();

    Notifier &m_notifier;
    LogAppendWatch m_watch;
    PrintErrorPolicy m_policy;
    QElapsedTimer m_clock;
    QTimer m_timer;
};
