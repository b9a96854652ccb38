#pragma once

#include "platform/UserPrompts.h"

// The save dialog and warning alert as Qt widgets, on every system.
class DialogPrompts : public UserPrompts
{
public:
    void chooseSaveLocation(const QString &title, const QString &suggestedName,
                            std::function<void(std::optional<QString>)> chosen) override;
    void warn(const QString &message) override;
};
