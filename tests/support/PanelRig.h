#pragma once

#include "FakeServiceControl.h"
#include "RecordingFakes.h"
#include "TestHttpServer.h"
#include "models/PanelModels.h"
#include "ui/PopoverView.h"

#include <QLabel>
#include <QTemporaryDir>
#include <memory>

// The widget called `name`; the test ends at once if there is none.
template<typename T = QWidget>
T *find(QWidget &root, const QString &name)
{
    T *child = root.findChild<T *>(name);
    if (!child)
        qFatal("no widget named %s", qPrintable(name));
    return child;
}

// Those of `names` whose widgets are visible, in the given order.
QStringList visibleOf(QWidget &root, const QStringList &names);

// The panel's sources pointed at fakes: a loopback server for /health, /printers and /config,
// a fake service control, a log file in a temporary directory and recording desktop and prompts.
// `models` is the app's composition built on it; showView() puts the panel on top.
class PanelRig
{
public:
    PanelRig();
    ~PanelRig() { models->stop(); }

    void writeLog(const QStringList &lines, bool append = false);
    PopoverView &showView();
    // Refreshes both request models and waits until both answers have been handled.
    bool fetchAll();

    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("KorvelPrinter.log"));
    TestHttpServer server;
    std::shared_ptr<FakeServiceControl> control = std::make_shared<FakeServiceControl>();
    std::shared_ptr<RecordingDesktop> desktop = std::make_shared<RecordingDesktop>();
    std::shared_ptr<RecordingPrompts> prompts = std::make_shared<RecordingPrompts>();
    RecordingSharePicker sharePicker;
    std::unique_ptr<PanelModels> models;
    std::unique_ptr<PopoverView> view;
};
