#include "daemon/DaemonFetch.h"

#include "core/Dispatch.h"

#include <QNetworkProxy>
#include <QTimer>
#include <memory>

namespace {

constexpr char ownAbortProperty[] = "korvelOwnAbort";

void abortOwn(QNetworkReply *reply, OwnAbort why)
{
    reply->setProperty(ownAbortProperty, static_cast<int>(why));
    reply->abort();
}

DaemonAnswer readAnswer(QNetworkReply *reply, QByteArray body)
{
    const auto abort = static_cast<OwnAbort>(reply->property(ownAbortProperty).toInt());
    const bool hasStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    // An aborted reply is closed and has nothing to read.
    if (reply->isReadable())
        body += reply->readAll();
    return classifyReply(reply->error(), hasStatus, abort, reply->errorString(), body);
}

// Qt's network thread stops reading once this much is buffered, so an oversized body is refused
// after at most this much more than the limit instead of being held whole in memory.
constexpr qint64 readBufferBytes = 256 * 1024;

// Collects the body as it arrives and refuses it as soon as it is known to be too large.
void limitBody(QNetworkReply *reply, const std::shared_ptr<QByteArray> &body)
{
    reply->setReadBufferSize(readBufferBytes);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBodyBytes)
            abortOwn(reply, OwnAbort::bodyTooLarge);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, body] {
        body->append(reply->readAll());
        if (body->size() > maxBodyBytes)
            abortOwn(reply, OwnAbort::bodyTooLarge);
    });
}

} // namespace

DaemonFetch::DaemonFetch(QObject *owner)
    : m_owner(owner)
{
    // The daemon is on loopback: its traffic never goes through a proxy.
    m_network.setProxy(QNetworkProxy::NoProxy);
}

DaemonFetch::~DaemonFetch()
{
    if (!m_task)
        return;
    QObject::disconnect(m_task, nullptr, m_owner, nullptr);
    m_task->abort();
}

void DaemonFetch::start(const QUrl &url, Handler onAnswer)
{
    QNetworkReply *reply = m_network.get(daemonRequest(url));
    m_task = reply;
    const auto body = std::make_shared<QByteArray>();
    limitBody(reply, body);
    QTimer::singleShot(wholeRequestTimeoutMs, reply,
                       [reply] { abortOwn(reply, OwnAbort::tooLong); });
    QObject::connect(reply, &QNetworkReply::finished, m_owner,
                     [reply, body, owner = m_owner, onAnswer = std::move(onAnswer)] {
                         const DaemonAnswer answer = readAnswer(reply, std::move(*body));
                         reply->deleteLater();
                         Dispatch::toMain(owner, [onAnswer, answer] { onAnswer(answer); });
                     });
}

void DaemonFetch::cancel()
{
    if (m_task)
        abortOwn(m_task, OwnAbort::cancelled);
    m_task = nullptr;
}
