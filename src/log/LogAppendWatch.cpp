#include "log/LogAppendWatch.h"

#include "log/LogTailLines.h"
#include "log/LogTailRead.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {

// Enough for any burst the window can hold.
constexpr qint64 maxLines = 10000;

} // namespace

LogAppendWatch::LogAppendWatch(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path)
{
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &LogAppendWatch::changed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &LogAppendWatch::changed);
}

void LogAppendWatch::start()
{
    if (m_running)
        return;
    m_running = true;
    struct stat status = {};
    const bool exists = ::stat(QFile::encodeName(m_path).constData(), &status) == 0;
    m_inode = exists ? status.st_ino : 0;
    m_offset = exists ? status.st_size : 0;
    const QString folder = QFileInfo(m_path).absolutePath();
    if (QFileInfo(folder).isDir())
        m_watcher.addPath(folder);
    follow();
}

void LogAppendWatch::stop()
{
    m_running = false;
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
}

// The watch on a file ends when it is renamed or deleted; the folder's tells when a new one comes.
void LogAppendWatch::follow()
{
    if (m_watcher.files().isEmpty() && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}

void LogAppendWatch::changed()
{
    if (!m_running)
        return;
    follow();
    QFile file;
    if (openRegularFile(m_path, file) != 0)
        return;
    struct stat status = {};
    if (::fstat(file.handle(), &status) != 0)
        return;
    // A new file at the path, or this one cut: everything in it is new.
    if (status.st_ino != m_inode || status.st_size < m_offset) {
        m_inode = status.st_ino;
        m_offset = 0;
    }
    const qint64 size = status.st_size;
    if (size == m_offset)
        return;
    const qint64 start = std::max(m_offset, size - maxReadBytes);
    const bool skipped = start > m_offset;
    if (!file.seek(start))
        return;
    const QByteArray bytes = file.read(size - start);
    const qsizetype lastNewline = bytes.lastIndexOf('\n');
    if (lastNewline < 0) {
        // A line longer than the window is skipped; a shorter one waits for its end.
        if (skipped)
            m_offset = size;
        return;
    }
    m_offset = start + lastNewline + 1;
    // Past a skip the window starts inside a line, which is dropped like the tailer's.
    const auto lines =
        linesOfTailWindow(QByteArrayView(bytes).first(lastNewline + 1), skipped ? 1 : 0, maxLines);
    if (lines && !lines->isEmpty())
        Q_EMIT linesAppended(*lines);
}
