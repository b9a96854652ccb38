// Renders the panel, fed by the print-daemon simulator, to PNG in a light and a dark palette:
//   panel_screenshots [OUTPUT_DIR]     (default: docs/screenshots of the source tree)
// Not a test: it compares nothing; look at the pictures.

#include "daemon/ConfigSummary.h"
#include "daemon/PrinterList.h"
#include "log/LogTailer.h"
#include "platform/Platform.h"
#include "service/ServiceStatus.h"
#include "ui/PopoverView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QPalette lightPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0xec, 0xec, 0xec));
    palette.setColor(QPalette::WindowText, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xf5, 0xf5, 0xf5));
    palette.setColor(QPalette::Text, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::Button, QColor(0xfb, 0xfb, 0xfb));
    palette.setColor(QPalette::ButtonText, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::Highlight, QColor(0x00, 0x6e, 0xe6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x00, 0x63, 0xd1));
    palette.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x8a, 0x8e));
    return palette;
}

QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x28, 0x28, 0x2b));
    palette.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf2));
    palette.setColor(QPalette::Base, QColor(0x1c, 0x1c, 0x1e));
    palette.setColor(QPalette::AlternateBase, QColor(0x24, 0x24, 0x26));
    palette.setColor(QPalette::Text, QColor(0xf0, 0xf0, 0xf2));
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3d));
    palette.setColor(QPalette::ButtonText, QColor(0xf0, 0xf0, 0xf2));
    palette.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x4c, 0xa6, 0xff));
    palette.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    palette.setColor(QPalette::Light, QColor(0x50, 0x50, 0x54));
    palette.setColor(QPalette::Midlight, QColor(0x44, 0x44, 0x48));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x33));
    palette.setColor(QPalette::Dark, QColor(0x1a, 0x1a, 0x1c));
    palette.setColor(QPalette::Shadow, Qt::black);
    return palette;
}

int fail(const char *message)
{
    std::fprintf(stderr, "panel_screenshots: %s\n", message);
    return 1;
}

bool render(PopoverView &view, const QPalette &palette, const QString &path)
{
    QApplication::setPalette(palette);
    // Let the palette reach every widget and the log finish scrolling to its end.
    QTest::qWait(400);
    if (!view.grab().save(path)) {
        fail("cannot write the picture");
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // Twice the pixels, as on a HiDPI screen.
    qputenv("QT_SCALE_FACTOR", "2");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    QApplication::setPalette(lightPalette());
    const QString outputDir = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                       : QStringLiteral(KORVEL_SOURCE_DIR "/docs/screenshots");
    QDir().mkpath(outputDir);

    QTemporaryDir dir;
    const QString logPath = dir.filePath(u"KorvelPrinter.log"_s);
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.start(u"python3"_s, {QStringLiteral(KORVEL_SOURCE_DIR "/tools/korvel-daemon-sim"),
                                   u"--port"_s, u"0"_s, u"--log"_s, logPath, u"--log-burst"_s,
                                   u"60"_s, u"--log-interval"_s, u"0"_s});
    if (!simulator.waitForReadyRead(10000))
        return fail("the simulator did not start");
    const QRegularExpressionMatch listening = QRegularExpression(u"listening on ([0-9.]+):(\\d+)"_s)
                                                  .match(QString::fromUtf8(simulator.readLine()));
    if (!listening.hasMatch())
        return fail("the simulator did not say where it listens");
    const QString base = u"http://"_s + listening.captured(1) + u':' + listening.captured(2);

    // launchd is the Mac's; a stand-in reports the job running.
    ServiceTools tools;
    tools.launchctlPath = dir.filePath(u"launchctl"_s);
    QFile launchctl(tools.launchctlPath);
    if (!launchctl.open(QIODevice::WriteOnly))
        return fail("cannot write the launchctl stand-in");
    launchctl.write("#!/bin/sh\nprintf '{\\n\\t\"PID\" = 412;\\n\\t\"Label\" = "
                    "\"com.korvel.printer\";\\n};\\n'\n");
    launchctl.close();
    launchctl.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    tools.healthUrl = QUrl(base + u"/health"_s);

    LogTailer logTailer(logPath, 300, 65536);
    ServiceStatus serviceStatus(u"com.korvel.printer"_s, tools);
    PrinterList printerList(base + u"/printers"_s);
    ConfigSummary configSummary(base + u"/config"_s);
    const std::unique_ptr<SharePicker> sharePicker = makeSharePicker();
    PopoverView view(
        logTailer, serviceStatus, printerList, configSummary, [] {}, *sharePicker);
    view.show();

    logTailer.start();
    serviceStatus.start();
    printerList.refresh();
    configSummary.refresh();
    const bool ready = QTest::qWaitFor(
        [&] {
            return serviceStatus.apiReachable() &&
                   serviceStatus.state().kind() == ServiceState::Kind::running &&
                   !printerList.printers().isEmpty() && !configSummary.isLoading() &&
                   !configSummary.slots().first().printer.isEmpty() && !logTailer.lines().isEmpty();
        },
        10000);
    if (!ready)
        return fail("the models did not reach their states");
    logTailer.stop();
    serviceStatus.stop();

    const bool written = render(view, lightPalette(), outputDir + u"/panel-light.png"_s) &&
                         render(view, darkPalette(), outputDir + u"/panel-dark.png"_s);
    simulator.terminate();
    simulator.waitForFinished(3000);
    return written;
}
