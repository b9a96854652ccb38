#include "ServiceStatus.h"

#include "core/Dispatch.h"
#include "daemon/HealthProbe.h"

#include <QCoreApplication>
#include <QPointer>

using namespace std::chrono_literals;

namespace {

// Runs `job` on the main thread if `monitor` still exists by then. A pool thread cannot use the
// monitor itself as the queued call's context: it may be deleted on the main thread between the
// check and the post. The application object outlives every monitor, and on the main thread the
// QPointer check cannot race with the deletion.
template<typename Job>
void toMonitor(const QPointer<ServiceStatus> &monitor, Job &&job)
{
    Dispatch::toMain(QCoreApplication::instance(), [monitor, job = std::forward<Job>(job)] {
        if (monitor)
            job(monitor.data());
    });
}

} // namespace

ServiceStatus::ServiceStatus(std::shared_ptr<ServiceControl> control, const QUrl &healthUrl,
                             std::chrono::milliseconds checkInterval, QObject *parent)
    : QObject(parent)
    , m_control(std::move(control))
    , m_healthUrl(healthUrl)
    , m_timer(this)
{
    m_timer.setInterval(checkInterval);
    connect(&m_timer, &QTimer::timeout, this, [this] { check(); });
}

void ServiceStatus::start()
{
    check();
    m_timer.start();
}

void ServiceStatus::stop()
{
    m_timer.stop();
}

void ServiceStatus::restart()
{
    Q_EMIT restartStarted();
    // The job keeps the control alive to the end of the attempt, even if the monitor goes.
    Dispatch::toPool(Dispatch::userInitiatedPool(),
                     [monitor = QPointer(this), control = m_control] {
                         control->restart();
                         toMonitor(monitor, [](ServiceStatus *status) { status->check(true); });
                     });
}

void ServiceStatus::check(bool afterRestart)
{
    const quint64 stamp = ++m_checksStarted;
    Dispatch::toPool(Dispatch::utilityPool(), [monitor = QPointer(this), control = m_control,
                                               url = m_healthUrl, stamp, afterRestart] {
        if (!monitor)
            return;
        const ServiceState state = control->queryState();
        const bool reachable = probeHealthEndpoint(url);
        toMonitor(monitor, [stamp, state, reachable, afterRestart](ServiceStatus *status) {
            status->publish(stamp, state, reachable);
            // Also when a newer check has already published: the restart is over either way.
            if (afterRestart)
                Q_EMIT status->restartChecked();
        });
    });
}

void ServiceStatus::publish(quint64 stamp, const ServiceState &state, bool apiReachable)
{
    if (stamp < m_lastPublished)
        return;
    m_lastPublished = stamp;
    if (state != m_state) {
        m_state = state;
        Q_EMIT stateChanged();
    }
    if (apiReachable != m_apiReachable) {
        m_apiReachable = apiReachable;
        Q_EMIT apiReachableChanged();
    }
}
