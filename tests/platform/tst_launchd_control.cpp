#include "platform/macos/LaunchdServiceControl.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QByteArray printsPid412 = "printf '{\\n\\t\"Label\" = \"x\";\\n\\t\"PID\" = 412;\\n};\\n'\n";

} // namespace

// launchctl and osascript stand-ins: each records its arguments and its own pid.
class LaunchdControlTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString fake(const QString &name, const QByteArray &body)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write("#!/bin/sh\necho $$ > '" + m_dir.filePath(u"pid"_s).toUtf8() +
                       "'\nprintf '%s\\n' \"$@\" > '" + m_dir.filePath(u"args"_s).toUtf8() + "'\n" +
                       body) < 0)
            qFatal("cannot write a fake");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file.fileName();
    }

    QByteArray read(const QString &name) const
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void query_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("label");
        QTest::newRow("unknown label")
            << QByteArray("echo 'Could not find service' >&2\nexit 113\n") << u"Not installed"_s;
        // Far more than a pipe holds.
        QTest::newRow("flood on stderr")
            << "head -c 4000000 /dev/zero >&2\n" + printsPid412 << u"Running (pid 412)"_s;
        QTest::newRow("flood on stdout")
            << "head -c 4000000 /dev/zero | tr '\\0' x\n" + printsPid412 << u"Running (pid 412)"_s;
        QTest::newRow("hangs") << QByteArray("exec sleep 60\n")
                               << u"Unknown: launchctl timed out"_s;
    }

    void query()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, label);
        LaunchdServiceControl control(
            {u"com.korvel.printer"_s, fake(u"launchctl"_s, body), u"/nonexistent"_s, 500ms});
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
        const QByteArray args = read(u"args"_s);
        QCOMPARE(args, // the 188-character script
                 "-e\ndo shell script \"launchctl unload /Library/LaunchDaemons/com.korvel."
                 "printer.plist 2>/dev/null; launchctl load /Library/LaunchDaemons/com.korvel."
                 "printer.plist\" with administrator privileges\n");
    }
};

QTEST_GUILESS_MAIN(LaunchdControlTest)
#include "tst_launchd_control.moc"
