#pragma once

#include "TestHttpServer.h"
#include "daemon/ConfigSummary.h"
#include "daemon/PrinterList.h"
#include "log/LogTailer.h"
#include "platform/DesktopIntegration.h"
#include "platform/SharePicker.h"
#include "platform/UserPrompts.h"
#include "service/ServiceStatus.h"
#include "ui/PopoverView.h"

#include <QLabel>
#include <QTemporaryDir>
#include <memory>

// The panel's widget called `name`; the test ends at once if there is none.
template<typename T = QWidget>
T *find(QWidget &root, const QString &name)
{
    T *child = root.findChild<T *>(name);
    if (!child)
        qFatal("no widget named %s", qPrintable(name));
    return child;
}

inline QString textOf(QWidget &root, const QString &name)
{
    return find<QLabel>(root, name)->text();
}

// Those of `names` whose widgets are visible, in the given order.
QStringList visibleOf(QWidget &root, const QStringList &names);

// Records what the log actions ask of the desktop instead of starting helpers.
class RecordingDesktop : public DesktopIntegration
{
public:
    explicit RecordingDesktop(const QString &shareDirectory)
        : m_shareDirectory(shareDirectory)
    {}
    void openInLogViewer(const QString &path) override { openedInLogViewer.append(path); }
    void revealInFileBrowser(const QString &path) override { revealed.append(path); }
    PreparedDirectory shareDirectory() override { return {m_shareDirectory, {}}; }
    void bringToFront() override {}

    QStringList openedInLogViewer;
    QStringList revealed;

private:
    QString m_shareDirectory;
};

// Answers every save dialog with "cancelled" and keeps the warnings.
class RecordingPrompts : public UserPrompts
{
public:
    void chooseSaveLocation(const QString &, const QString &suggestedName,
                            std::function<void(std::optional<QString>)> chosen) override
    {
        saveDialogs.append(suggestedName);
        chosen(std::nullopt);
    }
    void warn(const QString &message) override { warnings.append(message); }

    QStringList saveDialogs;
    QStringList warnings;
};

class RecordingSharePicker : public SharePicker
{
public:
    void show(const QList<QUrl> &items, QWidget *anchor) override
    {
        shown.append(items);
        lastAnchor = anchor;
    }

    QList<QList<QUrl>> shown;
    QWidget *lastAnchor = nullptr;
};

// The four real models, each put into states through its own seam: the launchd control with a
// fake launchctl and osascript, a loopback HTTP server for /health, /printers and /config, and a
// log file in a temporary directory. The panel is built on top of them by showView().
class PanelRig
{
public:
    PanelRig();
    ~PanelRig();

    // launchctl prints `output` and exits with `exitCode`.
    void setLaunchctl(const QByteArray &output, int exitCode = 0);
    // How often Restart ran the privileged script.
    int restartRuns() const;
    void setPrinters(const QByteArray &body)
    {
        server.setResponse(QStringLiteral("/printers"), {200, body});
    }
    void setConfig(const QByteArray &body)
    {
        server.setResponse(QStringLiteral("/config"), {200, body});
    }
    void writeLog(const QStringList &lines, bool append = false);
    QString logPath() const { return dir.filePath(QStringLiteral("KorvelPrinter.log")); }

    // Builds the panel on the models as they are now and shows it.
    PopoverView &showView();
    // Refreshes both request models and waits until both answers have been handled.
    bool fetchAll();

    QTemporaryDir dir;
    TestHttpServer server;
    std::shared_ptr<RecordingDesktop> desktop;
    std::shared_ptr<RecordingPrompts> prompts;
    RecordingSharePicker sharePicker;
    std::unique_ptr<LogTailer> logTailer;
    std::unique_ptr<ServiceStatus> serviceStatus;
    std::unique_ptr<PrinterList> printerList;
    std::unique_ptr<ConfigSummary> configSummary;
    int openConfigCalls = 0;
    std::unique_ptr<PopoverView> view;
};
