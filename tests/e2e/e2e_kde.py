#!/usr/bin/python3
"""Drives korvel-printer-e2e on KDE Plasma 5.27 with real clicks and keys, on X11 or on Wayland:
from plasmashell's tray. Without a tray, and a tray that comes late, are rows of their own."""

import os
import sys

import kde_session as kde
from harness import app_parser, check, main, wait_for

ROWS = ["kde-x11:default", "kde-wayland:default", "kde-wayland:wayland"]


def check_placed(app, session, icon, wayland_app):
    """In the work area (never under the bar); right above the icon unless KWin places it."""
    def window():
        windows = [w[1:] for w in kde.kwin_windows(session) if w[0] == "Korvel Printer"] \
            if wayland_app else [app.popover()["geometry"]]
        return len(windows) == 1 and windows[0]

    x, y, width, height = wait_for("the panel's window", window, 5)
    left, top, area_width, area_height = kde.work_area(session)
    check((width, height) == (520, 720) and left <= x and top <= y and
          x + width <= left + area_width and y + height <= top + area_height,
          f"the panel at {x},{y} {width}×{height} leaves the work area")
    centre = icon[0] + icon[2] // 2
    check(wayland_app or (x - 60 <= centre <= x + width + 60 and 0 <= icon[1] - y - height <= 60),
          f"the panel at {x},{y} {width}×{height} is not right above the icon {icon}")


def run(args, session):
    shell, platform = args.row.split(":")
    kde.prepare_home(session, wayland=shell == "kde-wayland")
    # A log written before the app starts: no new error lines, so no notifications of them. The
    # system bus first: both buses log to one file, and the session bus's lines would hide its.
    command, app = session.start_station(args, sim_options=("--log-burst", "20"))
    session.env["DBUS_SESSION_BUS_ADDRESS"] = bus = session.start_bus()
    # No notification service until plasmashell: the calls are watched.
    seen = session.watch_notifications(bus)
    desktop = kde.Desktop(session, wayland=shell == "kde-wayland")
    if platform == "wayland":
        session.env["QT_QPA_PLATFORM"] = "wayland"

    panel = kde.start_plasmashell(session, "wayland" if desktop.input else "xcb")
    session.start("app", command)
    tray = (panel[0] + panel[2] // 2, panel[1], panel[2] // 2, panel[3])
    icon = wait_for("the icon in plasmashell's tray",
                    lambda: kde.find_badge(desktop.pixels(tray), tray), 40)
    centre = (icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)

    def toggle(shown, what, where=centre):
        desktop.click(*where)
        wait_for(what, lambda: app.popover_state(shown), 5)

    for round in range(3):
        toggle(True, f"the panel to open from the icon ({round + 1})")
        if round == 0:
            desktop.screenshot(os.path.join(args.screenshot_dir,
                                            args.row.replace(":", "_") + ".png"))
        check_placed(app, session, icon, platform == "wayland")
        toggle(False, f"the panel to close from the icon ({round + 1})")

    # A click elsewhere closes it (on Wayland, the panel losing activation does), and Escape. The
    # desktop is clicked left of where KWin centres a window. On Wayland a click on the bar moves
    # no focus, so no client can see it.
    session.start("other", ["xmessage", "-geometry", "+60+60", "Another window"])
    other = wait_for("another window", lambda: session.shown_windows("xmessage"), 10)[0]
    closers = [("a click on the desktop", lambda: desktop.click(200, 600)),
               ("a click on the bar", lambda: desktop.click(panel[2] // 3, centre[1])),
               ("a click on another window", lambda: desktop.click(
                   60 + other[1] // 2, 60 + other[2] // 2)),
               ("Escape", lambda: desktop.key("Escape"))]
    for what, close in closers[:1] + closers[2:] if desktop.input else closers:
        toggle(True, "the panel to open from the icon")
        close()
        wait_for(f"{what} to close the panel", lambda: app.popover_state(False), 5)

    # A right click shows the app's menu, which takes the keys: its first entry opens the panel.
    desktop.click(*centre, button="3")
    desktop.key("Down", "Return")
    wait_for("the panel from the menu's first entry", lambda: app.popover_state(True), 5)
    check(seen().count("member=Notify") == 0, f"notifications: {seen()}")


if __name__ == "__main__":
    parser = app_parser(__doc__)
    parser.add_argument("--row", choices=ROWS, default=ROWS[0],
                        help="shell and the app's Qt platform (default: the one it picks)")
    parser.add_argument("--screenshot-dir", required=True, help="where the panel's picture goes")
    status = main(parser, run)
    if status == 0:
        print("all KDE Plasma checks passed")
    sys.exit(status)
