#include "LogTestSupport.h"
#include "log/LogTailer.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <ctime>

using namespace Qt::StringLiterals;

class LogFileActionsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_target;
    std::shared_ptr<FakeDesktop> m_desktop;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<LogTailer> m_tailer;

    void makeTailer(const QString &logPath)
    {
        m_tailer = std::make_unique<LogTailer>(logPath, 300, 65536, m_desktop, m_prompts);
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
        writeFile(dir.filePath(u"KorvelPrinter.log"_s), "in xong\n");
        m_target = dir.filePath(u"exports/old.log"_s);
        m_desktop = std::make_shared<FakeDesktop>();
        m_desktop->share = {dir.filePath(u"share"_s), {}};
        m_prompts = std::make_shared<FakePrompts>();
        makeTailer(dir.filePath(u"KorvelPrinter.log"_s));
    }

    void exportReplacesAnExistingFile()
    {
        writeFile(m_target, "what the user had");
        QCOMPARE(exportAnswering(m_target), m_target);
        QCOMPARE(contents(m_target), "in xong\n"_ba);
        QVERIFY(m_desktop->broughtToFront);
        QCOMPARE(m_prompts->dialogTitle, u"Export Korvel Printer Log"_s);
        QVERIFY(m_prompts->warnings.isEmpty());
    }

    void failedExportKeepsWhatWasThere_data()
    {
        QTest::addColumn<QString>("logPath");
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QString>("description");
        QTest::newRow("no log, no target") << u"/nonexistent/KorvelPrinter.log"_s << QByteArray()
                                           << u"No such file or directory"_s;
        QTest::newRow("no log, a target")
            << u"/nonexistent/KorvelPrinter.log"_s << "mine"_ba << u"No such file or directory"_s;
        // Opens fine, then fails on the first read: the copy breaks off half-way.
        QTest::newRow("read fails during the copy")
            << u"/proc/self/mem"_s << "mine"_ba << u"Input/output error"_s;
    }
    void failedExportKeepsWhatWasThere()
    {
        QFETCH(QString, logPath);
        QFETCH(QByteArray, existing);
        QFETCH(QString, description);
        makeTailer(logPath);
        if (!existing.isNull())
            writeFile(m_target, existing);
        QCOMPARE(exportAnswering(m_target), u"nothing"_s);
        QCOMPARE(m_prompts->warnings, QStringList{u"Export failed: "_s + description});
        QCOMPARE(QFileInfo(m_target).dir().entryList(QDir::Files),
                 existing.isNull() ? QStringList() : QStringList{u"old.log"_s});
        if (!existing.isNull())
            QCOMPARE(contents(m_target), existing);
    }

    void cancelledOrAbandonedExportDoesNothing()
    {
        QCOMPARE(exportAnswering(std::nullopt), u"nothing"_s);
        bool completed = false;
        m_tailer->exportLog([&](std::optional<QString>) { completed = true; });
        m_tailer.reset();
        m_prompts->answer(m_target);
        QTest::qWait(50);
        QVERIFY(!completed);
        QVERIFY(!QFile::exists(m_target));
        QVERIFY(m_prompts->warnings.isEmpty());
    }

    void sharesWithinOneSecondReuseTheName()
    {
        std::optional<QString> first;
        std::optional<QString> second;
        do { // again if the two shares straddle a second boundary
            first = m_tailer->prepareShareableLog();
            writeFile(m_tailer->path(), "newer\n");
            second = m_tailer->prepareShareableLog();
        } while (first != second);
        QVERIFY(first);
        QCOMPARE(QFileInfo(*first).path(), m_desktop->share.path);
        QCOMPARE(contents(*second), "newer\n"_ba);
        QCOMPARE(QDir(m_desktop->share.path).entryList(QDir::Files).size(), 1);
    }

    void failedShareTellsWhy()
    {
        makeTailer(u"/nonexistent/KorvelPrinter.log"_s);
        QCOMPARE(m_tailer->prepareShareableLog(), std::nullopt);
        m_desktop->share = {{}, u"/run/user/1000/korvel-printer-share: belongs to another user"_s};
        QCOMPARE(m_tailer->prepareShareableLog(), std::nullopt);
        QCOMPARE(m_prompts->warnings,
                 (QStringList{u"Could not prepare log for sharing: No such file or directory"_s,
                              u"Could not prepare log for sharing: "_s + m_desktop->share.error}));
    }

    void suggestedNameIsAsciiLocalTime_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("Arabic digits") << QLocale(QLocale::Arabic, QLocale::Egypt);
        QTest::newRow("Persian digits and calendar") << QLocale(QLocale::Persian, QLocale::Iran);
    }
    void suggestedNameIsAsciiLocalTime()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        qputenv("TZ", "UTC-7"); // seven hours east of UTC
        tzset();
        const qint64 before = QDateTime::currentSecsSinceEpoch() + 7 * 3600;
        const QString name = m_tailer->suggestedExportFilename();
        const qint64 after = QDateTime::currentSecsSinceEpoch() + 7 * 3600;
        QLocale::setDefault(QLocale::c());
        qunsetenv("TZ");
        tzset();

        const auto match =
            QRegularExpression(u"^KorvelPrinter-([0-9]{8}-[0-9]{6})\\.log$"_s).match(name);
        QVERIFY2(match.hasMatch(), qPrintable(name));
        QDateTime stamp = QDateTime::fromString(match.captured(1), u"yyyyMMdd-HHmmss"_s);
        stamp.setTimeSpec(Qt::UTC);
        QVERIFY(before <= stamp.toSecsSinceEpoch() && stamp.toSecsSinceEpoch() <= after);
    }
};

QTEST_GUILESS_MAIN(LogFileActionsTest)
#include "tst_log_file_actions.moc"
