#include "LogTestSupport.h"
#include "log/LogTailRead.h"
#include "log/LogTailer.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

constexpr int tickWaitMs = 2500;

class LogTailerTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    const QString m_path = m_dir.filePath(u"Korvel Printer.log"_s);

    std::unique_ptr<LogTailer> makeTailer()
    {
        return std::make_unique<LogTailer>(m_path, 300, 65536, std::make_shared<FakeDesktop>(),
                                           std::make_shared<FakePrompts>());
    }

private Q_SLOTS:
    void cleanup() { QFile::remove(m_path); }

    void readOfARealFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        const QByteArray filler(65530, 'x');
        const QString fillerLine = QString::fromLatin1(filler);
        QTest::newRow("exactly the window: first line kept")
            << "first\n" + filler << QStringList{u"first"_s, fillerLine};
        QTest::newRow("one byte over: first line dropped")
            << "_first\n" + filler << QStringList{fillerLine};
        // 65538 bytes: the window starts on the second byte of "ế".
        const QByteArray ys(65523, 'y');
        QTest::newRow("window edge inside a character")
            << "l\xE1\xBA\xBF\n"_ba + ys + "\nin h\xE1\xBA\xBFt\n"_ba
            << QStringList{QString::fromLatin1(ys), u"in hết"_s};
    }
    void readOfARealFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        writeFile(m_path, content);
        QCOMPARE(readLogTail(m_path, 300, 65536), (TailRead{expected, std::nullopt}));
    }

    void followsTheFileThroughBadBytesDeletionAndRecreation()
    {
        writeFile(m_path, "one\ntwo\n");
        auto tailer = makeTailer();
        tailer->start();
        QVERIFY(tailer->lines().isEmpty()); // published on a later turn
        QTRY_COMPARE(tailer->lines(), (QStringList{u"one"_s, u"two"_s}));

        writeFile(m_path, "one\n\xFF\n");
        QTRY_COMPARE_WITH_TIMEOUT(tailer->fileError(), u"Log file is not valid UTF-8"_s,
                                  tickWaitMs);
        QCOMPARE(tailer->lines(), (QStringList{u"one"_s, u"two"_s}));

        QFile::remove(m_path);
        QTRY_COMPARE_WITH_TIMEOUT(tailer->fileError(), u"Log file not found: "_s + m_path,
                                  tickWaitMs);
        QVERIFY(tailer->lines().isEmpty());

        writeFile(m_path, "three\n");
        QTRY_COMPARE_WITH_TIMEOUT(tailer->fileError(), std::nullopt, tickWaitMs);
        QCOMPARE(tailer->lines(), QStringList{u"three"_s});
    }

    void somethingOtherThanAFileCountsAsMissing_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("FIFO without a writer") << true;
        QTest::newRow("directory") << false;
    }
    void somethingOtherThanAFileCountsAsMissing()
    {
        QFETCH(bool, fifo);
        QVERIFY(fifo ? ::mkfifo(QFile::encodeName(m_path).constData(), 0600) == 0
                     : QDir().mkdir(m_path));
        // Opening a FIFO without a writer would block here for ever.
        QCOMPARE(readLogTail(m_path, 300, 65536),
                 (TailRead{QStringList{}, u"Log file not found: "_s + m_path}));
        if (!fifo)
            QDir().rmdir(m_path);
    }

    void steadyStatePublishesNothing_data()
    {
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("unchanged file") << true;
        QTest::newRow("file stays missing") << false;
    }
    void steadyStatePublishesNothing()
    {
        QFETCH(bool, fileExists);
        if (fileExists)
            writeFile(m_path, "idle\n");
        auto tailer = makeTailer();
        QSignalSpy lines(tailer.get(), &LogTailer::linesChanged);
        QSignalSpy errors(tailer.get(), &LogTailer::fileErrorChanged);
        tailer->start();
        QTRY_COMPARE(lines.count() + errors.count(), 1);
        QTest::qWait(2200); // two more ticks
        QCOMPARE(lines.count() + errors.count(), 1);
    }

    void startTwiceRunsOneTimerAndStopEndsIt()
    {
        auto tailer = makeTailer();
        const auto activeTimers = [&] {
            const auto timers = tailer->findChildren<QTimer *>();
            return std::count_if(timers.begin(), timers.end(),
                                 [](auto *t) { return t->isActive(); });
        };
        tailer->start();
        tailer->start();
        QCOMPARE(activeTimers(), 1);
        tailer->stop();
        QCOMPARE(activeTimers(), 0);
    }
};

QTEST_GUILESS_MAIN(LogTailerTest)
#include "tst_log_tailer.moc"
