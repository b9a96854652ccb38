#include "TestFiles.h"
#include "app/TrayStatusItem.h"
#include "platform/linux/DBusMenuExporter.h"
#include "platform/linux/LinuxDesktopIntegration.h"
#include "platform/linux/LinuxSharePicker.h"
#include "platform/linux/StatusNotifierItem.h"
#include "platform/linux/SystemdServiceControl.h"
#include "platform/linux/SystemdUnitWatcher.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Kind = UnitAnswer::Kind;

UnitAnswer unit(const QString &loadState, qint64 mainPid = 0, const QString &activeState = {})
{
    return {Kind::unit, loadState, mainPid, {}, activeState, {}};
}

const UnitAnswer noBus = UnitAnswer::failure(Kind::noManager, u"Failed to connect to socket"_s);

const auto watcherName = u"org.kde.StatusNotifierWatcher"_s;
const auto menuInterface = u"com.canonical.dbusmenu"_s;

bool writeAged(const QString &path, int ageHours)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(-ageHours * 3600),
                            QFileDevice::FileModificationTime);
}

PreparedDirectory shareDirectoryIn(const QString &cache)
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
    const PreparedDirectory directory = LinuxDesktopIntegration().shareDirectory();
    qunsetenv("XDG_CACHE_HOME");
    return directory;
}

// A private bus from dbus-daemon, gone with the object.
class PrivateBus
{
public:
    PrivateBus()
    {
        m_daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
        if (!m_daemon.waitForReadyRead(5000))
            qFatal("dbus-daemon did not start");
        address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }
    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    QString address;

private:
    QProcess m_daemon;
};

// The fake systemd manager on a private bus of its own, gone with the object.
class FakeManagerBus : public PrivateBus
{
public:
    explicit FakeManagerBus(const QStringList &arguments) { startManager(arguments); }
    ~FakeManagerBus()
    {
        m_manager.kill();
        m_manager.waitForFinished();
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

private:
    QTemporaryDir m_dir;
    QProcess m_manager;
};

} // namespace

// The watcher's one method that matters here, which records who registered, and a host's ear
// on the menu (not exported): the signals that make it fetch the menu again.
class FakeWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")

public:
    QStringList registered;
    int heard = 0;

public Q_SLOTS:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString &service)
    {
        registered.append(service);
    }
    void changed() { ++heard; }
};

// systemd's control and watcher, the app's StatusNotifierItem and menu (driven through real calls
// from another connection) and the desktop glue.
class LinuxPlatformTest : public QObject
{
    Q_OBJECT

    PrivateBus m_session;

private Q_SLOTS:
    void initTestCase()
    {
        // Read on first use of the session bus, which is the item's.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_session.address.toUtf8());
    }

    void mapping_data()
    {
        QTest::addColumn<UnitAnswer>("system");
        QTest::addColumn<std::optional<UnitAnswer>>("user"); // none: not asked
        QTest::addColumn<QString>("label");
        const auto row = [](const char *name, const UnitAnswer &system,
                            const std::optional<UnitAnswer> &user, const QString &label) {
            QTest::newRow(name) << system << user << label;
        };
        row("loaded, no process", unit(u"loaded"_s), std::nullopt, u"Stopped"_s);
        row("no system bus, user's stopped", noBus, unit(u"loaded"_s), u"Stopped"_s);
        row("not found in both", unit(u"not-found"_s), unit(u"not-found"_s), u"Not installed"_s);
        row("not found, no session bus", unit(u"not-found"_s), noBus, u"Not installed"_s);
        row("no bus at all", noBus, UnitAnswer::failure(Kind::noManager, u"other"_s),
            u"Unknown: Failed to connect to socket"_s);
        row("not found, user hung", unit(u"not-found"_s), UnitAnswer::failure(Kind::noAnswer),
            u"Unknown: systemd did not answer"_s);
        row("restarting, no process yet", unit(u"loaded"_s, 0, u"activating"_s), std::nullopt,
            u"Starting…"_s);
        row("reloading", unit(u"loaded"_s, 412, u"reloading"_s), std::nullopt, u"Starting…"_s);
        row("stopping", unit(u"loaded"_s, 412, u"deactivating"_s), std::nullopt, u"Stopping…"_s);
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
    void socketPath()
    {
        QCOMPARE(BusReconnector::socketPath(u"unix:path=/run/dbus/s%20b,guid=12"_s),
                 u"/run/dbus/s b"_s);
        QCOMPARE(BusReconnector::socketPath(u"tcp:host=h;unix:path=/b"_s), u"/b"_s);
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
        const qsizetype asked = bus.calls().size();
        bus.setUnit(u"loaded"_s, u"failed"_s, 0);
        QTRY_COMPARE(seen.last(), u"Failed (exit-code)"_s);
        QCOMPARE(bus.calls().mid(asked).filter(u"SetUnit"_s), bus.calls().mid(asked));

        bus.startManager({u"--main-pid=500"_s});
        QTRY_COMPARE(seen.last(), u"Running (pid 500)"_s);
        bus.setUnit(u"not-found"_s, u"inactive"_s, 0);
        QTRY_COMPARE(seen.last(), u"Not installed"_s);
    }

    // Only what no desktop row shows: registration once a late watcher appears, Activate(0, 0)
    // keeping the last point, EventGroup and the check mark's state. (Plasma's row finds the
    // icon by its exact colours, which the pixmaps' byte order decides.)
    void exportedItem()
    {
        QDBusConnection watcherBus = QDBusConnection::connectToBus(m_session.address, u"watcher"_s);
        FakeWatcher watcher;
        QVERIFY(watcherBus.registerObject(u"/StatusNotifierWatcher"_s, &watcher,
                                          QDBusConnection::ExportScriptableSlots));
        // The bus has dispatched the item's first attempt once a monitor shows it: no watcher.
        QProcess monitor;
        monitor.start(u"dbus-monitor"_s, {u"--address"_s, m_session.address,
                                          u"member='RegisterStatusNotifierItem'"_s});
        QByteArray output;
        const auto shown = [&](const char *text) {
            return QTest::qWaitFor([&] { return (output += monitor.readAll()).contains(text); });
        };
        QVERIFY(shown("NameLost")); // its own name, given up as it becomes a monitor
        TrayStatusItem item;
        item.setTitle(u"KP"_s);
        QVERIFY(shown("member=RegisterStatusNotifierItem"));
        monitor.close();
        QCOMPARE(item.hostKind(), u"none"_s);
        // Registered as the name gets its owner, without a restart.
        QVERIFY(watcherBus.registerService(watcherName));
        QTRY_COMPARE(watcher.registered.size(), 1);
        const QString service = watcher.registered.first();
        QTRY_COMPARE(item.hostKind(), u"StatusNotifier"_s);

        // Activate: the click, at the host's point; (0, 0) keeps the last known one.
        QSignalSpy clicks(&item, &StatusItem::clicked);
        for (const auto &[x, y] : {std::pair{1210, 16}, std::pair{0, 0}}) {
            call(service, u"/StatusNotifierItem"_s, u"org.kde.StatusNotifierItem"_s, u"Activate"_s,
                 {x, y});
            QCOMPARE(item.geometry(), QRect(1210, 16, 1, 1));
        }
        QCOMPARE(clicks.size(), 2);

        // A label as given (a host shows it as it comes); the notify item is a check box that
        // follows a click, and hosts hear to fetch it again.
        const auto items = [&] {
            const QDBusMessage layout =
                call(service, u"/MenuBar"_s, menuInterface, u"GetLayout"_s, {0, -1, QStringList()});
            DBusMenuLayoutItem root;
            layout.arguments().value(1).value<QDBusArgument>() >> root;
            return root.children;
        };
        QCOMPARE(items().at(1).properties.value(u"label"_s), u"Cấu hình máy in"_s);
        QCOMPARE(items().at(3).properties.value(u"toggle-type"_s), u"checkmark"_s);
        QCOMPARE(items().at(3).properties.value(u"toggle-state"_s).toInt(), 0);
        for (const auto &signal : {u"LayoutUpdated"_s, u"ItemsPropertiesUpdated"_s})
            QVERIFY(client().connect(service, u"/MenuBar"_s, menuInterface, signal, &watcher,
                                     SLOT(changed())));
        QSignalSpy toggled(&item, &StatusItem::notifyOnPrintErrorsToggled);
        QSignalSpy opened(&item, &StatusItem::openRequested);
        // One click alone, one in a group (as some hosts send them).
        const QDBusVariant noData(0);
        call(service, u"/MenuBar"_s, menuInterface, u"Event"_s,
             {items().at(3).id, u"clicked"_s, QVariant::fromValue(noData), 0u});
        const DBusMenuEventList group{{items().at(0).id, u"clicked"_s, noData, 0u}};
        const QDBusMessage groupAnswer = call(service, u"/MenuBar"_s, menuInterface,
                                              u"EventGroup"_s, {QVariant::fromValue(group)});
        QVERIFY2(groupAnswer.type() == QDBusMessage::ReplyMessage,
                 qPrintable(groupAnswer.errorMessage()));
        QCOMPARE(toggled.size(), 1);
        QCOMPARE(toggled.first().first().toBool(), true);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(items().at(3).properties.value(u"toggle-state"_s).toInt(), 1);
        QTRY_COMPARE(watcher.heard, 2);
    }

    void shareDirectoryIsPrivate_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("too open, tightened") << u"open"_s << true;
        QTest::newRow("symlink refused") << u"symlink"_s << false;
        QTest::newRow("another user's refused") << u"foreign"_s << false;
    }
    void shareDirectoryIsPrivate()
    {
        QFETCH(QString, existing);
        QFETCH(bool, accepted);
        QTemporaryDir cache;
        const QString expected = cache.filePath(u"korvel-printer/share"_s);
        const QByteArray native = QFile::encodeName(expected);
        QVERIFY(QDir().mkpath(cache.filePath(u"korvel-printer"_s)));
        if (existing == u"open"_s) {
            QVERIFY(::mkdir(native.constData(), 0700) == 0 &&
                    ::chmod(native.constData(), 0777) == 0);
        } else if (existing == u"symlink"_s) {
            QVERIFY(QFile::link(QDir::tempPath(), expected));
        } else if (existing == u"foreign"_s) {
            if (::geteuid() != 0)
                QSKIP("needs root to give a directory to another user");
            QVERIFY(::mkdir(native.constData(), 0700) == 0 &&
                    ::chown(native.constData(), 65534, 65534) == 0);
        }
        const PreparedDirectory directory = shareDirectoryIn(cache.path());

        QCOMPARE(directory.ok(), accepted);
        if (accepted)
            QCOMPARE(std::pair(directory.path, QFile::permissions(expected)),
                     std::pair(expected, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                             QFile::ReadUser | QFile::WriteUser | QFile::ExeUser));
        else
            QVERIFY2(directory.error.startsWith(expected + u": "_s), qPrintable(directory.error));
    }

    void shareCopiesOlderThanADayGo()
    {
        QTemporaryDir cache;
        const QString share = shareDirectoryIn(cache.path()).path;
        QVERIFY(writeAged(share + u"/KorvelPrinter-20260101-090000.log"_s, 25));
        QVERIFY(writeAged(share + u"/KorvelPrinter-20260102-080000.log"_s, 23));
        QVERIFY(writeAged(share + u"/notes.log"_s, 25));
        QCOMPARE(shareDirectoryIn(cache.path()).path, share);
        QCOMPARE(QDir(share).entryList(QDir::Files),
                 (QStringList{u"KorvelPrinter-20260102-080000.log"_s, u"notes.log"_s}));
    }

    // The log opens in the helper given; without a file manager, so does its folder.
    void fileActionsStartTheHelperGiven()
    {
        QTemporaryDir dir;
        const QString helper = dir.filePath(u"xdg-open"_s);
        QVERIFY(writeFile(helper, "#!/bin/sh\nprintf '%s' \"$*\" > \"$0.args\"\n", true));
        LinuxDesktopIntegration desktop({helper, u"org.korvel.test.NoFileManager"_s});
        const QString log = u"/var/log/korvel printer/KorvelPrinter.log"_s;
        desktop.openInLogViewer(log);
        QTRY_COMPARE(QString::fromUtf8(readFile(helper + u".args"_s)), log);
        desktop.revealInFileBrowser(log);
        QTRY_COMPARE(QString::fromUtf8(readFile(helper + u".args"_s)),
                     u"/var/log/korvel printer"_s);
    }

    void copyFilePastesInFileManagers()
    {
        const QUrl file = QUrl::fromLocalFile(u"/home/an/Korvel logs/KorvelPrinter-1.log"_s);
        const std::unique_ptr<QMimeData> data = copiedFilesMimeData({file});
        QCOMPARE(data->urls(), QList<QUrl>{file});
        QCOMPARE(data->data(u"x-special/gnome-copied-files"_s),
                 "copy\nfile:///home/an/Korvel%20logs/KorvelPrinter-1.log");
        QCOMPARE(data->text(), u"/home/an/Korvel logs/KorvelPrinter-1.log"_s);
    }

private:
    // Blocking with the event loop running, so the item answers on this same thread meanwhile.
    QDBusMessage call(const QString &service, const QString &path, const QString &interface,
                      const QString &method, const QVariantList &arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        return client().call(message, QDBus::BlockWithGui, 5000);
    }

    QDBusConnection client()
    {
        return QDBusConnection::connectToBus(m_session.address, u"client"_s);
    }
};

QTEST_MAIN(LinuxPlatformTest)
#include "tst_linux_platform.moc"
