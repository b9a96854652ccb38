#pragma once

#include "platform/DesktopIntegration.h"

// Helpers the Linux desktop offers; tests point them at fakes.
struct LinuxDesktopTools
{
    QString xdgOpen = QStringLiteral("/usr/bin/xdg-open");
    QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");
};

// freedesktop.org glue: xdg-open, the file manager's D-Bus interface and the user's cache dir.
class LinuxDesktopIntegration : public DesktopIntegration
{
public:
    explicit LinuxDesktopIntegration(const LinuxDesktopTools &tools = {});

    // Opens the log with the desktop's default application for it.
    void openInLogViewer(const QString &path) override;
    // Asks the file manager to select the file; opens the folder when no file manager answers.
    void revealInFileBrowser(const QString &path) override;
    // $XDG_CACHE_HOME (or ~/.cache)/korvel-printer/share, after removing copies older than a day:
    // the cache is on disk, so copies would otherwise pile up.
    PreparedDirectory shareDirectory() override;
    void bringToFront() override;

private:
    LinuxDesktopTools m_tools;
};
