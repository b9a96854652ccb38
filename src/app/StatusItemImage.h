#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

// Where the status item's icon may be, in order: the bundle's "AppIcon.icns" (when there is a
// bundle), then the working directory + "/Resources/AppIcon.icns".
QStringList statusImageCandidates(const std::optional<QString> &bundleIconPath,
                                  const QString &workingDirectory);

// The image of the first candidate that exists, at 18 × 18 points. Nothing when no candidate
// exists or that first one is not a readable image: later ones are not tried.
std::optional<QImage> loadStatusItemImage(const QStringList &candidates);
