#include "daemon/HealthProbe.h"

#include "daemon/DaemonRequests.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTimer>
#include <atomic>
#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto healthRequestTimeout = 1000ms;
constexpr auto healthWait = 1500ms;

} // namespace

bool probeHealthEndpoint(const QUrl &url)
{
    if (!url.isValid())
        return false;
    QNetworkRequest request = daemonRequest(url);
    request.setTransferTimeout(int(healthRequestTimeout.count()));

    QNetworkAccessManager network;
    // The daemon is on loopback: its traffic never goes through a proxy.
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
