#pragma once

#include "service/ServiceState.h"

#include <QObject>
#include <QTimer>
#include <QUrl>

// Paths and addresses the monitor talks to; tests point them at fakes.
struct ServiceTools
{
    QString launchctlPath = QStringLiteral("/bin/launchctl");
    QString osascriptPath = QStringLiteral("/usr/bin/osascript");
    QUrl healthUrl = QUrl(QStringLiteral("http://127.0.0.1:9020/health"));
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

    void start();
    void stop();
    void restart();

Q_SIGNALS:
    void stateChanged();
    void apiReachableChanged();

private:
    // (implementation fills in: check(), queryLaunchctl(), probeHealthEndpoint(), ...)
    ServiceState m_state = ServiceState::unknown(QStringLiteral("not checked yet"));
    bool m_apiReachable = false;
    QString m_label;
    ServiceTools m_tools;
    QTimer m_timer;
};
