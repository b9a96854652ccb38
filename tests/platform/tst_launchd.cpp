#include "TestFiles.h"
#include "platform/macos/LaunchctlParsing.h"
#include "platform/macos/LaunchdServiceControl.h"

#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

ProcessResult exited(const QByteArray &output, int status = 0)
{
    return {ProcessResult::End::exited, {}, status, output};
}

} // namespace

// The launchctl parser; launchctl and osascript stand-ins record their arguments and own pid.
class LaunchdTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

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
private Q_SLOTS:
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
};

QTEST_MAIN(LaunchdTest)
#include "tst_launchd.moc"
