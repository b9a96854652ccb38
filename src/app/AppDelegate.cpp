#include "app/AppDelegate.h"

#include "app/StatusItemImage.h"
#include "platform/Platform.h"

#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 maxLines = 300;
constexpr qint64 tailWindowBytes = 65536;

} // namespace

AppDelegate::AppDelegate(const AppEnvironment &environment, AppPlatform platform, QObject *parent)
    : QObject(parent)
    , m_logTailer(environment.logPath, maxLines, tailWindowBytes, makeDesktopIntegration(),
                  makeUserPrompts())
    , m_serviceStatus(environment.serviceControl,
                      QUrl(environment.daemonBase + DaemonAddress::healthPath))
    , m_printerList(environment.daemonBase + DaemonAddress::printersPath)
    , m_configSummary(environment.daemonBase + DaemonAddress::configPath)
    , m_configWindow(environment.configHelperPath, makeUserPrompts(),
                     QUrl(environment.daemonBase + DaemonAddress::pagePath))
    , m_environment(environment)
    , m_platform(std::move(platform))
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
    m_statusItem = m_platform.makeStatusItem();
    configureStatusItemImage();
    if (m_statusItem->hasButton())
        connect(m_statusItem.get(), &StatusItem::clicked, this, &AppDelegate::togglePopover);

    PopoverContent content;
    content.logTailer = &m_logTailer;
    content.serviceStatus = &m_serviceStatus;
    content.printerList = &m_printerList;
    content.configSummary = &m_configSummary;
    content.openConfig = [delegate = QPointer<AppDelegate>(this)] {
        if (delegate)
            delegate->m_configWindow.showConfig();
    };
    m_popover = m_platform.makePopover(content);
    connect(m_popover.get(), &Popover::dismissedByOutsidePress, this,
            &AppDelegate::popoverDismissed);

    if (m_platform.makeNotifier)
        m_notifier = m_platform.makeNotifier([item = QPointer<StatusItem>(m_statusItem.get())](
                                                 const QString &title, const QString &body) {
            if (item)
                item->showMessage(title, body);
        });
    if (!m_notifier)
        return;
    connect(m_notifier.get(), &Notifier::activated, this, &AppDelegate::openPopover);
    connect(m_statusItem.get(), &StatusItem::messageClicked, this, &AppDelegate::openPopover);
    // While the panel is open its checks tell the state too.
    connect(&m_serviceStatus, &ServiceStatus::stateChanged, this,
            [this] { serviceStateObserved(m_serviceStatus.state()); });
    connect(&m_serviceStatus, &ServiceStatus::restartStarted, this, [this] {
        m_fallPolicy.restartStarted();
        scheduleFallDecision();
    });
    connect(&m_serviceStatus, &ServiceStatus::restartChecked, this,
            [this] { m_fallPolicy.restartChecked(); });

    if (m_environment.makeServiceWatcher)
        m_serviceWatcher = m_environment.makeServiceWatcher();
    if (m_serviceWatcher)
        m_serviceWatcher->start([this](const ServiceState &state) {
            serviceStateObserved(state);
            // The card shows it within moments, not at the next tick.
            if (m_popover->isShown())
                m_serviceStatus.checkNow();
        });
}

void AppDelegate::configureStatusItemImage()
{
    if (!m_statusItem->hasButton())
        return;
    const auto image = loadStatusItemImage(
        statusImageCandidates(m_environment.bundleIconPath, m_environment.workingDirectory));
    if (image)
        m_statusItem->setImage(*image);
    else
        m_statusItem->setTitle(u"KP"_s);
}

void AppDelegate::togglePopover()
{
    if (!m_statusItem || !m_statusItem->hasButton())
        return;
    if (m_popover->isShown()) {
        m_popover->close();
        stopModels();
        return;
    }
    switch (m_arbiter.iconActivated(m_clock.elapsed())) {
    case ToggleArbiter::Action::open:
        openPopover();
        break;
    case ToggleArbiter::Action::close:
        stopModels();
        break;
    case ToggleArbiter::Action::none:
        break;
    }
}

void AppDelegate::openPopover()
{
    if (!m_popover || !m_statusItem->hasButton() || m_popover->isShown())
        return;
    // Started first, so the immediate read, check and fetches are under way when the panel
    // first paints.
    startModels();
    m_popover->showBelow(m_statusItem->geometry());
}

void AppDelegate::serviceStateObserved(const ServiceState &state)
{
    if (!m_notifier)
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
    if (m_fallPolicy.decide(m_clock.elapsed()))
        m_notifier->notify(tr("Korvel Printer: print service stopped"),
                           ServiceState::stopped().label());
    // A timer may fire a little early; the decision then waits for its time.
    scheduleFallDecision();
}

void AppDelegate::startModels()
{
    m_logTailer.start();
    m_serviceStatus.start();
    m_printerList.refresh();
    m_configSummary.refresh();
}

void AppDelegate::stopModels()
{
    m_logTailer.stop();
    m_serviceStatus.stop();
    m_printerList.cancel();
    m_configSummary.cancel();
}

// A press elsewhere leaves the models running (the next click restarts them); a press on the
// icon is the closing click, whose activation the arbiter then swallows.
void AppDelegate::popoverDismissed(QPoint globalPos)
{
    if (m_arbiter.popoverDismissed(globalPos, m_statusItem->geometry(), m_clock.elapsed()))
        stopModels();
}
