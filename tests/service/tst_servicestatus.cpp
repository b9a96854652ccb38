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
        return write(u"launchctl"_s,
                     "echo $$ > \"$D/pid\"\necho \"launchctl $*\" >> \"$D/log\"\n" + body);
    }
    // Keeps its arguments, sleeps, then logs its end.
    QString osascript(const QByteArray &seconds)
    {
        return write(u"osascript"_s, "printf '%s\\n%s' \"$1\" \"$2\" > \"$D/args\"\nsleep " +
                                         seconds + "\necho osascript-end >> \"$D/log\"\n");
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
    QString write(const QString &name, const QByteArray &body)
    {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write("#!/bin/sh\nD='" + m_dir.path().toUtf8() + "'\n" + body) < 0)
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
        connect(status.get(), &ServiceStatus::restartStarted, this,
                [this] { m_events << u"restart"_s; });
        connect(status.get(), &ServiceStatus::restartChecked, this,
                [this] { m_events << u"checked"_s; });
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

    // Also: nothing runs before start(), and identical checks publish nothing.
    void startTwiceRunsOneTimerAndStopEndsIt()
    {
        const auto status = monitor(m_fakes->launchctl());
        QCOMPARE(status->state().label(), u"Unknown: not checked yet"_s);
        QVERIFY(!status->apiReachable());
        QTest::qWait(300);
        QVERIFY(m_fakes->log().isEmpty());

        const int probes = m_server.requestCount(u"/health"_s);
        status->start();
        status->start();
        QTRY_COMPARE_WITH_TIMEOUT(m_fakes->listCalls(), 2, 1000);
        QTRY_COMPARE(m_server.requestCount(u"/health"_s), probes + 2);
        // Two timers would both fire at about 3 s.
        QTRY_COMPARE_WITH_TIMEOUT(m_fakes->listCalls(), 3, 4500);
        QTest::qWait(500);
        QCOMPARE(m_fakes->listCalls(), 3);
        QCOMPARE(m_events, (QStringList{u"state"_s, u"api"_s}));
        status->stop();
        QTest::qWait(3500);
        QCOMPARE(m_fakes->listCalls(), 3);
    }

    void launchctlOutcomes_data()
    {
        QTest::addColumn<QByteArray>("body"); // none: there is no launchctl to start
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
        QTest::newRow("cannot start") << QByteArray() << QString();
    }

    void launchctlOutcomes()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, label);
        const auto status =
            monitor(body.isNull() ? m_fakes->path(u"missing"_s) : m_fakes->launchctl(body));
        status->start();
        QTRY_VERIFY(!m_events.isEmpty());
        status->stop();
        if (body.isNull()) { // the reason is the platform's text
            QCOMPARE(status->state().kind(), ServiceState::Kind::unknown);
            QVERIFY(status->state().reason() != u"not checked yet"_s &&
                    !status->state().reason().isEmpty());
            return;
        }
        QCOMPARE(status->state().label(), label);
        QCOMPARE(m_fakes->log(), QStringList{listCall});
        // A hung launchctl is killed, not left behind.
        QVERIFY(::kill(m_fakes->read(u"pid"_s).trimmed().toInt(), 0) != 0);
    }

    void health_data()
    {
        QTest::addColumn<int>("httpStatus");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("drop");
        QTest::addColumn<bool>("listening");
        QTest::addColumn<bool>("reachable");
        QTest::newRow("200") << 200 << 0 << false << true << true;
        QTest::newRow("200 after 0.5 s") << 200 << 500 << false << true << true;
        QTest::newRow("204") << 204 << 0 << false << true << false;
        QTest::newRow("500") << 500 << 0 << false << true << false;
        QTest::newRow("connection dropped") << 200 << 0 << true << true << false;
        QTest::newRow("refused") << 200 << 0 << false << false << false;
        QTest::newRow("200 after 2 s") << 200 << 2000 << false << true << false;
    }

    // stop() right after start(): the check already under way still publishes.
    void health()
    {
        QFETCH(int, httpStatus);
        QFETCH(int, delayMs);
        QFETCH(bool, drop);
        QFETCH(bool, listening);
        QFETCH(bool, reachable);
        m_server.setResponse(u"/health"_s, {httpStatus, "ok", delayMs, drop, "text/plain"});
        if (!listening)
            m_server.close();
        const auto status = monitor(m_fakes->launchctl());
        status->start();
        status->stop();
        // Both values land in one call, so once the state has, so has the reachability.
        QTRY_COMPARE(m_events.value(0), u"state"_s);
        QCOMPARE(status->apiReachable(), reachable);
        if (!listening)
            QVERIFY(m_server.listen());
    }

    void restartRunsTheScriptThenChecksOnce_data()
    {
        QTest::addColumn<QByteArray>("seconds"); // how long osascript runs; none: it is missing
        QTest::addColumn<bool>("monitorGone");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("script, then a check")
            << "0.3"_ba << false << QStringList{u"osascript-end"_s, listCall};
        QTest::newRow("no osascript, still a check")
            << QByteArray() << false << QStringList{listCall};
        QTest::newRow("monitor gone first, no check")
            << "0.3"_ba << true << QStringList{u"osascript-end"_s};
    }

    void restartRunsTheScriptThenChecksOnce()
    {
        QFETCH(QByteArray, seconds);
        QFETCH(bool, monitorGone);
        QFETCH(QStringList, log);
        auto status = monitor(m_fakes->launchctl(),
                              seconds.isNull() ? u"/nonexistent"_s : m_fakes->osascript(seconds));
        status->restart();
        if (monitorGone)
            status.reset();
        QTRY_COMPARE(m_fakes->log(), log);
        QTest::qWait(500);
        QCOMPARE(m_fakes->log(), log);
        const QStringList published{u"restart"_s, u"state"_s, u"api"_s, u"checked"_s};
        QCOMPARE(m_events, monitorGone ? QStringList{u"restart"_s} : published);
        if (seconds.isNull())
            return;
        const QByteArray args = m_fakes->read(u"args"_s);
        QCOMPARE(args.size(), 3 + 188);
        QCOMPARE(args,
                 "-e\ndo shell script \"launchctl unload /Library/LaunchDaemons/com.korvel."
                 "printer.plist 2>/dev/null; launchctl load /Library/LaunchDaemons/com.korvel."
                 "printer.plist\" with administrator privileges");
    }

    void aSlowRestartDoesNotHoldUpChecks()
    {
        const auto status = monitor(m_fakes->launchctl(), m_fakes->osascript("5"));
        status->restart();
        QTest::qWait(100);
        status->start();
        QTRY_COMPARE_WITH_TIMEOUT(m_events.size(), 3, 2000);
        QVERIFY(!m_fakes->log().contains(u"osascript-end"_s));
        status->stop();
        QTRY_VERIFY_WITH_TIMEOUT(m_fakes->log().contains(u"osascript-end"_s), 8000);
        QTRY_COMPARE(m_fakes->log().constLast(), listCall);
    }
};

QTEST_GUILESS_MAIN(ServiceStatusTest)
#include "tst_servicestatus.moc"
