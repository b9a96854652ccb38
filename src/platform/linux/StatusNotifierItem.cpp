#include "platform/linux/StatusNotifierItem.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImage>
#include <QTimer>
#include <QtEndian>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const auto itemPath = u"/StatusNotifierItem"_s;
const auto menuPath = u"/MenuBar"_s;
const auto watcherService = u"org.kde.StatusNotifierWatcher"_s;
const auto busService = u"org.freedesktop.DBus"_s;
const auto busPath = u"/org/freedesktop/DBus"_s;
const auto noOwner = u"org.freedesktop.DBus.Error.NameHasNoOwner"_s;
// RequestName: fail rather than wait in the queue; primary owner, already owner.
constexpr uint doNotQueue = 4;
constexpr uint primaryOwner = 1;
constexpr uint alreadyOwner = 4;
// A watcher may own its name a moment before it serves its object.
constexpr int firstRetryMs = 100;
constexpr int lastRetryMs = 3200;

QString nextServiceName()
{
    static int count = 0;
    return u"org.kde.StatusNotifierItem-%1-%2"_s.arg(::getpid()).arg(++count);
}

} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const SniIconPixmap &pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.argb;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SniIconPixmap &pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.argb;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const SniToolTip &toolTip)
{
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.icon << toolTip.title << toolTip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SniToolTip &toolTip)
{
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.icon >> toolTip.title >> toolTip.text;
    argument.endStructure();
    return argument;
}

SniIconPixmapList sniPixmaps(const QIcon &icon)
{
    SniIconPixmapList pixmaps;
    for (const QSize &size : icon.availableSizes()) {
        const QImage image =
            icon.pixmap(size, 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        SniIconPixmap pixmap{image.width(), image.height(), {}};
        pixmap.argb.resize(qsizetype(image.width()) * image.height() * 4);
        auto *out = reinterpret_cast<uchar *>(pixmap.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x, out += 4)
                qToBigEndian<quint32>(line[x], out);
        }
        pixmaps.append(pixmap);
    }
    return pixmaps;
}

StatusNotifierItem::StatusNotifierItem(const QDBusConnection &bus, QMenu &menu, QObject *parent)
    : StatusNotifier(parent)
    , m_bus(bus)
    , m_service(nextServiceName())
    , m_menu(bus, menuPath, menu)
    , m_watcher(watcherService, bus, QDBusServiceWatcher::WatchForOwnerChange)
    , m_retryMs(firstRetryMs)
    , m_toolTip(title())
{
    connect(&m_menu, &DBusMenuExporter::opened, this, &StatusNotifier::menuOpened);
    qDBusRegisterMetaType<SniIconPixmap>();
    qDBusRegisterMetaType<SniIconPixmapList>();
    qDBusRegisterMetaType<SniToolTip>();
    m_bus.registerObject(itemPath, this, QDBusConnection::ExportScriptableContents);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &StatusNotifierItem::registerWithWatcher);
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                m_retry.stop();
                m_retryMs = firstRetryMs;
                if (newOwner.isEmpty())
                    setRegistered(false);
                else
                    registerWithWatcher();
            });
    // A host may drop an item it was still setting up when the item registered again (GNOME's
    // extension does, racing its own search of the bus at start): we register anew.
    m_bus.connect({}, u"/StatusNotifierWatcher"_s, watcherService,
                  u"StatusNotifierItemUnregistered"_s, this, SLOT(itemUnregistered(QString)));
    // Without a bus an asynchronous call never finishes: the answer is no watcher.
    if (!m_bus.isConnected()) {
        QTimer::singleShot(0, this, [this] { setRegistered(false); });
        return;
    }
    requestName();
}

StatusNotifierItem::~StatusNotifierItem()
{
    m_bus.unregisterObject(itemPath);
    if (m_registeredName == m_service) {
        QDBusMessage release =
            QDBusMessage::createMethodCall(busService, busPath, busService, u"ReleaseName"_s);
        release << m_service;
        m_bus.send(release);
    }
}

void StatusNotifierItem::requestName()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(busService, busPath, busService, u"RequestName"_s);
    call << m_service << doNotQueue;
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                const bool owned = !reply.isError() &&
                                   (reply.value() == primaryOwner || reply.value() == alreadyOwner);
                // Watchers take the unique name too.
                m_registeredName = owned ? m_service : m_bus.baseService();
                registerWithWatcher();
            });
}

void StatusNotifierItem::registerWithWatcher()
{
    // The name's answer registers once it comes.
    if (!m_registeredName)
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(watcherService, u"/StatusNotifierWatcher"_s, watcherService,
                                       u"RegisterStatusNotifierItem"_s);
    call << *m_registeredName;
    // A watcher the bus would start on demand serves no host yet.
    call.setAutoStartService(false);
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusError error = finished->error();
                setRegistered(!error.isValid());
                // No owner: the watcher's next owner registers us. Anything else may be a
                // watcher still starting.
                if (!error.isValid() || error.name() == noOwner || m_retryMs > lastRetryMs)
                    return;
                m_retry.start(m_retryMs);
                m_retryMs *= 2;
            });
}

void StatusNotifierItem::itemUnregistered(const QString &item)
{
    // Watchers name an item by the name it registered, or by its unique name and path.
    const QString unique = m_bus.baseService();
    const bool ours = m_registeredName && (item == *m_registeredName || item == unique ||
                                           item.startsWith(unique + u'@'));
    if (!m_registered || !ours || m_retryMs > lastRetryMs)
        return;
    m_retry.start(m_retryMs);
    m_retryMs *= 2;
}

void StatusNotifierItem::setRegistered(bool registered)
{
    if (m_answered && registered == m_registered)
        return;
    m_answered = true;
    m_registered = registered;
    Q_EMIT registrationChanged();
}

void StatusNotifierItem::setIcon(const QIcon &icon)
{
    m_pixmaps = sniPixmaps(icon);
    Q_EMIT NewIcon();
}

void StatusNotifierItem::setToolTip(const QString &toolTip)
{
    m_toolTip = toolTip;
    Q_EMIT NewToolTip();
}

QDBusObjectPath StatusNotifierItem::menu() const
{
    return QDBusObjectPath(menuPath);
}

void StatusNotifierItem::Activate(int x, int y)
{
    Q_EMIT activated({x, y});
}

void StatusNotifierItem::SecondaryActivate(int, int) {}

void StatusNotifierItem::ContextMenu(int x, int y)
{
    Q_EMIT contextMenuRequested({x, y});
}

void StatusNotifierItem::Scroll(int, const QString &) {}
