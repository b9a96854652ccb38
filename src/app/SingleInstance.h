#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

// One app per user and display: a later start hands over to the running one, which opens its
// panel, and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `name` is the local socket's path; the lock file sits next to it. Without a name every
    // start runs on its own.
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);

    // The socket for this user's session, in a directory only this user can enter, named after
    // the uid and the display (DISPLAY, else WAYLAND_DISPLAY); empty when there is no such
    // directory.
    static QString standardName();
    // `display` reduced to characters that are safe in a file name.
    static QString socketName(const QString &directory, uint uid, const QString &display);

    // True when a running instance took the request to open its panel: this one should end.
    // Otherwise this one becomes the instance and listens for later starts.
    bool handOver();

Q_SIGNALS:
    void activationRequested();

private:
    void accept();

    QString m_name;
    QLockFile m_lock;
    QLocalServer m_server;
};
