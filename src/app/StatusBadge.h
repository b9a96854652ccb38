#pragma once

#include "service/ServiceState.h"

#include <QImage>

// The tray icon for a service state: the icon itself while the service runs; otherwise the icon
// with a badge in its lower right corner, a red disc with a white bar when stopped or not
// installed and a grey disc with a white dot when unknown. It scales with the image, so it reads
// the same at 1× and 2×.
QImage badgedStatusImage(const QImage &base, ServiceState::Kind kind);
