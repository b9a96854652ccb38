#pragma once

#include "service/ServiceState.h"

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <chrono>

// Paths and addresses the monitor talks to; tests point them at fakes.
struct ServiceTools
{
    QString launchctlPath = QStringLiteral("/bin/launchctl");
    QString osascriptPath = QStringLiteral("/usr/bin/osascript");
    QUrl healthUrl = QUrl(QStringLiteral("http://127.0.0.1:9020/health"));
    // A launchctl that hangs is killed after this long, so checks cannot pile up.
    std::chrono::milliseconds launchctlTimeout = std::chrono::seconds(10);
};

// Watches the daemon's launchd job and its /health endpoint while started.
class ServiceStatus : public QObject
{
    Q_OBJECT

public:
    explicit ServiceStatus(const QString &label, const ServiceTools &tools = {},
                           QObject *parent = nullptr);

    ServiceState state() const { return m_state; }
    bool apiReachable() const { return m_apiReachable; }

    // One check at once, then one every 3 s; a second start() replaces the timer.
    void start();
    // Stops the timer; a check already under way still publishes.
    void stop();
    // Reloads the job behind the administrator prompt, then checks once. Reports nothing itself.
    void restart();

Q_SIGNALS:
    void stateChanged();
    void apiReachableChanged();
    void restartStarted();
    // The restart's re-check has published its state.
    void restartChecked();

private:
    void check(bool afterRestart = false);
    void publish(const ServiceState &state, bool apiReachable);

    static ServiceState queryLaunchctl(const ServiceTools &tools, const QString &label);
    static bool probeHealthEndpoint(const QUrl &url);

    ServiceState m_state = ServiceState::unknown(QStringLiteral("not checked yet"));
    bool m_apiReachable = false;
    QString m_label;
    ServiceTools m_tools;
    QTimer m_timer;
};
