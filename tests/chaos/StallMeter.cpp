#include "StallMeter.h"

StallMeter::StallMeter(QObject *parent)
    : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &StallMeter::tick);
    m_timer.start();
    m_sinceLastTick.start();
}

void StallMeter::reset()
{
    m_longestGapMs = 0;
    m_sinceLastTick.restart();
}

void StallMeter::tick()
{
    m_longestGapMs = std::max(m_longestGapMs, m_sinceLastTick.restart());
}
