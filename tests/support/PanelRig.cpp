#include "PanelRig.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

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
{
    QDir(dir.path()).mkpath(u"share"_s);
    desktop->share = {dir.filePath(u"share"_s), {}};
    server.setResponse(u"/health"_s, {});
    writeLog({});
    models = std::make_unique<PanelModels>(logPath, server.url(u""_s).toString(), control, desktop,
                                           prompts);
}

PopoverView &PanelRig::showView()
{
    view = std::make_unique<PopoverView>(
        *models, [] {}, sharePicker);
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        qFatal("the panel was not exposed");
    return *view;
}

void PanelRig::writeLog(const QStringList &lines, bool append)
{
    QFile file(logPath);
    if (!file.open(QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::Truncate)))
        qFatal("cannot write %s", qPrintable(logPath));
    for (const QString &line : lines)
        file.write(line.toUtf8() + '\n');
}

bool PanelRig::fetchAll()
{
    const int printersAsked = server.requestCount(u"/printers"_s);
    const int configAsked = server.requestCount(u"/config"_s);
    models->printerList.refresh();
    models->configSummary.refresh();
    // Each answer ends with isLoading back to false after the server has been asked.
    return QTest::qWaitFor(
        [&] {
            return server.requestCount(u"/printers"_s) > printersAsked &&
                   server.requestCount(u"/config"_s) > configAsked &&
                   !models->printerList.isLoading() && !models->configSummary.isLoading() &&
                   models->printerList.lastRefreshAt().has_value();
        },
        5000);
}
