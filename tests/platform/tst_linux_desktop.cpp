#include "platform/linux/FreedesktopNotifier.h"
#include "platform/linux/LinuxDesktopIntegration.h"
#include "platform/linux/LinuxSharePicker.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDateTime>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool writeFile(const QString &path, const QByteArray &content, int ageHours = 0)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           file.flush() &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(-ageHours * 3600),
                            QFileDevice::FileModificationTime);
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

PreparedDirectory shareDirectoryIn(const QString &cache)
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
    const PreparedDirectory directory = LinuxDesktopIntegration().shareDirectory();
    qunsetenv("XDG_CACHE_HOME");
    return directory;
}

QStringList menuTexts(QWidget &anchor)
{
    QStringList texts;
    if (auto *menu = anchor.findChild<QMenu *>(u"shareMenu"_s)) {
        for (const QAction *action : menu->actions())
            texts << action->text();
        delete menu;
    }
    return texts;
}

// Starts a private session bus and gives its address; it ends with `daemon`.
QString startBus(QProcess &daemon)
{
    daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
    return daemon.waitForReadyRead(5000) ? QString::fromUtf8(daemon.readLine()).trimmed()
                                         : QString();
}

} // namespace

// Stands in for the desktop portal's OpenURI interface.
class FakePortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.OpenURI")

public:
    QByteArray openedContent;

public Q_SLOTS:
    QDBusObjectPath OpenFile(const QString &, const QDBusUnixFileDescriptor &fd,
                             const QVariantMap &)
    {
        QFile file;
        if (file.open(::dup(fd.fileDescriptor()), QIODevice::ReadOnly,
                      QFileDevice::AutoCloseHandle))
            openedContent = file.readAll();
        return QDBusObjectPath(u"/org/freedesktop/portal/desktop/request/1"_s);
    }
};

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
        QVERIFY(writeFile(share + u"/KorvelPrinter-20260101-090000.log"_s, "old", 25));
        QVERIFY(writeFile(share + u"/KorvelPrinter-20260102-080000.log"_s, "recent", 23));
        QVERIFY(writeFile(share + u"/notes.log"_s, "the user's", 25));
        QCOMPARE(shareDirectoryIn(cache.path()).path, share);
        QCOMPARE(QDir(share).entryList(QDir::Files),
                 (QStringList{u"KorvelPrinter-20260102-080000.log"_s, u"notes.log"_s}));
    }

    void fileActionsStartTheHelperGiven_data()
    {
        QTest::addColumn<bool>("reveal");
        QTest::addColumn<QString>("argument");
        QTest::newRow("open the log") << false << u"/var/log/korvel printer/KorvelPrinter.log"_s;
        QTest::newRow("no file manager: open the folder") << true << u"/var/log/korvel printer"_s;
    }
    void fileActionsStartTheHelperGiven()
    {
        QFETCH(bool, reveal);
        QFETCH(QString, argument);
        QTemporaryDir dir;
        const QString helper = dir.filePath(u"xdg-open"_s);
        QVERIFY(writeFile(helper, "#!/bin/sh\nprintf '%s' \"$*\" > \"$0.args\"\n"));
        QVERIFY(QFile::setPermissions(helper, QFile::ReadOwner | QFile::ExeOwner));
        LinuxDesktopIntegration desktop({helper, u"org.korvel.test.NoFileManager"_s});
        const QString log = u"/var/log/korvel printer/KorvelPrinter.log"_s;
        reveal ? desktop.revealInFileBrowser(log) : desktop.openInLogViewer(log);
        QTRY_COMPARE(readFile(helper + u".args"_s), argument);
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

    // A private bus: without a portal the menu has no "Open with…"; with one, the portal gets
    // the open file.
    void openWithGoesThroughThePortal()
    {
        QProcess bus;
        const QString address = startBus(bus);
        QDBusConnection portalSide = QDBusConnection::connectToBus(address, u"portal"_s);
        QDBusConnection appSide = QDBusConnection::connectToBus(address, u"app"_s);
        QVERIFY(portalSide.isConnected() && appSide.isConnected());
        QTemporaryDir dir;
        const QString log = dir.filePath(u"KorvelPrinter-1.log"_s);
        QVERIFY(writeFile(log, "PRINT_SUCCESS slot 1\n"));
        QWidget anchor;
        const LinuxShareTools tools{u"/bin/true"_s, u"org.korvel.test.Portal"_s};

        LinuxSharePicker without(appSide, tools);
        QTest::qWait(200);
        without.show({QUrl::fromLocalFile(log)}, &anchor);
        QCOMPARE(menuTexts(anchor), (QStringList{u"Email…"_s, u"Copy file"_s}));

        FakePortal portal;
        QVERIFY(portalSide.registerObject(u"/org/freedesktop/portal/desktop"_s, &portal,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(portalSide.registerService(tools.portalService));
        LinuxSharePicker with(appSide, tools);
        QTRY_VERIFY_WITH_TIMEOUT(
            (with.show({QUrl::fromLocalFile(log)}, &anchor), menuTexts(anchor).size() == 3), 3000);
        with.show({QUrl::fromLocalFile(log)}, &anchor);
        anchor.findChild<QMenu *>(u"shareMenu"_s)->actions().last()->trigger();
        QTRY_COMPARE(portal.openedContent, "PRINT_SUCCESS slot 1\n");
    }

    // Each notification replaces the last, only a click on that one opens the panel, and the
    // tray's balloon stays for a desktop without a notification service.
    void notifications()
    {
        QProcess bus;
        const QString address = startBus(bus);
        QDBusConnection service = QDBusConnection::connectToBus(address, u"notificationService"_s);
        QDBusConnection app = QDBusConnection::connectToBus(address, u"notifiedApp"_s);
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
        QVERIFY(balloons.isEmpty());
    }
};

QTEST_MAIN(LinuxDesktopTest)
#include "tst_linux_desktop.moc"
