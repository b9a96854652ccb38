#!/usr/bin/python3
"""GNOME Shell 43 headless (Wayland with XWayland) and korvel-printer-e2e, with real clicks and keys
through the shell: the AppIndicator extension's icon opens the panel below it and the icon, a
click elsewhere and Escape close it, again and again; without the extension, one notification
and a second start's titled window, which Escape closes. Every check runs and is reported, so one
run tells all that is wrong."""

import os
import sys
import time

from gnome_session import APPINDICATOR, GnomeShell
from harness import App, Failure, app_parser, main, wait_for

TITLE = "Korvel Printer"
PANEL_SIZE = [520, 720]
# Where the compositor lets a window choose its place, the panel keeps this close to the icon.
ICON_GAP = 60
NO_TRAY_TEXT = ("Korvel Printer is running, but this desktop shows no tray icons. Open it again "
                "from the app launcher to see the panel.")
OPEN_ITEM = "Open Korvel Printer"
NORMAL_WINDOW = 0  # Meta.WindowType.NORMAL


class Checks:
    """Named checks that all run; the failures are listed at the end."""

    def __init__(self):
        self.failed = []

    def __call__(self, name, passed, detail=""):
        print(f"{'ok  ' if passed else 'FAIL'} {name}" + ("" if passed else f": {detail}"),
              flush=True)
        if not passed:
            self.failed.append(name)
        return passed

    def wait(self, name, probe, timeout, seen=lambda: ""):
        """Waits for `probe`; a failure tells what `seen` says then."""
        try:
            result = wait_for(name, probe, timeout)
            self(name, True)
            return result
        except Failure as failure:
            self(name, False, f"{failure} {seen()}")
            return None


def inside(rect, area):
    x, y, width, height = rect
    ax, ay, aw, ah = area
    return ax <= x and ay <= y and x + width <= ax + aw and y + height <= ay + ah


def horizontal_gap(rect, other):
    """How far apart two rects are left to right; 0 when they overlap."""
    return max(rect[0] - (other[0] + other[2]), other[0] - (rect[0] + rect[2]), 0)


def union(*rects):
    left = min(r[0] for r in rects)
    top = min(r[1] for r in rects)
    right = max(r[0] + r[2] for r in rects)
    bottom = max(r[1] + r[3] for r in rects)
    return [left, top, right - left, bottom - top]


class Run:
    def __init__(self, args, session):
        self.args, self.session = args, session
        self.checks = Checks()
        # The simulator writes error lines; their notifications are switched off as a user would.
        self.shell = GnomeShell(session, [] if args.no_extension else [APPINDICATOR], {
            ".config/korvel-printer/korvel-printer.conf": "[General]\nnotifyOnPrintErrors=false\n"})
        self.shell.start()
        self.env = dict(self.shell.env)
        if args.platform != "default":
            self.env["QT_QPA_PLATFORM"] = args.platform
        self.xwayland = args.platform != "wayland"
        log = os.path.join(self.shell.dir, "daemon.log")
        simulator, port = session.start_simulator(args.sim, 0, "--log", log)
        run_as = self.shell.run_as
        session.start_fake_systemd(args.fake_systemd, self.shell.system_bus,
                                   os.path.join(self.shell.dir, "systemd-calls"),
                                   "--main-pid", str(simulator.pid), run_as=run_as)
        socket_path = os.path.join(self.shell.dir, "inspect.sock")
        self.command = [*run_as, args.app, "--daemon-base", f"http://127.0.0.1:{port}",
                        "--system-bus", self.shell.system_bus, "--log", log, "--inspect", socket_path]
        self.started = time.monotonic()
        self.pid = session.start("app", self.command, self.env, cwd=args.source_dir).pid
        self.app = App(socket_path)
        wait_for("the inspection socket", self.app.ask, 15)

    def panel_windows(self):
        return [w for w in self.shell.windows() if w["pid"] == self.pid and w["rect"][2] > 1]

    def shown(self, shown):
        """The app's word and the compositor's agree that the panel is shown (or not)."""
        windows = self.panel_windows()
        if self.app.ask()["popoverShown"] == shown and bool(windows) == shown:
            return windows or True
        return None

    def seen(self):
        return (f"(the app says shown: {self.app.ask()['popoverShown']}; its windows: "
                f"{self.panel_windows()}; the icon: {self.icon()})")

    def screenshot(self, *rects):
        if self.args.screenshot_dir:
            name = f"{'gnome-noext' if self.args.no_extension else 'gnome'}_{self.args.platform}"
            self.shell.screenshot(union(*rects), os.path.join(self.args.screenshot_dir,
                                                               name + ".png"))

    def placement(self, window, icon, label):
        """Fully visible below the top bar, 520 × 720, next to the icon where the app places it."""
        check = self.checks
        rect, area = window["rect"], self.shell.work_area()
        check(f"{label}: 520 x 720", rect[2:] == PANEL_SIZE, f"the panel is {rect}")
        check(f"{label}: fully visible, not under the top bar", inside(rect, area),
              f"the panel at {rect}, the work area {area}")
        check(f"{label}: on {'XWayland' if self.xwayland else 'Wayland'}",
              window["x11"] == self.xwayland, f"the panel's window is X11: {window['x11']}")
        if self.xwayland:
            gap = horizontal_gap(rect, icon)
            check(f"{label}: within {ICON_GAP} px of the icon", gap <= ICON_GAP,
                  f"the panel at {rect}, {gap} px from the icon at {icon}")

    def icon(self):
        icons = self.shell.indicator_icons()
        return icons[0] if len(icons) == 1 else None

    def open_from_icon(self, label):
        """A click on the icon; where the extension shows the menu instead, its first item."""
        icon = self.icon()["rect"]
        time.sleep(0.5)  # the last close settles before the next press
        self.shell.click(icon)
        opened = self.checks.wait(f"{label}: the panel or the icon's menu", lambda: self.shown(
            True) or (self.icon() or {}).get("menuOpen"), 5)
        if opened is True and self.icon()["menuOpen"]:
            items = self.icon()["items"]
            if not self.checks(f"{label}: the menu's first item is {OPEN_ITEM!r}",
                               items and items[0]["label"] == OPEN_ITEM, f"the menu holds {items}"):
                return None
            self.shell.click(items[0]["rect"])
            opened = self.checks.wait(f"{label}: the panel from {OPEN_ITEM!r}",
                                      lambda: self.shown(True), 5, self.seen)
        return opened if isinstance(opened, list) else None

    def closed(self, label, timeout=3):
        closed = self.checks.wait(f"{label}: the panel closes", lambda: self.shown(False),
                                  timeout, self.seen)
        self.shell.close_menus()
        if not closed:
            # Later checks need it closed.
            self.app.ask("close")
            wait_for("the panel closed through the inspection socket",
                     lambda: self.shown(False), 3)
        return closed

    def with_extension(self):
        check = self.checks
        icon = check.wait("the icon in the top bar", self.icon, 15)
        if not icon:
            return
        clock = self.shell.clock()
        for cycle in range(1, 4):
            windows = self.open_from_icon(f"open {cycle}")
            if not windows:
                return
            self.placement(windows[0], icon["rect"], f"open {cycle}")
            if cycle == 1:
                self.screenshot(windows[0]["rect"], icon["rect"], self.shell.top_bar())
            time.sleep(0.5)
            self.shell.click(self.icon()["rect"])
            self.closed(f"click on the icon {cycle}")
        for label, close in (("click on the clock", lambda: self.shell.click(clock)),
                             ("Escape", lambda: self.shell.key("Escape"))):
            if not self.open_from_icon(f"open before {label}"):
                return
            time.sleep(0.5)
            close()
            self.closed(label)

    def without_tray(self):
        check = self.checks

        def notices():
            return [n for n in self.shell.notifications()
                    if NO_TRAY_TEXT in f"{n['title']} {n['body']}"]

        if check.wait("the notification that no tray shows the icon", notices, 15):
            waited = time.monotonic() - self.started
            check("the notification 5 s after start", waited >= 4.5, f"after {waited:.1f} s")
        second = self.session.start("second", self.command[:-2], self.env)
        status = second.wait(10)
        check("the second start ends with status 0", status == 0,
              f"status {status}: {self.session.log_tail('second')}")
        windows = check.wait("the panel's window from the second start",
                             lambda: self.shown(True), 5)
        if not windows:
            return
        window = windows[0]
        check("a titled window", window["title"] == TITLE and window["type"] == NORMAL_WINDOW,
              f"the window is {window}")
        check("fully visible, not under the top bar",
              inside(window["rect"], self.shell.work_area()),
              f"at {window['rect']}, the work area {self.shell.work_area()}")
        check("on XWayland by itself", window["x11"], f"the window is {window}")
        check.wait("the window has the keyboard focus",
                   lambda: any(w["focused"] for w in self.panel_windows()), 3)
        self.screenshot(window["rect"], self.shell.top_bar())
        self.shell.key("Escape")
        self.closed("Escape on the window")
        time.sleep(1)
        check("one notification", len(notices()) == 1, f"{notices()}")


def run(args, session):
    test = Run(args, session)
    if args.no_extension:
        test.without_tray()
    else:
        test.with_extension()
    if test.checks.failed:
        raise Failure(f"{len(test.checks.failed)} checks failed: {', '.join(test.checks.failed)}")


if __name__ == "__main__":
    parser = app_parser(__doc__)
    parser.add_argument("--source-dir", help="working directory of the app (finds its icon)")
    parser.add_argument("--platform", choices=["default", "xcb", "wayland"], default="default",
                        help="QT_QPA_PLATFORM for the app; default leaves the choice to it")
    parser.add_argument("--no-extension", action="store_true",
                        help="without the AppIndicator extension: no tray at all")
    parser.add_argument("--screenshot-dir", help="where the picture of the open panel goes")
    status = main(parser, run)
    if status == 0:
        print("all GNOME Shell checks passed")
    sys.exit(status)
