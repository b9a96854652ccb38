#include "platform/linux/BusReconnector.h"

#include "core/Dispatch.h"

#include <QCoreApplication>
#include <QPointer>
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

std::shared_ptr<BusReconnector> BusReconnector::create(Connect connectToBus)
{
    return std::shared_ptr<BusReconnector>(new BusReconnector(std::move(connectToBus)),
                                           [](BusReconnector *bus) { bus->deleteLater(); });
}

BusReconnector::BusReconnector(Connect connectToBus)
    : m_connect(std::move(connectToBus))
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &BusReconnector::retry);
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
    if (m_retry.isActive())
        return;
    m_retryMs = firstRetryMs;
    m_retry.start(m_retryMs);
    Q_EMIT lost();
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
    watchForLoss(connection);
    Q_EMIT reconnected();
    // Gone again before the watch was in place: its Disconnected went by unseen.
    if (!connection.isConnected())
        disconnected();
}
