#include "platform/linux/SystemdManagerWatch.h"

#include "platform/linux/SystemdNames.h"
#include "platform/linux/SystemdUnitQuery.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>

using namespace Qt::StringLiterals;

namespace {

const QString systemdService = SystemdNames::service;
const QString managerPath = SystemdNames::managerPath;
const QString managerInterface = SystemdNames::managerInterface;
const QString propertiesInterface = SystemdNames::propertiesInterface;
using SystemdNames::callTimeoutMs;
// Our own LoadUnit makes the manager announce a unit it had unloaded; that UnitNew is no news.
constexpr qint64 ownLoadEchoMs = 1000;

} // namespace

SystemdManagerWatch::SystemdManagerWatch(BusReconnector &bus, QObject *parent)
    : QObject(parent)
    , m_reconnector(bus)
    , m_bus(bus.connection())
    , m_managerWatcher(systemdService, m_bus, QDBusServiceWatcher::WatchForOwnerChange)
{
    // A new manager (or none) knows nothing of our subscription.
    connect(&m_managerWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &SystemdManagerWatch::ask);
    connect(&bus, &BusReconnector::lost, this, [this] {
        ++m_round;
        setAnswer(unconnectedAnswer(m_bus, true));
    });
    // A new bus has a new manager, unit object and match rules.
    connect(&bus, &BusReconnector::reconnected, this, [this] {
        m_bus = m_reconnector.connection();
        m_managerWatcher.setConnection(m_bus);
        m_manager.clear();
        m_unitPath.clear();
        start();
    });
}

void SystemdManagerWatch::start()
{
    // No sender in the match rules: naming the service would make QtDBus look up its owner with
    // a blocking call. Only signals from the manager that answered count.
    m_bus.connect(QString(), managerPath, managerInterface, u"UnitNew"_s, {QString(daemonUnit)},
                  QString(), this, SLOT(unitNew(QString, QDBusObjectPath, QDBusMessage)));
    m_bus.connect(QString(), managerPath, managerInterface, u"UnitRemoved"_s, {QString(daemonUnit)},
                  QString(), this, SLOT(unitRemoved(QString, QDBusObjectPath, QDBusMessage)));
    ask();
}

void SystemdManagerWatch::ask()
{
    ++m_round;
    if (!m_bus.isConnected()) {
        setAnswer(unconnectedAnswer(m_bus, m_reconnector.wasReached()));
        return;
    }
    // A subscription ends with the manager's process, so each manager gets one.
    call(managerPath, managerInterface, u"Subscribe"_s, {}, [](const QDBusMessage &) {});
    m_sinceLoad.start();
    queryUnit(
        [this](const QString &path, const QString &interface, const QString &method,
               const QVariantList &arguments, std::function<void(const QDBusMessage &)> then) {
            call(path, interface, method, arguments, std::move(then));
        },
        [this](const QDBusMessage &loaded) {
            m_manager = loaded.service();
            watchUnit(loaded.arguments().constFirst().value<QDBusObjectPath>().path());
        },
        [this](const UnitAnswer &answer) { setAnswer(answer); });
}

void SystemdManagerWatch::watchUnit(const QString &unitPath)
{
    if (unitPath == m_unitPath)
        return;
    const char *slot = SLOT(propertiesChanged(QString, QVariantMap, QStringList, QDBusMessage));
    if (!m_unitPath.isEmpty())
        m_bus.disconnect(QString(), m_unitPath, propertiesInterface, u"PropertiesChanged"_s, this,
                         slot);
    m_unitPath = unitPath;
    m_bus.connect(QString(), m_unitPath, propertiesInterface, u"PropertiesChanged"_s, this, slot);
}

void SystemdManagerWatch::call(const QString &path, const QString &interface, const QString &method,
                               const QVariantList &arguments,
                               std::function<void(const QDBusMessage &)> then)
{
    QDBusMessage message = QDBusMessage::createMethodCall(systemdService, path, interface, method);
    message.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, round = m_round, then = std::move(then)](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                if (round == m_round)
                    then(finished->reply());
            });
}

void SystemdManagerWatch::propertiesChanged(const QString &interface, const QVariantMap &changed,
                                            const QStringList &invalidated,
                                            const QDBusMessage &message)
{
    if (message.service() != m_manager)
        return;
    if (!m_answer || m_answer->kind != UnitAnswer::Kind::unit)
        return ask();
    UnitAnswer answer = *m_answer;
    for (std::size_t i = 0; i < unitProperties.size(); ++i) {
        const UnitProperty &property = unitProperties[i];
        if (interface != property.interface)
            continue;
        if (invalidated.contains(property.name))
            return ask();
        if (changed.contains(property.name))
            setUnitProperty(answer, i, changed.value(property.name));
    }
    // A state that needs what the signal did not carry (why it failed) is asked in full.
    if (!isComplete(answer))
        return ask();
    setAnswer(answer);
}

void SystemdManagerWatch::unitNew(const QString &, const QDBusObjectPath &,
                                  const QDBusMessage &message)
{
    if (message.service() == m_manager && m_sinceLoad.elapsed() > ownLoadEchoMs)
        ask();
}

// An unloaded unit runs nothing; loading it again would only have it unloaded again.
void SystemdManagerWatch::unitRemoved(const QString &, const QDBusObjectPath &,
                                      const QDBusMessage &message)
{
    if (message.service() != m_manager || !m_answer || m_answer->kind != UnitAnswer::Kind::unit)
        return;
    UnitAnswer answer = *m_answer;
    answer.mainPid = 0;
    setAnswer(answer);
}

void SystemdManagerWatch::setAnswer(const UnitAnswer &answer)
{
    if (m_answer == answer)
        return;
    m_answer = answer;
    Q_EMIT answerChanged();
}
