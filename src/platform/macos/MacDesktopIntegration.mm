#include "platform/macos/MacDesktopIntegration.h"

#import <AppKit/AppKit.h>
#include <QDir>
#include <QProcess>

using namespace Qt::StringLiterals;

void MacDesktopIntegration::openInLogViewer(const QString &path)
{
    QProcess::startDetached(u"/usr/bin/open"_s, {u"-a"_s, u"Console"_s, path});
}

void MacDesktopIntegration::revealInFileBrowser(const QString &path)
{
    QProcess::startDetached(u"/usr/bin/open"_s, {u"-R"_s, path});
}

PreparedDirectory MacDesktopIntegration::shareDirectory()
{
    // $TMPDIR on macOS is already a 0700 directory of this user under /var/folders.
    return {QDir::tempPath(), {}};
}

void MacDesktopIntegration::bringToFront()
{
    if (@available(macOS 14, *)) {
        [NSApp activate];
    } else {
        // Deprecated from macOS 14 on, which takes the branch above; the warning would fail the
        // -Werror build against that SDK.
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdeprecated-declarations"
        [NSApp activateIgnoringOtherApps:YES];
#pragma clang diagnostic pop
    }
}
