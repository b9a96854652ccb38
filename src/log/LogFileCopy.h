#pragma once

#include <QString>

// Copies `source` to `target` under a temporary name beside the target and renames it into place
// only once the whole copy is written, so a copy that fails leaves any file already at `target`
// as it was. A target that is the source itself is refused. True once the copy is in place;
// otherwise `failure` says why not.
bool copyReplacing(const QString &source, const QString &target, QString &failure);
