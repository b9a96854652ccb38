#include "platform/Dispatch.h"

#include <QSemaphore>
#include <QTest>

#include <atomic>
#include <memory>

class DispatchTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toMainRunsOnALaterTurnEvenOnTheMainThread()
    {
        QObject context;
        bool ran = false;
        Dispatch::toMain(&context, [&] { ran = true; });
        QVERIFY(!ran);
        QTRY_VERIFY(ran);
    }

    void toMainFromAPoolThreadRunsOnTheMainThread()
    {
        QObject context;
        std::atomic<QThread *> ranOn = nullptr;
        Dispatch::toPool(Dispatch::utilityPool(), [&] {
            Dispatch::toMain(&context, [&] { ranOn = QThread::currentThread(); });
        });
        QTRY_VERIFY(ranOn.load() != nullptr);
        QCOMPARE(ranOn.load(), QThread::currentThread());
    }

    void toMainIsDroppedWhenItsContextIsGone()
    {
        auto context = std::make_unique<QObject>();
        bool ran = false;
        Dispatch::toMain(context.get(), [&] { ran = true; });
        context.reset();
        QCoreApplication::processEvents();
        QTest::qWait(20);
        QVERIFY(!ran);
    }

    void aBlockedUserJobDoesNotHoldBackAUtilityJob()
    {
        QSemaphore release;
        Dispatch::toPool(Dispatch::userInitiatedPool(), [&] { release.acquire(); });
        QSemaphore done;
        Dispatch::toPool(Dispatch::utilityPool(), [&] { done.release(); });
        QVERIFY(done.tryAcquire(1, 2000));
        release.release();
    }
};

QTEST_GUILESS_MAIN(DispatchTest)
#include "tst_dispatch.moc"
