#pragma once

#include "app/Popover.h"
#include "app/PopoverContent.h"
#include "app/StatusItem.h"

#include <functional>
#include <memory>

// How the delegate makes the pieces that touch the desktop: the tray and the popup in the
// program, substitutes in tests.
struct AppPlatform
{
    std::function<std::unique_ptr<StatusItem>()> makeStatusItem;
    std::function<std::unique_ptr<Popover>(const PopoverContent &)> makePopover;
};
