#include "platform/DialogPrompts.h"
#include "platform/Platform.h"
#include "platform/macos/MacDesktopIntegration.h"
#include "platform/macos/MacSharePicker.h"

#include <malloc/malloc.h>

std::shared_ptr<DesktopIntegration> makeDesktopIntegration()
{
    return std::make_shared<MacDesktopIntegration>();
}

std::unique_ptr<SharePicker> makeSharePicker()
{
    return std::make_unique<MacSharePicker>();
}

std::shared_ptr<UserPrompts> makeUserPrompts()
{
    return std::make_shared<DialogPrompts>();
}

// Unverified: no Mac to build on.
void releaseFreedMemory()
{
    malloc_zone_pressure_relief(nullptr, 0);
}
