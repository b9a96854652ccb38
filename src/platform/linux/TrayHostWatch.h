#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <functional>

// Says when a StatusNotifier tray may have come up on the session bus: its watcher took the name,
// or a host registered with it.
class TrayHostWatch : public QObject
{
    Q_OBJECT

public:
    TrayHostWatch(const QDBusConnection &bus, std::function<void()> appeared,
                  QObject *parent = nullptr);

private Q_SLOTS:
    void hostRegistered();

private:
    QDBusServiceWatcher m_watcher;
    std::function<void()> m_appeared;
};
