#pragma once

#include <QFile>

// Writes `content` over `path`, keeping the file (and so its links) if it exists.
inline bool writeFile(const QString &path, const QByteArray &content, bool executable = false)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size() && file.flush() &&
           (!executable || file.setPermissions(file.permissions() | QFile::ExeOwner));
}

// What `path` holds; nothing when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
