#include "log/LogFileCopy.h"

#include <QFile>
#include <QSaveFile>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 chunkBytes = 1 << 20;

// Both names lead to one file: the same name, a symbolic link to it, or another hard link.
bool sameFile(const QString &first, const QString &second)
{
    struct stat a
    {
    };
    struct stat b
    {
    };
    return ::stat(QFile::encodeName(first).constData(), &a) == 0 &&
           ::stat(QFile::encodeName(second).constData(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

} // namespace

bool copyReplacing(const QString &source, const QString &target, QString &failure)
{
    // Says why, and that it did not happen.
    const auto failed = [&failure](const QString &why) {
        failure = why;
        return false;
    };
    // Replacing the source would swap the file under whoever still writes to it, such as the
    // daemon writing its log, and the rest of what it writes would be lost.
    if (sameFile(source, target))
        return failed(u"The chosen file is the log itself; choose another name or folder."_s);
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        return failed(input.errorString());

    QSaveFile output(target);
    if (!output.open(QIODevice::WriteOnly))
        return failed(output.errorString());

    for (;;) {
        const QByteArray chunk = input.read(chunkBytes);
        if (input.error() != QFileDevice::NoError) {
            output.cancelWriting();
            return failed(input.errorString());
        }
        if (chunk.isEmpty())
            break;
        if (output.write(chunk) != chunk.size()) {
            output.cancelWriting();
            return failed(output.errorString());
        }
    }
    if (!output.commit())
        return failed(output.errorString());
    return true;
}
