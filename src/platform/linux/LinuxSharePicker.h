#pragma once

#include "platform/SharePicker.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <memory>

class QDBusMessage;
class QMimeData;

// What the share menu reaches; tests point them at fakes.
struct LinuxShareTools
{
    QString xdgEmail = QStringLiteral("/usr/bin/xdg-email");
    QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
};

// A menu under the anchor: attach to an email, copy the file for pasting in a file manager, or
// let the user pick an application through the desktop portal. "Open with…" is offered only
// where a portal is running or can be started on the session bus.
class LinuxSharePicker : public QObject, public SharePicker
{
    Q_OBJECT

public:
    explicit LinuxSharePicker(const QDBusConnection &bus = QDBusConnection::sessionBus(),
                              const LinuxShareTools &tools = {});

    void show(const QList<QUrl> &items, QWidget *anchor) override;

private:
    // Asks the bus, without waiting, whether a portal owns or can take its name.
    void findPortal();
    void askBus(const QDBusMessage &call, std::function<bool(const QDBusMessage &)> portalFound);
    void openWith(const QString &file);

    QDBusConnection m_bus;
    LinuxShareTools m_tools;
    bool m_portalFound = false;
};

// The clipboard contents of "Copy file": file managers paste `items` as files (text/uri-list,
// and x-special/gnome-copied-files for those of the GTK family); editors get the paths as text.
std::unique_ptr<QMimeData> copiedFilesMimeData(const QList<QUrl> &items);
