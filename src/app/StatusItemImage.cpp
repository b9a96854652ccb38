#include "app/StatusItemImage.h"

#include <QFileInfo>
#include <QImageReader>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int itemPoints = 18;
// Four pixels a point: the largest tray icon, 32 points on a 2× screen, is still scaled down.
constexpr int pixelsPerPoint = 4;

// An .icns holds several sizes; the largest scales down best.
QImage readLargestImage(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage largest = reader.read();
    while (reader.jumpToNextImage()) {
        const QImage next = reader.read();
        if (next.width() > largest.width())
            largest = next;
    }
    return largest;
}

} // namespace

QStringList statusImageCandidates(const std::optional<QString> &bundleIconPath,
                                  const QString &workingDirectory)
{
    QStringList candidates;
    if (bundleIconPath)
        candidates.append(*bundleIconPath);
    candidates.append(workingDirectory + "/Resources/AppIcon.icns"_L1);
    return candidates;
}

std::optional<QImage> loadStatusItemImage(const QStringList &candidates)
{
    const auto first = std::find_if(candidates.begin(), candidates.end(),
                                    [](const QString &path) { return QFileInfo::exists(path); });
    if (first == candidates.end())
        return std::nullopt;
    const QImage image = readLargestImage(*first);
    if (image.isNull())
        return std::nullopt;
    QImage sized = image.scaled(itemPoints * pixelsPerPoint, itemPoints * pixelsPerPoint,
                                Qt::KeepAspectRatio, Qt::SmoothTransformation);
    sized.setDevicePixelRatio(pixelsPerPoint);
    return sized;
}
