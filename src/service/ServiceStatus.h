#pragma once

#include "service/ServiceControl.h"
#include "service/ServiceState.h"

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <memory>

// Watches the daemon's service and its /health endpoint while started.
class ServiceStatus : public QObject
{
    Q_OBJECT

public:
    // Tests shorten `checkInterval`; the app keeps the 3 s.
    ServiceStatus(std::shared_ptr<ServiceControl> control, const QUrl &healthUrl,
                  std::chrono::milliseconds checkInterval = std::chrono::seconds(3),
                  QObject *parent = nullptr);

    ServiceState state() const { return m_state; }
    bool apiReachable() const { return m_apiReachable; }

    // One check at once, then one per interval; a second start() replaces the timer.
    void start();
    // Stops the timer; a check already under way still publishes.
    void stop();
    // One check at once, besides the timer's: news of a change from the service manager.
    void checkNow() { check(); }
    // Restarts the service behind the system's authentication prompt, then checks once.
    // Reports nothing itself.
    void restart();

Q_SIGNALS:
    void stateChanged();
    void apiReachableChanged();
    void restartStarted();
    // The restart's re-check has published its state.
    void restartChecked();

private:
    void check(bool afterRestart = false);
    void publish(quint64 stamp, const ServiceState &state, bool apiReachable);

    ServiceState m_state = ServiceState::unknown(QStringLiteral("not checked yet"));
    bool m_apiReachable = false;
    std::shared_ptr<ServiceControl> m_control;
    QUrl m_healthUrl;
    // Checks overlap and finish in any order; each is stamped when it starts, and one that
    // started before the last published result is dropped.
    quint64 m_checksStarted = 0;
    quint64 m_lastPublished = 0;
    QTimer m_timer;
};
