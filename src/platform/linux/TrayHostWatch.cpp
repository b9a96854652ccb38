#include "platform/linux/TrayHostWatch.h"

using namespace Qt::StringLiterals;

TrayHostWatch::TrayHostWatch(const QDBusConnection &bus, std::function<void()> appeared,
                             QObject *parent)
    : QObject(parent)
    , m_watcher(u"org.kde.StatusNotifierWatcher"_s, bus, QDBusServiceWatcher::WatchForRegistration)
    , m_appeared(std::move(appeared))
{
    connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { m_appeared(); });
    // No sender named: QtDBus would look its owner up, blocking.
    QDBusConnection(bus).connect({}, u"/StatusNotifierWatcher"_s,
                                 u"org.kde.StatusNotifierWatcher"_s,
                                 u"StatusNotifierHostRegistered"_s, this, SLOT(hostRegistered()));
}

void TrayHostWatch::hostRegistered()
{
    m_appeared();
}
