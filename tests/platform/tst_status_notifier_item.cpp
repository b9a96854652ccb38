#include "app/TrayStatusItem.h"
#include "platform/linux/DBusMenuExporter.h"
#include "platform/linux/StatusNotifierItem.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const auto watcherName = u"org.kde.StatusNotifierWatcher"_s;
const auto menuInterface = u"com.canonical.dbusmenu"_s;

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

// The app's item on a private session bus, driven through real calls from another connection.
class StatusNotifierItemTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
        QVERIFY(m_daemon.waitForReadyRead(5000));
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
        // Read on first use of the session bus, which is the item's.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    }
    void cleanupTestCase()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    // Only what no desktop row shows: registration once a late watcher appears, Activate(0, 0)
    // keeping the last point, EventGroup and the check mark's state. (Plasma's row finds the
    // icon by its exact colours, which the pixmaps' byte order decides.)
    void exportedItem()
    {
        QDBusConnection watcherBus = QDBusConnection::connectToBus(m_address, u"watcher"_s);
        FakeWatcher watcher;
        QVERIFY(watcherBus.registerObject(u"/StatusNotifierWatcher"_s, &watcher,
                                          QDBusConnection::ExportScriptableSlots));
        // The bus has dispatched the item's first attempt once a monitor shows it: no watcher.
        QProcess monitor;
        monitor.start(u"dbus-monitor"_s,
                      {u"--address"_s, m_address, u"member='RegisterStatusNotifierItem'"_s});
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

        // The labels as given (a host shows them as they come); the notify item is a check box
        // that follows a click, and hosts hear to fetch it again.
        const auto items = [&] { return menuItems(service); };
        QStringList labels;
        for (const DBusMenuLayoutItem &entry : items())
            labels << entry.properties.value(u"label"_s).toString();
        QCOMPARE(labels, (QStringList{u"Open Korvel Printer"_s,
                                      u"Cấu hình máy in"_s,
                                      u"Copy diagnostics"_s,
                                      u"Notify on print errors"_s,
                                      {},
                                      u"Quit"_s}));
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

private:
    // Asynchronous, so the item answers on this same thread meanwhile.
    QDBusMessage call(const QString &service, const QString &path, const QString &interface,
                      const QString &method, const QVariantList &arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = client().asyncCall(message);
        QDBusPendingCallWatcher finished(pending);
        QSignalSpy answered(&finished, &QDBusPendingCallWatcher::finished);
        static_cast<void>(pending.isFinished() || answered.wait(5000));
        return pending.reply();
    }

    QDBusConnection client() { return QDBusConnection::connectToBus(m_address, u"client"_s); }

    QList<DBusMenuLayoutItem> menuItems(const QString &service)
    {
        const QDBusMessage answer =
            call(service, u"/MenuBar"_s, menuInterface, u"GetLayout"_s, {0, -1, QStringList()});
        DBusMenuLayoutItem root;
        answer.arguments().value(1).value<QDBusArgument>() >> root;
        return root.children;
    }

    QProcess m_daemon;
    QString m_address;
};

QTEST_MAIN(StatusNotifierItemTest)
#include "tst_status_notifier_item.moc"
