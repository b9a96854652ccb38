#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Top-left corner for a popover of `size` opened from `anchor`: centred under it, or above it
// when the anchor sits in the lower half of the screen (a bottom panel), kept inside
// `available`.
QPoint popoverOrigin(const QRect &anchor, const QSize &size, const QRect &available);
