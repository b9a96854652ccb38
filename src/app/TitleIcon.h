#pragma once

#include <QImage>
#include <QString>

// The status item's title as a square tray icon of `side` pixels: white letters on a dark
// rounded badge with a light outline. The badge stands out on a light tray, the outline on a
// dark one, and the letters always sit on the badge's own dark ground.
QImage titleIcon(const QString &text, int side);
