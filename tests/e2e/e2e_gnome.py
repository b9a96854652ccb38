#!/usr/bin/python3
"""korvel-printer-e2e on GNOME Shell 43 headless with real clicks and keys: the AppIndicator icon
(or its menu's first item) opens the panel, the icon, the clock and Escape close it; with no tray,
one notification and a second start's titled window. Every check runs and is listed."""

import sys
import time

from gnome_session import APPINDICATOR, GnomeShell
from harness import OTHER_WINDOW, Failure, app_parser, main, wait_for

failed = []


def check(name, passed, detail=""):
    print(f"{'ok  ' if passed else 'FAIL'} {name}{'' if passed else f': {detail}'}", flush=True)
    failed.extend([] if passed else [name])
    return passed


def wait(name, probe, seen=lambda: "", timeout=5):
    try:
        result, detail = wait_for(name, probe, timeout), ""
    except Failure as failure:
        result, detail = None, f"{failure} {seen()}"
    return check(name, result, detail) and result


def placed(window, area, icon):
    """520 × 720 inside the work area, and within 60 px of the icon left to right if given."""
    x, y, width, height = window["rect"]
    gap = max(x - icon[0] - icon[2], icon[0] - x - width, 0) if icon else 0
    return (window["size"] == [520, 720] and area[0] <= x and area[1] <= y and gap <= 60
            and x + width <= area[0] + area[2] and y + height <= area[1] + area[3])


class Run:
    def __init__(self, args, session):
        self.args, self.xwayland = args, args.platform != "wayland"
        self.shell = GnomeShell(session, [APPINDICATOR] if args.shell == "gnome" else [])
        self.shell.start()
        env = dict(self.shell.env, **({} if args.platform == "default"
                                       else {"QT_QPA_PLATFORM": args.platform}))
        # Log lines from before the start notify nothing, and no more come.
        command, self.app = session.start_station(args, self.shell.run_as, self.shell.system_bus,
                                                  self.shell.dir)
        self.command = [*self.shell.run_as, *command]
        self.start = lambda name, command: session.start(name, command, env, cwd=args.source_dir)
        self.started, self.pid = time.monotonic(), self.start("app", self.command).pid
        wait_for("the inspection socket", self.app.ask, 15)

    def windows(self):
        return [w for w in self.shell.windows() if w["pid"] == self.pid and w["rect"][2] > 1]

    def shown(self, shown):
        """The app and the compositor agree that the panel is shown (its windows), or not."""
        windows = self.windows()
        agree = self.app.ask()["popoverShown"] == shown == bool(windows)
        return (windows or True) if agree else None

    def seen(self):
        return f"(shown: {self.app.ask()['popoverShown']}, {self.windows()}, {self.icon()})"

    def icon(self):
        """Ours, once placed. The extension may drop an item it was setting up when the item
        registers again at start, which the app then does once more: the icon comes back."""
        icons = self.shell.indicator_icons()
        return icons[0] if len(icons) == 1 and None not in icons[0]["rect"] else None

    def laid_out_icon(self):
        return wait_for("the icon laid out in the top bar", self.icon, 5)

    def screenshot(self, *rects):
        name = f"{self.args.screenshot_dir}/{self.args.shell}_{self.args.platform}.png"
        self.args.screenshot_dir and self.shell.screenshot(name, *rects)

    def open(self, label):
        """A click on the icon; where the extension shows its menu instead, its first item."""
        time.sleep(0.5)  # the last close settles
        self.shell.click(self.laid_out_icon()["rect"])
        opened = wait(f"{label}: the panel or the icon's menu",
                      lambda: self.shown(True) or self.icon()["menuOpen"], self.seen)
        if opened is True:
            items = self.laid_out_icon()["items"]
            check(f"{label}: the menu's first item", items[0][0] == "Open Korvel Printer", items)
            self.shell.click(items[0][1])
            opened = wait(f"{label}: the panel from the menu", lambda: self.shown(True), self.seen)
        return opened[0] if opened else None

    def closes(self, label):
        closed = wait(f"{label} closes the panel", lambda: self.shown(False), self.seen, 3)
        self.shell.eval("Main.panel.menuManager.activeMenu?.close(); true")
        if not closed:  # the next checks need it closed
            self.app.ask("close")
            wait_for("the panel closed by the inspection socket", lambda: self.shown(False), 3)

    def with_extension(self):
        icon = wait("the icon in the top bar", self.icon, timeout=15)
        # The extension's search of the bus at start may still drop and re-add it once.
        time.sleep(2)
        icon = wait("the icon in the top bar, settled", self.icon)
        # Through XWayland the app never hears of a click on the shell's own bar (mutter moves no
        # X11 focus for it, as for the empty desktop): another app's window stands in there.
        if self.xwayland:
            other = self.start("other", [*self.shell.run_as, *OTHER_WINDOW]).pid
            x, y, _, height = wait_for("the other app's window", lambda: next(
                (w["rect"] for w in self.shell.windows() if w["pid"] == other), None), 10)
            elsewhere = ("a click on another app", [x + 10, y + height // 2, 1, 1])
        else:
            elsewhere = ("a click on the clock",
                         self.shell.eval("rectOf(Main.panel.statusArea.dateMenu)"))
        closers = [("a click on the icon", lambda: self.shell.click(self.laid_out_icon()["rect"]))
                   ] * 3 + [
            (elsewhere[0], lambda: self.shell.click(elsewhere[1])),
            ("Escape", lambda: self.shell.key("Escape"))]
        for number, (label, close) in enumerate(closers if icon else [], 1):
            window = self.open(f"open {number}")
            if not window:
                return
            # Only on XWayland does the app choose where the panel goes.
            near = self.laid_out_icon()["rect"] if self.xwayland else None
            check(f"open {number}: 520 x 720, fully visible, near the icon if on XWayland",
                  placed(window, self.shell.work_area(), near) and window["x11"] == self.xwayland,
                  f"{window}, icon {icon['rect']}")
            if number == 1:
                self.screenshot(window["rect"], icon["rect"])
            time.sleep(0.5)
            close()
            self.closes(f"{label} ({number})")

    def without_tray(self):
        def notices():
            return [n for n in self.shell.notifications() if "shows no tray icons" in n]

        if wait("the notification that no tray shows the icon", notices, timeout=15):
            waited = time.monotonic() - self.started
            check("the notification 5 s after start", waited >= 4.5, f"after {waited:.1f} s")
        second = self.start("second", self.command[:-2])
        check("the second start ends with status 0", second.wait(10) == 0, second.returncode)
        window = (wait("the panel's window from the second start", lambda: self.shown(True))
                  or [None])[0]
        if window:
            check("a titled window, fully visible, on XWayland", window["title"] == "Korvel "
                  "Printer" and window["type"] == 0 and window["x11"]  # Meta's NORMAL
                  and placed(window, self.shell.work_area(), None), window)
            self.screenshot(window["rect"])
            self.shell.key("Escape")
            self.closes("Escape")
        time.sleep(1)
        check("one notification", len(notices()) == 1, notices())


def run(args, session):
    test = Run(args, session)
    test.with_extension() if args.shell == "gnome" else test.without_tray()
    if failed:
        raise Failure(f"{len(failed)} checks failed: {', '.join(failed)}")


if __name__ == "__main__":
    parser = app_parser(__doc__)
    parser.add_argument("--source-dir", help="working directory of the app (finds its icon)")
    parser.add_argument("--platform", choices=["default", "xcb", "wayland"], default="default",
                        help="QT_QPA_PLATFORM for the app; default leaves the choice to it")
    parser.add_argument("--shell", choices=["gnome", "gnome-noext"], default="gnome",
                        help="with the AppIndicator extension, or without (no tray)")
    parser.add_argument("--screenshot-dir", help="where the picture of the open panel goes")
    status = main(parser, run)
    if status == 0:
        print("all GNOME Shell checks passed")
    sys.exit(status)
