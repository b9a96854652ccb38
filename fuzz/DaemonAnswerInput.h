#pragma once

#include "FuzzInput.h"
#include "daemon/DaemonRequests.h"

// Layout: what the request came to (a body, no body, a transport error, a cancellation), then
// the body bytes (or the error text).
inline DaemonAnswer takeDaemonAnswer(FuzzInput &input)
{
    const uint8_t kind = input.takeByte() % 4;
    const QByteArray bytes = input.rest().toByteArray();
    DaemonAnswer answer;
    switch (kind) {
    case 0:
        answer.body = bytes;
        break;
    case 1:
        break;
    case 2:
        answer.kind = DaemonAnswer::Kind::failed;
        answer.errorText = QString::fromUtf8(bytes);
        break;
    case 3:
        answer.kind = DaemonAnswer::Kind::cancelled;
        break;
    }
    return answer;
}
