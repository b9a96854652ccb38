#pragma once

#include "app/AppEnvironment.h"
#include "app/ConfigWindowController.h"
#include "app/FallPolicy.h"
#include "app/PrintErrorNotices.h"
#include "app/ToggleArbiter.h"
#include "models/PanelModels.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

// Owns the models, the configuration window, the status item and the popover for the life of
// the process, and sets the models to work only while the popover is open.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    explicit AppDelegate(const AppEnvironment &environment, QObject *parent = nullptr);
    ~AppDelegate() override;

    // Makes the status item and the popover; starts nothing.
    void applicationDidFinishLaunching();
    // The status item's action: opens the popover with the models at work, or closes it and
    // stops them.
    void togglePopover();
    // The opening branch of the toggle, for a second start and a notification's click; a
    // titled window where no tray shows the status item.
    void openPopover();
    // A state of the service from whoever watches it: badges the icon, sets the tooltip and may
    // end in one notification of its fall.
    void serviceStateObserved(const ServiceState &state);
    // Checks the station once more and puts the diagnostics report on the clipboard, then says
    // so.
    void copyDiagnostics();

    StatusItem *statusItem() const { return m_statusItem.get(); }
    Popover *popover() const { return m_popover.get(); }
    PanelModels &models() { return m_models; }
    ConfigWindowController &configWindow() { return m_configWindow; }

private:
    void configureStatusItemImage();
    // The closing branch of the toggle: the panel hidden, the models stopped.
    void closePopover();
    void popoverDismissed(QPoint globalPos);
    void scheduleFallDecision();
    void decideFall();
    void connectStatusItemMenu();
    void setNotifyOnPrintErrors(bool on);
    // One notification when no tray shows the icon, telling how to reach the panel.
    void noticeMissingTray();

    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<Popover> m_popover;
    PanelModels m_models;
    ConfigWindowController m_configWindow;

    AppEnvironment m_environment;
    ToggleArbiter m_arbiter;
    QElapsedTimer m_clock;
    std::unique_ptr<Notifier> m_notifier;
    std::unique_ptr<ServiceWatcher> m_serviceWatcher;
    FallPolicy m_fallPolicy;
    QTimer m_fallTimer;
    std::unique_ptr<PrintErrorNotices> m_printErrors;
};
