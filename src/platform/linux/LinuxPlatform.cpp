#include "platform/DialogPrompts.h"
#include "platform/Platform.h"
#include "platform/linux/LinuxDesktopIntegration.h"
#include "platform/linux/LinuxSharePicker.h"

#include <malloc.h>

std::shared_ptr<DesktopIntegration> makeDesktopIntegration()
{
    return std::make_shared<LinuxDesktopIntegration>();
}

std::unique_ptr<SharePicker> makeSharePicker()
{
    return std::make_unique<LinuxSharePicker>();
}

std::shared_ptr<UserPrompts> makeUserPrompts()
{
    return std::make_shared<DialogPrompts>();
}

void releaseFreedMemory()
{
    malloc_trim(0);
}
