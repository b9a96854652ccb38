#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThreadPool>
#include <functional>
#include <utility>

// The three places work runs: the main (GUI) thread, a pool for periodic checks and a pool for
// long jobs a user started. A long job (a restart waiting on the admin prompt) never takes a
// thread that a check needs.
namespace Dispatch {

// Runs `job` on `context`'s thread (the main thread for every model) on a later turn of its event
// loop, also when called from that thread. The job is dropped if `context` is destroyed first, so
// it holds its context weakly.
template<typename Job>
void toMain(QObject *context, Job &&job)
{
    QMetaObject::invokeMethod(context, std::forward<Job>(job), Qt::QueuedConnection);
}

// Pool for service checks.
QThreadPool &utilityPool();

// Pool for user-initiated jobs that may block for as long as a dialog stays open.
QThreadPool &userInitiatedPool();

void toPool(QThreadPool &pool, std::function<void()> job);

} // namespace Dispatch
