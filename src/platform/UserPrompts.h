#pragma once

#include <QString>
#include <functional>
#include <optional>

// The dialogs a model needs, without the model knowing widgets.
class UserPrompts
{
public:
    virtual ~UserPrompts() = default;

    // Asks where to save a file and returns at once; `chosen` gets the path, or nothing when the
    // user cancelled.
    virtual void chooseSaveLocation(const QString &title, const QString &suggestedName,
                                    std::function<void(std::optional<QString>)> chosen) = 0;

    // Shows a warning on a later turn of the event loop.
    virtual void warn(const QString &message) = 0;
};
