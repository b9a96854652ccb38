#include "core/PreparedDirectory.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

PreparedDirectory failure(const QString &path, const QString &reason)
{
    return {{}, path % u": "_s % reason};
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

PreparedDirectory preparePrivateDirectory(const QString &parent, const QString &name)
{
    if (!QDir().mkpath(parent))
        return failure(parent, u"cannot be created"_s);
    const QString path = QDir(parent).filePath(name);
    const QByteArray nativePath = QFile::encodeName(path);
    if (::mkdir(nativePath.constData(), 0700) != 0 && errno != EEXIST)
        return failure(path, errnoText());

    struct stat info
    {
    };
    if (::lstat(nativePath.constData(), &info) != 0)
        return failure(path, errnoText());
    // lstat: a symbolic link is not a directory here.
    if (!S_ISDIR(info.st_mode))
        return failure(path, u"is not a directory"_s);
    if (info.st_uid != ::geteuid())
        return failure(path, u"belongs to another user"_s);
    if ((info.st_mode & 0777) != 0700 && ::chmod(nativePath.constData(), 0700) != 0)
        return failure(path, errnoText());
    return {path, {}};
}

bool isPrivateDirectory(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 0077) == 0;
}
