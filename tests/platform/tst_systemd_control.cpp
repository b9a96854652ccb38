#include "TestFiles.h"
#include "platform/linux/SystemdServiceControl.h"
#include "platform/linux/SystemdUnitWatcher.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Kind = UnitAnswer::Kind;

UnitAnswer unit(const QString &loadState, qint64 mainPid = 0, const QString &activeState = {},
                const QString &result = {})
{
    return {.loadState = loadState,
            .mainPid = mainPid,
            .error = {},
            .activeState = activeState,
            .result = result};
}

const UnitAnswer noBus = UnitAnswer::failure(Kind::noManager, u"Failed to connect to socket"_s);

// A private bus from dbus-daemon with the fake manager on it, both gone with the object.
class FakeManagerBus
{
public:
    explicit FakeManagerBus(const QStringList &arguments)
    {
        m_daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
        if (!m_daemon.waitForReadyRead(5000))
            qFatal("dbus-daemon did not start");
        address = QString::fromUtf8(m_daemon.readLine().trimmed());
        startManager(arguments);
    }
    ~FakeManagerBus()
    {
        for (QProcess *process : {&m_manager, &m_daemon}) {
            process->kill();
            process->waitForFinished();
        }
    }

    // A new manager process on the same bus, as after systemd's re-execution.
    void startManager(const QStringList &arguments)
    {
        m_manager.kill();
        m_manager.waitForFinished();
        m_manager.start(QStringLiteral(FAKE_SYSTEMD_MANAGER),
                        QStringList{u"--address"_s, address, u"--record"_s, recordPath()} +
                            arguments);
        if (!m_manager.waitForReadyRead(5000))
            qFatal("the fake manager did not start");
    }

    void setUnit(const QString &loadState, const QString &activeState, uint mainPid)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.systemd1"_s,
                                                           u"/org/freedesktop/systemd1"_s,
                                                           u"org.korvel.Test"_s, u"SetUnit"_s);
        call << loadState << activeState << mainPid;
        QDBusConnection::connectToBus(address, u"control "_s + address).call(call);
    }

    QString recordPath() const { return m_dir.filePath(u"calls"_s); }
    QStringList calls() const
    {
        return QString::fromUtf8(readFile(recordPath())).split(u'\n', Qt::SkipEmptyParts);
    }

    QString address;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QProcess m_manager;
};

} // namespace

class SystemdControlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mapping_data()
    {
        QTest::addColumn<UnitAnswer>("system");
        QTest::addColumn<std::optional<UnitAnswer>>("user"); // none: not asked
        QTest::addColumn<QString>("label");
        const std::optional<UnitAnswer> notAsked;
        QTest::newRow("loaded, no process") << unit(u"loaded"_s) << notAsked << u"Stopped"_s;
        QTest::newRow("no system bus, user's stopped")
            << noBus << std::optional(unit(u"loaded"_s)) << u"Stopped"_s;
        QTest::newRow("not found in both")
            << unit(u"not-found"_s) << std::optional(unit(u"not-found"_s)) << u"Not installed"_s;
        QTest::newRow("not found, no session bus")
            << unit(u"not-found"_s) << std::optional(noBus) << u"Not installed"_s;
        QTest::newRow("no bus at all")
            << noBus << std::optional(UnitAnswer::failure(Kind::noManager, u"other"_s))
            << u"Unknown: Failed to connect to socket"_s;
        QTest::newRow("not found, user hung")
            << unit(u"not-found"_s) << std::optional(UnitAnswer::failure(Kind::noAnswer))
            << u"Unknown: systemd did not answer"_s;
        QTest::newRow("restarting, no process yet")
            << unit(u"loaded"_s, 0, u"activating"_s) << notAsked << u"Starting…"_s;
        QTest::newRow("reloading")
            << unit(u"loaded"_s, 412, u"reloading"_s) << notAsked << u"Starting…"_s;
        QTest::newRow("stopping") << unit(u"loaded"_s, 412, u"deactivating"_s) << notAsked
                                  << u"Stopping…"_s;
        QTest::newRow("failed") << unit(u"loaded"_s, 0, u"failed"_s, u"exit-code"_s) << notAsked
                                << u"Failed (exit-code)"_s;
    }

    void mapping()
    {
        QFETCH(UnitAnswer, system);
        QFETCH(std::optional<UnitAnswer>, user);
        QFETCH(QString, label);
        QCOMPARE(asksUserManager(system), user.has_value());
        QCOMPARE(stateFromAnswers(system, user).label(), label);
    }

    // The socket whose return ends the wait for a lost bus.
    void socketPath_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("path");
        QTest::newRow("with guid") << u"unix:path=/run/dbus/s%20b,guid=12"_s << u"/run/dbus/s b"_s;
        QTest::newRow("second address") << u"tcp:host=h;unix:path=/b"_s << u"/b"_s;
        QTest::newRow("abstract") << u"unix:abstract=/tmp/dbus-x"_s << QString();
    }

    void socketPath()
    {
        QFETCH(QString, address);
        QFETCH(QString, path);
        QCOMPARE(BusReconnector::socketPath(address), path);
    }

    // Not found by the system's manager: the user's manager is asked, on the session bus.
    void queryAsksTheUserManager()
    {
        FakeManagerBus system({u"--load-state=not-found"_s});
        FakeManagerBus session({u"--main-pid=77"_s});
        SystemdServiceControl control(BusReconnector::create(system.address),
                                      BusReconnector::create(session.address));
        QCOMPARE(control.queryState().label(), u"Running (pid 77)"_s);
    }

    // Followed from the manager's signals alone (their Result too), and again once a new manager
    // takes the bus.
    void watcher()
    {
        FakeManagerBus bus({u"--main-pid=412"_s});
        SystemdUnitWatcher watcher(BusReconnector::create(bus.address),
                                   BusReconnector::create(u"unix:path=/nonexistent/bus"_s));
        QStringList seen;
        watcher.start([&](const ServiceState &state) { seen << state.label(); });
        QTRY_COMPARE(seen, QStringList{u"Running (pid 412)"_s});
        QCOMPARE(bus.calls().count(u"Subscribe"_s), 1);
        const qsizetype asked = bus.calls().size();
        bus.setUnit(u"loaded"_s, u"failed"_s, 0);
        QTRY_COMPARE(seen.last(), u"Failed (exit-code)"_s);
        QCOMPARE(bus.calls().mid(asked).filter(u"SetUnit"_s), bus.calls().mid(asked));

        bus.startManager({u"--main-pid=500"_s});
        QTRY_COMPARE(seen.last(), u"Running (pid 500)"_s);
        bus.setUnit(u"not-found"_s, u"inactive"_s, 0);
        QTRY_COMPARE(seen.last(), u"Not installed"_s);
    }
};

QTEST_GUILESS_MAIN(SystemdControlTest)
#include "tst_systemd_control.moc"
