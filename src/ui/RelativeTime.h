#pragma once

#include <QDateTime>
#include <QString>

// How long ago `from` was, as "just now", "42s ago", "1m ago" or "26h ago". Whole seconds are
// truncated toward zero; a time in the future reads "just now".
QString relativeTimeString(const QDateTime &from, const QDateTime &now);
QString relativeTimeString(const QDateTime &from);
