#include "platform/macos/LaunchctlParsing.h"
#include "platform/macos/RestartScript.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

ProcessResult exited(const QByteArray &output, int status = 0)
{
    return {ProcessResult::End::exited, {}, status, output};
}

} // namespace

class LaunchctlParsingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void launchctlState_data()
    {
        QTest::addColumn<ProcessResult>("result");
        QTest::addColumn<QString>("label");
        const QString running = u"Running (pid 412)"_s;
        const QString stopped = u"Stopped"_s;
        const QString nonUtf8 = u"Unknown: non-utf8 launchctl output"_s;

        QTest::newRow("loaded job without a process")
            << exited("{\n\t\"Label\" = \"com.korvel.printer\";\n\t\"LastExitStatus\" = 0;\n};\n")
            << stopped;
        QTest::newRow("pid 0, then a usable line, CRLF")
            << exited("\t\"PID\" = 0;\r\n\t\"PID\" = 77;\r\n") << u"Running (pid 77)"_s;
        QTest::newRow("minus sign dropped") << exited("\t\"PID\" = -5;\n") << u"Running (pid 5)"_s;
        QTest::newRow("no equals sign") << exited("\t\"PID\" 412;\n") << stopped;
        QTest::newRow("PIDFile key") << exited("\t\"PIDFile\" = 412;\n") << stopped;
        QTest::newRow("20 digits") << exited("\t\"PID\" = 12345678901234567890;\n") << stopped;
        QTest::newRow("Unicode spaces trimmed")
            << exited(u"\u3000\u00a0\"PID\" = 412;\u2003\u00a0\n"_s.toUtf8()) << running;
        QTest::newRow("line breaks not trimmed") << exited("\v\"PID\" = 412;\n") << stopped;
        QTest::newRow("non-ASCII digits")
            << exited(u"\"PID\" = \u0664\u0661\u0662;"_s.toUtf8()) << stopped;
        QTest::newRow("numeric character outside the BMP")
            << exited(u"\"PID\" = 4\U0001D7CF2;"_s.toUtf8()) << stopped;
        QTest::newRow("non-zero exit, output not decoded")
            << exited("\xff", 1) << u"Not installed"_s;
        QTest::newRow("invalid UTF-8") << exited("\t\"PID\" = 412;\n\xff\n") << nonUtf8;
        QTest::newRow("truncated UTF-8 sequence") << exited("\"PID\" = 412;\n\xe2\x80") << nonUtf8;
        QTest::newRow("could not start")
            << ProcessResult{ProcessResult::End::failedToStart, u"Permission denied"_s, 0, {}}
            << u"Unknown: Permission denied"_s;
        QTest::newRow("timed out") << ProcessResult{ProcessResult::End::timedOut, {}, 0, {}}
                                   << u"Unknown: launchctl timed out"_s;
    }

    void launchctlState()
    {
        QFETCH(ProcessResult, result);
        QFETCH(QString, label);
        QCOMPARE(stateFromLaunchctlResult(result).label(), label);
    }

    // The restart's own script is checked byte for byte where osascript receives it.
    void privilegedScriptEscapesQuotes()
    {
        QCOMPARE(privilegedShellScript(u"echo \"a\" \"b\""_s),
                 u"do shell script \"echo \\\"a\\\" \\\"b\\\"\" with administrator privileges"_s);
    }
};

QTEST_GUILESS_MAIN(LaunchctlParsingTest)
#include "tst_launchctl_parsing.moc"
