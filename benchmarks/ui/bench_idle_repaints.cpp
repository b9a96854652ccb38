// Repaints of the shown panel while its models are idle: the log file does not change, the
// service answers the same every 3 seconds, and the two fetches have been answered. Counts paint
// events over a fixed time after a settling period and prints them per minute.
// Usage: bench_idle_repaints [SECONDS]   (default 60)

#include "FakeServiceControl.h"
#include "TestHttpServer.h"
#include "daemon/ConfigSummary.h"
#include "daemon/PrinterList.h"
#include "log/LogTailer.h"
#include "platform/Platform.h"
#include "service/ServiceStatus.h"
#include "ui/PopoverView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;

    QTemporaryDir dir;
    const QString logPath = dir.filePath(u"KorvelPrinter.log"_s);
    QFile log(logPath);
    if (!log.open(QIODevice::WriteOnly))
        return 1;
    for (int i = 0; i < 120; ++i)
        log.write("2026-03-01 09:00:00.000 [INFO] PRINT_SUCCESS job=KV-" + QByteArray::number(i) +
                  "\n");
    log.close();

    TestHttpServer server;
    server.setResponse(u"/health"_s, {200, "{}"});
    server.setResponse(u"/printers"_s, {200, R"({"success":true,"data":["EPSON TM-T82"]})"});
    server.setResponse(u"/config"_s,
                       {200, R"({"data":{"printers":{"label":{"printer_name":"Zebra"}}}})"});

    LogTailer logTailer(logPath, 300, 65536, makeDesktopIntegration(), makeUserPrompts());
    ServiceStatus serviceStatus(std::make_shared<FakeServiceControl>(), server.url(u"/health"_s));
    PrinterList printerList(server.url(u"/printers"_s).toString());
    ConfigSummary configSummary(server.url(u"/config"_s).toString());
    const std::unique_ptr<SharePicker> sharePicker = makeSharePicker();
    PopoverView view(
        logTailer, serviceStatus, printerList, configSummary, [] {}, *sharePicker);
    view.show();

    PaintCounter counter;
    app.installEventFilter(&counter);
    logTailer.start();
    serviceStatus.start();
    printerList.refresh();
    configSummary.refresh();
    QTest::qWait(4000);
    std::printf("settling (first answers, 4 s): %d paint events\n", counter.paints);

    counter.paints = 0;
    const int checksBefore = server.requestCount(u"/health"_s);
    QElapsedTimer elapsed;
    elapsed.start();
    QTest::qWait(seconds * 1000);
    const double minutes = double(elapsed.elapsed()) / 60000.0;
    std::printf("idle panel for %d s (%d service checks, a log read every second): %d paint "
                "events, %.1f repaints/minute\n",
                seconds, server.requestCount(u"/health"_s) - checksBefore, counter.paints,
                counter.paints / minutes);
    logTailer.stop();
    serviceStatus.stop();
    return 0;
}
