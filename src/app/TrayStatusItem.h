#pragma once

#include "app/StatusItem.h"

#include <QSystemTrayIcon>

// The status item as a system-tray icon. A left click (Trigger) is the item's click.
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
    QRect geometry() const override { return m_tray.geometry(); }

private:
    void showIcon();

    QSystemTrayIcon m_tray;
    QIcon m_icon;
    // Plain until a state is observed.
    ServiceState::Kind m_badge = ServiceState::Kind::running;
};
