#include "ServiceStatus.h"

#include "core/Dispatch.h"
#include "service/LaunchctlParsing.h"
#include "service/ProcessRun.h"
#include "service/RestartScript.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <atomic>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto pollInterval = 3s;
constexpr auto healthRequestTimeout = 1000ms;
constexpr auto healthWait = 1500ms;

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

ServiceStatus::ServiceStatus(const QString &label, const ServiceTools &tools, QObject *parent)
    : QObject(parent)
    , m_label(label)
    , m_tools(tools)
    , m_timer(this)
{
    m_timer.setInterval(pollInterval);
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
    Dispatch::toPool(Dispatch::userInitiatedPool(),
                     [monitor = QPointer(this), osascript = m_tools.osascriptPath,
                      script = privilegedShellScript(restartShellCommand)] {
                         // Success, failure and a cancelled prompt look the same: the check shows
                         // the outcome.
                         runUntilExit(osascript, {u"-e"_s, script});
                         toMonitor(monitor, [](ServiceStatus *status) { status->check(true); });
                     });
}

void ServiceStatus::check(bool afterRestart)
{
    Dispatch::toPool(Dispatch::utilityPool(), [monitor = QPointer(this), tools = m_tools,
                                               label = m_label, afterRestart] {
        if (!monitor)
            return;
        const ServiceState state = queryLaunchctl(tools, label);
        const bool reachable = probeHealthEndpoint(tools.healthUrl);
        toMonitor(monitor, [state, reachable, afterRestart](ServiceStatus *status) {
            status->publish(state, reachable);
            if (afterRestart)
                Q_EMIT status->restartChecked();
        });
    });
}

void ServiceStatus::publish(const ServiceState &state, bool apiReachable)
{
    if (state != m_state) {
        m_state = state;
        Q_EMIT stateChanged();
    }
    if (apiReachable != m_apiReachable) {
        m_apiReachable = apiReachable;
        Q_EMIT apiReachableChanged();
    }
}

ServiceState ServiceStatus::queryLaunchctl(const ServiceTools &tools, const QString &label)
{
    return stateFromLaunchctlResult(
        runCapturingOutput(tools.launchctlPath, {u"list"_s, label}, tools.launchctlTimeout));
}

bool ServiceStatus::probeHealthEndpoint(const QUrl &url)
{
    if (!url.isValid())
        return false;
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(healthRequestTimeout.count()));

    QNetworkAccessManager network;
    // The daemon is on the loopback address; a proxy from the environment must not stand between.
    network.setProxy(QNetworkProxy::NoProxy);
    QEventLoop loop;
    // Written by the reply's handler, read after the wait.
    std::atomic_bool healthy = false;
    QNetworkReply *reply = network.get(request);
    QObject::connect(reply, &QNetworkReply::finished, &loop, [&] {
        healthy = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
        loop.quit();
    });
    QTimer::singleShot(healthWait, &loop, &QEventLoop::quit);
    loop.exec();
    // A reply still running here is aborted with `network` as the function returns; its answer
    // would be ignored anyway, and this pool thread has no event loop to deliver it later.
    return healthy;
}
