#include "PanelRig.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode)
{
    QFile file(path);
    if (!file.open(mode))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

} // namespace

PanelRig::PanelRig()
    : desktop(std::make_shared<RecordingDesktop>(dir.filePath(u"share"_s)))
    , prompts(std::make_shared<RecordingPrompts>())
{
    QDir(dir.path()).mkpath(u"share"_s);
    setLaunchctl("{\n\t\"Label\" = \"com.korvel.printer\";\n};\n", 0);
    ServiceTools tools;
    tools.launchctlPath =
        writeScript(u"launchctl"_s, "#!/bin/sh\ncat \"$(dirname \"$0\")/launchctl.out\"\n"
                                    "exit $(cat \"$(dirname \"$0\")/launchctl.rc\")\n");
    tools.osascriptPath = writeScript(
        u"osascript"_s, "#!/bin/sh\necho run >> \"$(dirname \"$0\")/osascript.runs\"\n");
    tools.healthUrl = server.url(u"/health"_s);
    writeLog({});

    logTailer = std::make_unique<LogTailer>(logPath(), 300, 65536, desktop, prompts);
    serviceStatus = std::make_unique<ServiceStatus>(u"com.korvel.printer"_s, tools);
    printerList = std::make_unique<PrinterList>(server.url(u"/printers"_s).toString());
    configSummary = std::make_unique<ConfigSummary>(server.url(u"/config"_s).toString());
}

PopoverView &PanelRig::showView()
{
    view = std::make_unique<PopoverView>(
        *logTailer, *serviceStatus, *printerList, *configSummary, [this] { ++openConfigCalls; },
        sharePicker);
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        qFatal("the panel was not exposed");
    return *view;
}

PanelRig::~PanelRig()
{
    view.reset();
    logTailer->stop();
    serviceStatus->stop();
}

QString PanelRig::writeScript(const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    writeFile(path, body, QIODevice::WriteOnly | QIODevice::Truncate);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

void PanelRig::setLaunchctl(const QByteArray &output, int exitCode)
{
    writeFile(dir.filePath(u"launchctl.out"_s), output, QIODevice::WriteOnly | QIODevice::Truncate);
    writeFile(dir.filePath(u"launchctl.rc"_s), QByteArray::number(exitCode),
              QIODevice::WriteOnly | QIODevice::Truncate);
}

int PanelRig::restartRuns() const
{
    QFile file(dir.filePath(u"osascript.runs"_s));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return int(file.readAll().count('\n'));
}

void PanelRig::setPrinters(const QByteArray &body)
{
    server.setResponse(u"/printers"_s, {200, body});
}

void PanelRig::setConfig(const QByteArray &body)
{
    server.setResponse(u"/config"_s, {200, body});
}

QString PanelRig::logPath() const
{
    return dir.filePath(u"KorvelPrinter.log"_s);
}

void PanelRig::writeLog(const QStringList &lines, bool append)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + '\n';
    writeFile(logPath(), bytes,
              QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::Truncate));
}

bool PanelRig::fetchAll()
{
    const int printersAnswered = server.requestCount(u"/printers"_s);
    const int configAnswered = server.requestCount(u"/config"_s);
    printerList->refresh();
    configSummary->refresh();
    // Each answer ends with isLoading back to false after the server has been asked.
    return QTest::qWaitFor(
        [&] {
            return server.requestCount(u"/printers"_s) > printersAnswered &&
                   server.requestCount(u"/config"_s) > configAnswered &&
                   !printerList->isLoading() && !configSummary->isLoading() &&
                   printerList->lastRefreshAt().has_value();
        },
        5000);
}
