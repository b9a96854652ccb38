"""Shared by the end-to-end, fault and package tests: processes under one Xvfb with a tray host,
each in a process group of its own; polling, clicks, and the app's inspection socket client."""

import argparse
import collections
import contextlib
import json
import os
import re
import signal
import socket
import subprocess
import tempfile
import time
import urllib.request


BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <servicedir>{work}/bus-services</servicedir>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


# What start_station started: the app's command line to it and the app's inspection client, the
# simulator and its port, the system bus, the daemon log (the manager's calls go to log.calls) and
# the fake systemd manager.
Station = collections.namedtuple("Station", "command app simulator port bus log manager")

# Desktops that refuse root run as nobody.
NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"]
# Another app's window to click on. A command of its own: nobody's login shell exits at once.
OTHER_WINDOW = ["foot", "sleep", "infinity"]


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def passed(name, body):
    """Prints PASS with what body() returns, or FAIL with why; whether it passed."""
    try:
        print(f"PASS {name}: {body()}", flush=True)
        return True
    except (Failure, KeyError, ValueError) as failure:
        print(f"FAIL {name}: {type(failure).__name__}: {failure}", flush=True)
        return False


def wait_for(what, probe, timeout):
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        try:
            last = result = probe()
        except (OSError, ValueError, TypeError, KeyError, subprocess.CalledProcessError) as error:
            last, result = error, None
        if result:
            return result
        time.sleep(0.1)
    raise Failure(f"timed out after {timeout:g} s waiting for {what} (last: {last!r:.300})")


def lines_of(path):
    with open(path) as lines:
        return lines.read().splitlines()


def write_file(path, text, mode=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write(text)
    if mode:
        os.chmod(path, mode)


def daemon_get(port, path):
    """The simulator's JSON answer at `path`."""
    with urllib.request.urlopen(f"http://127.0.0.1:{port}{path}", timeout=5) as answer:
        return json.load(answer)


def window_rect(line):
    """x, y, width, height of a window line of `xwininfo -tree`, or None while it is tiny."""
    match = re.search(r"(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$", line)
    if match:
        width, height, x, y = map(int, match.groups())
        if width > 1 and height > 1:
            return x, y, width, height
    return None


class Session:
    def __init__(self, work):
        self.work = work
        self.processes = []
        self.env = {key: value for key, value in os.environ.items() if key not in (
            "DBUS_SESSION_BUS_ADDRESS", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY")}
        # No bus unless a test starts one: libdbus would otherwise launch its own session bus.
        # GTK's accessibility bridge (loaded with the GNOME platform theme) leaks when it finds no
        # accessibility bus, as on these private buses; Qt's own bridge stays on.
        self.env.update(LC_ALL="C.UTF-8", XDG_RUNTIME_DIR=work,
                        DBUS_SESSION_BUS_ADDRESS="disabled:", NO_AT_BRIDGE="1")
        os.chmod(work, 0o700)

    def start(self, name, args, env=None, **kwargs):
        with open(os.path.join(self.work, name + ".log"), "wb") as log:
            process = subprocess.Popen(args, stdout=log, stderr=subprocess.STDOUT,
                                       env=env or self.env, start_new_session=True, **kwargs)
        self.processes.append((name, process))
        return process

    def stop(self, process, sig=signal.SIGTERM):
        if process.poll() is None:
            with contextlib.suppress(ProcessLookupError):
                os.killpg(process.pid, sig)
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

    def x11(self, *args):
        return subprocess.run(args, env=self.env, check=True, capture_output=True,
                              text=True).stdout

    def click(self, x, y):
        self.x11("xdotool", "mousemove", str(x), str(y), "click", "1")

    def pixels(self, rect):
        x, y, width, height = rect
        return subprocess.run(["import", "-window", "root", "-depth", "8", "-crop",
                               f"{width}x{height}+{x}+{y}", "rgb:-"], env=self.env, check=True,
                              capture_output=True).stdout

    def start_display(self):
        read_end, write_end = os.pipe()
        self.start("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                            "-nolisten", "tcp"], pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        check(number, "Xvfb did not start:\n" + self.log_tail("xvfb"))
        self.env["DISPLAY"] = ":" + number

    def start_xembed_tray(self):
        self.start("trayer", ["trayer", "--edge", "top", "--align", "right", "--widthtype",
                              "request", "--height", "24", "--SetDockType", "true",
                              "--transparent", "false", "--expand", "true"])
        wait_for("the trayer panel", lambda: '"panel" "trayer"' in self.x11(
            "xwininfo", "-root", "-tree"), 10)
        # The panel window shows before trayer holds the tray selection.
        time.sleep(1)

    def start_bus(self, run_as=(), address=None):
        """A private bus that activates nothing, so the desktops installed here stay out of it;
        at `address` (unix:path=…) if given, so that a restart listens there again."""
        config = os.path.join(self.work, "bus.conf")
        write_file(config, BUS_CONFIG.format(work=self.work))
        os.makedirs(os.path.join(self.work, "bus-services"), exist_ok=True)
        listen = ["--address=" + address] if address else []
        name = f"bus-{len(self.processes)}"
        self.start(name, [*run_as, "dbus-daemon", "--config-file", config, "--nofork",
                          "--print-address", *listen])
        printed = wait_for("the bus", lambda: next((line for line in self.log_tail(
            name).splitlines() if line.startswith("unix:")), None), 10)
        return address or printed

    def watch_notifications(self, bus, run_as=()):
        """Notify calls on `bus`, which nobody answers: a reader of what dbus-monitor saw."""
        self.start("monitor", [*run_as, "dbus-monitor", "--address", bus,
                               "interface='org.freedesktop.Notifications',member='Notify'"])
        wait_for("dbus-monitor", lambda: self.log_tail("monitor"), 10)
        return lambda: self.log_tail("monitor", 1000).replace('"\n', " ")

    def start_fake_systemd(self, fake, bus, record, *flags, run_as=()):
        """The fake systemd manager on `bus` once it owns its name; it records its calls."""
        name = f"systemd-{len(self.processes)}"
        process = self.start(name, [*run_as, fake, "--address", bus, "--record", record, *flags])
        wait_for("the fake systemd manager", lambda: "ready" in self.log_tail(name), 10)
        return process

    def start_station(self, args, run_as=(), bus=None, where=None, sim_options=()):
        """The simulator writing a daemon log and the fake systemd manager on a system bus (a new
        one unless given), for an app with an inspection socket: a Station."""
        where = where or self.work
        log, inspect = os.path.join(where, "daemon.log"), os.path.join(where, "inspect.sock")
        simulator, port = self.start_simulator(args.sim, 0, "--log", log, "--log-interval", "0",
                                               *sim_options)
        bus = bus or self.start_bus(run_as)
        manager = self.start_fake_systemd(args.fake_systemd, bus, log + ".calls", "--main-pid",
                                          str(simulator.pid), run_as=run_as)
        command = [args.app, "--daemon-base", f"http://127.0.0.1:{port}", "--system-bus", bus,
                   "--log", log, "--inspect", inspect]
        return Station(command, App(inspect), simulator, port, bus, log, manager)

    def start_simulator(self, simulator, port=0, *options):
        name = f"sim-{len(self.processes)}"
        process = self.start(name, ["/usr/bin/python3", simulator, "--port", str(port), *options])
        listening = wait_for("the simulator to listen", lambda: re.search(
            r"listening on 127\.0\.0\.1:(\d+)", self.log_tail(name)), 10)
        return process, int(listening.group(1))

    def tray_icon(self, program):
        """The program's icon window once embedded by the XEmbed host, below its own top levels."""
        windows = [line for line in self.x11("xwininfo", "-root", "-tree").splitlines()
                   if re.match(r"\s+0x", line)]
        top_level = min((len(line) - len(line.lstrip()) for line in windows), default=0)
        for line in windows:
            indent = len(line) - len(line.lstrip())
            if f'("{program}"' in line and indent > top_level and window_rect(line):
                return window_rect(line)
        return None

    def shown_windows(self, title):
        """(window id, width, height) of each mapped window of that title."""
        found = []
        for line in self.x11("xwininfo", "-root", "-tree").splitlines():
            if f'"{title}"' in line:
                info = self.x11("xwininfo", "-id", line.split()[0])
                if "IsViewable" in info:
                    found.append((int(line.split()[0], 16), *(
                        int(re.search(rf"{key}: (\d+)", info).group(1))
                        for key in ("Width", "Height"))))
        return found


class Shell:
    """What e2e_desktop.py asks of a desktop, where most shells answer alike."""

    def opened(self, shown):
        """Whether the panel is shown after a click on the icon (GNOME's may show a menu)."""
        return shown()

    def after_close(self):
        pass

    def open_from_menu(self, icon):
        """Opens the icon's menu and picks its first entry, if a test can; whether it did."""
        return False

    def notices(self):
        return [line for line in self.seen().splitlines() if "member=Notify" in line]


class App:
    """One command per connection, a snapshot back."""

    def __init__(self, socket_path):
        self.socket_path = socket_path

    def ask(self, command="snapshot"):
        with socket.socket(socket.AF_UNIX) as client:
            client.settimeout(10)
            try:
                client.connect(self.socket_path)
                client.sendall(command.encode() + b"\n")
                data = b""
                while chunk := client.recv(1 << 20):
                    data += chunk
            except socket.timeout:
                raise Failure(f"no answer to '{command}' within 10 s: the event loop is blocked")
        return json.loads(data)

    def popover(self, snapshot=None):
        snapshot = snapshot or self.ask()
        return next((w for w in snapshot["windows"] if w["objectName"] == "popover"), None)

    def texts(self, window):
        return [widget["text"] for widget in window["widgets"] if widget["text"]]

    def widget(self, window, object_name):
        return next((w for w in window["widgets"] if w["objectName"] == object_name), None)

    def popover_state(self, shown):
        snapshot = self.ask()
        return snapshot if snapshot["popoverShown"] == shown else None


def app_parser(description):
    """The options of every end-to-end run: the app, the simulator, the fake systemd manager."""
    parser = argparse.ArgumentParser(description=description)
    for option in ("--app", "--sim", "--fake-systemd"):
        parser.add_argument(option, required=True)
    return parser


def main(parser, body):
    """Runs body(args, session) in a fresh work directory; a failure prints the app's log."""
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="korvel-") as work:
        session = Session(work)
        try:
            return body(args, session) or 0
        except (Failure, subprocess.CalledProcessError) as failure:
            print(f"FAIL: {failure}\n{getattr(failure, 'stderr', None) or ''}")
            print("--- app log ---\n" + session.log_tail("app", 40))
            return 1
        finally:
            session.stop_all()
