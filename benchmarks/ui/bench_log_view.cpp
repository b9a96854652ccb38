// Time of one log update in the panel's log view: 300 lines of 200 characters shown, one new
// line appended and the oldest dropped, the view refreshed and repainted. Prints median, p99 and
// maximum over the runs, as wall-clock time and as the thread's CPU time (which leaves out the
// time other processes took the CPU away). Usage: bench_log_view [RUNS]

#include "log/LogTailer.h"
#include "platform/Platform.h"
#include "ui/LogView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QByteArray logLine(int index)
{
    static const char *const words[] = {"PRINT_SUCCESS", "INFO", "WARN", "ERROR", "Health check"};
    QByteArray line = "2026-03-01 09:00:00.000 [" + QByteArray(words[index % 5]) + "] job " +
                      QByteArray::number(index) + ' ';
    while (line.size() < 200)
        line += "printer=\"Quầy Thu Ngân\" ";
    line.truncate(200);
    return line + '\n';
}

double threadCpuMillis()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void printFigures(const char *kind, std::vector<double> millis)
{
    std::sort(millis.begin(), millis.end());
    const auto at = [&](double fraction) {
        return millis[std::min(millis.size() - 1, size_t(fraction * double(millis.size())))];
    };
    std::printf("log view update, 300 lines x 200 chars, %zu runs, %s: median %.3f ms, "
                "p99 %.3f ms, max %.3f ms\n",
                millis.size(), kind, at(0.5), at(0.99), millis.back());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;

    QTemporaryDir dir;
    const QString path = dir.filePath(u"KorvelPrinter.log"_s);
    QFile log(path);
    if (!log.open(QIODevice::WriteOnly))
        return 1;
    int written = 0;
    for (; written < 300; ++written)
        log.write(logLine(written));
    log.flush();

    LogTailer tailer(path, 300, 65536, makeDesktopIntegration(), makeUserPrompts());
    LogView view(tailer);
    view.resize(492, 300);
    view.show();

    std::vector<double> wall;
    std::vector<double> cpu;
    QElapsedTimer timer;
    QObject::connect(&tailer, &LogTailer::linesChanged, &view, [&] {
        const double cpuStart = threadCpuMillis();
        timer.start();
        view.refresh();
        view.repaint();
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(threadCpuMillis() - cpuStart);
    });

    QSignalSpy changes(&tailer, &LogTailer::linesChanged);
    tailer.start();
    if (!changes.wait(3000) || tailer.lines().size() != 300)
        return 1;
    wall.clear();
    cpu.clear();
    for (int run = 0; run < runs; ++run) {
        log.write(logLine(written++));
        log.flush();
        // Every start begins with an immediate read.
        tailer.start();
        if (!changes.wait(3000))
            return 1;
    }
    tailer.stop();

    printFigures("wall clock", wall);
    printFigures("thread CPU", cpu);
    return 0;
}
