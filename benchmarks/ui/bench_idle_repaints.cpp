// Repaints of the shown panel while its models are idle: the log file does not change, the
// service answers the same every 3 seconds, and the two fetches have been answered. Counts paint
// events over a fixed time after a settling period and prints them per minute.
// Usage: bench_idle_repaints [SECONDS]   (default 60)

#include "PanelRig.h"

#include <QApplication>
#include <QElapsedTimer>
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

    // The app's models on a loopback daemon and a fixed log, the panel shown on them.
    PanelRig rig;
    QStringList lines;
    for (int i = 0; i < 120; ++i)
        lines.append(u"2026-03-01 09:00:00.000 [INFO] PRINT_SUCCESS job=KV-"_s +
                     QString::number(i));
    rig.writeLog(lines);
    rig.server.setResponse(u"/health"_s, {200, "{}"});
    rig.server.setResponse(u"/printers"_s, {200, R"({"success":true,"data":["EPSON TM-T82"]})"});
    rig.server.setResponse(u"/config"_s,
                           {200, R"({"data":{"printers":{"label":{"printer_name":"Zebra"}}}})"});
    rig.showView();

    PaintCounter counter;
    app.installEventFilter(&counter);
    rig.models->start();
    QTest::qWait(4000);
    std::printf("settling (first answers, 4 s): %d paint events\n", counter.paints);

    counter.paints = 0;
    const int checksBefore = rig.server.requestCount(u"/health"_s);
    QElapsedTimer elapsed;
    elapsed.start();
    QTest::qWait(seconds * 1000);
    const double minutes = double(elapsed.elapsed()) / 60000.0;
    std::printf("idle panel for %d s (%d service checks, a log read every second): %d paint "
                "events, %.1f repaints/minute\n",
                seconds, rig.server.requestCount(u"/health"_s) - checksBefore, counter.paints,
                counter.paints / minutes);
    return 0;
}
