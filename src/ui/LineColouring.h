#pragma once

#include "ui/Theme.h"

#include <QString>

// The colour of one log line: the first keyword found (case-sensitive) decides; red keywords win
// over green ones, green over orange. A line without any keyword is primary.
Tone colorForLine(const QString &line);
