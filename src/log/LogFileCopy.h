#pragma once

#include <QString>
#include <optional>

// Copies `source` to `target` under a temporary name beside the target and renames it into place
// only once the whole copy is written, so a copy that fails leaves any file already at `target`
// as it was. A target that is the source itself is refused. Returns the description of what
// failed, or nothing on success.
std::optional<QString> copyReplacing(const QString &source, const QString &target);
