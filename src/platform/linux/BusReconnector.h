#pragma once

#include <QDBusConnection>
#include <QMutex>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

// One bus connection that comes back with its bus. QtDBus keeps a dropped connection dropped, so
// once the bus says Disconnected the connection is let go and a fresh one tried under a new
// name: 1 s later, then after twice the wait each time, up to 30 s. Nothing is polled while the
// bus is up; the attempts run on a pool thread, so a hanging bus never holds up the GUI thread.
class BusReconnector : public QObject
{
    Q_OBJECT

public:
    // Connects to the bus under the given connection name.
    using Connect = std::function<QDBusConnection(const QString &name)>;

    static constexpr int firstRetryMs = 1000;
    static constexpr int longestRetryMs = 30000;

    // Whichever thread lets go of it last, it is deleted on its own.
    static std::shared_ptr<BusReconnector> create(Connect connectToBus);
    ~BusReconnector() override;

    // The connection now, made on first use by the calling thread; after a loss the lost one,
    // until the bus is back. Any thread.
    QDBusConnection connection();
    // Whether the bus was ever reached: a connection that is down now was lost, not missing.
    bool wasReached();

Q_SIGNALS:
    void lost();
    // connection() is a new one, up.
    void reconnected();

private Q_SLOTS:
    void disconnected();

private:
    explicit BusReconnector(Connect connectToBus);
    void watchForLoss(const QDBusConnection &connection);
    void retry();
    void adopt(const QDBusConnection &connection, const QString &name);

    const Connect m_connect;
    QMutex m_mutex;
    std::optional<QDBusConnection> m_connection;
    QString m_name;
    bool m_reached = false;
    int m_retryMs = firstRetryMs;
    QTimer m_retry;
};
