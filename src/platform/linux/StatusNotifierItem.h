#pragma once

#include "platform/StatusNotifier.h"
#include "platform/linux/DBusMenuExporter.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QList>
#include <QTimer>
#include <optional>

class QMenu;

// One size of an icon: (iiay), ARGB32 in network byte order.
struct SniIconPixmap
{
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using SniIconPixmapList = QList<SniIconPixmap>;

// (sa(iiay)ss): icon name, icon, title, text.
struct SniToolTip
{
    QString iconName;
    SniIconPixmapList icon;
    QString title;
    QString text;
};

QDBusArgument &operator<<(QDBusArgument &argument, const SniIconPixmap &pixmap);
const QDBusArgument &operator>>(const QDBusArgument &argument, SniIconPixmap &pixmap);
QDBusArgument &operator<<(QDBusArgument &argument, const SniToolTip &toolTip);
const QDBusArgument &operator>>(const QDBusArgument &argument, SniToolTip &toolTip);

// Each size the icon has, as StatusNotifier hosts take it.
SniIconPixmapList sniPixmaps(const QIcon &icon);

// org.kde.StatusNotifierItem at /StatusNotifierItem under the name
// org.kde.StatusNotifierItem-<pid>-<n>, with `menu` as com.canonical.dbusmenu at /MenuBar. Every
// bus call is asynchronous; a watcher that (re)appears gets our registration.
class StatusNotifierItem : public StatusNotifier
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(SniIconPixmapList IconPixmap READ iconPixmap)
    // Empty, but hosts ask for them.
    Q_PROPERTY(QString IconThemePath READ noName)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(SniIconPixmapList OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(SniIconPixmapList AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString IconAccessibleDesc READ noName)
    Q_PROPERTY(QString AttentionAccessibleDesc READ noName)
    Q_PROPERTY(SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(int WindowId READ windowId)

public:
    StatusNotifierItem(const QDBusConnection &bus, QMenu &menu, QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    void setIcon(const QIcon &icon) override;
    void setToolTip(const QString &toolTip) override;
    bool isRegistered() const override { return m_registered; }
    bool hasAnswered() const override { return m_answered; }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("korvel-printer"); }
    QString title() const { return QStringLiteral("Korvel Printer"); }
    QString status() const { return QStringLiteral("Active"); }
    QString iconName() const { return {}; }
    SniIconPixmapList iconPixmap() const { return m_pixmaps; }
    QString noName() const { return {}; }
    SniIconPixmapList noPixmaps() const { return {}; }
    SniToolTip toolTip() const { return {{}, {}, m_toolTip, {}}; }
    QDBusObjectPath menu() const;
    bool itemIsMenu() const { return false; }
    int windowId() const { return 0; }

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString &orientation);

Q_SIGNALS:
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewStatus(const QString &status);
    Q_SCRIPTABLE void NewTitle();

private Q_SLOTS:
    void itemUnregistered(const QString &item);

private:
    void requestName();
    void registerWithWatcher();
    void setRegistered(bool registered);

    QDBusConnection m_bus;
    QString m_service;
    DBusMenuExporter m_menu;
    QDBusServiceWatcher m_watcher;
    QTimer m_retry;
    int m_retryMs = 0; // doubles with each retry, from the first again for each new watcher
    SniIconPixmapList m_pixmaps;
    QString m_toolTip;
    // Ours, or the unique name where the bus refused it; none until the bus answered.
    std::optional<QString> m_registeredName;
    bool m_registered = false;
    bool m_answered = false;
};

Q_DECLARE_METATYPE(SniIconPixmap)
Q_DECLARE_METATYPE(SniToolTip)
