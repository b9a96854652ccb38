#include "platform/linux/BusReconnector.h"

#include "core/Dispatch.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// QtDBus names every connection; a dropped name can never be used again.
QString nextName()
{
    static std::atomic_int counter = 0;
    return u"korvel-bus-"_s + QString::number(++counter);
}

} // namespace

std::shared_ptr<BusReconnector> BusReconnector::create(QDBusConnection::BusType type)
{
    const QString address =
        type == QDBusConnection::SystemBus
            ? qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS",
                                   u"unix:path=/var/run/dbus/system_bus_socket"_s)
            : qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    return make([type](const QString &name) { return QDBusConnection::connectToBus(type, name); },
                address);
}

std::shared_ptr<BusReconnector> BusReconnector::create(const QString &address)
{
    return make(
        [address](const QString &name) { return QDBusConnection::connectToBus(address, name); },
        address);
}

std::shared_ptr<BusReconnector> BusReconnector::make(Connect connectToBus, const QString &address)
{
    return std::shared_ptr<BusReconnector>(
        new BusReconnector(std::move(connectToBus), socketPath(address)),
        [](BusReconnector *bus) { bus->deleteLater(); });
}

QString BusReconnector::socketPath(const QString &address)
{
    static const QRegularExpression path(u"(?:^|;)unix:(?:[^;]*,)?path=([^,;]+)"_s);
    const QRegularExpressionMatch match = path.match(address);
    return match.hasMatch() ? QUrl::fromPercentEncoding(match.captured(1).toUtf8()) : QString();
}

BusReconnector::BusReconnector(Connect connectToBus, const QString &socketPath)
    : m_connect(std::move(connectToBus))
    , m_socketPath(socketPath)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &BusReconnector::retry);
    connect(&m_socketFolder, &QFileSystemWatcher::directoryChanged, this,
            &BusReconnector::socketFolderChanged);
}

BusReconnector::~BusReconnector()
{
    if (m_connection)
        QDBusConnection::disconnectFromBus(m_name);
}

QDBusConnection BusReconnector::connection()
{
    QMutexLocker lock(&m_mutex);
    if (!m_connection) {
        m_name = nextName();
        m_connection = m_connect(m_name);
        m_reached = m_connection->isConnected();
        if (m_reached)
            watchForLoss(*m_connection);
    }
    return *m_connection;
}

bool BusReconnector::wasReached()
{
    QMutexLocker lock(&m_mutex);
    return m_reached;
}

void BusReconnector::watchForLoss(const QDBusConnection &connection)
{
    // libdbus's own signal when the socket closes; delivered on this object's thread.
    QDBusConnection(connection)
        .connect(QString(), u"/org/freedesktop/DBus/Local"_s, u"org.freedesktop.DBus.Local"_s,
                 u"Disconnected"_s, this, SLOT(disconnected()));
}

void BusReconnector::disconnected()
{
    if (m_lost)
        return;
    m_lost = true;
    m_retryMs = firstRetryMs;
    m_retry.start(m_retryMs);
    if (!m_socketPath.isEmpty())
        m_socketFolder.addPath(QFileInfo(m_socketPath).path());
    Q_EMIT lost();
}

void BusReconnector::socketFolderChanged()
{
    if (!m_lost || !QFileInfo::exists(m_socketPath))
        return;
    // The bus is back or about to be: the waits start over, from now unless an attempt is
    // under way.
    m_retryMs = firstRetryMs;
    if (m_retry.isActive())
        m_retry.start(0);
}

void BusReconnector::retry()
{
    Dispatch::toPool(Dispatch::utilityPool(), [bus = QPointer(this), connectToBus = m_connect] {
        const QString name = nextName();
        const QDBusConnection connection = connectToBus(name);
        Dispatch::toMain(qApp, [bus, connection, name] {
            if (bus)
                bus->adopt(connection, name);
            else
                QDBusConnection::disconnectFromBus(name);
        });
    });
}

void BusReconnector::adopt(const QDBusConnection &connection, const QString &name)
{
    if (!connection.isConnected()) {
        QDBusConnection::disconnectFromBus(name);
        m_retryMs = std::min(m_retryMs * 2, longestRetryMs);
        m_retry.start(m_retryMs);
        return;
    }
    QString dropped;
    {
        QMutexLocker lock(&m_mutex);
        dropped = std::exchange(m_name, name);
        m_connection = connection;
    }
    QDBusConnection::disconnectFromBus(dropped);
    m_lost = false;
    if (!m_socketFolder.directories().isEmpty())
        m_socketFolder.removePaths(m_socketFolder.directories());
    watchForLoss(connection);
    Q_EMIT reconnected();
    // Gone again before the watch was in place: its Disconnected went by unseen.
    if (!connection.isConnected())
        disconnected();
}
