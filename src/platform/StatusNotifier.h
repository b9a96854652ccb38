#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>
#include <memory>

class QMenu;

// The app's own tray icon over the desktop's StatusNotifier protocol, with its menu exported for
// the host to draw. It registers whenever a StatusNotifier watcher is on the bus.
class StatusNotifier : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void setIcon(const QIcon &icon) = 0;
    virtual void setToolTip(const QString &toolTip) = 0;
    // True while a watcher holds our registration, so a host shows the icon.
    virtual bool isRegistered() const = 0;
    // Until the first answer from the bus the item knows of no watcher yet.
    virtual bool hasAnswered() const = 0;

Q_SIGNALS:
    // The host's point for the press; (0, 0) where it does not say.
    void activated(QPoint at);
    void contextMenuRequested(QPoint at);
    // The host opened the icon's exported menu.
    void menuOpened();
    // isRegistered() or hasAnswered() changed.
    void registrationChanged();
};

// Ours on the session bus, with `menu` exported as its menu; none where the edition has its menu
// bar (macOS).
std::unique_ptr<StatusNotifier> makeStatusNotifier(QMenu &menu);
