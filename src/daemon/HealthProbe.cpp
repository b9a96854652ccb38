#include "daemon/HealthProbe.h"

#include "daemon/DaemonRequests.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTimer>
#include <chrono>
#include <optional>

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
    std::optional<bool> healthy;
    QNetworkReply *reply = network.get(request);
    // The status line is all we want: whatever body follows is never buffered.
    reply->setReadBufferSize(1);
    const auto settle = [&] {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!healthy && status.isValid()) {
            healthy = status.toInt() == 200;
            loop.quit();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, settle);
    QObject::connect(reply, &QNetworkReply::finished, &loop, [&] {
        settle();
        loop.quit();
    });
    QTimer::singleShot(healthWait, &loop, &QEventLoop::quit);
    loop.exec();
    // A reply still running here is aborted with `network` as the function returns; this pool
    // thread has no event loop to deliver the rest of it later.
    return healthy.value_or(false);
}
