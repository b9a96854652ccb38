#include "Dispatch.h"

namespace Dispatch {

namespace {

// Never destroyed: a pool's destructor waits for its jobs, and a restart may wait on a dialog for
// ever, which must not hold up quitting.
QThreadPool *makePool(int maxThreads)
{
    auto *pool = new QThreadPool;
    pool->setMaxThreadCount(maxThreads);
    return pool;
}

} // namespace

QThreadPool &utilityPool()
{
    static QThreadPool *pool = makePool(8);
    return *pool;
}

QThreadPool &userInitiatedPool()
{
    static QThreadPool *pool = makePool(32);
    return *pool;
}

void toPool(QThreadPool &pool, std::function<void()> job)
{
    pool.start(std::move(job));
}

} // namespace Dispatch
