#pragma once

#include <QString>

// Where this system's daemon writes its log.
QString defaultLogPath();
// The labels of the log's two desktop buttons, translated (context "LogHeader").
QString openLogLabel();
QString revealLogLabel();
