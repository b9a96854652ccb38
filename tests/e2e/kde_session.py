"""A KDE Plasma 5.27 session for the end-to-end rows: KWin on X11 (Xvfb) or on Wayland (with
XWayland), plasmashell, a private session bus and a home of their own."""

import os
import re
import shutil
import signal
import subprocess
import time

from harness import Shell, wait_for, write_file
from wayland_input import WaylandClient, string

# Started on demand by plasmashell and KWin; nothing else of the desktop is activatable here.
ACTIVATABLE = ("org.kde.ActivityManager", "org.kde.kglobalaccel", "org.kde.kded5")
# The fill of the app's "KP" badge (TitleIcon.cpp): no Breeze colour is this close to it.
BADGE_FILL = (0x1C, 0x1F, 0x24)
WAYLAND_SOCKET = "wayland-korvel"


def prepare_home(session, wayland):
    """A fresh home; the display before the bus, whose activated services need it."""
    stop_all = session.stop_all
    session.stop_all = lambda: (stop_all(), stop_strays(session.work))
    if wayland:
        session.env.pop("DISPLAY", None)
        session.env.update(WAYLAND_DISPLAY=WAYLAND_SOCKET, XDG_SESSION_TYPE="wayland")
    else:
        session.start_display()
    home = os.path.join(session.work, "home")
    os.makedirs(os.path.join(home, ".config"))
    # KWin scripts print into KWin's log at this level (kwin_windows).
    session.env.update(HOME=home, XDG_CONFIG_HOME=home + "/.config", XDG_DATA_HOME=home + "/.local",
                       XDG_CACHE_HOME=home + "/.cache", XDG_CURRENT_DESKTOP="KDE",
                       KDE_FULL_SESSION="true", KDE_SESSION_VERSION="5",
                       QT_LOGGING_RULES="kwin_scripting.debug=true")
    # KWin announces each screenshot with this generic event; the rows count notifications.
    write_file(os.path.join(home, ".config", "plasma_workspace.notifyrc"),
               "[Event/notification]\nAction=\n")
    os.makedirs(os.path.join(session.work, "bus-services"))
    for name in ACTIVATABLE:
        os.symlink(f"/usr/share/dbus-1/services/{name}.service",
                   os.path.join(session.work, "bus-services", name + ".service"))


def stop_strays(work):
    """What the desktop started in sessions of its own (KIO workers): all with our runtime dir."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as environ:
                if f"XDG_RUNTIME_DIR={work}".encode() in environ.read().split(b"\0"):
                    os.kill(int(pid), signal.SIGKILL)
        except OSError:
            pass


def bus_call(session, destination, path, method, *args):
    return session.x11("dbus-send", "--session", "--print-reply", "--dest=" + destination,
                       path, method, *args)


def start_kwin_wayland(session):
    """kwin_wayland on a virtual 1280 × 900 output with XWayland; returns its fake input."""
    # A copy without the binary's file capability (cap_sys_resource), which containers refuse.
    binary = os.path.join(session.work, "kwin_wayland")
    shutil.copy("/usr/bin/kwin_wayland", binary)
    # KWin starts this once XWayland is up, with its DISPLAY.
    announce = os.path.join(session.work, "announce")
    write_file(announce, f'#!/bin/sh\necho "$DISPLAY" >"{announce}.display"\n', 0o755)
    session.env.update(KWIN_WAYLAND_NO_PERMISSION_CHECKS="1",
                       KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1")
    session.start("kwin", [binary, "--virtual", "--width", "1280", "--height", "900",
                           "--xwayland", "--socket", WAYLAND_SOCKET, announce])
    session.env["DISPLAY"] = wait_for("KWin's XWayland", lambda: open(
        announce + ".display").read().strip(), 30)
    session.x11("dbus-update-activation-environment", "DISPLAY")
    return FakeInput(os.path.join(session.work, WAYLAND_SOCKET))


def start_plasmashell(session, platform):
    """plasmashell, once its bottom panel is up; returns the panel."""
    session.start("plasmashell", ["plasmashell", "--no-respawn"],
                  dict(session.env, QT_QPA_PLATFORM=platform))
    return wait_for("plasmashell's panel, out of the work area", lambda: panel_strip(session), 40)


def panel_strip(session):
    """The strip of the screen below the work area, where the bottom panel is."""
    height = int(re.search(r"Height: (\d+)", session.x11("xwininfo", "-root")).group(1))
    x, y, width, area_height = work_area(session)
    return y + area_height < height and (x, y + area_height, width, height - y - area_height)


def work_area(session):
    """x, y, width, height of the area windows may take, as KWin publishes it."""
    values = session.x11("xprop", "-root", "_NET_WORKAREA").split("=")[-1]
    return tuple(int(value) for value in values.split(",")[:4])


def find_badge(pixels, area):
    """The bounding box of the badge's fill among the RGB `pixels` of area, once drawn there."""
    hits = [(i // 3 % area[2], i // 3 // area[2]) for i in range(0, len(pixels), 3)
            if all(abs(pixels[i + c] - BADGE_FILL[c]) <= 3 for c in range(3))]
    if len(hits) < 30:
        return None
    xs, ys = [hit[0] for hit in hits], [hit[1] for hit in hits]
    return area[0] + min(xs), area[1] + min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def kwin_windows(session):
    """(caption, x, y, width, height) of each window KWin manages, from a KWin script."""
    marker = f"korvel-{time.monotonic_ns()}"
    script = os.path.join(session.work, marker + ".js")
    write_file(script, f"for (const w of workspace.clientList()) print('{marker}', "
               "w.frameGeometry.x, w.frameGeometry.y, w.frameGeometry.width, "
               f"w.frameGeometry.height, w.caption); print('{marker} end');")
    for method, *args in (("loadScript", script, marker), ("start",)):
        bus_call(session, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting." + method,
                 *("string:" + arg for arg in args))
    # Read once the last line is in: KWin's log may take the lines in several writes.
    lines = wait_for("the KWin script's output", lambda: (lambda found: found[-1:] == [["end"]]
                     and found)([line.split(marker, 1)[1].split(None, 4) for line in session
                                 .log_tail("kwin", 400).splitlines() if marker in line]), 5)
    return [(caption, *map(int, numbers)) for *numbers, caption in lines[:-1]]


class Plasma(Shell):
    """The desktop of the Plasma rows (see e2e_desktop.py for what each method answers): KWin on
    X11 (xdotool, import) or on Wayland (its fake input and screenshots), and plasmashell."""

    def __init__(self, session, shell, platform):
        wayland = shell == "kde-wayland"
        self.session, self.wayland_app = session, platform == "wayland"
        self.run_as, self.dir, self.system_bus, self.env = [], session.work, None, session.env
        prepare_home(session, wayland)
        # No notification service until plasmashell: the calls are watched.
        session.env["DBUS_SESSION_BUS_ADDRESS"] = bus = session.start_bus()
        self.seen = session.watch_notifications(bus)
        self.input = wayland and start_kwin_wayland(session)
        if not wayland:
            session.start("kwin", ["kwin_x11", "--replace"])
            wait_for("KWin to manage the screen", lambda: "window id" in session.x11(
                "xprop", "-root", "_NET_SUPPORTING_WM_CHECK"), 20)
        self.bar = start_plasmashell(session, "wayland" if wayland else "xcb")
        session.start("other", ["xmessage", "-geometry", "+60+60", "Another window"])
        self.other = wait_for("another window", lambda: session.shown_windows("xmessage"), 10)[0]

    # Plasma animates its menus and panels, and a popup takes a moment to hold the pointer.
    def click(self, x, y, button="1"):
        time.sleep(0.7)
        if self.input:
            return self.input.click(x, y, button)
        self.session.x11("xdotool", "mousemove", str(x), str(y), "click", button)

    def click_icon(self, icon, button="1"):
        self.click(icon[0] + icon[2] // 2, icon[1] + icon[3] // 2, button)

    def key(self, *names):
        time.sleep(0.7)
        if self.input:
            return self.input.key(*names)
        self.session.x11("xdotool", "key", *names)

    def icon(self):
        """Plasma draws the items itself: the app's badge in the tray's half of the bar."""
        tray = (self.bar[0] + self.bar[2] // 2, self.bar[1], self.bar[2] // 2, self.bar[3])
        return find_badge(self.pixels(tray), tray)

    def panel(self, app, pid):
        """KWin places a Wayland window itself; the app places its X11 one right above the icon."""
        if not self.wayland_app:
            popover = app.popover()
            return popover and (tuple(popover["geometry"]), True)
        windows = [w[1:] for w in kwin_windows(self.session) if w[0] == "Korvel Printer"]
        return windows and (windows[0], False)

    def work_area(self):
        return work_area(self.session)

    def elsewhere(self):
        # The desktop is clicked left of where KWin centres a window. On Wayland a click on the
        # bar moves no focus, so no client can see it.
        width, height = self.other[1:]
        return [("a click on the desktop", lambda: self.click(200, 600)),
                ("a click on another window",
                 lambda: self.click(60 + width // 2, 60 + height // 2))] + [
            ("a click on the bar", lambda: self.click(self.bar[2] // 3, self.bar[1] + 10))
        ] * (not self.input)

    def open_from_menu(self, icon):
        """A right click shows the app's menu, which takes the keys: its first entry."""
        self.click_icon(icon, "3")
        self.key("Down", "Return")
        return True

    def screenshot(self, path, *rects):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if not self.input:
            return self.session.x11("import", "-window", "root", path)
        # The older interface answers with a file; ScreenShot2 takes a descriptor dbus-send lacks.
        answer = bus_call(self.session, "org.kde.KWin", "/Screenshot",
                          "org.kde.kwin.Screenshot.screenshotFullscreen", "boolean:false")
        shutil.move(re.search(r'string "([^"]+)"', answer).group(1), path)

    def pixels(self, rect):
        shot = os.path.join(self.session.work, "screen.png")
        self.screenshot(shot)
        return subprocess.run(["convert", shot, "-crop", "{2}x{3}+{0}+{1}".format(*rect),
                               "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout


class FakeInput(WaylandClient):
    """KWin's org_kde_kwin_fake_input: real input for every surface."""

    BUTTONS = {"1": 0x110, "3": 0x111}  # BTN_LEFT, BTN_RIGHT
    KEYS = {"Escape": 1, "Return": 28, "Down": 108}

    def __init__(self, path):
        super().__init__(path)
        self.input = self.bind("org_kde_kwin_fake_input", 4)
        self.request(0, raw=string("korvel-e2e") + string("end-to-end test"))  # authenticate

    def request(self, opcode, *args, raw=b""):
        self.send(self.input, opcode, *args, raw=raw)
        self.roundtrip()
        time.sleep(0.05)

    def click(self, x, y, button):
        self.request(9, x * 256, y * 256)  # pointer_motion_absolute, fixed point
        for state in (1, 0):
            self.request(2, self.BUTTONS[button], state)

    def key(self, *names):
        for name in names:
            for state in (1, 0):
                self.request(10, self.KEYS[name], state)  # keyboard_key
