#pragma once

#include <QStringList>

// How many leading lines of `shown` to drop so that the rest of `shown` is where `next` begins:
// the log view then only removes those at the top and appends the remainder of `next`. Returns
// shown.size() when nothing lines up (everything is replaced).
qsizetype linesToDrop(const QStringList &shown, const QStringList &next);
