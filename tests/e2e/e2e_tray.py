#!/usr/bin/python3
"""Drives korvel-printer-e2e under Xvfb with trayer's XEmbed tray, or with none until it starts
late (--tray late-xembed), reading what it shows through its socket and, in the late run, over
AT-SPI. StatusNotifier hosts are the desktop rows' (e2e_desktop.py)."""

import ctypes
import os
import sys
import time

from harness import app_parser, check, daemon_get, lines_of, main, wait_for, write_file

CONFIG_TITLE = "Korvel Printer — Cấu hình"
# Mesa's drivers and the browser engine belong in the configuration helper, never in the app.
HEAVY_LIBRARIES = ("libLLVM", "_dri.so", "libGLX_mesa", "libQt6WebEngineCore")


def set_unit(session, bus, active_state, pid):
    session.x11("dbus-send", "--bus=" + bus, "--print-reply", "--dest=org.freedesktop.systemd1",
                "/org/freedesktop/systemd1", "org.korvel.Test.SetUnit", "string:loaded",
                "string:" + active_state, "uint32:%d" % pid)


def heavy_libraries(pid):
    with open(f"/proc/{pid}/maps") as maps:
        return sorted({line.split()[-1] for line in maps
                       if any(name in line for name in HEAVY_LIBRARIES)})


def page_requests(session):
    return sum(session.log_tail(name[:-4], 1 << 20).count('"GET / HTTP') for name
               in os.listdir(session.work) if name.startswith("sim-") and name.endswith(".log"))


def config_windows(session):
    return [(window, int(session.x11("xdotool", "getwindowpid", str(window))), *size)
            for window, *size in session.shown_windows(CONFIG_TITLE)]


def close_window(session, window):
    """Sends WM_DELETE_WINDOW, as a window manager's close button does."""
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    display = ctypes.c_void_p(xlib.XOpenDisplay(session.env["DISPLAY"].encode()))
    check(display.value, "cannot open the display to close a window")
    # An XClientMessageEvent in the 24 longs of an XEvent (LP64): type ClientMessage, serial,
    # send_event, display, window, message_type, format, then the data.
    atom = [xlib.XInternAtom(display, name, 0) for name in (b"WM_PROTOCOLS", b"WM_DELETE_WINDOW")]
    event = (ctypes.c_long * 24)(33, 0, 0, 0, window, atom[0], 32, atom[1])
    xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    xlib.XFlush(display)
    xlib.XCloseDisplay(display)


def named(root, predicate, depth=0):
    """The first accessible below root whose name matches."""
    for child in root if root and depth < 12 else ():
        if child and child.name and predicate(child.name):
            return child
        if found := named(child, predicate, depth + 1):
            return found
    return None


def run_without_tray(args, session):
    """No tray host and no notification service: the notice goes to stderr; a tray that starts
    later shows the icon, whose click opens the popup, which a screen reader reads and whose
    Restart it presses over AT-SPI. (A desktop without a tray, its notification and the second
    start's window are the GNOME rows'.)"""
    session.start_display()
    bus = session.start_bus()
    session.env.update(DBUS_SESSION_BUS_ADDRESS=bus, XDG_CURRENT_DESKTOP="ubuntu:GNOME")
    session.start("atspi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    wait_for("the accessibility bus", lambda: "unix:" in session.x11(
        "dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
        "org.a11y.Bus.GetAddress"), 10)
    seen = session.watch_notifications(bus)
    command, app, simulator, _, _, log, _ = session.start_station(args)
    session.start("app", command, dict(session.env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
    notice = ("shows no tray icons", "The AppIndicator extension")  # with GNOME's hint
    wait_for("the no-tray notice on stderr", lambda: all(
        piece in session.log_tail("app", 100) for piece in notice), 15)

    session.start_xembed_tray()
    icon = wait_for("the icon in the tray that started late",
                    lambda: session.tray_icon("korvel-printer-e2e"), 10)
    time.sleep(0.7)  # the icon takes clicks once shown
    session.click(icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)
    wait_for("the popup from the icon", lambda: app.popover_state(True), 5)
    popup = wait_for("the popup's window", lambda: session.shown_windows("Korvel Printer"), 5)
    check("Override Redirect State: yes" in session.x11("xwininfo", "-id", str(popup[0][0])),
          "with a tray the panel is not a popup")
    check(seen().count("member=Notify") == 1, f"notifications: {seen()}")

    os.environ.update(DBUS_SESSION_BUS_ADDRESS=bus, DISPLAY=session.env["DISPLAY"])
    import pyatspi
    panel = wait_for("the app's panel on AT-SPI", lambda: named(named(
        pyatspi.Registry.getDesktop(0), "Korvel Printer".__eq__), "Korvel Printer".__eq__), 10)
    wait_for("a slot row", lambda: named(panel, lambda n: n.startswith("Phiếu tạm tính: ")), 5)
    wait_for("the service dot", lambda: named(panel, "Service: Running".__eq__), 5)
    # Restart: one RestartUnit that may ask for a password, then the new pid from the re-check.
    named(panel, "Restart".__eq__).queryAction().doAction(0)
    running = f"Running (pid {simulator.pid + 1})"
    wait_for(f"{running!r} after Restart", lambda: running in app.texts(app.popover()), 2.5)
    restarts = [call for call in lines_of(log + ".calls") if call.startswith("RestartUnit")]
    check(restarts == ["RestartUnit korvel-printer.service replace interactive"],
          f"one press sent {restarts}")


def run(args, session):
    if args.tray == "late-xembed":
        return run_without_tray(args, session)
    session.start_display()
    session.start_xembed_tray()

    command, app, simulator, port, bus, *_ = session.start_station(
        args, sim_options=("--log-interval", "1", "--log-burst", "20"))
    printers = daemon_get(port, "/printers")["data"]
    running = f"Running (pid {simulator.pid})"
    # The Vietnamese run: labels translated, data (the unit's state) as it comes.
    health = "API phản hồi bình thường"
    # The desktop's opener, which the configuration window hands foreign addresses to; the
    # simulator writes error lines, whose notifications are switched off as a user would.
    work = session.work
    opened = f"{work}/opened"
    write_file(f"{work}/bin/xdg-open", f'#!/bin/sh\necho "$1" >>{opened}\n', 0o755)
    write_file(f"{work}/config/korvel-printer/korvel-printer.conf",
               "[General]\nnotifyOnPrintErrors=false\n")
    session.env.update(PATH=f"{work}/bin:" + session.env["PATH"], XDG_CONFIG_HOME=f"{work}/config")
    app_pid = session.start("app", [*command, "--session-bus", f"unix:path={work}/no-bus"],
                            dict(session.env, LC_ALL="vi_VN.UTF-8"), cwd=args.source_dir).pid

    icon = wait_for("the tray icon in the tray host",
                    lambda: session.tray_icon("korvel-printer-e2e"), 15)
    check(not wait_for("the inspection socket", app.ask, 10)["popoverShown"],
          "the popover is shown before any click")
    centre = (icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)

    def toggle(shown, what, where=centre):
        time.sleep(0.7)  # before it, the popup may not yet hold the pointer or let it go
        session.click(*where)
        return wait_for(what, lambda: app.popover_state(shown), 3)

    # First click: the panel with the daemon's data within 3 s, below the icon.
    session.click(*centre)

    def panel_filled():  # the list view showing the model's printers is a widget test's
        snapshot = app.ask()
        window = app.popover(snapshot)
        texts = "\n".join(app.texts(window))
        return (running in texts and health in texts and snapshot["printers"] == printers
                and app.widget(window, "logLines")["text"])

    wait_for("the panel with printers, service state and log", panel_filled, 3)
    x, y, width, height = place = app.popover()["geometry"]
    check(y >= icon[1] + icon[3] - 1 and x <= centre[0] <= x + width,
          f"the panel at {x},{y} is not below {icon}")

    # Closed from the icon, and its polling stopped.
    snapshot = toggle(False, "the popover to close from the icon")
    check(snapshot["pollingTimers"] == {"logTailer": 0, "serviceStatus": 0},
          f"closing from the icon left timers {snapshot['pollingTimers']}")

    # A second start hands over: it ends at once with status 0 and the first opens its panel.
    session.x11("xdotool", "mousemove", "100", "800")  # the pointer is no guide to the icon
    second = session.start("second", command[:-2])  # no inspection socket
    check(second.wait(5) == 0, f"the second start ended with status {second.returncode}")
    wait_for("the first instance to open its panel", lambda: app.popover_state(True), 3)
    # Opened from elsewhere, the panel goes where the icon is.
    check(app.popover()["geometry"] == place,
          f"the handed-over panel at {app.popover()['geometry']}, not at the icon's {place}")

    # A click elsewhere hides it and stops nothing; the next click on the icon opens it.
    for shown, where in ((False, (200, 900)), (True, centre)):
        snapshot = toggle(shown, f"the popover shown {shown} after a click at {where}", where)
        check(snapshot["pollingTimers"] == {"logTailer": 1, "serviceStatus": 1},
              f"shown {shown} after a click at {where} runs {snapshot['pollingTimers']} timers")

    # Closed, the icon follows the unit: badged within 1 s of the stop, one notification (the
    # tray's balloon: no notification service) once it stayed down; its click opens the panel,
    # whose card then follows a start at once.
    toggle(False, "the popover to close")
    time.sleep(0.7)
    plain = session.pixels(icon)
    messages = app.ask()["trayMessages"]
    set_unit(session, bus, "failed", 0)
    wait_for("the badge on the icon", lambda: session.pixels(icon) != plain, 5)
    # The fall settles for 2 s first; a loaded machine runs its timers late.
    snapshot = wait_for("a notification for the stop", lambda: (
        lambda s: s["trayMessages"] > messages and s)(app.ask()), 20)
    check(snapshot["trayMessages"] == messages + 1,
          f"{snapshot['trayMessages'] - messages} notifications for one stop")
    balloon = next((w for w in snapshot["windows"] if w["className"] == "QBalloonTip"), None)
    check(balloon and "Stopped" in app.texts(balloon), f"the notification reads {balloon}")
    x, y, width, height = balloon["geometry"]
    session.click(x + width // 2, y + height // 2)
    wait_for("the panel from the notification", lambda: app.popover_state(True), 3)
    set_unit(session, bus, "active", simulator.pid + 2)
    running = f"Running (pid {simulator.pid + 2})"
    wait_for(f"{running!r} at once", lambda: running in app.texts(app.popover()), 1.5)
    wait_for("the plain icon again", lambda: session.pixels(icon) == plain, 1)

    # The configuration button opens the daemon's page in the helper's window; shown again, the
    # same helper reloads it; closed, the helper ends. Mesa and the browser engine stay out of
    # the app throughout.
    helpers = set()
    for shown in (1, 2):
        if not app.ask()["popoverShown"]:
            toggle(True, "the popover to open")
        x, y, width, height = app.widget(app.popover(), "openConfigButton")["geometry"]
        session.click(x + width - 8, y + height // 2)  # the centred window covers the middle
        wait_for(f"the page served {shown} times", lambda: page_requests(session) >= shown, 30)
        windows = wait_for(f"a window titled {CONFIG_TITLE!r}", lambda: config_windows(session), 30)
        window, helper_pid, *size = windows[0]
        check(len(windows) == 1 and size == [720, 640] and helper_pid not in (0, app_pid)
              and helper_pid == app.ask()["configHelperPid"],
              f"config windows {windows}, not one 720 × 640 window of the app's helper")
        helpers.add(helper_pid)
        time.sleep(1)
        check(page_requests(session) == shown, f"the page was served {page_requests(session)} "
              f"times for {shown} shows")
    check(len(helpers) == 1, f"showing again did not reuse the helper: {helpers}")

    # Sent elsewhere, the window stays on the daemon: the address goes to the desktop's opener.
    other = f"sim-{len(session.processes)}"
    _, other_port = session.start_simulator(args.sim)
    elsewhere = f"http://127.0.0.1:{other_port}/"
    daemon_get(port, f"/__sim/scenario?name=redirect&to={elsewhere[:-1]}")
    if not app.ask()["popoverShown"]:
        toggle(True, "the popover to open")
    session.click(x + width - 8, y + height // 2)
    wait_for("the desktop's opener", lambda: os.path.exists(opened), 30)
    time.sleep(1)
    check(lines_of(opened) == [elsewhere] and "GET /" not in session.log_tail(other, 100),
          f"sent elsewhere, the window opened {lines_of(opened)} and showed the other origin")
    close_window(session, window)
    wait_for("the helper to end", lambda: app.ask()["configHelperPid"] == 0
             and not os.path.exists(f"/proc/{helper_pid}"), 10)
    check(not heavy_libraries(app_pid), f"the app maps {heavy_libraries(app_pid)}")


if __name__ == "__main__":
    parser = app_parser(__doc__)
    parser.add_argument("--source-dir", help="working directory of the app (finds its icon)")
    parser.add_argument("--tray", choices=["xembed", "late-xembed"], default="xembed",
                        help="trayer from the start, or late")
    status = main(parser, run)
    if status == 0:
        print("all end-to-end checks passed")
    sys.exit(status)
