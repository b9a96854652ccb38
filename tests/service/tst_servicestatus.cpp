#include "FakeServiceControl.h"
#include "PoolsSettled.h"
#include "TestHttpServer.h"
#include "service/ServiceStatus.h"

#include <QTest>
#include <memory>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class ServiceStatusTest : public QObject
{
    Q_OBJECT

    TestHttpServer m_server;
    std::shared_ptr<FakeServiceControl> m_control;
    QStringList m_events;

    std::unique_ptr<ServiceStatus> monitor(std::chrono::milliseconds interval = 500ms)
    {
        auto status =
            std::make_unique<ServiceStatus>(m_control, m_server.url(u"/health"_s), interval);
        connect(status.get(), &ServiceStatus::stateChanged, this,
                [this, s = status.get()] { m_events << s->state().label(); });
        connect(status.get(), &ServiceStatus::apiReachableChanged, this,
                [this] { m_events << u"api"_s; });
        connect(status.get(), &ServiceStatus::restartStarted, this,
                [this] { m_events << u"restart"_s; });
        connect(status.get(), &ServiceStatus::restartChecked, this,
                [this] { m_events << u"checked"_s; });
        return status;
    }

private Q_SLOTS:
    void init()
    {
        m_control = std::make_shared<FakeServiceControl>();
        m_events.clear();
        m_server.setResponse(u"/health"_s, {200, "ok"});
    }

    // Only a 200 within the probe's 1.5 s counts (a 500 and a healthy daemon are end-to-end
    // rows). stop() right after start(): the check already under way still publishes.
    void healthNeedsA200InTime_data()
    {
        QTest::addColumn<int>("httpStatus");
        QTest::addColumn<int>("delayMs");
        QTest::newRow("204") << 204 << 0;
        QTest::newRow("200 after 2 s") << 200 << 2000;
    }

    void healthNeedsA200InTime()
    {
        QFETCH(int, httpStatus);
        QFETCH(int, delayMs);
        m_server.setResponse(u"/health"_s, {httpStatus, "ok", delayMs});
        const auto status = monitor();
        status->start();
        status->stop();
        // Both values land in one call: the state comes alone when the API is unreachable.
        QTRY_COMPARE(m_events, QStringList{u"Running (pid 412)"_s});
    }

    // A slow first answer arrives after a newer one was shown: it must not replace it.
    void aStaleResultIsDropped()
    {
        std::mutex firstAnswer;
        firstAnswer.lock();
        m_control->answer = [&firstAnswer](int query) {
            if (query > 1)
                return ServiceState::running(413);
            const std::lock_guard held(firstAnswer);
            return ServiceState::stopped();
        };
        const auto status = monitor();
        status->start();
        QTRY_COMPARE(m_control->queries.load(), 1);
        status->restart();
        QTRY_COMPARE(m_events.value(1), u"Running (pid 413)"_s);
        firstAnswer.unlock();
        QTRY_COMPARE(m_events.size(), 4);
        status->stop();
        QVERIFY(poolsSettled()); // the stale check has handed in its result
        QCOMPARE(m_events,
                 (QStringList{u"restart"_s, u"Running (pid 413)"_s, u"api"_s, u"checked"_s}));
    }

    // The restart publishes nothing but its start; its check (as aStaleResultIsDropped shows)
    // does not come once the monitor is gone.
    void noCheckAfterARestartOnceTheMonitorIsGone()
    {
        m_control->onRestart = [] { std::this_thread::sleep_for(300ms); };
        auto status = monitor();
        status->restart();
        status.reset();
        QTRY_COMPARE(m_control->restarts.load(), 1);
        QVERIFY(poolsSettled()); // a check would have been queried
        QCOMPARE(m_control->queries.load(), 0);
        QCOMPARE(m_events, QStringList{u"restart"_s});
    }

    // The re-check after the restart finds the same state and publishes only that it checked.
    void aSlowRestartDoesNotHoldUpChecks()
    {
        m_control->onRestart = [] { std::this_thread::sleep_for(3s); };
        const auto status = monitor(10s);
        status->restart();
        status->start();
        QTRY_COMPARE_WITH_TIMEOUT(m_events.size(), 3, 2000);
        QCOMPARE(m_control->restarts.load(), 0);
        status->stop();
        QTRY_COMPARE_WITH_TIMEOUT(m_control->restarts.load(), 1, 4000);
        QTRY_COMPARE(m_events.last(), u"checked"_s);
        QCOMPARE(m_events.size(), 4);
        QCOMPARE(m_control->queries.load(), 2);
    }
};

QTEST_MAIN(ServiceStatusTest)
#include "tst_servicestatus.moc"
