#pragma once

#include "core/PreparedDirectory.h"

#include <QLatin1StringView>
#include <QString>

// Copies of the log made for sharing are named prefix + time stamp + suffix; cleaning the share
// directory takes only names of that form.
inline constexpr QLatin1StringView shareCopyPrefix{"KorvelPrinter-"};
inline constexpr QLatin1StringView shareCopySuffix{".log"};

// What the log viewer asks of the desktop it runs on.
class DesktopIntegration
{
public:
    virtual ~DesktopIntegration() = default;

    // Both start a helper without waiting for it; a helper that cannot start is ignored.
    virtual void openInLogViewer(const QString &path) = 0;
    virtual void revealInFileBrowser(const QString &path) = 0;

    // Where copies made for sharing go: private to this user.
    virtual PreparedDirectory shareDirectory() = 0;

    // Puts the app in front of other apps before it shows a dialog: a tray app is never active.
    virtual void bringToFront() = 0;
};
