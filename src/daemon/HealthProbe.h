#pragma once

#include <QUrl>

// Blocking, for pool threads: true only when the daemon answers `url` with status 200 within
// 1.5 s. Only the status line is read; the body is dropped unread.
bool probeHealthEndpoint(const QUrl &url);
