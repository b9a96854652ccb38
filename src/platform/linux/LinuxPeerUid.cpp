#include "platform/PeerUid.h"

#include <sys/socket.h>

std::optional<uint> peerUid(qintptr socketDescriptor)
{
    struct ucred credentials = {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return std::nullopt;
    return credentials.uid;
}
