#include "app/TrayStatusItem.h"

#include "app/StatusBadge.h"
#include "app/TitleIcon.h"

#include <QCursor>
#include <QPixmap>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The sizes a tray commonly asks for, in device pixels (up to 32 points on a 2× screen).
constexpr int traySides[] = {16, 22, 24, 32, 48, 64};

// Drawn at each size a tray commonly asks for, so no size is a blurry scaled copy.
QIcon textIcon(const QString &text)
{
    QIcon icon;
    for (const int side : traySides)
        icon.addPixmap(QPixmap::fromImage(titleIcon(text, side)));
    return icon;
}

// Scaled down once for each tray size; the image has pixels for the largest, so none is an
// enlarged copy.
QIcon sizedIcon(const QImage &image)
{
    QIcon icon;
    for (const int side : traySides) {
        QImage sized = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        sized.setDevicePixelRatio(1);
        icon.addPixmap(QPixmap::fromImage(sized));
    }
    return icon;
}

QIcon badgedIcon(const QIcon &icon, ServiceState::Kind kind)
{
    if (kind == ServiceState::Kind::running)
        return icon;
    QIcon badged;
    for (const QSize &size : icon.availableSizes()) {
        const QImage image = icon.pixmap(size, 1.0).toImage();
        badged.addPixmap(QPixmap::fromImage(badgedStatusImage(image, kind)));
    }
    return badged;
}

} // namespace

TrayStatusItem::TrayStatusItem(QObject *parent)
    : StatusItem(parent)
{
    m_tray.setToolTip(u"Korvel Printer"_s);
    connect(&m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // Where a tray does not tell where its icon is, the click was on it.
                m_lastClick = QCursor::pos();
                if (reason == QSystemTrayIcon::Trigger)
                    Q_EMIT clicked();
            });
    connect(&m_tray, &QSystemTrayIcon::messageClicked, this, &StatusItem::messageClicked);

    m_menu.addAction(tr("Open Korvel Printer"), this, &StatusItem::openRequested);
    m_menu.addAction(tr("Cấu hình máy in"), this, &StatusItem::configRequested);
    m_menu.addAction(tr("Copy diagnostics"), this, &StatusItem::diagnosticsRequested);
    m_notifyAction = m_menu.addAction(tr("Notify on print errors"));
    m_notifyAction->setCheckable(true);
    connect(m_notifyAction, &QAction::triggered, this, &StatusItem::notifyOnPrintErrorsToggled);
    m_menu.addSeparator();
    m_menu.addAction(tr("Quit"), this, &StatusItem::quitRequested);
#ifndef Q_OS_MACOS
    // A menu-bar item with a menu opens it on every click, and the panel never.
    m_tray.setContextMenu(&m_menu);
#endif

    connect(&m_menu, &QMenu::aboutToShow, this, &StatusItem::menuOpened);
    m_ownItem = makeStatusNotifier(m_menu);
    if (!m_ownItem)
        return;
    connect(m_ownItem.get(), &StatusNotifier::registrationChanged, this,
            &TrayStatusItem::chooseHost);
    connect(m_ownItem.get(), &StatusNotifier::activated, this, &TrayStatusItem::ownItemActivated);
    connect(m_ownItem.get(), &StatusNotifier::menuOpened, this, &StatusItem::menuOpened);
    // For hosts that draw no exported menu.
    connect(m_ownItem.get(), &StatusNotifier::contextMenuRequested, this,
            [this](QPoint at) { m_menu.popup(at.isNull() ? QCursor::pos() : at); });
}

void TrayStatusItem::ownItemActivated(QPoint at)
{
    // (0, 0) is a host that does not say; the pointer is then the best guess until one does.
    if (!at.isNull())
        m_lastClick = at;
    else if (!m_lastClick)
        m_lastClick = QCursor::pos();
    Q_EMIT clicked();
}

void TrayStatusItem::setToolTip(const QString &toolTip)
{
    // The watch and the panel's checks both report a state; a host refetches on every signal.
    if (toolTip == m_tray.toolTip())
        return;
    m_tray.setToolTip(toolTip);
    if (m_ownItem)
        m_ownItem->setToolTip(toolTip);
}

QRect TrayStatusItem::geometry() const
{
    const QRect icon = m_tray.isVisible() ? m_tray.geometry() : QRect();
    if (!icon.isEmpty() || !m_lastClick)
        return icon;
    return {*m_lastClick, QSize(1, 1)};
}

QString TrayStatusItem::hostKind() const
{
#ifdef Q_OS_MACOS
    return u"menu bar"_s;
#else
    if (m_ownItem && m_ownItem->isRegistered())
        return u"StatusNotifier"_s;
    return m_tray.isVisible() && QSystemTrayIcon::isSystemTrayAvailable() ? u"XEmbed"_s : u"none"_s;
#endif
}

void TrayStatusItem::setImage(const QImage &image)
{
    m_icon = sizedIcon(image);
    showIcon();
}

void TrayStatusItem::setTitle(const QString &title)
{
    m_icon = textIcon(title);
    showIcon();
}

void TrayStatusItem::setBadge(ServiceState::Kind kind)
{
    // Redrawing every size and signalling the host is for a state that changed.
    if (kind == m_badge)
        return;
    m_badge = kind;
    showIcon();
}

void TrayStatusItem::showMessage(const QString &title, const QString &body)
{
#ifndef Q_OS_MACOS
    // Only an embedded icon has a balloon; elsewhere the message would be lost.
    if (hostKind() != u"XEmbed"_s) {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(title), qUtf8Printable(body));
        return;
    }
#endif
    m_tray.showMessage(title, body, QSystemTrayIcon::Warning);
}

void TrayStatusItem::showIcon()
{
    const QIcon icon = badgedIcon(m_icon, m_badge);
    m_tray.setIcon(icon);
    if (m_ownItem)
        m_ownItem->setIcon(icon);
    chooseHost();
}

void TrayStatusItem::chooseHost()
{
    // Until the bus answers, a shown QSystemTrayIcon could register Qt's item beside ours.
    if (m_ownItem && (m_ownItem->isRegistered() || !m_ownItem->hasAnswered())) {
        m_tray.hide();
        return;
    }
    if (m_icon.isNull() || m_tray.isVisible())
        return;
    m_tray.show();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        std::fprintf(stderr, "Korvel Printer: no system tray is running yet; the icon appears "
                             "as soon as one starts.\n");
}
