#include "platform/linux/LinuxDesktopIntegration.h"

#include <QFile>
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
};

QTEST_GUILESS_MAIN(LinuxDesktopTest)
#include "tst_linux_desktop.moc"
