#include "platform/linux/FreedesktopNotifier.h"
#include "platform/linux/LinuxDesktopIntegration.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info = {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

} // namespace

// The desktop's notification service, as far as the app uses it.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList calls;

public Q_SLOTS:
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &title,
                const QString &body, const QStringList &actions, const QVariantMap &, int)
    {
        calls << QStringList{app, QString::number(replaces), icon, title, body, actions.value(0)}
                     .join(u'|');
        return 40 + uint(calls.size());
    }
};

class LinuxDesktopTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shareDirectoryIsPrivate_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("created") << u"none"_s << true;
        QTest::newRow("no runtime dir: in the cache") << u"no runtime dir"_s << true;
        QTest::newRow("too open, tightened") << u"open"_s << true;
        QTest::newRow("symlink refused") << u"symlink"_s << false;
        QTest::newRow("plain file refused") << u"file"_s << false;
        QTest::newRow("another user's refused") << u"foreign"_s << false;
    }
    void shareDirectoryIsPrivate()
    {
        QFETCH(QString, existing);
        QFETCH(bool, accepted);
        QTemporaryDir runtime;
        const bool inCache = existing == u"no runtime dir"_s;
        const QString expected =
            runtime.filePath(inCache ? u"cache/korvel-printer-share"_s : u"korvel-printer-share"_s);
        const QByteArray native = QFile::encodeName(expected);
        if (existing == u"open"_s) {
            QVERIFY(::mkdir(native.constData(), 0700) == 0 &&
                    ::chmod(native.constData(), 0777) == 0);
        } else if (existing == u"symlink"_s) {
            QVERIFY(QFile::link(QDir::tempPath(), expected));
        } else if (existing == u"file"_s) {
            QFile file(expected);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (existing == u"foreign"_s) {
            if (::geteuid() != 0)
                QSKIP("needs root to give a directory to another user");
            QVERIFY(::mkdir(native.constData(), 0700) == 0 &&
                    ::chown(native.constData(), 65534, 65534) == 0);
        }
        if (inCache)
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(runtime.filePath(u"cache"_s)));
        const PreparedDirectory directory = LinuxDesktopIntegration().shareDirectory();
        qunsetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_CACHE_HOME");

        QCOMPARE(directory.ok(), accepted);
        if (accepted)
            QCOMPARE(std::pair(directory.path, modeOf(expected)),
                     std::pair(expected, mode_t(0700)));
        else
            QVERIFY2(directory.error.startsWith(expected + u": "_s), qPrintable(directory.error));
    }

    // Without a notification service the tray's balloon stands in; with one, each notification
    // replaces the last, and only a click on that one opens the panel.
    void notifications()
    {
        QProcess daemon;
        daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
        QVERIFY(daemon.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        QDBusConnection service = QDBusConnection::connectToBus(address, u"service"_s);
        QDBusConnection app = QDBusConnection::connectToBus(address, u"app"_s);
        // Lets the service's answer reach the notifier: each connection keeps its order.
        const auto settle = [&] {
            service.interface()->isServiceRegistered(u"x"_s);
            app.interface()->isServiceRegistered(u"x"_s);
            QCoreApplication::processEvents();
        };
        QStringList balloons;
        FreedesktopNotifier notifier(
            app, [&](const QString &title, const QString &body) { balloons << title + body; });
        QSignalSpy activated(&notifier, &Notifier::activated);
        notifier.notify(u"T"_s, u"B"_s);
        QTRY_COMPARE(balloons, QStringList{u"TB"_s});

        FakeNotifications fake;
        QVERIFY(service.registerObject(u"/org/freedesktop/Notifications"_s, &fake,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService(u"org.freedesktop.Notifications"_s));
        notifier.notify(u"T"_s, u"B"_s);
        QTRY_COMPARE(fake.calls.size(), 1);
        settle();
        notifier.notify(u"T2"_s, u"B2"_s);
        QTRY_COMPARE(fake.calls,
                     (QStringList{u"Korvel Printer|0|korvel-printer|T|B|default"_s,
                                  u"Korvel Printer|41|korvel-printer|T2|B2|default"_s}));
        settle();
        // Someone else's notification, another action, then ours.
        for (const auto &[id, action] :
             {std::pair(7u, u"default"_s), std::pair(42u, u"x"_s), std::pair(42u, u"default"_s)}) {
            service.send(QDBusMessage::createSignal(u"/org/freedesktop/Notifications"_s,
                                                    u"org.freedesktop.Notifications"_s,
                                                    u"ActionInvoked"_s)
                         << id << action);
        }
        QTRY_VERIFY(!activated.isEmpty());
        QCOMPARE(activated.count(), 1);
        QCOMPARE(balloons.size(), 1);
        daemon.kill();
        daemon.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(LinuxDesktopTest)
#include "tst_linux_desktop.moc"
