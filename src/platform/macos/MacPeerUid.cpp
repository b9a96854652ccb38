#include "platform/PeerUid.h"

#include <sys/types.h>
#include <unistd.h>

std::optional<uint> peerUid(qintptr socketDescriptor)
{
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(int(socketDescriptor), &uid, &gid) != 0)
        return std::nullopt;
    return uid;
}
