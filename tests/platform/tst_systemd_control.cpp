#include "platform/linux/SystemdServiceControl.h"
#include "platform/linux/SystemdUnitWatcher.h"
#include "service/ServiceStatus.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

using Kind = UnitAnswer::Kind;

UnitAnswer unit(const QString &loadState, qint64 mainPid = 0)
{
    return {Kind::unit, loadState, mainPid, {}};
}

const UnitAnswer noBus{Kind::noManager, {}, 0, u"Failed to connect to socket"_s};
const UnitAnswer hung{Kind::noAnswer, {}, 0, {}};

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
        QFile record(recordPath());
        return record.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(record.readAll()).split(u'\n', Qt::SkipEmptyParts)
                   : QStringList();
    }

    QString address;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QProcess m_manager;
};

// A bus connection made on first use, on the pool thread that needs it.
SystemdServiceControl::Bus busAt(const QString &address)
{
    return [address] { return QDBusConnection::connectToBus(address, address); };
}

const QString noBusAddress = u"unix:path=/nonexistent/bus"_s;

} // namespace

class SystemdControlTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ServiceStatus> monitor(const QString &system, const QString &session)
    {
        return std::make_unique<ServiceStatus>(
            std::make_shared<SystemdServiceControl>(busAt(system), busAt(session)), QUrl());
    }

private Q_SLOTS:
    void mapping_data()
    {
        QTest::addColumn<UnitAnswer>("system");
        QTest::addColumn<std::optional<UnitAnswer>>("user"); // none: not asked
        QTest::addColumn<QString>("label");
        const std::optional<UnitAnswer> notAsked;
        QTest::newRow("running") << unit(u"loaded"_s, 412) << notAsked << u"Running (pid 412)"_s;
        QTest::newRow("loaded, no process") << unit(u"loaded"_s) << notAsked << u"Stopped"_s;
        QTest::newRow("masked") << unit(u"masked"_s) << notAsked
                                << u"Unknown: korvel-printer.service is masked"_s;
        QTest::newRow("system hung") << hung << notAsked << u"Unknown: systemd did not answer"_s;
        QTest::newRow("not found, user's running")
            << unit(u"not-found"_s) << std::optional(unit(u"loaded"_s, 77))
            << u"Running (pid 77)"_s;
        QTest::newRow("no system bus, user's stopped")
            << noBus << std::optional(unit(u"loaded"_s)) << u"Stopped"_s;
        QTest::newRow("not found in both")
            << unit(u"not-found"_s) << std::optional(unit(u"not-found"_s)) << u"Not installed"_s;
        QTest::newRow("not found, no session bus")
            << unit(u"not-found"_s) << std::optional(noBus) << u"Not installed"_s;
        QTest::newRow("no system bus, not found")
            << noBus << std::optional(unit(u"not-found"_s)) << u"Not installed"_s;
        QTest::newRow("no bus at all")
            << noBus << std::optional(UnitAnswer{Kind::noManager, {}, 0, u"other"_s})
            << u"Unknown: Failed to connect to socket"_s;
        QTest::newRow("not found, user hung")
            << unit(u"not-found"_s) << std::optional(hung) << u"Unknown: systemd did not answer"_s;
    }

    void mapping()
    {
        QFETCH(UnitAnswer, system);
        QFETCH(std::optional<UnitAnswer>, user);
        QFETCH(QString, label);
        QCOMPARE(asksUserManager(system), user.has_value());
        QCOMPARE(stateFromAnswers(system, user).label(), label);
    }

    // Empty arguments: that bus cannot be reached.
    void monitorAgainstTheManagers_data()
    {
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QStringList>("session");
        QTest::addColumn<QString>("label");
        const QStringList none;
        QTest::newRow("running") << QStringList{u"--main-pid=412"_s} << none
                                 << u"Running (pid 412)"_s;
        QTest::newRow("failed") << QStringList{u"--main-pid=0"_s, u"--active-state=failed"_s}
                                << none << u"Stopped"_s;
        QTest::newRow("masked") << QStringList{u"--load-state=masked"_s} << none
                                << u"Unknown: korvel-printer.service is masked"_s;
        QTest::newRow("not found anywhere")
            << QStringList{u"--load-state=not-found"_s} << QStringList{u"--load-state=not-found"_s}
            << u"Not installed"_s;
        QTest::newRow("user manager") << QStringList{u"--load-state=not-found"_s}
                                      << QStringList{u"--main-pid=77"_s} << u"Running (pid 77)"_s;
        QTest::newRow("user manager, no system bus")
            << none << QStringList{u"--main-pid=77"_s} << u"Running (pid 77)"_s;
        QTest::newRow("no bus") << none << none << QString();
    }

    void monitorAgainstTheManagers()
    {
        QFETCH(QStringList, system);
        QFETCH(QStringList, session);
        QFETCH(QString, label);
        std::unique_ptr<FakeManagerBus> systemBus, sessionBus;
        if (!system.isEmpty())
            systemBus = std::make_unique<FakeManagerBus>(system);
        if (!session.isEmpty())
            sessionBus = std::make_unique<FakeManagerBus>(session);
        const auto status = monitor(systemBus ? systemBus->address : noBusAddress,
                                    sessionBus ? sessionBus->address : noBusAddress);
        status->start();
        QTRY_VERIFY(status->state().reason() != u"not checked yet"_s);
        status->stop();
        if (label.isEmpty()) { // the bus's own text
            QVERIFY2(status->state().reason().contains(u"/nonexistent/bus"_s),
                     qPrintable(status->state().label()));
            return;
        }
        QCOMPARE(status->state().label(), label);
    }

    // Each call gives up after 2 s, and the timer's checks keep coming.
    void hungManager()
    {
        FakeManagerBus bus({u"--hang"_s});
        const auto status = monitor(bus.address, noBusAddress);
        status->start();
        QTRY_COMPARE_WITH_TIMEOUT(status->state().label(), u"Unknown: systemd did not answer"_s,
                                  2800);
        QTRY_COMPARE_WITH_TIMEOUT(bus.calls().count(u"LoadUnit korvel-printer.service"_s), 2, 2500);
        status->stop();
    }

    // RestartUnit with interactive authorization, its outcome ignored, then exactly one check.
    void restart_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("accepted") << QStringList() << QStringList{u"Running (pid 413)"_s};
        QTest::newRow("denied") << QStringList{u"--deny-restart"_s} << QStringList();
    }

    void restart()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, shown);
        FakeManagerBus bus(arguments);
        const auto status = monitor(bus.address, noBusAddress);
        status->start();
        QTRY_COMPARE(status->state().label(), u"Running (pid 412)"_s);
        status->stop();
        QStringList changes;
        connect(status.get(), &ServiceStatus::stateChanged, this,
                [&] { changes << status->state().label(); });

        const qsizetype before = bus.calls().size();
        status->restart();
        QTRY_COMPARE(bus.calls().mid(before).value(1), u"LoadUnit korvel-printer.service"_s);
        QTest::qWait(500);
        const QStringList calls = bus.calls().mid(before);
        QCOMPARE(calls.first(), u"RestartUnit korvel-printer.service replace interactive"_s);
        QCOMPARE(calls.count(u"LoadUnit korvel-printer.service"_s), 1);
        QCOMPARE(changes, shown);
    }

    // Followed from the manager's signals alone, and again once a new manager takes the bus.
    void watcher()
    {
        FakeManagerBus bus({u"--main-pid=412"_s});
        SystemdUnitWatcher watcher(busAt(bus.address), busAt(noBusAddress));
        QStringList seen;
        watcher.start([&](const ServiceState &state) { seen << state.label(); });
        QTRY_COMPARE(seen, QStringList{u"Running (pid 412)"_s});
        QCOMPARE(bus.calls().count(u"Subscribe"_s), 1);
        const qsizetype asked = bus.calls().size();

        bus.setUnit(u"loaded"_s, u"failed"_s, 0);
        QTRY_COMPARE(seen.last(), u"Stopped"_s);
        bus.setUnit(u"loaded"_s, u"active"_s, 413);
        QTRY_COMPARE(seen.last(), u"Running (pid 413)"_s);
        QCOMPARE(bus.calls().mid(asked).filter(u"SetUnit"_s), bus.calls().mid(asked));

        bus.startManager({u"--main-pid=500"_s});
        QTRY_COMPARE(seen.last(), u"Running (pid 500)"_s);
        bus.setUnit(u"not-found"_s, u"inactive"_s, 0);
        QTRY_COMPARE(seen.last(), u"Not installed"_s);
    }
};

QTEST_GUILESS_MAIN(SystemdControlTest)
#include "tst_systemd_control.moc"
