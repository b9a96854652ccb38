#include "daemon/DaemonRequests.h"

#include <QJsonDocument>

QNetworkRequest daemonRequest(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(3000);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // A redirect could hand another origin's answer to us as the daemon's: a 3xx is the answer.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    return request;
}

QUrl endpointUrl(const QString &endpoint, const QUrl &fallback)
{
    const QUrl url(endpoint, QUrl::StrictMode);
    return url.isValid() && !url.isEmpty() ? url : fallback;
}

DaemonAnswer classifyReply(QNetworkReply::NetworkError error, bool hasHttpStatus, OwnAbort abort,
                           const QString &errorString, const QByteArray &body)
{
    if (abort == OwnAbort::cancelled)
        return {DaemonAnswer::Kind::cancelled, {}, {}};
    if (abort == OwnAbort::bodyTooLarge)
        return {DaemonAnswer::Kind::body, {}, std::nullopt};
    if (abort == OwnAbort::tooLong)
        return {DaemonAnswer::Kind::failed, timedOutText, {}};
    // Qt's transfer timeout, even one that struck after the status line.
    if (error == QNetworkReply::OperationCanceledError)
        return {DaemonAnswer::Kind::failed, timedOutText, {}};
    // Qt maps statuses such as 400, 407 or 418 to assorted error codes; the body is still the
    // daemon's answer, and 400 is its usual status for an error envelope.
    if (error == QNetworkReply::NoError || hasHttpStatus)
        return {DaemonAnswer::Kind::body, {}, body};
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

std::optional<bool> jsonBoolean(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool();
    if (value.isDouble() && (value.toDouble() == 0 || value.toDouble() == 1))
        return value.toDouble() == 1;
    return std::nullopt;
}
