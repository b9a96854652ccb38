#include "TestHttpServer.h"
#include "service/ServiceStatus.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString listCall = u"launchctl list com.korvel.printer"_s;
const QByteArray printsPid412 = "printf '{\\n\\t\"Label\" = \"x\";\\n\\t\"PID\" = 412;\\n};\\n'\n";

// Fake launchctl and osascript in a temporary directory. Each appends a line to a shared log, so a
// test sees which ran, in which order and how often.
class Fakes
{
public:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString launchctl(const QByteArray &body = printsPid412)
    {
        return write(u"launchctl"_s, "echo $$ > " + quoted(u"pid"_s) +
                                         "\necho \"launchctl $*\" >> " + quoted(u"log"_s) + '\n' +
                                         body);
    }

    // Keeps its arguments, sleeps, then logs its end.
    QString osascript(const QByteArray &seconds)
    {
        return write(u"osascript"_s, "printf '%s\\n%s' \"$1\" \"$2\" > " + quoted(u"args"_s) +
                                         "\nsleep " + seconds + "\necho osascript-end >> " +
                                         quoted(u"log"_s) + '\n');
    }

    QByteArray read(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList log() const
    {
        return QString::fromUtf8(read(u"log"_s)).split(u'\n', Qt::SkipEmptyParts);
    }
    qsizetype listCalls() const { return log().count(listCall); }

private:
    QByteArray quoted(const QString &name) const { return '\'' + path(name).toUtf8() + '\''; }

    QString write(const QString &name, const QByteArray &body)
    {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + body) < 0)
            qFatal("cannot write a fake");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file.fileName();
    }

    QTemporaryDir m_dir;
};

} // namespace

class ServiceStatusTest : public QObject
{
    Q_OBJECT

    TestHttpServer m_server;
    Fakes *m_fakes = nullptr;
    QStringList m_events;

    std::unique_ptr<ServiceStatus> monitor(const QString &launchctl,
                                           const QString &osascript = u"/nonexistent"_s)
    {
        ServiceTools tools{launchctl, osascript, m_server.url(u"/health"_s), 500ms};
        auto status = std::make_unique<ServiceStatus>(u"com.korvel.printer"_s, tools);
        connect(status.get(), &ServiceStatus::stateChanged, this,
                [this] { m_events << u"state"_s; });
        connect(status.get(), &ServiceStatus::apiReachableChanged, this,
                [this] { m_events << u"api"_s; });
        return status;
    }

private Q_SLOTS:
    void init()
    {
        m_fakes = new Fakes;
        m_events.clear();
        m_server.setResponse(u"/health"_s, {200, "ok", 0, false, "text/plain"});
    }

    void cleanup() { delete m_fakes; }

    void aNewMonitorHasCheckedNothing()
    {
        const auto status = monitor(m_fakes->launchctl());
        QCOMPARE(status->state().label(), u"Unknown: not checked yet"_s);
        QVERIFY(!status->apiReachable());
        QTest::qWait(300);
        QVERIFY(m_fakes->log().isEmpty());
    }

    void launchctlOutcomes_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("label");
        QTest::newRow("running") << printsPid412 << u"Running (pid 412)"_s;
        QTest::newRow("loaded without a process") << QByteArray("echo '{};'\n") << u"Stopped"_s;
        QTest::newRow("unknown label")
            << QByteArray("echo 'Could not find service' >&2\nexit 113\n") << u"Not installed"_s;
        // Far more than a pipe holds.
        QTest::newRow("flood on stderr")
            << "head -c 4000000 /dev/zero >&2\n" + printsPid412 << u"Running (pid 412)"_s;
        QTest::newRow("flood on stdout")
            << "head -c 4000000 /dev/zero | tr '\\0' x\n" + printsPid412 << u"Running (pid 412)"_s;
        QTest::newRow("hangs") << QByteArray("exec sleep 60\n")
                               << u"Unknown: launchctl timed out"_s;
    }

    void launchctlOutcomes()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, label);
        const auto status = monitor(m_fakes->launchctl(body));
        status->start();
        QTRY_VERIFY(!m_events.isEmpty());
        status->stop();
        QCOMPARE(status->state().label(), label);
        QCOMPARE(m_fakes->log(), QStringList{listCall});
        // A hung launchctl is killed, not left behind.
        QVERIFY(::kill(m_fakes->read(u"pid"_s).trimmed().toInt(), 0) != 0);
    }

    void aLaunchctlThatCannotStartGivesItsReason()
    {
        const auto status = monitor(m_fakes->path(u"missing"_s));
        status->start();
        QTRY_VERIFY(!m_events.isEmpty());
        status->stop();
        QCOMPARE(status->state().kind(), ServiceState::Kind::unknown);
        QVERIFY(status->state().reason() != u"not checked yet"_s &&
                !status->state().reason().isEmpty());
    }

    void identicalChecksPublishNothing()
    {
        const auto status = monitor(m_fakes->launchctl());
        const int probes = m_server.requestCount(u"/health"_s);
        status->start();
        QTRY_COMPARE(m_events, (QStringList{u"state"_s, u"api"_s}));
        status->start();
        QTRY_COMPARE(m_server.requestCount(u"/health"_s), probes + 2);
        QTest::qWait(300);
        status->stop();
        QCOMPARE(m_fakes->listCalls(), 2);
        QCOMPARE(m_events.size(), 2);
    }

    void health_data()
    {
        QTest::addColumn<int>("httpStatus");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("drop");
        QTest::addColumn<bool>("reachable");
        QTest::newRow("200") << 200 << 0 << false << true;
        QTest::newRow("200 after 0.5 s") << 200 << 500 << false << true;
        QTest::newRow("204") << 204 << 0 << false << false;
        QTest::newRow("500") << 500 << 0 << false << false;
        QTest::newRow("connection dropped") << 200 << 0 << true << false;
        QTest::newRow("200 after 2 s") << 200 << 2000 << false << false;
    }

    void health()
    {
        QFETCH(int, httpStatus);
        QFETCH(int, delayMs);
        QFETCH(bool, drop);
        QFETCH(bool, reachable);
        m_server.setResponse(u"/health"_s, {httpStatus, "ok", delayMs, drop, "text/plain"});
        const auto status = monitor(m_fakes->launchctl());
        status->start();
        status->stop();
        // Both values land in one call, so once the state has, so has the reachability.
        QTRY_COMPARE(m_events.value(0), u"state"_s);
        QCOMPARE(status->apiReachable(), reachable);
    }

    void aRefusedHealthProbeIsUnreachable()
    {
        m_server.close();
        const auto status = monitor(m_fakes->launchctl());
        status->start();
        status->stop();
        QTRY_COMPARE(m_events, QStringList{u"state"_s});
        QVERIFY(m_server.listen());
    }

    void aCheckInFlightStillPublishesAfterStop()
    {
        const auto status = monitor(m_fakes->launchctl("sleep 0.3\n" + printsPid412));
        status->start();
        status->stop();
        QTRY_COMPARE(status->state(), ServiceState::running(412));
    }

    void startTwiceRunsOneTimerAndStopEndsIt()
    {
        const auto status = monitor(m_fakes->launchctl());
        status->start();
        status->start();
        QTRY_COMPARE_WITH_TIMEOUT(m_fakes->listCalls(), 2, 1000);
        // Two timers would both fire at about 3 s.
        QTRY_COMPARE_WITH_TIMEOUT(m_fakes->listCalls(), 3, 4500);
        QTest::qWait(500);
        QCOMPARE(m_fakes->listCalls(), 3);
        status->stop();
        QTest::qWait(3500);
        QCOMPARE(m_fakes->listCalls(), 3);
    }

    void restartRunsTheScriptThenChecksOnce()
    {
        const auto status = monitor(m_fakes->launchctl(), m_fakes->osascript("0.3"));
        status->restart();
        QTest::qWait(100);
        QVERIFY(m_events.isEmpty());
        QTRY_COMPARE(m_events.size(), 2);
        QTest::qWait(500);
        QCOMPARE(m_fakes->log(), (QStringList{u"osascript-end"_s, listCall}));
        const QByteArray args = m_fakes->read(u"args"_s);
        QCOMPARE(args.size(), 3 + 188);
        QCOMPARE(args,
                 "-e\ndo shell script \"launchctl unload /Library/LaunchDaemons/com.korvel."
                 "printer.plist 2>/dev/null; launchctl load /Library/LaunchDaemons/com.korvel."
                 "printer.plist\" with administrator privileges");
    }

    void restartWithoutOsascriptStillChecksOnce()
    {
        const auto status = monitor(m_fakes->launchctl());
        status->restart();
        QTRY_COMPARE(m_events.size(), 2);
        QTest::qWait(300);
        QCOMPARE(m_fakes->log(), QStringList{listCall});
    }

    void restartChecksNothingOnceTheMonitorIsGone()
    {
        auto status = monitor(m_fakes->launchctl(), m_fakes->osascript("0.3"));
        status->restart();
        status.reset();
        QTRY_COMPARE(m_fakes->log(), QStringList{u"osascript-end"_s});
        QTest::qWait(500);
        QCOMPARE(m_fakes->log(), QStringList{u"osascript-end"_s});
    }

    void aSlowRestartDoesNotHoldUpChecks()
    {
        const auto status = monitor(m_fakes->launchctl(), m_fakes->osascript("5"));
        status->restart();
        QTest::qWait(100);
        status->start();
        QTRY_COMPARE_WITH_TIMEOUT(m_events.size(), 2, 2000);
        QVERIFY(!m_fakes->log().contains(u"osascript-end"_s));
        status->stop();
        QTRY_VERIFY_WITH_TIMEOUT(m_fakes->log().contains(u"osascript-end"_s), 8000);
        QTRY_COMPARE(m_fakes->log().constLast(), listCall);
    }
};

QTEST_GUILESS_MAIN(ServiceStatusTest)
#include "tst_servicestatus.moc"
