#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>
#include <optional>

// What a finished request to the daemon came to, reduced to what the models act on.
struct DaemonAnswer
{
    enum class Kind { body, cancelled, failed };

    Kind kind = Kind::body;
    // For `failed`: the text shown to the user.
    QString errorText;
    // For `body`: the bytes received; none when the body was refused.
    std::optional<QByteArray> body;
};

// GET with a 3 s transfer timeout that never reads or fills a cache nor follows a redirect.
QNetworkRequest daemonRequest(const QUrl &url);

// The endpoint as a URL, or `fallback` when the text is not a usable URL.
QUrl endpointUrl(const QString &endpoint, const QUrl &fallback);

inline const QString timedOutText = QStringLiteral("The request timed out.");

// Far beyond any real answer; a larger body is refused rather than held in memory and parsed on
// the main thread.
inline constexpr qint64 maxBodyBytes = 4 * 1024 * 1024;

// The transfer timeout only bounds silence; this bounds the whole request, so an answer that
// trickles in cannot hold the spinner.
inline constexpr int wholeRequestTimeoutMs = 10000;

// Why we aborted a reply ourselves, if we did. Qt reports our abort and its own transfer timeout
// with the same error code, so the reply has to carry this mark.
enum class OwnAbort { none, cancelled, bodyTooLarge, tooLong };

// Any reply with an HTTP status carries a body the daemon meant to be read, whatever the status.
DaemonAnswer classifyReply(QNetworkReply::NetworkError error, bool hasHttpStatus, OwnAbort abort,
                           const QString &errorString, const QByteArray &body);

// The body's top-level JSON object; nothing when there is no body, it does not parse, or its top
// level is not an object.
std::optional<QJsonObject> topLevelObject(const std::optional<QByteArray> &body);

// A JSON boolean, or the number 0 or 1 as one (a daemon may write either); nothing otherwise.
std::optional<bool> jsonBoolean(const QJsonValue &value);
