#include "app/AppDelegate.h"

#include "app/DiagnosticsText.h"
#include "app/StatusCheck.h"
#include "app/StatusItemImage.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

const auto notifySetting = u"notifyOnPrintErrors"_s;
const auto noHost = u"none"_s;
// A tray that starts with the session may come up after the app.
constexpr int noTrayNoticeDelayMs = 5000;

QSettings settings()
{
    return QSettings(u"korvel-printer"_s, u"korvel-printer"_s);
}

} // namespace

AppDelegate::AppDelegate(const AppEnvironment &environment, QObject *parent)
    : QObject(parent)
    , m_models(environment.logPath, environment.daemonBase, environment.serviceControl,
               environment.desktop, environment.prompts)
    , m_configWindow(environment.configHelperPath, environment.prompts,
                     QUrl(environment.daemonBase + DaemonAddress::pagePath))
    , m_environment(environment)
{
    m_clock.start();
    m_fallTimer.setSingleShot(true);
    connect(&m_fallTimer, &QTimer::timeout, this, &AppDelegate::decideFall);
}

// The panel observes the models, so it goes before them.
AppDelegate::~AppDelegate()
{
    m_popover.reset();
    m_statusItem.reset();
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_statusItem = m_environment.makeStatusItem();
    configureStatusItemImage();
    connect(m_statusItem.get(), &StatusItem::clicked, this, &AppDelegate::togglePopover);

    m_popover = m_environment.makePopover(m_models, [delegate = QPointer<AppDelegate>(this)] {
        if (delegate)
            delegate->m_configWindow.showConfig();
    });
    connect(m_popover.get(), &Popover::dismissedByOutsidePress, this,
            &AppDelegate::popoverDismissed);
    connect(m_popover.get(), &Popover::dismissedByFocusLoss, this,
            [this] { m_arbiter.popoverLostFocus(m_clock.elapsed()); });
    connect(m_popover.get(), &Popover::diagnosticsRequested, this, &AppDelegate::copyDiagnostics);
    connect(m_popover.get(), &Popover::windowClosed, this, [this] { m_models.stop(); });
    connectStatusItemMenu();

    if (m_environment.makeNotifier)
        m_notifier = m_environment.makeNotifier([item = QPointer<StatusItem>(m_statusItem.get())](
                                                    const QString &title, const QString &body) {
            if (item)
                item->showMessage(title, body);
        });
    if (m_notifier) {
        QTimer::singleShot(noTrayNoticeDelayMs, this, &AppDelegate::noticeMissingTray);
        connect(m_notifier.get(), &Notifier::activated, this, &AppDelegate::openPopover);
        connect(m_statusItem.get(), &StatusItem::messageClicked, this, &AppDelegate::openPopover);
        m_printErrors = std::make_unique<PrintErrorNotices>(m_environment.logPath, *m_notifier);
        const bool notifyOnPrintErrors = settings().value(notifySetting, true).toBool();
        m_statusItem->setNotifyOnPrintErrors(notifyOnPrintErrors);
        m_printErrors->setEnabled(notifyOnPrintErrors);
    }
    if (!m_environment.iconShowsServiceState)
        return;
    // While the panel is open its checks tell the state too.
    connect(&m_models.serviceStatus, &ServiceStatus::stateChanged, this,
            [this] { serviceStateObserved(m_models.serviceStatus.state()); });
    connect(&m_models.serviceStatus, &ServiceStatus::restartStarted, this, [this] {
        m_fallPolicy.restartStarted();
        scheduleFallDecision();
    });
    connect(&m_models.serviceStatus, &ServiceStatus::restartChecked, this,
            [this] { m_fallPolicy.restartChecked(); });

    if (m_environment.makeServiceWatcher)
        m_serviceWatcher = m_environment.makeServiceWatcher();
    if (m_serviceWatcher)
        m_serviceWatcher->start([this](const ServiceState &state) {
            serviceStateObserved(state);
            // The card shows it within moments, not at the next tick.
            if (m_popover->isShown())
                m_models.serviceStatus.checkNow();
        });
}

void AppDelegate::configureStatusItemImage()
{
    const auto image = loadStatusItemImage(
        statusImageCandidates(m_environment.bundleIconPath, m_environment.workingDirectory));
    if (image)
        m_statusItem->setImage(*image);
    else
        m_statusItem->setTitle(u"KP"_s);
}

void AppDelegate::togglePopover()
{
    if (m_popover->isShown()) {
        closePopover();
        return;
    }
    switch (m_arbiter.iconActivated(m_clock.elapsed())) {
    case ToggleArbiter::Action::open:
        openPopover();
        break;
    case ToggleArbiter::Action::close:
        m_models.stop();
        break;
    case ToggleArbiter::Action::none:
        break;
    }
}

void AppDelegate::openPopover()
{
    if (!m_popover || m_popover->isShown())
        return;
    // Started first, so the immediate read, check and fetches are under way when the panel
    // first paints.
    m_models.start();
    // Without a tray nothing anchors the panel, and nothing could close it: a window then.
    if (m_statusItem->hostKind() == noHost)
        m_popover->showAsWindow();
    else
        m_popover->showBelow(m_statusItem->geometry());
}

void AppDelegate::closePopover()
{
    m_popover->close();
    m_models.stop();
}

void AppDelegate::noticeMissingTray()
{
    if (m_statusItem->hostKind() != noHost)
        return;
    QString body = tr("Korvel Printer is running, but this desktop shows no tray icons. Open it "
                      "again from the app launcher to see the panel.");
    if (qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(u"GNOME"_s))
        body += u' ' + tr("The AppIndicator extension adds tray icons.");
    m_notifier->notify(u"Korvel Printer"_s, body);
}

void AppDelegate::serviceStateObserved(const ServiceState &state)
{
    if (!m_environment.iconShowsServiceState)
        return;
    m_statusItem->setBadge(state.kind());
    m_statusItem->setToolTip(u"Korvel Printer — "_s + state.label());
    m_fallPolicy.observe(state.kind(), m_clock.elapsed());
    scheduleFallDecision();
}

void AppDelegate::scheduleFallDecision()
{
    const auto at = m_fallPolicy.decisionAt();
    if (!at) {
        m_fallTimer.stop();
        return;
    }
    m_fallTimer.start(std::max<qint64>(0, *at - m_clock.elapsed()));
}

void AppDelegate::decideFall()
{
    if (m_fallPolicy.decide(m_clock.elapsed()) && m_notifier)
        m_notifier->notify(tr("Korvel Printer: print service stopped"),
                           ServiceState::stopped().label());
    // A timer may fire a little early; the decision then waits for its time.
    scheduleFallDecision();
}

// A press elsewhere leaves the models running (the next click restarts them); a press on the
// icon is the closing click, whose activation the arbiter then swallows.
void AppDelegate::popoverDismissed(QPoint globalPos)
{
    if (m_arbiter.popoverDismissed(globalPos, m_statusItem->geometry(), m_clock.elapsed()))
        m_models.stop();
}

void AppDelegate::connectStatusItemMenu()
{
    StatusItem *item = m_statusItem.get();
    // Where a click on the icon opens its menu (GNOME), that click is the one that closes the
    // panel; the menu would cover it anyway.
    connect(item, &StatusItem::menuOpened, this, [this] {
        if (m_popover->isShown())
            closePopover();
    });
    connect(item, &StatusItem::openRequested, this, &AppDelegate::openPopover);
    connect(item, &StatusItem::configRequested, this, [this] { m_configWindow.showConfig(); });
    connect(item, &StatusItem::diagnosticsRequested, this, &AppDelegate::copyDiagnostics);
    connect(item, &StatusItem::notifyOnPrintErrorsToggled, this,
            &AppDelegate::setNotifyOnPrintErrors);
    connect(item, &StatusItem::quitRequested, qApp, &QCoreApplication::quit);
}

void AppDelegate::setNotifyOnPrintErrors(bool on)
{
    settings().setValue(notifySetting, on);
    if (m_printErrors)
        m_printErrors->setEnabled(on);
}

void AppDelegate::copyDiagnostics()
{
    auto *check = new StatusCheck(m_environment, StatusCheck::Detail::diagnostics, this);
    connect(check, &StatusCheck::finished, this, [this, check](const StationReport &report) {
        check->deleteLater();
        const DiagnosticsContext context{QGuiApplication::platformName(), m_statusItem->hostKind()};
        QGuiApplication::clipboard()->setText(diagnosticsText(report, context));
        if (m_notifier)
            m_notifier->notify(tr("Diagnostics copied"),
                               tr("Paste the report into your message to support."));
    });
    check->start();
}
