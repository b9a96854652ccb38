#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

// The lines the parent process writes to our standard input, read as they come without
// blocking the event loop.
class StdinLines : public QObject
{
    Q_OBJECT

public:
    explicit StdinLines(QObject *parent = nullptr);

Q_SIGNALS:
    void lineRead(const QByteArray &line);
    // The parent closed its end, or went away.
    void ended();

private:
    void readAvailable();

    QSocketNotifier m_notifier;
    QByteArray m_pending;
};
