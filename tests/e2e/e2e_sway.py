#!/usr/bin/python3
"""korvel-printer-e2e on headless sway with waybar's tray, driven by real clicks and key presses
through the compositor's virtual pointer and keyboard."""

import os
import sys
import time

from harness import OTHER_WINDOW, Failure, app_parser, check, main, wait_for
from sway_session import BAR, HEIGHT, WIDTH, Sway

PLUGINS = {"default": "libqxcb.so", "xcb": "libqxcb.so", "wayland": "libqwayland"}


def panel_rect(sway, app, pid):
    """The panel's content as sway manages it, and that window; or where Qt put an X11 popup."""
    for window in sway.windows():
        if window["pid"] == pid and window["name"] == "Korvel Printer":
            outer, inner = window["rect"], window["window_rect"]
            return (outer["x"] + inner["x"], outer["y"] + inner["y"], inner["width"],
                    inner["height"]), window
    return tuple(app.popover()["geometry"]), None


def run(args, session):
    sway = Sway(session)
    bus = session.env["DBUS_SESSION_BUS_ADDRESS"] = session.start_bus(sway.run_as)
    seen = session.watch_notifications(bus, sway.run_as)
    # Another window to click on: sway's own terminal, tiled over the workspace.
    sway.start("foot", OTHER_WINDOW)
    wait_for("the terminal", lambda: any(w.get("app_id") == "foot" for w in sway.windows()), 10)
    command, app = session.start_station(args, sway.run_as)
    command += ["--session-bus", f"unix:path={session.work}/no-bus"]
    env = dict(session.env)
    if args.platform != "default":
        env["QT_QPA_PLATFORM"] = args.platform
    sway.start_bar()
    app_pid = sway.start("app", command, env).pid
    wait_for("the app's socket", app.ask, 10)
    with open(f"/proc/{app_pid}/maps") as maps:
        check(PLUGINS[args.platform] in maps.read(), f"the app is not on {PLUGINS[args.platform]}")
    wait_for("our icon in waybar's tray, at its right end", sway.tray_icon, 20)
    time.sleep(1)  # drawn a moment before it is placed for good
    icon = sway.tray_icon()
    centre = (icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)
    check(icon[0] + icon[2] > WIDTH - BAR, f"the icon at {icon} is not at the bar's right end")

    # Every fault of the row is told, not only the first.
    faults = []

    def toggle(shown, what, press=lambda: sway.click(*centre)):
        time.sleep(0.5)
        press()
        try:
            return wait_for(what, lambda: app.popover_state(shown), 3)
        except Failure as failure:
            faults.append(str(failure))

    closings = {"a second click on the icon": lambda: sway.click(*centre),
                "a click on another window": lambda: sway.click(200, 500),
                "Escape": sway.input.escape}
    for turn, (closing, press) in enumerate(closings.items()):
        if not toggle(True, f"the panel from a click on the icon, turn {turn + 1}"):
            break
        time.sleep(0.5)  # mapped and painted
        rect, managed = panel_rect(sway, app, app_pid)
        x, y, width, height = rect
        if turn == 0:
            os.makedirs(args.screenshot_dir, exist_ok=True)
            session.x11("grim", os.path.join(args.screenshot_dir, f"sway-{args.platform}.png"))
        # sway centres every window it manages (X11's too); only an X11 popup places itself.
        near = managed or x - 60 <= centre[0] <= x + width + 60
        if (width, height) != (520, 720) or not (y >= BAR and y + height <= HEIGHT and x >= 0
                                                 and x + width <= WIDTH and near):
            faults.append(f"turn {turn + 1}: the panel at {rect}, not fully visible below the "
                          f"bar and near the icon at {icon}")
        if not toggle(False, f"{closing} to close the panel", press):
            toggle(False, "Escape to close the panel at last", sway.input.escape)
    notices = seen().count("member=Notify")
    check(not faults and notices == 0, "\n".join(faults + [f"notifications in all: {notices}"]))


if __name__ == "__main__":
    parser = app_parser(__doc__)
    parser.add_argument("--platform", choices=sorted(PLUGINS), default="default",
                        help="QT_QPA_PLATFORM for the app; default: none, as a session sets")
    parser.add_argument("--screenshot-dir", default=".", help="where the open panel's PNG goes")
    status = main(parser, run)
    if status == 0:
        print("all sway checks passed")
    sys.exit(status)
