#pragma once

#include "platform/DesktopIntegration.h"

// Helpers the Linux desktop offers; tests point them at fakes.
struct LinuxDesktopTools
{
    QString xdgOpen = QStringLiteral("xdg-open");
    QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");
};

// freedesktop.org glue: xdg-open, the file manager's D-Bus interface and the user's runtime dir.
class LinuxDesktopIntegration : public DesktopIntegration
{
public:
    explicit LinuxDesktopIntegration(const LinuxDesktopTools &tools = {});

    void openInLogViewer(const QString &path) override;
    // Asks the file manager to select the file; opens the folder when no file manager answers.
    void revealInFileBrowser(const QString &path) override;
    // $XDG_RUNTIME_DIR (or the cache dir when there is none)/korvel-printer-share.
    PreparedDirectory shareDirectory() override;
    void bringToFront() override;

private:
    LinuxDesktopTools m_tools;
};
