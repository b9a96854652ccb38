#pragma once

#include "app/StatusItem.h"
#include "platform/StatusNotifier.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <memory>
#include <optional>

// The status item as a system-tray icon. A left click (Trigger) is the item's click; on Linux a
// right click opens its menu. Where a StatusNotifier watcher is on the session bus, our own
// exported item stands in for the QSystemTrayIcon, which stays hidden.
class TrayStatusItem : public StatusItem
{
    Q_OBJECT

public:
    explicit TrayStatusItem(QObject *parent = nullptr);

    void setImage(const QImage &image) override;
    // A tray cannot show text, so the title is drawn as the icon.
    void setTitle(const QString &title) override;
    void setBadge(ServiceState::Kind kind) override;
    void setToolTip(const QString &toolTip) override;
    void showMessage(const QString &title, const QString &body) override;
    // The icon as the tray reports it, else the point of the last click on it (where the
    // StatusNotifier host said it was), else nothing.
    QRect geometry() const override;
    QString hostKind() const override;
    void setNotifyOnPrintErrors(bool on) override { m_notifyAction->setChecked(on); }

private:
    void showIcon();
    // The QSystemTrayIcon shows only where our own item has no watcher.
    void chooseHost();
    void ownItemActivated(QPoint at);

    QSystemTrayIcon m_tray;
    QMenu m_menu;
    QAction *m_notifyAction = nullptr;
    QIcon m_icon;
    std::optional<QPoint> m_lastClick;
    // Plain until a state is observed.
    ServiceState::Kind m_badge = ServiceState::Kind::running;
    // Last: it exports m_menu.
    std::unique_ptr<StatusNotifier> m_ownItem;
};
