#pragma once

#include "platform/DesktopIntegration.h"

// /usr/bin/open for Console and the Finder; the per-user temporary directory for share copies.
class MacDesktopIntegration : public DesktopIntegration
{
public:
    void openInLogViewer(const QString &path) override;
    void revealInFileBrowser(const QString &path) override;
    PreparedDirectory shareDirectory() override;
    void bringToFront() override;
};
