#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QLocalServer>
#include <QObject>
#include <QTimer>

class AppDelegate;
class QLocalSocket;

// One command per connection on a local socket, answered with a JSON snapshot of what the app
// shows, so a script outside the process can drive it and check the screen.
class AppInspector : public QObject
{
    Q_OBJECT

public:
    AppInspector(AppDelegate &delegate, const QString &socketPath);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void command(QLocalSocket *socket);
    QJsonObject snapshot() const;

    AppDelegate &m_delegate;
    QLocalServer m_server;
    // The longest gap between 10 ms ticks: how long the loop stood still since the last reset.
    QTimer m_stallMeter;
    QElapsedTimer m_sinceTick;
    qint64 m_longestStallMs = 0;
    // On the monotonic clock, so a script can time a click to the painted panel.
    qint64 m_popoverPaintedAtMs = 0;
    bool m_awaitingPaint = false;
    int m_trayMessages = 0;
};
