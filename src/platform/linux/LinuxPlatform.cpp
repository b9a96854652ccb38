#include "platform/DialogPrompts.h"
#include "platform/Platform.h"
#include "platform/linux/LinuxDesktopIntegration.h"
#include "platform/linux/LinuxSharePicker.h"
#include "platform/linux/SystemdServiceControl.h"

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

std::shared_ptr<ServiceControl> makeServiceControl()
{
    return std::make_shared<SystemdServiceControl>(&QDBusConnection::systemBus,
                                                   &QDBusConnection::sessionBus);
}
