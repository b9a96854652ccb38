#pragma once

#include <QJsonObject>
#include <QLocalServer>
#include <QObject>

class AppDelegate;

// Answers every connection on a local socket with one JSON snapshot of what the app shows: the
// visible windows with their texts and global geometries, the popover, the tray icon and the
// configuration helper's process id. It lets a script outside the process check the screen.
class AppInspector : public QObject
{
    Q_OBJECT

public:
    AppInspector(AppDelegate &delegate, QObject *parent = nullptr);

    bool listen(const QString &socketPath);
    QJsonObject snapshot() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void answer();

    AppDelegate &m_delegate;
    QLocalServer m_server;
    // When the popover last finished its first paint after showing, on the system's monotonic
    // clock, so a script can time a click to the painted panel.
    qint64 m_popoverPaintedAtMs = 0;
    bool m_awaitingPaint = false;
    int m_trayMessages = 0;
};
