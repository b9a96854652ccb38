#pragma once

#include "platform/DesktopIntegration.h"
#include "platform/SharePicker.h"
#include "platform/UserPrompts.h"

#include <QString>
#include <memory>

// The implementations for the system the app was built for.
std::shared_ptr<DesktopIntegration> makeDesktopIntegration();
std::unique_ptr<SharePicker> makeSharePicker();
std::shared_ptr<UserPrompts> makeUserPrompts();

// Where this system's daemon writes its log.
QString defaultLogPath();
// The labels of the log's two desktop buttons, translated (context "LogHeader").
QString openLogLabel();
QString revealLogLabel();
