"""GNOME Shell 43 headless with private buses and settings, as nobody under root (it refuses root),
driven through Eval (opened by our extension's unsafe mode) and Clutter's virtual input devices."""

import json
import os
import shutil
import subprocess

from harness import NOBODY, OTHER_WINDOW, Failure, Shell, check, wait_for, write_file

APPINDICATOR = "ubuntu-appindicators@ubuntu.com"
UNSAFE = "korvel-unsafe-mode@tests"
# Prefixed to every Eval.
JS = """const Clutter = imports.gi.Clutter; const t = () => imports.gi.GLib.get_monotonic_time();
const rectOf = a => [...a.get_transformed_position(), ...a.get_transformed_size()].map(Math.round);
const seat = Clutter.get_default_backend().get_default_seat();
"""


class GnomeShell(Shell):
    """The desktop of the GNOME rows (see e2e_desktop.py for what each method answers)."""

    def __init__(self, session, shell, platform):
        self.session, self.dir, self.run_as = session, os.path.join(session.work, "gnome"), []
        self.xwayland = platform != "wayland"
        extensions = [APPINDICATOR] if shell == "gnome" else []
        home, runtime = os.path.join(self.dir, "home"), os.path.join(self.dir, "runtime")
        unsafe = f"{home}/.local/share/gnome-shell/extensions/{UNSAFE}"
        files = {
            f"{unsafe}/metadata.json": json.dumps(
                {"uuid": UNSAFE, "name": UNSAFE, "description": UNSAFE, "shell-version": ["43"]}),
            f"{unsafe}/extension.js": "function init() {}\nfunction disable() {}\n"
                                      "function enable() { global.context.unsafe_mode = true; }",
            f"{home}/.config/glib-2.0/settings/keyfile":
                f"[org/gnome/shell]\nenabled-extensions={[UNSAFE, *extensions]}\n"
                # Windows and menus show at once, so pictures and clicks need not wait for them.
                "[org/gnome/desktop/interface]\nenable-animations=false\n"}
        for path, text in files.items():
            write_file(path, text)
        os.makedirs(runtime, 0o700)
        if os.geteuid() == 0:
            self.run_as = NOBODY
            os.chmod(session.work, 0o711)
            subprocess.run(["chown", "-R", "65534:65534", self.dir], check=True)
            # Made by the shell, it would be nobody's, which a later Xvfb as root distrusts.
            os.makedirs("/tmp/.X11-unix", exist_ok=True)
            os.chmod("/tmp/.X11-unix", 0o1777)
        self.env = dict(session.env, HOME=home, XDG_CONFIG_HOME=home + "/.config",
                        XDG_DATA_HOME=home + "/.local/share", XDG_RUNTIME_DIR=runtime,
                        GSETTINGS_BACKEND="keyfile", XDG_SESSION_TYPE="wayland",
                        XDG_CURRENT_DESKTOP="GNOME")
        self.env.pop("DISPLAY", None)
        self.start()

    def start(self):
        # The shell activates its notification service, which owns the freedesktop name; the
        # system bus holds nothing else but the fake systemd manager.
        services = os.path.join(self.session.work, "bus-services")
        os.makedirs(services)
        shutil.copy("/usr/share/dbus-1/services/org.gnome.Shell.Notifications.service", services)
        self.env["DBUS_SESSION_BUS_ADDRESS"], self.env["DBUS_SYSTEM_BUS_ADDRESS"] = (
            self.session.start_bus(self.run_as, f"unix:path={self.dir}/{kind}-bus")
            for kind in ("session", "system"))
        self.system_bus = self.env["DBUS_SYSTEM_BUS_ADDRESS"]
        self.process = self.session.start("shell", [
            *self.run_as, "gnome-shell", "--headless", "--wayland", "--virtual-monitor",
            "1280x900"], self.env, cwd=self.dir)
        wait_for("GNOME Shell's Eval", lambda: self.answers("!Main.layoutManager._startingUp"), 60)
        # It starts in the overview, which hides windows; the unsafe mode's notice goes too.
        self.eval("Main.overview.hide(); Main.messageTray.getSources().forEach(s => s.destroy());"
                  "global._kp = seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);"
                  "global._kk = seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE)"
                  "; true")
        wait_for("the overview to hide", lambda: self.answers("!Main.overview.visible"), 10)
        self.env.update(self.eval("Object.fromEntries(['DISPLAY', 'WAYLAND_DISPLAY', 'XAUTHORITY']"
                                  ".map(n => [n, imports.gi.GLib.getenv(n)]))"))

    def call(self, method, *args):
        """A method of the shell's, as nobody; the reply as dbus-send prints it literally."""
        return subprocess.run(
            [*self.run_as, "dbus-send", "--session", "--print-reply=literal",
             "--dest=org.gnome.Shell", "/" + method.rpartition(".")[0].replace(".", "/"), method,
             *args], env=self.env, capture_output=True, text=True, timeout=30).stdout

    def eval(self, code):
        """The value of the last expression of `code`, which the shell sends as JSON."""
        reply = self.call("org.gnome.Shell.Eval", "string:" + JS + code).strip()
        ok, _, value = reply.partition("\n")
        if ok != "boolean true":
            raise Failure(f"Eval of {code[:200]!r} failed: {reply[:300]}")
        return json.loads(value) if value.strip() else None

    def answers(self, code):
        check(self.process.poll() is None, "GNOME Shell ended:\n" + self.session.log_tail("shell"))
        return self.call("org.gnome.Shell.Eval", "string:" + code).split() == ["boolean", "true",
                                                                              "true"]

    def click_icon(self, rect):
        self.eval(f"""global._kp.notify_absolute_motion(t(), {rect[0] + rect[2] // 2},
            {rect[1] + rect[3] // 2}); for (const s of [Clutter.ButtonState.PRESSED,
            Clutter.ButtonState.RELEASED]) global._kp.notify_button(t(), 1, s); true""")

    def key(self, name):
        self.eval(f"""for (const s of [Clutter.KeyState.PRESSED, Clutter.KeyState.RELEASED])
            global._kk.notify_keyval(t(), Clutter.KEY_{name}, s); true""")

    def icon(self):
        """Ours, once placed. The extension may drop an item it was setting up when the item
        registers again at start, which the app then does once more: the icon comes back."""
        icons = self.indicator_icons()
        return icons[0]["rect"] if len(icons) == 1 and None not in icons[0]["rect"] else None

    def opened(self, shown):
        """Where the extension shows the icon's menu instead of activating, its first item."""
        menus = [icon for icon in self.indicator_icons() if icon["menuOpen"]]
        if menus:
            check(menus[0]["items"][0][0] == "Open Korvel Printer", f"the menu {menus[0]}")
            self.click_icon(menus[0]["items"][0][1])
        return shown()

    def panel(self, app, pid):
        windows = [w for w in self.windows() if w["pid"] == pid and w["rect"][2] > 1]
        return windows and (windows[0]["rect"], windows[0]["x11"])

    def titled(self, pid):
        return [(w["title"], w["type"], w["x11"]) for w in self.windows()
                if w["pid"] == pid] == [("Korvel Printer", 0, True)]  # Meta's NORMAL

    def elsewhere(self):
        # Through XWayland the app never hears of a click on the shell's own bar (mutter moves no
        # X11 focus for it, as for the empty desktop): another app's window stands in there.
        if not self.xwayland:
            return [("a click on the clock", lambda: self.click_icon(
                self.eval("rectOf(Main.panel.statusArea.dateMenu)")))]
        other = self.session.start("other", [*self.run_as, *OTHER_WINDOW], self.env).pid
        x, y, _, height = wait_for("the other app's window", lambda: next(
            (w["rect"] for w in self.windows() if w["pid"] == other), None), 10)
        return [("a click on another app", lambda: self.click_icon([x + 10, y + height // 2, 1, 1]))]

    def after_close(self):
        self.eval("Main.panel.menuManager.activeMenu?.close(); true")

    def windows(self):
        return self.eval("""global.get_window_actors().filter(a => a.visible).map(a => {
            const w = a.meta_window, c = w.frame_rect_to_client_rect(w.get_frame_rect());
            return { title: w.get_title(), pid: w.get_pid(), rect: [c.x, c.y, c.width, c.height],
                type: w.get_window_type(),
                x11: w.get_client_type() === 1 }; })""")

    def work_area(self):
        return self.eval("const r = Main.layoutManager.getWorkAreaForMonitor(0); "
                         "[r.x, r.y, r.width, r.height]")

    def indicator_icons(self):
        """The AppIndicator icons in the top bar: rect, whether the menu is open and done fading
        in (so its items stay put), and the menu's items."""
        return self.eval("""Object.entries(Main.panel.statusArea).filter(([k, a]) =>
            k.startsWith('appindicator-') && a?.mapped).map(([k, a]) => ({ rect: rectOf(a),
            menuOpen: a.menu.isOpen && a.menu.actor.opacity === 255, items: a.menu
            ._getMenuItems().filter(i => i.label).map(i => [i.label.text, rectOf(i)]) }))""")

    def notices(self):  # the shell is the notification server
        return [n for n in self.eval("""Main.messageTray.getSources().flatMap(s =>
            s.notifications.map(n => `${n.title} ${n.bannerBodyText}`))""")
                if "shows no tray icons" in n]

    def screenshot(self, path, *rects):
        """The shell's picture of these rects and the top bar above them, copied to `path`."""
        left, right = min(r[0] for r in rects) - 16, max(r[0] + r[2] for r in rects) + 16
        bottom, shot = max(r[1] + r[3] for r in rects) + 16, os.path.join(self.dir, "shot.png")
        self.call("org.gnome.Shell.Screenshot.ScreenshotArea", f"int32:{max(left, 0)}", "int32:0",
                  f"int32:{min(right, 1280) - max(left, 0)}", f"int32:{min(bottom, 900)}",
                  "boolean:false", "string:" + shot)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        shutil.move(shot, path)
