#pragma once

#include <QString>

// How the panel's window behaves.
enum class PanelStyle {
    // A grabbing popup that closes on a press outside it: where the app owns the X server's
    // pointer and keyboard, as on an X11 desktop or macOS.
    popup,
    // A frameless, stay-on-top window that takes the focus and closes when it loses it: where a
    // grab reaches neither the shell's clicks nor the keyboard (XWayland) or does not exist
    // (Wayland).
    focusedPanel,
    // An ordinary titled window, for a desktop that shows no tray icon.
    titledWindow,
};

// The style of a panel opened from the tray icon on the Qt platform `platformName`.
PanelStyle trayPanelStyle(const QString &platformName, bool waylandSession);
