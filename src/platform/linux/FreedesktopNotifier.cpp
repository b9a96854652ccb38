#include "platform/linux/FreedesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

using namespace Qt::StringLiterals;

namespace {

const auto service = u"org.freedesktop.Notifications"_s;
const auto path = u"/org/freedesktop/Notifications"_s;
const auto interface = u"org.freedesktop.Notifications"_s;
const auto defaultAction = u"default"_s;

} // namespace

FreedesktopNotifier::FreedesktopNotifier(const QDBusConnection &bus, Fallback fallback,
                                         QObject *parent)
    : Notifier(parent)
    , m_bus(bus)
    , m_fallback(std::move(fallback))
{
    m_bus.connect(service, path, interface, u"ActionInvoked"_s, this,
                  SLOT(actionInvoked(uint, QString)));
}

void FreedesktopNotifier::notify(const QString &title, const QString &body)
{
    // Without a bus the pending call below would never finish, and the notification be lost.
    if (!m_bus.isConnected())
        return m_fallback(title, body);
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, u"Notify"_s);
    const QVariantMap hints{{u"desktop-entry"_s, u"korvel-printer"_s}};
    call << u"Korvel Printer"_s << m_shownId << u"korvel-printer"_s << title << body
         << QStringList{defaultAction, tr("Open")} << hints << -1;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, title, body](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError())
                    m_fallback(title, body);
                else
                    m_shownId = reply.value();
            });
}

void FreedesktopNotifier::actionInvoked(uint id, const QString &action)
{
    // The signal reaches every client of the service; only our own notification counts.
    if (id == m_shownId && id != 0 && action == defaultAction)
        Q_EMIT activated();
}
