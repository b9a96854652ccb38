#pragma once

#include <QString>

// A directory ready for use, or the reason there is none.
struct PreparedDirectory
{
    QString path;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// Makes `parent`/`name` a directory only this user can enter (mode 0700), creating it if needed.
// An existing entry is used only when it is a real directory owned by this user, never a symlink,
// so nobody else can watch or swap what is put into it.
PreparedDirectory preparePrivateDirectory(const QString &parent, const QString &name);

// Whether `path` is a real directory (not a symlink) of this user that nobody else can enter.
bool isPrivateDirectory(const QString &path);
