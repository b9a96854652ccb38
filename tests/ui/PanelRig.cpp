#include "PanelRig.h"

#include "platform/macos/LaunchdServiceControl.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString &path, const QByteArray &bytes,
               QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Truncate)
{
    QFile file(path);
    if (!file.open(mode))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

QString writeScript(const QString &path, const QByteArray &body)
{
    writeFile(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

QStringList visibleOf(QWidget &root, const QStringList &names)
{
    QStringList visible;
    for (const QString &name : names) {
        if (find(root, name)->isVisible())
            visible.append(name);
    }
    return visible;
}

PanelRig::PanelRig()
    : desktop(std::make_shared<RecordingDesktop>(dir.filePath(u"share"_s)))
    , prompts(std::make_shared<RecordingPrompts>())
{
    QDir(dir.path()).mkpath(u"share"_s);
    setLaunchctl("{\n\t\"Label\" = \"com.korvel.printer\";\n};\n", 0);
    LaunchdTools tools;
    tools.launchctlPath = writeScript(dir.filePath(u"launchctl"_s),
                                      "cat \"$(dirname \"$0\")/launchctl.out\"\n"
                                      "exit $(cat \"$(dirname \"$0\")/launchctl.rc\")\n");
    tools.osascriptPath = writeScript(dir.filePath(u"osascript"_s),
                                      "echo run >> \"$(dirname \"$0\")/osascript.runs\"\n");
    writeLog({});

    logTailer = std::make_unique<LogTailer>(logPath(), 300, 65536, desktop, prompts);
    serviceStatus = std::make_unique<ServiceStatus>(std::make_shared<LaunchdServiceControl>(tools),
                                                    server.url(u"/health"_s));
    printerList = std::make_unique<PrinterList>(server.url(u"/printers"_s).toString());
    configSummary = std::make_unique<ConfigSummary>(server.url(u"/config"_s).toString());
}

PanelRig::~PanelRig()
{
    view.reset();
    logTailer->stop();
    serviceStatus->stop();
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

void PanelRig::setLaunchctl(const QByteArray &output, int exitCode)
{
    writeFile(dir.filePath(u"launchctl.out"_s), output);
    writeFile(dir.filePath(u"launchctl.rc"_s), QByteArray::number(exitCode));
}

int PanelRig::restartRuns() const
{
    QFile file(dir.filePath(u"osascript.runs"_s));
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
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
