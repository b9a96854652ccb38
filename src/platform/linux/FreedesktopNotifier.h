#pragma once

#include "platform/Notifier.h"

#include <QDBusConnection>
#include <QSet>
#include <functional>

// Notifications through org.freedesktop.Notifications on the given bus. Where no notification
// service answers, the message goes to `fallback` instead (the tray's own balloon).
class FreedesktopNotifier : public Notifier
{
    Q_OBJECT

public:
    using Fallback = std::function<void(const QString &title, const QString &body)>;

    FreedesktopNotifier(const QDBusConnection &bus, Fallback fallback, QObject *parent = nullptr);

    void notify(const QString &title, const QString &body) override;

private Q_SLOTS:
    void actionInvoked(uint id, const QString &action);

private:
    QDBusConnection m_bus;
    Fallback m_fallback;
    // The last notification shown, replaced by the next so they do not pile up.
    uint m_shownId = 0;
};
