#pragma once

#include <QUrl>

// Blocking, for pool threads: true only when the daemon answers `url` with status 200 within
// 1.5 s. The body is not read.
bool probeHealthEndpoint(const QUrl &url);
