#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Measures how long the event loop of its thread goes without turning: a 10 ms timer that keeps
// the largest gap between two of its ticks.
class StallMeter : public QObject
{
    Q_OBJECT

public:
    explicit StallMeter(QObject *parent = nullptr);

    qint64 longestGapMs() const { return m_longestGapMs; }
    void reset();

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_sinceLastTick;
    qint64 m_longestGapMs = 0;
};
