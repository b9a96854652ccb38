#include "log/LogTailRead.h"

#include "log/LogWindow.h"

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Opens `path` only if it is a regular file. A FIFO or a device at the log path would block the
// main thread on open or read, so it counts as a file that cannot be opened.
bool openRegularFile(const QString &path, QFile &file)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return false;
    }
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
}

} // namespace

TailRead readLogTail(const QString &path, qint64 maxLines, qint64 windowBytes)
{
    QFile file;
    if (!openRegularFile(path, file))
        return {QStringList{}, u"Log file not found: "_s + path};

    const qint64 start = tailWindowStart(file.size(), windowBytes);
    if (!file.seek(start))
        return {std::nullopt, file.errorString()};

    // A failed read counts as an empty file: the next tick tries again.
    const QByteArray window = file.read(windowBytes);
    const std::optional<QStringList> lines = linesOfTailWindow(window, start, maxLines);
    if (!lines)
        return {std::nullopt, u"Log file is not valid UTF-8"_s};
    return {*lines, std::nullopt};
}
