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
    [NSApp activateIgnoringOtherApps:YES];
}
