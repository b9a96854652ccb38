#include "core/Dispatch.h"

#include <QTest>
#include <atomic>
#include <memory>

class DispatchTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A later turn on the main thread, from any thread, and never once the context is gone.
    void toMainRunsQueuedOnTheMainThread()
    {
        QObject context;
        bool ran = false;
        Dispatch::toMain(&context, [&] { ran = true; });
        QVERIFY(!ran); // even when called on the main thread
        std::atomic<QThread *> ranOn = nullptr;
        Dispatch::toPool(Dispatch::utilityPool(), [&] {
            Dispatch::toMain(&context, [&] { ranOn = QThread::currentThread(); });
        });
        QTRY_VERIFY(ran && ranOn.load() != nullptr);
        QCOMPARE(ranOn.load(), QThread::currentThread());

        auto gone = std::make_unique<QObject>();
        bool ranAfterAll = false;
        Dispatch::toMain(gone.get(), [&] { ranAfterAll = true; });
        gone.reset();
        QCoreApplication::sendPostedEvents(); // where the job would have waited
        QVERIFY(!ranAfterAll);
    }
};

QTEST_GUILESS_MAIN(DispatchTest)
#include "tst_dispatch.moc"
