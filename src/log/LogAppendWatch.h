#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>

// Tells the whole lines appended to the log from start() on, as the kernel reports changes to
// the file and its folder (no polling). A rotated or truncated file is read from its start; what
// was there at start() never is. Only the appended bytes are read, at most a window's worth.
class LogAppendWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 maxReadBytes = 64 * 1024;

    explicit LogAppendWatch(const QString &path, QObject *parent = nullptr);

    void start();
    void stop();

Q_SIGNALS:
    void linesAppended(const QStringList &lines);

private:
    void changed();
    void follow();

    QString m_path;
    QFileSystemWatcher m_watcher;
    bool m_running = false;
    // The file read so far: its inode and the offset after its last whole line read.
    quint64 m_inode = 0;
    qint64 m_offset = 0;
};
