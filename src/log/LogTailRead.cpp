#include "log/LogTailRead.h"

#include "log/LogTailLines.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Why the log could not be opened, in the user's words.
QString openFailure(const QString &path, int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return u"Log file not found: "_s + path;
    case EACCES:
    case EPERM:
        return QCoreApplication::translate("LogTailer", "No permission to read the log file: ") +
               path;
    case EISDIR:
        return QCoreApplication::translate("LogTailer", "The log path is a folder: ") + path;
    default:
        return QCoreApplication::translate("LogTailer", "The log path is not a regular file: ") +
               path;
    }
}

} // namespace

int openRegularFile(const QString &path, QFile &file)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    }
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ? 0 : EBADF;
}

TailRead readLogTail(const QString &path, qint64 maxLines, qint64 windowBytes)
{
    QFile file;
    if (const int error = openRegularFile(path, file))
        return {QStringList{}, openFailure(path, error)};

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
