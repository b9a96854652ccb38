#pragma once

#include "app/Popover.h"
#include "app/StatusItem.h"
#include "platform/Notifier.h"

#include <functional>
#include <memory>

class PanelModels;

// How the delegate makes the pieces that touch the desktop: the tray and the popup in the
// program, substitutes in tests.
struct AppPlatform
{
    std::function<std::unique_ptr<StatusItem>()> makeStatusItem;
    // The panel on the models, with the action that opens the configuration window.
    std::function<std::unique_ptr<Popover>(PanelModels &, std::function<void()> openConfig)>
        makePopover;
    // Gets the tray's own balloon as fallback. Missing, or making nothing, where the edition
    // keeps a static icon (macOS): then the icon shows no state and nothing is notified.
    std::function<std::unique_ptr<Notifier>(
        std::function<void(const QString &title, const QString &body)> trayMessage)>
        makeNotifier;
};
