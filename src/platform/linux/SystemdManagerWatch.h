#pragma once

#include "platform/linux/BusReconnector.h"
#include "platform/linux/SystemdUnitState.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <optional>

class QDBusObjectPath;

// The daemon's unit on one systemd manager, followed through the manager's signals: subscribed,
// asked once, then kept up to date from PropertiesChanged, UnitNew and UnitRemoved, and asked
// again whenever the manager comes (back) onto the bus, or the bus itself comes back. All of it
// asynchronous.
class SystemdManagerWatch : public QObject
{
    Q_OBJECT

public:
    // Connects to `bus` on the calling thread if nothing has yet.
    explicit SystemdManagerWatch(BusReconnector &bus, QObject *parent = nullptr);

    void start();
    // None until the first answer.
    const std::optional<UnitAnswer> &answer() const { return m_answer; }

Q_SIGNALS:
    void answerChanged();

private Q_SLOTS:
    void propertiesChanged(const QString &interface, const QVariantMap &changed,
                           const QStringList &invalidated, const QDBusMessage &message);
    void unitNew(const QString &id, const QDBusObjectPath &path, const QDBusMessage &message);
    void unitRemoved(const QString &id, const QDBusObjectPath &path, const QDBusMessage &message);

private:
    void ask();
    void watchUnit(const QString &unitPath);
    // A bounded asynchronous call to the manager; `then` gets the reply unless a newer round
    // has begun.
    void call(const QString &path, const QString &interface, const QString &method,
              const QVariantList &arguments, std::function<void(const QDBusMessage &)> then);
    void setAnswer(const UnitAnswer &answer);

    BusReconnector &m_reconnector;
    QDBusConnection m_bus;
    QDBusServiceWatcher m_managerWatcher;
    // The manager's unique name on the bus, from its last answer.
    QString m_manager;
    QString m_unitPath;
    // Each ask() starts a new round; replies of an older one are dropped.
    quint64 m_round = 0;
    // Since our own last LoadUnit, which makes the manager announce a unit it had let go.
    QElapsedTimer m_sinceLoad;
    std::optional<UnitAnswer> m_answer;
};
