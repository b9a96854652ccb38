#pragma once

#include <QtGlobal>
#include <optional>

// The user id of the process at the other end of a connected local socket, as the kernel tells
// it; nothing when it cannot be learnt.
std::optional<uint> peerUid(qintptr socketDescriptor);
