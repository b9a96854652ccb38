#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QLocalServer>
#include <QObject>
#include <QTimer>

class AppDelegate;
class QLocalSocket;

// Takes one command per connection on a local socket (snapshot, open, refresh, restart, reset)
// and answers with one JSON snapshot of what the app shows: the visible windows with their texts
// and global geometries, the popover, the configuration helper's process id, the models' values,
// the longest event-loop stall and the memory peak. A script outside the process drives the app
// and checks the screen with it.
class AppInspector : public QObject
{
    Q_OBJECT

public:
    AppInspector(AppDelegate &delegate, QObject *parent = nullptr);

    bool listen(const QString &socketPath);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void command(QLocalSocket *socket);
    QJsonObject snapshot() const;
    QJsonObject modelsJson() const;

    AppDelegate &m_delegate;
    QLocalServer m_server;
    // A 10 ms timer keeps the longest gap between its ticks: how long the loop stood still. It
    // starts with the first reset, so that idle figures measure the app alone.
    QTimer m_stallMeter;
    QElapsedTimer m_sinceTick;
    qint64 m_longestStallMs = 0;
    // When the popover last finished its first paint after showing, on the system's monotonic
    // clock, so a script can time a click to the painted panel.
    qint64 m_popoverPaintedAtMs = 0;
    bool m_awaitingPaint = false;
    int m_trayMessages = 0;
};
