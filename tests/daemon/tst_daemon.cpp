#include "FakeServiceControl.h"
#include "PoolsSettled.h"
#include "RecordingFakes.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "core/Dispatch.h"
#include "daemon/ConfigParsing.h"
#include "daemon/PrinterList.h"
#include "daemon/PrinterListParsing.h"
#include "log/LogTailLines.h"
#include "log/LogTailer.h"
#include "platform/DialogPrompts.h"
#include "platform/macos/LaunchctlParsing.h"
#include "platform/macos/LaunchdServiceControl.h"
#include "service/ServiceStatus.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using Lines = std::optional<QStringList>;

namespace {

const QString none;

DaemonAnswer body(const QByteArray &bytes)
{
    return {DaemonAnswer::Kind::body, {}, bytes};
}

// The four slots in display order with these printers and reverse flags.
QList<SlotLine> slotRows(const QStringList &printers, const QList<bool> &reverse)
{
    QList<SlotLine> rows = SlotLine::emptySlots();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        rows[i].printer = printers[i];
        rows[i].reverse = reverse[i];
    }
    return rows;
}

const QString path = u"/printers"_s;

ProcessResult exited(const QByteArray &output, int status = 0)
{
    return {ProcessResult::End::exited, {}, status, output};
}

} // namespace

// The daemon's answers, its service (the monitor and macOS's launchctl control) and its log, as
// the app reads them, and the dispatch they run on.
class DaemonTest : public QObject
{
    Q_OBJECT

    TestHttpServer m_server;
    std::shared_ptr<FakeServiceControl> m_control;
    QStringList m_events;
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

    // launchctl and osascript stand-ins record their arguments and own pid.
    QString fake(const QString &name, const QByteArray &body)
    {
        const QString file = m_dir.filePath(name);
        if (!writeFile(file,
                       "#!/bin/sh\necho $$ > '" + m_dir.filePath(u"pid"_s).toUtf8() +
                           "'\nprintf '%s\\n' \"$@\" > '" + m_dir.filePath(u"args"_s).toUtf8() +
                           "'\n" + body,
                       true))
            qFatal("cannot write a fake");
        return file;
    }

    QByteArray read(const QString &name) const { return readFile(m_dir.filePath(name)); }

    std::unique_ptr<ServiceStatus> monitor(std::chrono::milliseconds interval = 500ms)
    {
        auto status =
            std::make_unique<ServiceStatus>(m_control, m_server.url(u"/health"_s), interval);
        connect(status.get(), &ServiceStatus::stateChanged, this,
                [this, s = status.get()] { m_events << s->state().label(); });
        connect(status.get(), &ServiceStatus::apiReachableChanged, this,
                [this] { m_events << u"api"_s; });
        connect(status.get(), &ServiceStatus::restartStarted, this,
                [this] { m_events << u"restart"_s; });
        connect(status.get(), &ServiceStatus::restartChecked, this,
                [this] { m_events << u"checked"_s; });
        return status;
    }

private Q_SLOTS:
    void init()
    {
        m_control = std::make_shared<FakeServiceControl>();
        m_events.clear();
        m_server.setResponse(u"/health"_s, {200, "ok"});
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

    void printerListAnswers_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("printers");
        const auto row = [](const char *name, const QByteArray &json, const QString &error,
                            const QStringList &printers = {}) {
            QTest::newRow(name) << json << error << printers;
        };
        row("success false, error blank", R"({"success":false,"error":" "})",
            unknownDaemonErrorText);
        row("success 0 is false", R"({"success":0,"error":"kẹt giấy","data":["A"]})",
            u"kẹt giấy"_s);
        row("success 2 is no boolean", R"({"success":2,"error":"x","data":["A"]})", none, {u"A"_s});
        row("a number among the names", R"({"data":["A",1]})", none);
    }

    void printerListAnswers()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QFETCH(QStringList, printers);
        const std::optional<PrinterListUpdate> update = parsePrinterListAnswer(body(json));
        QVERIFY(update.has_value());
        QCOMPARE(update->error.value_or(none), error);
        QCOMPARE(update->printers, printers);
    }

    void configAnswers_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QList<SlotLine>>("rows");
        QTest::newRow("all four slots, in display order")
            << QByteArray(R"({"data":{"printers":{
                  "label":{"printer_name":"Nhãn 58","reverse":true},
                  "payment":{"printer_name":"Quầy 1","reverse":false},
                  "kitchen":{"printer_name":"Bếp"},
                  "complete":{"printer_name":"Quầy 2","reverse":true}}}})")
            << slotRows({u"Quầy 1"_s, u"Bếp"_s, u"Quầy 2"_s, u"Nhãn 58"_s},
                        {false, false, true, true});
        QTest::newRow("wrong types read as absent, slot by slot")
            << QByteArray(R"({"data":{"printers":{
                  "payment":"Quầy 1", "kitchen":{"printer_name":7,"reverse":"true"},
                  "complete":{"printer_name":"Quầy 2","reverse":2},
                  "label":{"reverse":true}, "bar":{"printer_name":"X"}}}})")
            << slotRows({{}, {}, u"Quầy 2"_s, {}}, {false, false, false, true});
        QTest::newRow("reverse 1 and 0 as booleans, 0.5 not")
            << QByteArray(R"({"data":{"printers":{"payment":{"reverse":1},
                  "kitchen":{"reverse":0},"complete":{"reverse":0.5},"label":{"reverse":1}}}})")
            << slotRows({{}, {}, {}, {}}, {true, false, false, true});
        QTest::newRow("success false is not read")
            << QByteArray(R"({"success":false,"data":{"printers":{}}})") << SlotLine::emptySlots();
    }

    void configAnswers()
    {
        QFETCH(QByteArray, json);
        QFETCH(QList<SlotLine>, rows);
        const std::optional<ConfigUpdate> update = parseConfigAnswer(body(json));
        QVERIFY(update.has_value());
        QCOMPARE(update->error, std::nullopt);
        QCOMPARE(update->slots, std::optional(rows));
    }

    // A refresh replaces the slow request in flight, and neither the replaced nor a
    // cancelled request publishes a list or a text.
    void refreshReplacesAndCancelDrops()
    {
        TestHttpServer server;
        server.setResponse(path, {200, R"({"data":["first"]})", 800});
        PrinterList model(server.url(path).toString());
        // The list as the panel reads it at each answer.
        QList<QStringList> answers;
        connect(&model, &FetchModel::changed, this, [&] {
            if (!model.isLoading())
                answers.append(model.printers());
        });

        model.refresh();
        QVERIFY(!model.isLoading()); // assigned on a later turn
        QTRY_COMPARE(server.requestCount(path), 1);
        // Unknown keys and an empty error beside success are ignored.
        server.setResponse(
            path, {200, R"({"success":true,"error":"","data":["XP-80 Quầy","Bếp"],"v":2})"});
        model.refresh();
        // The replaced request ends as our own cancel, which publishes no list.
        const QStringList second{u"XP-80 Quầy"_s, u"Bếp"_s};
        QTRY_COMPARE(answers, (QList<QStringList>{{}, second}));

        server.setResponse(path, {200, R"({"data":["third"]})", 300});
        model.refresh();
        QTRY_COMPARE(server.requestCount(path), 3);
        model.cancel();
        model.cancel();
        // The replaced and the cancelled request hung up on: no answer can come.
        QTRY_COMPARE(server.abandonedCount(path), 2);
        QTRY_VERIFY(!model.isLoading());
        QCOMPARE(answers, (QList<QStringList>{{}, second, second}));
        QCOMPARE(model.lastError(), std::nullopt);
    }

    void destroyingTheModelInFlightIsSafe()
    {
        TestHttpServer server;
        server.setResponse(path, {200, R"({"data":["A"]})", 200});
        auto beforeTheRequest = std::make_unique<PrinterList>(server.url(u"/gone"_s).toString());
        auto beforeTheAnswer = std::make_unique<PrinterList>(server.url(path).toString());
        beforeTheRequest->refresh();
        beforeTheAnswer->refresh();
        beforeTheRequest.reset();
        QTRY_COMPARE(server.requestCount(path), 1);
        beforeTheAnswer.reset();
        // Hung up on, so the 200 ms answer never reaches what is gone.
        QTRY_COMPARE(server.abandonedCount(path), 1);
    }

    // Only a 200 within the probe's 1.5 s counts (a 500 and a healthy daemon are end-to-end
    // rows). stop() right after start(): the check already under way still publishes.
    void healthNeedsA200InTime_data()
    {
        QTest::addColumn<int>("httpStatus");
        QTest::addColumn<int>("delayMs");
        QTest::newRow("204") << 204 << 0;
        QTest::newRow("200 after 2 s") << 200 << 2000;
    }

    void healthNeedsA200InTime()
    {
        QFETCH(int, httpStatus);
        QFETCH(int, delayMs);
        m_server.setResponse(u"/health"_s, {httpStatus, "ok", delayMs});
        const auto status = monitor();
        status->start();
        status->stop();
        // Both values land in one call: the state comes alone when the API is unreachable.
        QTRY_COMPARE(m_events, QStringList{u"Running (pid 412)"_s});
    }

    // A slow first answer arrives after a newer one was shown: it must not replace it.
    void aStaleResultIsDropped()
    {
        std::mutex firstAnswer;
        firstAnswer.lock();
        m_control->answer = [&firstAnswer](int query) {
            if (query > 1)
                return ServiceState::running(413);
            const std::lock_guard held(firstAnswer);
            return ServiceState::stopped();
        };
        const auto status = monitor();
        status->start();
        QTRY_COMPARE(m_control->queries.load(), 1);
        status->restart();
        QTRY_COMPARE(m_events.value(1), u"Running (pid 413)"_s);
        firstAnswer.unlock();
        QTRY_COMPARE(m_events.size(), 4);
        status->stop();
        QVERIFY(poolsSettled()); // the stale check has handed in its result
        QCOMPARE(m_events,
                 (QStringList{u"restart"_s, u"Running (pid 413)"_s, u"api"_s, u"checked"_s}));
    }

    // The restart publishes nothing but its start; its check (as aStaleResultIsDropped shows)
    // does not come once the monitor is gone.
    void noCheckAfterARestartOnceTheMonitorIsGone()
    {
        m_control->onRestart = [] { std::this_thread::sleep_for(300ms); };
        auto status = monitor();
        status->restart();
        status.reset();
        QTRY_COMPARE(m_control->restarts.load(), 1);
        QVERIFY(poolsSettled()); // a check would have been queried
        QCOMPARE(m_control->queries.load(), 0);
        QCOMPARE(m_events, QStringList{u"restart"_s});
    }

    // The re-check after the restart finds the same state and publishes only that it checked.
    void aSlowRestartDoesNotHoldUpChecks()
    {
        m_control->onRestart = [] { std::this_thread::sleep_for(3s); };
        const auto status = monitor(10s);
        status->restart();
        status->start();
        QTRY_COMPARE_WITH_TIMEOUT(m_events.size(), 3, 2000);
        QCOMPARE(m_control->restarts.load(), 0);
        status->stop();
        QTRY_COMPARE_WITH_TIMEOUT(m_control->restarts.load(), 1, 4000);
        QTRY_COMPARE(m_events.last(), u"checked"_s);
        QCOMPARE(m_events.size(), 4);
        QCOMPARE(m_control->queries.load(), 2);
    }

    // A later turn on the main thread, from any thread, and never once the context is gone.
    void toMainRunsQueuedOnTheMainThread()
    {
        QObject context;
        bool ran = false;
        Dispatch::toMain(&context, [&] { ran = true; });
        QVERIFY(!ran); // even when called on the main thread
        std::atomic<QThread *> ranOn = nullptr;
        Dispatch::toPool(Dispatch::utilityPool(), [&] {
            Dispatch::toMain(&context, [&] { ranOn = QThread::currentThread(); });
        });
        QTRY_VERIFY(ran && ranOn.load() != nullptr);
        QCOMPARE(ranOn.load(), QThread::currentThread());

        auto gone = std::make_unique<QObject>();
        bool ranAfterAll = false;
        Dispatch::toMain(gone.get(), [&] { ranAfterAll = true; });
        gone.reset();
        QCoreApplication::sendPostedEvents(); // where the job would have waited
        QVERIFY(!ranAfterAll);
    }

    // The parser's edge cases that fuzz_launchctl does not assert (a non-zero exit is, and a
    // timeout's text is a row of query()).
    void launchctlState_data()
    {
        QTest::addColumn<ProcessResult>("result");
        QTest::addColumn<QString>("label");
        QTest::newRow("pid 0, then a usable line, CRLF")
            << exited("\t\"PID\" = 0;\r\n\t\"PID\" = 77;\r\n") << u"Running (pid 77)"_s;
        QTest::newRow("Unicode spaces trimmed")
            << exited(u"\u3000\u00a0\"PID\" = 412;\u2003\u00a0\n"_s.toUtf8())
            << u"Running (pid 412)"_s;
        QTest::newRow("invalid UTF-8")
            << exited("\t\"PID\" = 412;\n\xff\n") << u"Unknown: non-utf8 launchctl output"_s;
        QTest::newRow("could not start")
            << ProcessResult{ProcessResult::End::failedToStart, u"Permission denied"_s, 0, {}}
            << u"Unknown: Permission denied"_s;
    }

    void launchctlState()
    {
        QFETCH(ProcessResult, result);
        QFETCH(QString, label);
        QCOMPARE(stateFromLaunchctlResult(result).label(), label);
    }

    void query_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("label");
        // Short, so the hang ends soon; long, so a slow machine reads the flood in time.
        QTest::addColumn<int>("timeoutMs");
        QTest::newRow("unknown label")
            << QByteArray("echo 'Could not find service' >&2\nexit 113\n") << u"Not installed"_s
            << 500;
        // Far more than a pipe holds.
        QTest::newRow("flood on stdout")
            << QByteArray(
                   "head -c 4000000 /dev/zero | tr '\\0' x\nprintf '\\n\\t\"PID\" = 412;\\n'\n")
            << u"Running (pid 412)"_s << 10000;
        QTest::newRow("hangs") << QByteArray("exec sleep 60\n") << u"Unknown: launchctl timed out"_s
                               << 500;
    }

    void query()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, label);
        QFETCH(int, timeoutMs);
        LaunchdServiceControl control({u"com.korvel.printer"_s, fake(u"launchctl"_s, body),
                                       u"/nonexistent"_s, std::chrono::milliseconds(timeoutMs)});
        QCOMPARE(control.queryState().label(), label);
        QCOMPARE(read(u"args"_s), "list\ncom.korvel.printer\n");
        // A hung launchctl is killed, not left behind.
        QVERIFY(::kill(read(u"pid"_s).trimmed().toInt(), 0) != 0);
    }

    // Waits for osascript's end; the script text is checked byte for byte where it arrives.
    void restartRunsTheScript()
    {
        LaunchdServiceControl control(
            {u"com.korvel.printer"_s, u"/nonexistent"_s,
             fake(u"osascript"_s, "sleep 0.3\necho end > \"$(dirname \"$0\")/end\"\n"), 1s});
        control.restart();
        QCOMPARE(read(u"end"_s), "end\n");
        QCOMPARE(read(u"args"_s), // the 188-character script
                 "-e\ndo shell script \"launchctl unload /Library/LaunchDaemons/com.korvel."
                 "printer.plist 2>/dev/null; launchctl load /Library/LaunchDaemons/com.korvel."
                 "printer.plist\" with administrator privileges\n");
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

    void saveDialogAddsTheLogExtension()
    {
        std::optional<QString> chosen;
        DialogPrompts().chooseSaveLocation(u"Export"_s, u"KorvelPrinter-1.log"_s,
                                           [&](std::optional<QString> path) { chosen = path; });
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        const QTemporaryDir dir;
        dialog->setDirectory(dir.path());
        dialog->selectFile(u"receipts"_s);
        static_cast<QDialog *>(dialog)->accept();
        QCOMPARE(chosen, std::optional(dir.filePath(u"receipts.log"_s)));
    }

    void warningIsShownOnALaterTurn()
    {
        const auto visibleBox = [] {
            return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        };
        DialogPrompts().warn(u"Export failed: No such file or directory"_s);
        QVERIFY(!visibleBox());
        QTRY_VERIFY(visibleBox());
        QCOMPARE(visibleBox()->informativeText(), u"Export failed: No such file or directory"_s);
        visibleBox()->buttons().first()->click();
    }
};

QTEST_MAIN(DaemonTest)
#include "tst_daemon.moc"
