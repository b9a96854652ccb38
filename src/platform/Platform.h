#pragma once

#include "platform/DesktopIntegration.h"
#include "platform/SharePicker.h"
#include "platform/UserPrompts.h"

#include <memory>

// The implementations for the system the app was built for.
std::shared_ptr<DesktopIntegration> makeDesktopIntegration();
std::unique_ptr<SharePicker> makeSharePicker();
std::shared_ptr<UserPrompts> makeUserPrompts();
// Hands memory the allocator keeps after a one-off burst back to the system.
void releaseFreedMemory();
