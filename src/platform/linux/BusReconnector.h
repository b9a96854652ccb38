#pragma once

#include <QDBusConnection>
#include <QFileSystemWatcher>
#include <QMutex>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

// One bus connection that comes back with its bus. QtDBus keeps a dropped connection dropped, so
// once the bus says Disconnected the connection is let go and a fresh one tried under a new
// name: 1 s later, then after twice the wait each time, up to 30 s, and at once when the bus's
// socket reappears (inotify on its folder), so a long outage does not leave a 30 s wait behind.
// Nothing is polled while the bus is up; the attempts run on a pool thread, so a hanging bus
// never holds up the GUI thread.
class BusReconnector : public QObject
{
    Q_OBJECT

public:
    static constexpr int firstRetryMs = 1000;
    static constexpr int longestRetryMs = 30000;

    // The system or session bus where libdbus finds it, or the bus at `address`. Whichever
    // thread lets go of it last, it is deleted on its own thread.
    static std::shared_ptr<BusReconnector> create(QDBusConnection::BusType type);
    static std::shared_ptr<BusReconnector> create(const QString &address);
    ~BusReconnector() override;

    // The socket of the first "unix:path=" in a D-Bus address; none for other transports.
    static QString socketPath(const QString &address);

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
    // Connects to the bus under the given connection name.
    using Connect = std::function<QDBusConnection(const QString &name)>;

    BusReconnector(Connect connectToBus, const QString &socketPath);
    static std::shared_ptr<BusReconnector> make(Connect connectToBus, const QString &address);
    void watchForLoss(const QDBusConnection &connection);
    void socketFolderChanged();
    void retry();
    void adopt(const QDBusConnection &connection, const QString &name);

    const Connect m_connect;
    const QString m_socketPath;
    QMutex m_mutex;
    std::optional<QDBusConnection> m_connection;
    QString m_name;
    bool m_reached = false;
    // From the loss until a new connection is up; GUI thread only, as is what follows.
    bool m_lost = false;
    int m_retryMs = firstRetryMs;
    QTimer m_retry;
    QFileSystemWatcher m_socketFolder;
};
