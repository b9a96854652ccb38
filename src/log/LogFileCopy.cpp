#include "log/LogFileCopy.h"

#include <QFile>
#include <QSaveFile>

namespace {

constexpr qint64 chunkBytes = 1 << 20;

} // namespace

std::optional<QString> copyReplacing(const QString &source, const QString &target)
{
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        return input.errorString();

    QSaveFile output(target);
    if (!output.open(QIODevice::WriteOnly))
        return output.errorString();

    for (;;) {
        const QByteArray chunk = input.read(chunkBytes);
        if (input.error() != QFileDevice::NoError) {
            output.cancelWriting();
            return input.errorString();
        }
        if (chunk.isEmpty())
            break;
        if (output.write(chunk) != chunk.size()) {
            output.cancelWriting();
            return output.errorString();
        }
    }
    if (!output.commit())
        return output.errorString();
    return std::nullopt;
}
