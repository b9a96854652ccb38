#pragma once

#include "platform/UserPrompts.h"

#include <QCoreApplication>

// The save dialog and warning alert as Qt widgets, on every system.
class DialogPrompts : public UserPrompts
{
    Q_DECLARE_TR_FUNCTIONS(DialogPrompts)

public:
    void chooseSaveLocation(const QString &title, const QString &suggestedName,
                            std::function<void(std::optional<QString>)> chosen) override;
    void warn(const QString &message) override;
};
