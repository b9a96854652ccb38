#pragma once

#include "daemon/DaemonRequests.h"

#include <QNetworkAccessManager>
#include <QPointer>
#include <functional>

// The request in flight of one model: at most one at a time. Each answer reaches the owner on a
// later turn of the main loop, and not at all once the owner is gone.
class DaemonFetch
{
public:
    using Handler = std::function<void(const DaemonAnswer &)>;

    explicit DaemonFetch(QObject *owner);
    ~DaemonFetch();
    DaemonFetch(const DaemonFetch &) = delete;
    DaemonFetch &operator=(const DaemonFetch &) = delete;

    // Starts a GET of `url`; the caller cancels the previous one first.
    void start(const QUrl &url, Handler onAnswer);
    // Aborts the request in flight, whose answer then arrives as cancelled, and forgets it.
    void cancel();

private:
    QObject *m_owner;
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_task;
};
