#include "app/PanelStyle.h"

using namespace Qt::StringLiterals;

PanelStyle trayPanelStyle(const QString &platformName, bool waylandSession)
{
    if (platformName.startsWith(u"wayland"_s))
        return PanelStyle::focusedPanel;
    // Under XWayland an X grab covers X clients only: the shell's bar and the Wayland apps
    // never close the popup, and it never gets the keyboard.
    if (platformName == u"xcb"_s && waylandSession)
        return PanelStyle::focusedPanel;
    return PanelStyle::popup;
}
