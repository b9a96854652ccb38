#include "PoolsSettled.h"
#include "RecordingFakes.h"
#include "TestFiles.h"
#include "log/LogTailLines.h"
#include "log/LogTailer.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using Lines = std::optional<QStringList>;

// The log's tail lines, its reads, and its export and share copies.
class LogTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_target;
    std::shared_ptr<RecordingDesktop> m_desktop;
    std::shared_ptr<RecordingPrompts> m_prompts;
    std::unique_ptr<LogTailer> m_tailer;

    // Reads every 50 ms, so that a test sees several within a short wait.
    void makeTailer(const QString &logPath)
    {
        m_tailer = std::make_unique<LogTailer>(logPath, 300, 65536, m_desktop, m_prompts, 50ms);
    }

    // Answers the export's dialog with `chosen`; says what the completion got.
    QString exportAnswering(std::optional<QString> chosen)
    {
        QString result = u"not called"_s;
        m_tailer->exportLog(
            [&](std::optional<QString> path) { result = path.value_or(u"nothing"_s); });
        m_prompts->answer(chosen);
        static_cast<void>(QTest::qWaitFor([&] { return result != u"not called"_s; }, 2000));
        return result;
    }

private Q_SLOTS:
    void init()
    {
        static int run = 0;
        const QDir dir(m_dir.filePath(QString::number(++run)));
        QDir().mkpath(dir.filePath(u"share"_s));
        QDir().mkpath(dir.filePath(u"exports"_s));
        writeFile(dir.filePath(u"Korvel Printer.log"_s), "in xong\n");
        m_target = dir.filePath(u"exports/old.log"_s);
        m_desktop = std::make_shared<RecordingDesktop>();
        m_desktop->share = {dir.filePath(u"share"_s), {}};
        m_prompts = std::make_shared<RecordingPrompts>();
        makeTailer(dir.filePath(u"Korvel Printer.log"_s));
    }

    void tailLines_data()
    {
        QTest::addColumn<QByteArray>("window");
        QTest::addColumn<qint64>("windowStart");
        QTest::addColumn<Lines>("expected");
        const auto row = [](const char *name, const QByteArray &window, qint64 start, Lines lines) {
            QTest::newRow(name) << window << start << lines;
        };
        row("empty file", ""_ba, 0, QStringList());
        row("two terminators keep one empty line", "a\n\n"_ba, 0, QStringList{u"a"_s, u""_s});
        row("CR LF is one separator", "a\r\nb\r\n"_ba, 0, QStringList{u"a"_s, u"b"_s});
        row("LF CR is two", "a\n\rb"_ba, 0, QStringList{u"a"_s, u""_s, u"b"_s});
        row("every separator kind", "a\nb\vc\fd\re\r\nf\u0085g\u2028h\u2029i"_ba, 0,
            QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s, u"h"_s, u"i"_s});
        row("no separator, whole file", "abc"_ba, 0, QStringList{u"abc"_s});
        row("no separator past offset 0", "abc"_ba, 1, QStringList());
        // The window edge falls inside "ế" (E1 BA BF): its last two bytes open the window.
        row("window starting inside a character", "\xBA\xBF n\xE1\xBB\x97i\nxin ch\xC3\xA0o\n"_ba,
            1, QStringList{u"xin chào"_s});

        row("more continuation bytes than a character has", "\x80\x80\x80\x80\na\n"_ba, 5,
            std::nullopt);
        row("character cut off at the end", "a\n\xE1\xBA"_ba, 0, std::nullopt);
    }
    void tailLines()
    {
        QFETCH(QByteArray, window);
        QFETCH(qint64, windowStart);
        QFETCH(Lines, expected);
        QCOMPARE(linesOfTailWindow(window, windowStart, 300), expected);
    }

    // A file that stays as it was, present or missing, publishes nothing. What the file's faults
    // show is a row of the end-to-end fault test.
    void publishesOnlyChanges()
    {
        QSignalSpy lines(m_tailer.get(), &LogTailer::linesChanged);
        QSignalSpy errors(m_tailer.get(), &LogTailer::fileErrorChanged);
        const auto published = [&] { return lines.count() + errors.count(); };
        // A read's result is published before the next read starts.
        QSignalSpy reads(m_tailer->findChild<QTimer *>(), &QTimer::timeout);
        const auto twoMoreReads = [&] {
            reads.clear();
            return QTest::qWaitFor([&] { return reads.count() >= 2; }, 2000);
        };
        m_tailer->start();
        QTRY_COMPARE(m_tailer->lines(), QStringList{u"in xong"_s});
        QVERIFY(twoMoreReads());
        QCOMPARE(published(), 1);
        QFile::remove(m_tailer->path());
        QTRY_VERIFY(m_tailer->fileError().has_value());
        const qsizetype whileMissing = published();
        QVERIFY(twoMoreReads());
        QCOMPARE(published(), whileMissing);
    }

    // A failed copy tells why and leaves what was at the target as it was, with no debris; a
    // cancelled dialog changes nothing and tells nothing.
    void exportReplacesTheTargetOnlyOnSuccess_data()
    {
        QTest::addColumn<QString>("logPath"); // empty: the test's log
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<QString>("failure");
        QTest::newRow("replaces an existing file") << QString() << false << QString();
        // Opens fine, then fails on the first read: the copy breaks off half-way.
        QTest::newRow("read fails during the copy")
            << u"/proc/self/mem"_s << false << u"Input/output error"_s;
        QTest::newRow("cancelled") << QString() << true << QString();
    }
    void exportReplacesTheTargetOnlyOnSuccess()
    {
        QFETCH(QString, logPath);
        QFETCH(bool, cancelled);
        QFETCH(QString, failure);
        if (!logPath.isEmpty())
            makeTailer(logPath);
        writeFile(m_target, "mine");
        const bool copied = !cancelled && failure.isEmpty();
        QCOMPARE(exportAnswering(cancelled ? std::nullopt : std::optional(m_target)),
                 copied ? m_target : u"nothing"_s);
        QVERIFY(m_desktop->broughtToFront);
        QCOMPARE(m_prompts->warnings,
                 failure.isEmpty() ? QStringList() : QStringList{u"Export failed: "_s + failure});
        QCOMPARE(QFileInfo(m_target).dir().entryList(QDir::Files), QStringList{u"old.log"_s});
        QCOMPARE(readFile(m_target), copied ? "in xong\n"_ba : "mine"_ba);
    }

    // The daemon keeps writing to the file it has open, so a replaced log would lose the rest.
    void exportOntoTheLogItselfIsRefused()
    {
        const QString log = m_tailer->path();
        const QString hardLink = m_target + u".hard"_s;
        QVERIFY(QFile::link(log, m_target));
        QCOMPARE(
            ::link(QFile::encodeName(log).constData(), QFile::encodeName(hardLink).constData()), 0);
        for (const QString &target : {log, m_target, hardLink}) {
            QFile daemon(log);
            QVERIFY(daemon.open(QIODevice::Append));
            m_prompts->warnings.clear();
            QCOMPARE(exportAnswering(target), u"nothing"_s);
            QCOMPARE(m_prompts->warnings.size(), 1);
            daemon.write("more\n");
            daemon.close();
            QCOMPARE(readFile(log), "in xong\nmore\n"_ba);
            writeFile(log, "in xong\n");
        }
    }

    void abandonedExportDoesNothing()
    {
        bool completed = false;
        m_tailer->exportLog([&](std::optional<QString>) { completed = true; });
        m_tailer.reset();
        m_prompts->answer(m_target);
        QVERIFY(poolsSettled()); // a copy would have run and handed back its completion
        QVERIFY(!completed);
        QVERIFY(!QFile::exists(m_target));
        QVERIFY(m_prompts->warnings.isEmpty());
    }

    // Shares within one second reuse the name. Nothing is written into a refused share
    // directory; the panel says why.
    void shareCopies()
    {
        std::optional<QString> first;
        std::optional<QString> second;
        do { // again if the two shares straddle a second boundary
            first = m_tailer->prepareShareableLog();
            writeFile(m_tailer->path(), "newer\n");
            second = m_tailer->prepareShareableLog();
        } while (first != second);
        QVERIFY(first);
        QCOMPARE(readFile(*second), "newer\n"_ba);
        QCOMPARE(QDir(m_desktop->share.path).entryList(QDir::Files).size(), 1);

        m_desktop->share = {{}, u"/run/user/1000/korvel-printer-share: belongs to another user"_s};
        QCOMPARE(m_tailer->prepareShareableLog(), std::nullopt);
        QCOMPARE(m_prompts->warnings,
                 QStringList{u"Could not prepare log for sharing: "_s + m_desktop->share.error});
    }
};

QTEST_MAIN(LogTest)
#include "tst_log.moc"
