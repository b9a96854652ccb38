#!/usr/bin/python3
"""Drives korvel-printer-e2e on KDE Plasma 5.27 (KWin and plasmashell under Xvfb): first with
no tray, then from plasmashell's tray with real clicks, reading what it shows through its
socket and the screen."""

import os
import sys
import time

import kde_session as kde
from harness import App, app_parser, check, main, wait_for

# The AppIndicator hint is GNOME's alone.
NO_TRAY_TEXT = ("Korvel Printer is running, but this desktop shows no tray icons. Open it again "
                "from the app launcher to see the panel.")
MENU = ["Open Korvel Printer", "Cấu hình máy in", "Copy diagnostics", "Notify on print errors",
        "Quit"]
# How far from the icon a panel placed at it may start.
NEAR = 60


def panel_window(session):
    """The panel's X window: id and x, y, width, height on the screen, once it is the only one."""
    windows = session.shown_windows("Korvel Printer")
    if len(windows) != 1:
        return None
    info = session.x11("xwininfo", "-id", str(windows[0][0]))
    x, y = (int(info.split(f"Absolute upper-left {axis}:")[1].split()[0]) for axis in "XY")
    return windows[0][0], (x, y, *windows[0][1:])


def check_placed(session, icon, area, row):
    """Fully in the work area (so never under the panel) and right above the icon."""
    window, (x, y, width, height) = wait_for("the panel's window", lambda: panel_window(session), 5)
    left, top, area_width, area_height = area
    check((width, height) == (520, 720), f"the panel is {width} × {height}")
    check(left <= x and top <= y and x + width <= left + area_width
          and y + height <= top + area_height,
          f"the panel at {x},{y} {width}×{height} leaves the work area {area}")
    centre = icon[0] + icon[2] // 2
    check(x - NEAR <= centre <= x + width + NEAR and 0 <= icon[1] - (y + height) <= NEAR,
          f"the panel at {x},{y} {width}×{height} is not right above the icon {icon}")
    return window


def run_without_tray(args, session, app, command, notices):
    """KWin alone: one notification after 5 s, and a second start opens a titled window."""
    started = time.monotonic()
    session.start("app", command)
    wait_for("the no-tray notification", notices, 15)
    waited = time.monotonic() - started
    check(4.5 <= waited and NO_TRAY_TEXT in session.log_tail("monitor", 1000).replace('"\n', " "),
          f"after {waited:.1f} s the notification reads:\n{session.log_tail('monitor', 30)}")
    second = session.start("second", command[:1])
    check(second.wait(10) == 0, f"the second start ended with status {second.returncode}:\n"
          + session.log_tail("second"))
    wait_for("the panel's window", lambda: app.popover_state(True), 5)
    window = wait_for("the window titled 'Korvel Printer'", lambda: panel_window(session), 5)[0]
    extents = kde.frame_extents(session, window)
    check(extents and extents[2] > 0, f"KWin draws no title bar around the window: {extents}")
    session.x11("xdotool", "windowactivate", "--sync", str(window), "key", "Escape")
    wait_for("Escape to close the window", lambda: app.popover_state(False), 5)


def run(args, session):
    try:
        run_row(args, session)
    except Exception:
        # What the screen showed when it went wrong, beside the row's picture.
        if "DISPLAY" in session.env:
            kde.screenshot(session, screenshot_path(args, "-failed"))
        raise


def screenshot_path(args, suffix=""):
    return os.path.join(args.screenshot_dir, args.row.replace(":", "_") + suffix + ".png")


def run_row(args, session):
    session.start_display()
    kde.prepare_home(session)
    bus = session.start_bus()
    session.env["DBUS_SESSION_BUS_ADDRESS"] = bus
    # No notification service until plasmashell: the calls are watched.
    session.start("monitor", ["dbus-monitor", "--address", bus,
                              "interface='org.freedesktop.Notifications',member='Notify'"])
    wait_for("dbus-monitor", lambda: session.log_tail("monitor"), 10)
    notices = lambda: session.log_tail("monitor", 1000).count("member=Notify")
    kde.start_kwin_x11(session)
    log_path = os.path.join(session.work, "daemon.log")
    simulator, port = session.start_simulator(args.sim, 0, "--log", log_path, "--log-burst", "20")
    # The simulator writes error lines; their notifications are switched off as a user would.
    settings = os.path.join(session.env["XDG_CONFIG_HOME"], "korvel-printer")
    os.makedirs(settings)
    with open(os.path.join(settings, "korvel-printer.conf"), "w") as out:
        out.write("[General]\nnotifyOnPrintErrors=false\n")
    system_bus = session.start_bus()
    session.start_fake_systemd(args.fake_systemd, system_bus,
                               os.path.join(session.work, "systemd-calls"),
                               "--main-pid", str(simulator.pid))
    socket_path = os.path.join(session.work, "inspect.sock")
    command = [args.app, "--daemon-base", f"http://127.0.0.1:{port}", "--system-bus", system_bus,
               "--log", log_path, "--inspect", socket_path]
    app = App(socket_path)
    run_without_tray(args, session, app, command, notices)

    # plasmashell comes later, as on a slow login: the app moves into its tray by itself.
    panel = kde.start_plasmashell(session)
    tray = (panel[0] + panel[2] // 2, panel[1], panel[2] // 2, panel[3])
    icon = wait_for("the icon in plasmashell's tray", lambda: kde.find_badge(session, tray), 20)
    check(not app.ask()["popoverShown"], "the panel is shown before any click")
    check(kde.item_menu_labels(session) == MENU,
          f"the exported menu reads {kde.item_menu_labels(session)}")
    area = kde.work_area(session)
    centre = (icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)

    def toggle(shown, what, where=centre, button="1"):
        kde.settle()
        session.x11("xdotool", "mousemove", str(where[0]), str(where[1]), "click", button)
        return wait_for(what, lambda: app.popover_state(shown), 5)

    # Opened and closed from the icon, again and again; placed right above it every time.
    for round in range(3):
        toggle(True, f"the panel to open from the icon ({round + 1})")
        check_placed(session, icon, area, args.row)
        if round == 0:
            kde.screenshot(session, screenshot_path(args))
        toggle(False, f"the panel to close from the icon ({round + 1})")

    # A click elsewhere closes it: on the desktop, on the bar, on another window.
    session.start("other", ["xmessage", "-geometry", "+60+60", "Another window"])
    other = wait_for("another window", lambda: session.shown_windows("xmessage"), 10)
    kde.settle()
    elsewhere = {"the desktop": (640, 500), "the bar": (panel[0] + panel[2] // 3, centre[1]),
                 "another window": (60 + other[0][1] // 2, 60 + other[0][2] // 2)}
    for what, where in elsewhere.items():
        toggle(True, "the panel to open from the icon")
        toggle(False, f"a click on {what} to close the panel", where)

    # Escape closes it: it has the keyboard from the moment it opens.
    toggle(True, "the panel to open from the icon")
    kde.settle()
    session.x11("xdotool", "key", "Escape")
    wait_for("Escape to close the panel", lambda: app.popover_state(False), 5)

    # A right click shows the app's menu beside the icon; its first entry opens the panel.
    known = {line.split()[0] for line in session.x11("xwininfo", "-root", "-tree").splitlines()
             if '("plasmashell"' in line}
    kde.settle()
    session.x11("xdotool", "mousemove", *map(str, centre), "click", "3")
    menu = wait_for("the menu from a right click", lambda: kde.plasma_popups(session, known), 5)
    x, y, width, height = menu[0][1]
    check(x - NEAR <= centre[0] <= x + width + NEAR and y + height <= centre[1],
          f"the menu at {menu[0][1]} is not above the icon {icon}")
    kde.settle()
    session.x11("xdotool", "key", "Down", "Return")
    wait_for("the panel from the menu's first entry", lambda: app.popover_state(True), 5)
    check(notices() == 1, f"{notices()} notifications")


if __name__ == "__main__":
    parser = app_parser(__doc__)
    parser.add_argument("--row", choices=["kde-x11:default"], default="kde-x11:default",
                        help="shell and the app's Qt platform")
    parser.add_argument("--screenshot-dir", required=True, help="where the panel's picture goes")
    status = main(parser, run)
    if status == 0:
        print("all KDE Plasma checks passed")
    sys.exit(status)
