#pragma once

#include "service/ServiceState.h"

#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>

// The icon the app lives behind: a menu-bar item on macOS, a tray icon elsewhere.
class StatusItem : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void setImage(const QImage &image) = 0;
    virtual void setTitle(const QString &title) = 0;
    // Marks the image or title with the service's state; running shows it plain.
    virtual void setBadge(ServiceState::Kind kind) = 0;
    virtual void setToolTip(const QString &toolTip) = 0;
    // A balloon at the item, for desktops without a notification service.
    virtual void showMessage(const QString &title, const QString &body) = 0;
    // Global screen rectangle of the item; empty when the platform cannot tell.
    virtual QRect geometry() const = 0;
    // What shows the item: "XEmbed", "StatusNotifier", "none", or the platform's own words.
    virtual QString hostKind() const { return {}; }
    // The check mark of the menu's "Notify on print errors", where the item has a menu.
    virtual void setNotifyOnPrintErrors(bool) {}

Q_SIGNALS:
    void clicked();
    void messageClicked();
    // The item's menu, where it has one: opened, and its items.
    void menuOpened();
    void openRequested();
    void configRequested();
    void diagnosticsRequested();
    // Only by the user: setNotifyOnPrintErrors() does not emit it.
    void notifyOnPrintErrorsToggled(bool on);
    void quitRequested();
};
