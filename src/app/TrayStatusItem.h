#pragma once

#include "app/StatusItem.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <optional>

// The status item as a system-tray icon. A left click (Trigger) is the item's click; on Linux a
// right click opens its menu.
class TrayStatusItem : public StatusItem
{
    Q_OBJECT

public:
    explicit TrayStatusItem(QObject *parent = nullptr);

    void setImage(const QImage &image) override;
    // A tray cannot show text, so the title is drawn as the icon.
    void setTitle(const QString &title) override;
    void setBadge(ServiceState::Kind kind) override;
    void setToolTip(const QString &toolTip) override { m_tray.setToolTip(toolTip); }
    void showMessage(const QString &title, const QString &body) override;
    // The icon as the tray reports it, else the point of the last click on it, else nothing.
    QRect geometry() const override;
    QString hostKind() const override;
    void setNotifyOnPrintErrors(bool on) override { m_notifyAction->setChecked(on); }

private:
    void showIcon();

    QSystemTrayIcon m_tray;
    QMenu m_menu;
    QAction *m_notifyAction = nullptr;
    QIcon m_icon;
    std::optional<QPoint> m_lastClick;
    // Plain until a state is observed.
    ServiceState::Kind m_badge = ServiceState::Kind::running;
};
