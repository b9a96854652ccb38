#pragma once

#include "core/Dispatch.h"

#include <QCoreApplication>
#include <QTest>

// Waits, serving the main loop, until no job runs on either pool and what the jobs handed to
// the main thread has run: the moment a result that must not come would have come.
inline bool poolsSettled()
{
    const auto idle = [] {
        return Dispatch::utilityPool().activeThreadCount() == 0 &&
               Dispatch::userInitiatedPool().activeThreadCount() == 0;
    };
    return QTest::qWaitFor([&] {
        if (!idle())
            return false;
        QCoreApplication::sendPostedEvents(); // may start new jobs: then idle no more
        return idle();
    });
}
