#include "service/RestartScript.h"

#include <QTest>

using namespace Qt::StringLiterals;

class RestartScriptTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void script_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("script");
        QTest::newRow("the restart command, 188 characters")
            << restartShellCommand.toString()
            << u"do shell script \"launchctl unload /Library/LaunchDaemons/com.korvel.printer.plist"
               " 2>/dev/null; launchctl load /Library/LaunchDaemons/com.korvel.printer.plist\""
               " with administrator privileges"_s;
        QTest::newRow("quotes escaped")
            << u"echo \"a\" \"b\""_s
            << u"do shell script \"echo \\\"a\\\" \\\"b\\\"\" with administrator privileges"_s;
        QTest::newRow("backslash kept")
            << u"printf 'a\\n'"_s
            << u"do shell script \"printf 'a\\n'\" with administrator privileges"_s;
    }

    void script()
    {
        QFETCH(QString, command);
        QFETCH(QString, script);
        QCOMPARE(privilegedShellScript(command), script);
    }
};

QTEST_GUILESS_MAIN(RestartScriptTest)
#include "tst_restartscript.moc"
