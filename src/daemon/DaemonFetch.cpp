#include "daemon/DaemonFetch.h"

#include "platform/Dispatch.h"

#include <QNetworkProxy>

namespace {

constexpr char ownAbortProperty[] = "korvelOwnAbort";

void abortOwn(QNetworkReply *reply, OwnAbort why)
{
    reply->setProperty(ownAbortProperty, static_cast<int>(why));
    reply->abort();
}

DaemonAnswer readAnswer(QNetworkReply *reply)
{
    const auto abort = static_cast<OwnAbort>(reply->property(ownAbortProperty).toInt());
    const bool hasStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    // An aborted reply is closed and has nothing to read.
    const QByteArray body = reply->isReadable() ? reply->readAll() : QByteArray();
    return classifyReply(reply->error(), hasStatus, abort, reply->errorString(), body);
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
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received) {
        if (received > maxBodyBytes)
            abortOwn(reply, OwnAbort::bodyTooLarge);
    });
    QObject::connect(reply, &QNetworkReply::finished, m_owner,
                     [reply, owner = m_owner, onAnswer = std::move(onAnswer)] {
                         const DaemonAnswer answer = readAnswer(reply);
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
