#pragma once

#include "app/StatusItem.h"

#include <QSystemTrayIcon>

// The status item as a system-tray icon. A left click (Trigger) is the item's click.
class TrayStatusItem : public StatusItem
{
    Q_OBJECT

public:
    explicit TrayStatusItem(QObject *parent = nullptr);

    // A tray icon is always there to click once a tray host shows it, also one that starts late.
    bool hasButton() const override { return true; }
    void setImage(const QImage &image) override;
    // A tray cannot show text, so the title is drawn as the icon.
    void setTitle(const QString &title) override;
    QRect geometry() const override { return m_tray.geometry(); }

private:
    void showIcon(const QIcon &icon);

    QSystemTrayIcon m_tray;
};
