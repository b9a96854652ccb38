#include "TestFiles.h"
#include "platform/linux/LinuxDesktopIntegration.h"
#include "platform/linux/LinuxSharePicker.h"

#include <QDateTime>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

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

} // namespace

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
        QVERIFY(writeAged(share + u"/KorvelPrinter-20260101-090000.log"_s, 25));
        QVERIFY(writeAged(share + u"/KorvelPrinter-20260102-080000.log"_s, 23));
        QVERIFY(writeAged(share + u"/notes.log"_s, 25));
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
        QVERIFY(writeFile(helper, "#!/bin/sh\nprintf '%s' \"$*\" > \"$0.args\"\n", true));
        LinuxDesktopIntegration desktop({helper, u"org.korvel.test.NoFileManager"_s});
        const QString log = u"/var/log/korvel printer/KorvelPrinter.log"_s;
        reveal ? desktop.revealInFileBrowser(log) : desktop.openInLogViewer(log);
        QTRY_COMPARE(QString::fromUtf8(readFile(helper + u".args"_s)), argument);
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
};

QTEST_MAIN(LinuxDesktopTest)
#include "tst_linux_desktop.moc"
