// The panel's printer list with 6 printers and with 200,000 (about 3.4 MB of JSON, under the
// 4 MiB body cap), side by side: the JSON parse on the main thread, and the longest stall of the
// event loop while a shown printer section takes a fetched list, lays out and paints its rows;
// first when the section opens on a fetched list, then when the list is replaced by another of
// the same length. The daemon is a loopback server on a thread of its own, so its writing does
// not count. Usage: bench_printer_list

#include "TestHttpServer.h"
#include "daemon/PrinterList.h"
#include "daemon/PrinterListParsing.h"
#include "ui/PrinterSection.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListView>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Figures
{
    double bodyMiB = 0;
    double parseMs = 0;
    double openMs = 0;
    double openStallMs = 0;
    double openRowsMs = 0;
    double updateSetMs = 0;
    double updateStallMs = 0;
    double updateRowsMs = 0;
};

// Every thousandth name is long enough to wrap.
QByteArray printersBody(int count, const QString &prefix)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(u'"' + prefix + u"%1"_s.arg(i, 6, 10, QChar(u'0')) +
                     (i % 1000 == 999 ? u" Xprinter XP-80C"_s.repeated(6) : QString()) + u'"');
    return "{\"success\":true,\"data\":[" + names.join(u',').toUtf8() + "]}";
}

double millis(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// The longest gap between the ticks of a 1 ms timer since the last reset.
class StallMeter
{
public:
    StallMeter()
    {
        m_ticks.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_ticks, &QTimer::timeout, [this] {
            m_longestMs = std::max(m_longestMs, millis(m_sinceTick));
            m_sinceTick.start();
        });
        m_ticks.start(1);
        reset();
    }
    void reset()
    {
        m_longestMs = 0;
        m_sinceTick.start();
    }
    double longestMs() const { return std::max(m_longestMs, millis(m_sinceTick)); }

private:
    QTimer m_ticks;
    QElapsedTimer m_sinceTick;
    double m_longestMs = 0;
};

// Waits until the view holds `count` rows starting with `first` and has measured them all, then
// a little longer for the paint that follows; returns the time since `timer` started. Polled from
// the event loop: QTest::qWaitFor sleeps between its checks, which would hold up the batches.
double rowsLaidOut(QListView *list, int count, const QString &first, const QElapsedTimer &timer)
{
    QAbstractItemModel *model = list->model();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (model->rowCount() == count && model->index(0, 0).data() == first &&
            list->visualRect(model->index(count - 1, 0)).isValid())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(120000, &loop, [&] { loop.exit(1); });
    const bool done = loop.exec() == 0;
    const double laidOut = millis(timer);
    QTest::qWait(100);
    return done ? laidOut : -1;
}

Figures measure(int count, TestHttpServer &server, QObject &serverContext)
{
    const auto answer = [&](const QByteArray &body) {
        QMetaObject::invokeMethod(
            &serverContext,
            [&] {
                server.setResponse(u"/printers"_s, {200, body});
            },
            Qt::BlockingQueuedConnection);
    };
    Figures figures;
    const QByteArray first = printersBody(count, u"Máy in "_s);
    figures.bodyMiB = double(first.size()) / (1024 * 1024);
    std::vector<double> parses;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto update =
            parsePrinterListAnswer(DaemonAnswer{DaemonAnswer::Kind::body, {}, first});
        parses.push_back(millis(timer));
        if (!update || update->printers.size() != count)
            qFatal("the body did not parse");
    }
    std::sort(parses.begin(), parses.end());
    figures.parseMs = parses[parses.size() / 2];

    // The daemon has answered before the panel opens.
    answer(first);
    PrinterList printers(server.url(u"/printers"_s).toString());
    printers.refresh();
    if (!QTest::qWaitFor([&] { return printers.printers().size() == count; }, 30000))
        qFatal("no answer from the loopback daemon");

    StallMeter meter;
    QElapsedTimer timer;
    timer.start();
    PrinterSection section(printers);
    section.resize(492, 200);
    section.show();
    figures.openMs = millis(timer);
    auto *list = section.findChild<QListView *>(u"printerScroll"_s);
    figures.openRowsMs = rowsLaidOut(list, count, u"Máy in 000000"_s, timer);
    figures.openStallMs = meter.longestMs();

    // Wired as the panel wires it, with the list's own change timed.
    QObject::connect(&printers, &FetchModel::changed, &section, [&] {
        QElapsedTimer set;
        set.start();
        section.refresh();
        figures.updateSetMs = millis(set);
    });
    answer(printersBody(count, u"Máy bếp "_s));
    meter.reset();
    timer.start();
    printers.refresh();
    figures.updateRowsMs = rowsLaidOut(list, count, u"Máy bếp 000000"_s, timer);
    figures.updateStallMs = meter.longestMs();
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QThread serverThread;
    serverThread.start();
    QObject serverContext;
    serverContext.moveToThread(&serverThread);
    TestHttpServer *server = nullptr;
    QMetaObject::invokeMethod(
        &serverContext, [&] { server = new TestHttpServer; }, Qt::BlockingQueuedConnection);

    { // Loads the fonts and the style before anything is timed.
        PrinterList none(server->url(u"/none"_s).toString());
        PrinterSection section(none);
        section.show();
        if (!QTest::qWaitForWindowExposed(&section))
            return 1;
    }
    const Figures few = measure(6, *server, serverContext);
    const Figures many = measure(200000, *server, serverContext);

    QMetaObject::invokeMethod(
        &serverContext, [&] { delete server; }, Qt::BlockingQueuedConnection);
    serverThread.quit();
    serverThread.wait();

    const auto row = [](const char *what, double Figures::*figure, const Figures &a,
                        const Figures &b) {
        std::printf("%-56s %12.1f %16.1f\n", what, a.*figure, b.*figure);
    };
    std::printf("%-56s %12s %16s\n", "", "6 printers", "200000 printers");
    row("/printers body (MiB)", &Figures::bodyMiB, few, many);
    row("JSON parse on the main thread, median of 5 (ms)", &Figures::parseMs, few, many);
    row("open: section built and shown (ms)", &Figures::openMs, few, many);
    row("open: longest event-loop stall (ms)", &Figures::openStallMs, few, many);
    row("open: every row measured after (ms)", &Figures::openRowsMs, few, many);
    row("update: list set into the section (ms)", &Figures::updateSetMs, few, many);
    row("update: longest event-loop stall, parse included (ms)", &Figures::updateStallMs, few,
        many);
    row("update: every row measured after (ms)", &Figures::updateRowsMs, few, many);
    return 0;
}
