#!/usr/bin/python3
"""Drives korvel-printer-e2e under Xvfb with a real tray host, clicking the tray icon with
xdotool and reading what the app shows through its inspection socket. --tray picks the host:
trayer (XEmbed) or gtk-sni-tray-standalone with status-notifier-watcher (StatusNotifierItem, on a
session bus of the run's own, where Qt finds the watcher and shows its icon that way).

Exit status 0 when every check passes; the first failing check ends the run with a message.
Screenshots of the display go to --out."""

import argparse
import ctypes
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

SLOT_NAMES = ["Phiếu tạm tính", "Phiếu đơn hàng", "Phiếu thanh toán", "Nhãn tem"]
CONFIG_TITLE = "Korvel Printer — Cấu hình"
# The cards' fetch error labels and the text each starts with.
FETCH_ERRORS = {"printerError": "Could not fetch printers: ",
                "configError": "Không đọc được cấu hình: "}

# Mesa's drivers and the browser engine belong in the configuration helper, never in the app.
HEAVY_LIBRARIES = ("libLLVM", "_dri.so", "libGLX_mesa", "libQt6WebEngineCore")
# One service poll is 3 s; its health probe waits up to 1.5 s.
ONE_POLL = 3 + 1.5 + 1


class Failure(Exception):
    pass


def wait_for(what, probe, timeout):
    """Polls `probe` until it returns something true; returns that, or fails naming `what`."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        try:
            last = probe()
        except (OSError, ValueError, TypeError, KeyError, subprocess.CalledProcessError) as error:
            last = error
            result = None
        else:
            result = last
        if result:
            return result
        time.sleep(0.1)
    raise Failure(f"timed out after {timeout:g} s waiting for {what} (last: {last!r:.300})")


class Session:
    """Every process of the run, each in its own process group so that its children go too."""

    def __init__(self, work):
        self.work = work
        self.processes = []
        self.env = {
            key: value for key, value in os.environ.items()
            if key not in ("DBUS_SESSION_BUS_ADDRESS", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY")
        }
        self.env.update(LC_ALL="C.UTF-8", XDG_RUNTIME_DIR=work)
        os.chmod(work, 0o700)

    def start(self, name, args, env=None, **kwargs):
        with open(os.path.join(self.work, name + ".log"), "wb") as log:
            process = subprocess.Popen(args, stdout=log, stderr=subprocess.STDOUT,
                                       env=env or self.env, start_new_session=True, **kwargs)
        self.processes.append((name, process))
        return process

    def stop(self, process, sig=signal.SIGTERM):
        if process.poll() is None:
            try:
                os.killpg(process.pid, sig)
            except ProcessLookupError:
                pass
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait(5)

    def stop_all(self):
        for _, process in reversed(self.processes):
            self.stop(process)

    def log_tail(self, name, lines=15):
        path = os.path.join(self.work, name + ".log")
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as log:
            return "\n".join(log.read().decode(errors="replace").splitlines()[-lines:])


def x11(session, *args):
    return subprocess.run(args, env=session.env, check=True, capture_output=True,
                          text=True).stdout


def start_display(session):
    read_end, write_end = os.pipe()
    session.start("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                           "-nolisten", "tcp"], pass_fds=(write_end,))
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        raise Failure("Xvfb did not start:\n" + session.log_tail("xvfb"))
    session.env["DISPLAY"] = ":" + number
    return session.env["DISPLAY"]


def start_xembed_tray(session):
    session.start("trayer", ["trayer", "--edge", "top", "--align", "right", "--widthtype",
                             "request", "--height", "24", "--SetDockType", "true",
                             "--transparent", "false", "--expand", "true"])
    wait_for("the trayer panel", lambda: '"panel" "trayer"' in x11(session, "xwininfo", "-root",
                                                                      "-tree"), 10)
    # The panel window shows before trayer holds the tray selection.
    time.sleep(1)


def start_sni_tray(session):
    session.start("bus", ["dbus-daemon", "--session", "--nofork", "--print-address"])
    address = wait_for("the session bus", lambda: next(
        (line for line in session.log_tail("bus").splitlines() if line.startswith("unix:")), None),
        10)
    session.env["DBUS_SESSION_BUS_ADDRESS"] = address
    session.start("watcher", ["status-notifier-watcher"])

    def watcher_owned():
        reply = x11(session, "dbus-send", "--session", "--print-reply",
                    "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                    "org.freedesktop.DBus.NameHasOwner", "string:org.kde.StatusNotifierWatcher")
        return "boolean true" in reply

    wait_for("the StatusNotifierWatcher on the bus", watcher_owned, 10)
    session.start("sni-host", ["gtk-sni-tray-standalone", "--top", "--end", "--size", "24"])
    wait_for("the StatusNotifier host window", lambda: sni_host_window(session), 10)


def sni_host_window(session):
    """Global rectangle of the StatusNotifier host's bar."""
    for line in x11(session, "xwininfo", "-root", "-tree").splitlines():
        if '"gtk-sni-tray-standalone"' in line:
            return window_rect(line)
    return None


def start_simulator(session, simulator, log_path, port=0):
    name = "sim-%d" % len(session.processes)
    process = session.start(name, ["/usr/bin/python3", simulator, "--port", str(port), "--log",
                                   log_path, "--log-interval", "1", "--log-burst", "20"])

    def listening():
        if process.poll() is not None:
            raise Failure("the simulator ended:\n" + session.log_tail(name))
        return re.search(r"listening on 127\.0\.0\.1:(\d+)", session.log_tail(name))

    return process, int(wait_for("the simulator to listen", listening, 10).group(1))


def start_service_manager(session, fake, pid):
    """A private bus with the fake systemd manager on it, running the unit as `pid`. Returns the
    bus address and a function that reads the calls the manager got."""
    session.start("bus", ["dbus-daemon", "--session", "--nofork", "--print-address"])
    address = wait_for("the private bus", lambda: next(
        (line for line in session.log_tail("bus").splitlines() if line.startswith("unix:")),
        None), 10)
    record = os.path.join(session.work, "systemd-calls")
    session.start("systemd", [fake, "--address", address, "--record", record,
                              "--main-pid", str(pid)])
    wait_for("the fake systemd manager", lambda: "ready" in session.log_tail("systemd"), 10)

    def calls():
        with open(record) as lines:
            return lines.read().splitlines()

    return address, calls


def set_unit(session, bus, active_state, pid):
    """Changes the fake unit as systemd would on a stop or a start."""
    x11(session, "dbus-send", "--bus=" + bus, "--print-reply", "--dest=org.freedesktop.systemd1",
        "/org/freedesktop/systemd1", "org.korvel.Test.SetUnit", "string:loaded",
        "string:" + active_state, "uint32:%d" % pid)


def icon_pixels(session, icon):
    """The tray icon's pixels as shown on the screen."""
    x, y, width, height = icon
    return subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}",
                           "rgb:-"], env=session.env, check=True, capture_output=True).stdout


class App:
    def __init__(self, session, socket_path):
        self.session = session
        self.socket_path = socket_path

    def snapshot(self):
        with socket.socket(socket.AF_UNIX) as client:
            client.settimeout(5)
            client.connect(self.socket_path)
            data = b""
            while chunk := client.recv(65536):
                data += chunk
        return json.loads(data)

    def popover(self, snapshot=None):
        snapshot = snapshot or self.snapshot()
        return next((w for w in snapshot["windows"] if w["objectName"] == "popover"), None)

    def texts(self, window):
        return [widget["text"] for widget in window["widgets"] if widget["text"]]

    def widget(self, window, object_name):
        return next((w for w in window["widgets"] if w["objectName"] == object_name), None)

    def popover_state(self, shown):
        snapshot = self.snapshot()
        return snapshot if snapshot["popoverShown"] == shown else None


def window_rect(line):
    """x, y, width, height of a window line of `xwininfo -tree`, or None while it is tiny."""
    match = re.search(r"(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$", line)
    if match:
        width, height, x, y = map(int, match.groups())
        if width > 1 and height > 1:
            return x, y, width, height
    return None


def sni_icon(session):
    """Our icon, once registered with the watcher: the host draws it, the only one, as a square
    at the end of its bar."""
    items = x11(session, "dbus-send", "--session", "--print-reply",
                "--dest=org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                "org.freedesktop.DBus.Properties.Get", "string:org.kde.StatusNotifierWatcher",
                "string:RegisteredStatusNotifierItems")
    bar = sni_host_window(session)
    if '"' not in items or not bar:
        return None
    x, y, width, height = bar
    icon = x + width - height, y, height, height
    # Registered is not yet drawn, and a click on an empty bar reaches nobody.
    pixels = icon_pixels(session, icon)
    return icon if len({pixels[i:i + 3] for i in range(0, len(pixels), 3)}) > 2 else None


def tray_icon(session, tray="xembed"):
    """Global rectangle of the app's icon inside the tray host. Under XEmbed: its icon window
    once the host has embedded it; the app's own top-level windows (the panel is made hidden at
    launch) are not it."""
    if tray == "sni":
        return sni_icon(session)
    windows = [line for line in x11(session, "xwininfo", "-root", "-tree").splitlines()
               if re.match(r"\s+0x", line)]
    top_level = min((len(line) - len(line.lstrip()) for line in windows), default=0)
    for line in windows:
        if '("korvel-printer-e2e"' in line and len(line) - len(line.lstrip()) > top_level:
            rect = window_rect(line)
            if rect:
                return rect
    return None


def heavy_libraries(pid):
    with open(f"/proc/{pid}/maps") as maps:
        return sorted({line.split()[-1] for line in maps
                       if any(name in line for name in HEAVY_LIBRARIES)})


def page_requests(session):
    """How many times the simulators have served the configuration page."""
    count = 0
    for name in os.listdir(session.work):
        if name.startswith("sim-") and name.endswith(".log"):
            with open(os.path.join(session.work, name), errors="replace") as log:
                count += log.read().count('"GET / HTTP')
    return count


def config_windows(session):
    """(window id, process id, width, height) of each mapped window titled CONFIG_TITLE."""
    found = []
    for line in x11(session, "xwininfo", "-root", "-tree").splitlines():
        if f'"{CONFIG_TITLE}"' in line:
            window = line.split()[0]
            info = x11(session, "xwininfo", "-id", window)
            if "IsViewable" in info:
                size = [int(re.search(rf"{key}: (\d+)", info).group(1))
                        for key in ("Width", "Height")]
                pid = int(x11(session, "xdotool", "getwindowpid", window))
                found.append((int(window, 16), pid, *size))
    return found


def close_window(session, window):
    """Sends WM_DELETE_WINDOW, as a window manager's close button does."""
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.c_void_p]
    xlib.XFlush.argtypes = xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        # XClientMessageEvent, padded to the size of an XEvent.
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                    ("pad", ctypes.c_long * 12)]

    display = xlib.XOpenDisplay(session.env["DISPLAY"].encode())
    if not display:
        raise Failure("cannot open the display to close a window")
    event = ClientMessage(type=33, window=window, format=32,
                          message_type=xlib.XInternAtom(display, b"WM_PROTOCOLS", 0))
    event.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    xlib.XFlush(display)
    xlib.XCloseDisplay(display)


def click(session, x, y):
    x11(session, "xdotool", "mousemove", str(x), str(y), "click", "1")


def screenshot(session, out, name):
    if shutil.which("import"):
        subprocess.run(["import", "-window", "root", os.path.join(out, name)], env=session.env,
                       capture_output=True)


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(args, session):
    work = session.work
    display = start_display(session)
    print(f"display {display}, {args.tray} tray")
    if args.tray == "xembed":
        start_xembed_tray(session)
    else:
        start_sni_tray(session)

    log_path = os.path.join(work, "daemon.log")
    simulator, port = start_simulator(session, args.sim, log_path)
    base = f"http://127.0.0.1:{port}"
    with urllib.request.urlopen(base + "/printers", timeout=5) as answer:
        printers = json.load(answer)["data"]

    bus, systemd_calls = start_service_manager(session, args.fake_systemd, simulator.pid)
    running = f"Running (pid {simulator.pid})"
    socket_path = os.path.join(work, "inspect.sock")
    session.start("app", [args.app, "--daemon-base", base, "--system-bus", bus,
                          "--session-bus", "unix:path=" + os.path.join(work, "no-bus"),
                          "--log", log_path, "--inspect", socket_path],
                  cwd=args.source_dir or None)
    app = App(session, socket_path)

    # The icon.
    icon = wait_for("the tray icon in the tray host", lambda: tray_icon(session, args.tray), 15)
    snapshot = wait_for("the inspection socket", app.snapshot, 10)
    check(not snapshot["popoverShown"], "the popover is shown before any click")
    reported = snapshot["trayGeometry"]
    print(f"tray icon at {icon}, app reports {reported}")
    centre = (icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)
    # A StatusNotifier host draws the icon itself and never says where: the panel opens at the
    # pointer instead.
    placed = args.tray == "xembed"
    if placed:
        check(reported[2] > 0 and abs(reported[0] - icon[0]) <= 1,
              f"the app's idea of the icon {reported} differs from the tray's {icon}")

    # First click: the panel with the daemon's data within 3 s.
    click(session, *centre)
    opened_at = time.monotonic()

    def panel_filled():
        window = app.popover()
        if not window:
            return None
        texts = "\n".join(app.texts(window))
        wanted = SLOT_NAMES + [running, "Health endpoint OK"] + printers
        lines = app.widget(window, "logLines")
        if all(text in texts for text in wanted) and lines and lines["text"].strip():
            return window
        return None

    window = wait_for("the panel with slots, printers, service state and log", panel_filled, 3)
    print(f"panel filled after {time.monotonic() - opened_at:.2f} s")
    geometry = window["geometry"]
    check(geometry[2:] == [520, 720], f"the panel is {geometry[2]} × {geometry[3]}, not 520 × 720")
    top = icon[1] + icon[3] - 1 if placed else centre[1]
    check(geometry[1] >= top and geometry[0] <= centre[0] <= geometry[0] + 520,
          f"the panel {geometry} is not below the icon {icon}")
    first_lines = app.widget(window, "logLines")["text"]
    wait_for("a new log line", lambda: app.widget(app.popover(), "logLines")["text"] !=
             first_lines, 4)
    screenshot(session, args.out, "panel-open.png")

    # Restart: one RestartUnit that may ask for a password, then the new pid from the re-check.
    x, y, width, height = app.widget(app.popover(), "restartButton")["geometry"]
    click(session, x + width // 2, y + height // 2)
    running = f"Running (pid {simulator.pid + 1})"
    wait_for(f"{running!r} after Restart", lambda: running in app.texts(app.popover()), 2.5)
    restarts = [call for call in systemd_calls() if call.startswith("RestartUnit")]
    check(restarts == ["RestartUnit korvel-printer.service replace interactive"],
          f"Restart sent {restarts}")

    # Click, click, click: closed (and stopped), open. Under a StatusNotifier host the closing
    # press goes to the open popup (it holds the pointer), never to the host, so no activation
    # follows, and without the icon's place the app cannot tell it from a press elsewhere: the
    # polling goes on until the next opening click restarts it.
    click(session, *centre)
    snapshot = wait_for("the popover to close from the icon", lambda: app.popover_state(False), 3)
    left = 0 if placed else 1
    check(snapshot["pollingTimers"] == {"logTailer": left, "serviceStatus": left},
          f"closing from the icon left timers {snapshot['pollingTimers']}")
    time.sleep(0.7)
    check(not app.snapshot()["popoverShown"], "the closing click reopened the popover")

    # A second start hands over: it ends at once with status 0 and the first opens its panel.
    second = session.start("second", [args.app, "--daemon-base", base, "--log", log_path])
    check(second.wait(5) == 0, f"the second start ended with status {second.returncode}")
    wait_for("the first instance to open its panel", lambda: app.popover_state(True), 3)
    click(session, *centre)
    wait_for("the popover to close", lambda: app.popover_state(False), 3)
    time.sleep(0.7)
    click(session, *centre)
    snapshot = wait_for("the popover to open again", lambda: app.popover_state(True), 3)
    check(snapshot["pollingTimers"] == {"logTailer": 1, "serviceStatus": 1},
          f"reopening left {snapshot['pollingTimers']} timers")

    # A click elsewhere hides it and stops nothing; the next click on the icon opens it. A person
    # cannot click elsewhere within milliseconds of the panel appearing; a script can, before
    # the popup holds the pointer (the tray host's own press may still hold it), so it waits.
    time.sleep(0.5)
    click(session, 200, 900)
    snapshot = wait_for("the popover to hide on a click elsewhere",
                        lambda: app.popover_state(False), 3)
    check(snapshot["pollingTimers"] == {"logTailer": 1, "serviceStatus": 1},
          "a click elsewhere stopped the polling")
    time.sleep(0.7)
    click(session, *centre)
    snapshot = wait_for("the popover to open after a click elsewhere",
                        lambda: app.popover_state(True), 3)
    check(snapshot["pollingTimers"] == {"logTailer": 1, "serviceStatus": 1},
          f"open after a dismissal runs {snapshot['pollingTimers']} timers")

    # The rest does not depend on the tray; once is enough.
    if args.tray != "xembed":
        print("all end-to-end checks passed")
        return

    # With the panel closed the icon follows the unit's signals: badged within 1 s of the stop,
    # one notification (the tray's balloon here: no notification service) once it has stayed
    # down; clicking it opens the panel, whose card then follows a start at once rather than at
    # its next 3 s check, and the plain icon returns.
    click(session, *centre)
    wait_for("the popover to close", lambda: app.popover_state(False), 3)
    time.sleep(0.7)
    plain = icon_pixels(session, icon)
    messages = app.snapshot()["trayMessages"]
    set_unit(session, bus, "failed", 0)
    stopped_at = time.monotonic()
    wait_for("the badge on the icon", lambda: icon_pixels(session, icon) != plain, 1)
    print(f"badge shown {time.monotonic() - stopped_at:.2f} s after the stop")
    screenshot(session, args.out, "service-stopped.png")
    time.sleep(4)
    snapshot = app.snapshot()
    check(snapshot["trayMessages"] == messages + 1,
          f"{snapshot['trayMessages'] - messages} notifications for one stop")
    balloon = next((w for w in snapshot["windows"] if w["className"] == "QBalloonTip"), None)
    check(balloon and "Stopped" in app.texts(balloon), f"the notification reads {balloon}")
    x, y, width, height = balloon["geometry"]
    click(session, x + width // 2, y + height // 2)
    wait_for("the panel from the notification", lambda: app.popover_state(True), 3)
    running = f"Running (pid {simulator.pid + 2})"
    set_unit(session, bus, "active", simulator.pid + 2)
    wait_for(f"{running!r} at once", lambda: running in app.texts(app.popover()), 1.5)
    wait_for("the plain icon again", lambda: icon_pixels(session, icon) == plain, 1)

    # The configuration button opens the daemon's page in the helper's window.
    app_pid = next(process.pid for name, process in session.processes if name == "app")
    check(not heavy_libraries(app_pid), f"the app maps {heavy_libraries(app_pid)}")

    def click_config_button():
        if not app.snapshot()["popoverShown"]:
            time.sleep(0.7)
            click(session, *centre)
        button = wait_for("the configuration button",
                          lambda: app.widget(app.popover(), "openConfigButton"), 3)
        check(button["text"] == "Cấu hình máy in", f"the button reads {button['text']!r}")
        x, y, width, height = button["geometry"]
        # Its right end: the centred configuration window covers the middle.
        click(session, x + width - 8, y + height // 2)

    click_config_button()
    windows = wait_for(f"a window titled {CONFIG_TITLE!r}", lambda: config_windows(session), 30)
    window, helper_pid, width, height = windows[0]
    check(helper_pid not in (0, app_pid) and helper_pid == app.snapshot()["configHelperPid"],
          f"the window belongs to process {helper_pid}, not to the app's helper")
    check((width, height) == (720, 640), f"the window is {width} × {height}, not 720 × 640")
    wait_for("the simulator to serve the page", lambda: page_requests(session) == 1, 30)
    time.sleep(1)
    screenshot(session, args.out, "config-window.png")

    # Shown again: the same helper reloads the page.
    click_config_button()
    wait_for("the page to load again", lambda: page_requests(session) >= 2, 30)
    check(page_requests(session) == 2, f"the page was served {page_requests(session)} times")
    check([w[:2] for w in config_windows(session)] == [(window, helper_pid)],
          f"showing again left {config_windows(session)}")
    check(not heavy_libraries(app_pid), f"the app maps {heavy_libraries(app_pid)}")

    # Closed, the helper ends and the app carries on.
    close_window(session, window)
    wait_for("the helper to end", lambda: app.snapshot()["configHelperPid"] == 0
             and not os.path.exists(f"/proc/{helper_pid}"), 10)
    check(not config_windows(session), "the configuration window is still shown")
    check(not heavy_libraries(app_pid), f"the app maps {heavy_libraries(app_pid)}")

    # The daemon goes away: the health line within one poll, the fetch errors on the next open.
    if app.snapshot()["popoverShown"]:
        click(session, *centre)
        wait_for("the popover to close", lambda: app.popover_state(False), 3)
    time.sleep(0.7)
    click(session, *centre)
    wait_for("the popover to open", lambda: app.popover_state(True), 3)
    session.stop(simulator)
    wait_for("\"Health endpoint not reachable\"", lambda: "Health endpoint not reachable" in
             app.texts(app.popover()), ONE_POLL)
    click(session, *centre)
    wait_for("the popover to close", lambda: app.popover_state(False), 3)
    time.sleep(0.7)
    click(session, *centre)

    def fetch_errors():
        window = app.popover()
        texts = [(app.widget(window, name) or {}).get("text", "") for name in FETCH_ERRORS]
        shown = all(text.startswith(prefix) and "refused" in text[len(prefix):].lower()
                    for text, prefix in zip(texts, FETCH_ERRORS.values()))
        return texts if shown else None

    errors = wait_for("both fetch errors in the panel", fetch_errors, ONE_POLL)
    print(f"while the daemon is down: {errors}")
    screenshot(session, args.out, "daemon-down.png")

    # Back on the same port: recovered within one poll, and on the next open.
    simulator, _ = start_simulator(session, args.sim, log_path, port)
    wait_for("\"Health endpoint OK\" again", lambda: "Health endpoint OK" in
             app.texts(app.popover()), ONE_POLL)
    click(session, *centre)
    wait_for("the popover to close", lambda: app.popover_state(False), 3)
    time.sleep(0.7)
    click(session, *centre)
    wait_for("the panel to recover", panel_filled, 3)
    check(app.snapshot()["popoverShown"], "the popover is not shown at the end")
    print("all end-to-end checks passed")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--app", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--fake-systemd", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--source-dir", help="working directory of the app (finds its icon)")
    parser.add_argument("--tray", choices=["xembed", "sni"], default="xembed",
                        help="tray protocol and host to run against")
    args = parser.parse_args()
    host = (["trayer", "import"] if args.tray == "xembed" else
            ["status-notifier-watcher", "gtk-sni-tray-standalone"])
    missing = [tool for tool in ["Xvfb", "xdotool", "xwininfo", "dbus-daemon", "dbus-send"] + host
               if not shutil.which(tool)]
    if missing:
        print(f"FAIL: missing tools: {', '.join(missing)} (see scripts/lib/packages.txt)")
        return 1
    os.makedirs(args.out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="korvel-e2e-") as work:
        session = Session(work)
        try:
            run(args, session)
            return 0
        except Failure as failure:
            print(f"FAIL: {failure}")
            screenshot(session, args.out, "failure.png")
            print("--- app log ---\n" + session.log_tail("app", 40))
            return 1
        finally:
            session.stop_all()


if __name__ == "__main__":
    sys.exit(main())
