#include "daemon/DaemonRequests.h"

#include <QJsonDocument>

QNetworkRequest daemonRequest(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(3000);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    return request;
}

QUrl endpointUrl(const QString &endpoint, const QUrl &fallback)
{
    const QUrl url(endpoint, QUrl::StrictMode);
    return url.isValid() && !url.isEmpty() ? url : fallback;
}

namespace {

// Qt turns 4xx and 5xx statuses into these codes; the body is still the daemon's answer.
bool isHttpStatusError(QNetworkReply::NetworkError error)
{
    return (error >= QNetworkReply::ContentAccessDenied &&
            error <= QNetworkReply::UnknownContentError) ||
           (error >= QNetworkReply::InternalServerError &&
            error <= QNetworkReply::UnknownServerError);
}

} // namespace

DaemonAnswer classifyReply(QNetworkReply::NetworkError error, bool hasHttpStatus, OwnAbort abort,
                           const QString &errorString, const QByteArray &body)
{
    if (abort == OwnAbort::cancelled)
        return {DaemonAnswer::Kind::cancelled, {}, {}};
    if (abort == OwnAbort::bodyTooLarge)
        return {DaemonAnswer::Kind::body, {}, std::nullopt};
    if (error == QNetworkReply::NoError || (hasHttpStatus && isHttpStatusError(error)))
        return {DaemonAnswer::Kind::body, {}, body};
    if (error == QNetworkReply::OperationCanceledError)
        return {DaemonAnswer::Kind::failed, timedOutText, {}};
    return {DaemonAnswer::Kind::failed, errorString, {}};
}

std::optional<QJsonObject> topLevelObject(const std::optional<QByteArray> &body)
{
    if (!body)
        return std::nullopt;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(*body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}
