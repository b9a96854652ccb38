"""GNOME Shell 43 headless on a virtual monitor, with private buses, settings and extensions, as
nobody when run as root (the shell refuses root). Driven through org.gnome.Shell.Eval, which a
tiny extension of our own opens by switching the shell to unsafe mode; clicks and keys come from
Clutter's virtual devices, so they go through the shell as a person's would."""

import json
import os
import shutil
import subprocess

from harness import Failure, check, wait_for

APPINDICATOR = "ubuntu-appindicators@ubuntu.com"
UNSAFE = "korvel-unsafe-mode@tests"
SCREEN = (1280, 900)

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>{kind}</type>
  <listen>unix:path={path}</listen>
  <servicedir>{services}</servicedir>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""

# GNOME Shell 43 has no switch for unsafe mode; Eval and Screenshot answer only in it.
UNSAFE_EXTENSION = """function enable() { global.context.unsafe_mode = true; }
function disable() { global.context.unsafe_mode = false; }
function init() {}
"""

# Shared by the snippets sent to Eval.
JS_PRELUDE = """
const Clutter = imports.gi.Clutter;
const rectOf = a => { const [x, y] = a.get_transformed_position();
    const [w, h] = a.get_transformed_size(); return [Math.round(x), Math.round(y), Math.round(w),
    Math.round(h)]; };
"""


class GnomeShell:
    def __init__(self, session, extensions, files=None):
        """`files`: more files in the home folder, by path under it."""
        self.session = session
        self.dir = os.path.join(session.work, "gnome")
        self.run_as = []
        home = os.path.join(self.dir, "home")
        runtime = os.path.join(self.dir, "runtime")
        config = os.path.join(home, ".config")
        data = os.path.join(home, ".local", "share")
        unsafe = os.path.join(data, "gnome-shell", "extensions", UNSAFE)
        for path in (runtime, unsafe, os.path.join(config, "glib-2.0", "settings")):
            os.makedirs(path)
        with open(os.path.join(unsafe, "metadata.json"), "w") as out:
            json.dump({"uuid": UNSAFE, "name": "Unsafe mode for tests",
                       "description": "Opens Eval and Screenshot", "shell-version": ["43"]}, out)
        with open(os.path.join(unsafe, "extension.js"), "w") as out:
            out.write(UNSAFE_EXTENSION)
        enabled = ", ".join(f"'{uuid}'" for uuid in [UNSAFE, *extensions])
        with open(os.path.join(config, "glib-2.0", "settings", "keyfile"), "w") as out:
            out.write(f"[org/gnome/shell]\nenabled-extensions=[{enabled}]\n"
                      "disable-user-extensions=false\nwelcome-dialog-last-shown-version='999'\n"
                      "[org/gnome/desktop/session]\nidle-delay=uint32 0\n"
                      "[org/gnome/desktop/screensaver]\nlock-enabled=false\n")
        for name, text in (files or {}).items():
            os.makedirs(os.path.dirname(os.path.join(home, name)), exist_ok=True)
            with open(os.path.join(home, name), "w") as out:
                out.write(text)
        if os.geteuid() == 0:
            self.run_as = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"]
            os.chmod(session.work, 0o711)
            for root, dirs, files in os.walk(self.dir):
                for name in [root, *(os.path.join(root, n) for n in dirs + files)]:
                    os.chown(name, 65534, 65534)
            # Xwayland's socket folder: the shell makes it if missing, then as nobody's, which an
            # Xvfb started later as root would distrust.
            os.makedirs("/tmp/.X11-unix", exist_ok=True)
            os.chmod("/tmp/.X11-unix", 0o1777)
        os.chmod(runtime, 0o700)
        self.env = dict(session.env, HOME=home, XDG_CONFIG_HOME=config, XDG_DATA_HOME=data,
                        XDG_CACHE_HOME=os.path.join(home, ".cache"), XDG_RUNTIME_DIR=runtime,
                        GSETTINGS_BACKEND="keyfile", XDG_SESSION_TYPE="wayland",
                        XDG_CURRENT_DESKTOP="GNOME", XDG_SESSION_DESKTOP="gnome")
        self.env.pop("DISPLAY", None)

    def start_bus(self, kind, services=()):
        """A bus of nobody's that activates only `services` of the machine's; the system one
        stays empty but for the fake systemd manager."""
        path = os.path.join(self.dir, f"{kind}-bus")
        folder = path + "-services"
        os.makedirs(folder)
        for name in services:
            shutil.copy(f"/usr/share/dbus-1/services/{name}.service", folder)
        with open(path + ".conf", "w") as out:
            out.write(BUS_CONFIG.format(kind=kind, path=path, services=folder))
        self.session.start(f"{kind}-bus", [*self.run_as, "dbus-daemon", "--config-file",
                                           path + ".conf",
                                           "--nofork"])
        wait_for(f"the {kind} bus", lambda: os.path.exists(path), 10)
        return "unix:path=" + path

    def start(self):
        # The shell's notification service, which it activates, owns the freedesktop name.
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.start_bus(
            "session", ["org.gnome.Shell.Notifications"])
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = self.system_bus = self.start_bus("system")
        width, height = SCREEN
        self.process = self.session.start("shell", [
            *self.run_as, "gnome-shell", "--headless", "--wayland", "--virtual-monitor",
            f"{width}x{height}"], self.env, cwd=self.dir)
        wait_for("GNOME Shell's Eval", lambda: self.answers(
            "Main.layoutManager._startingUp === false && global.display !== null"), 60)
        # The shell starts in the overview, which hides the windows; the unsafe mode's own
        # notification goes too.
        self.eval("Main.overview.hide(); Main.messageTray.getSources().forEach(s => s.destroy());"
                  "true")
        wait_for("the overview to hide", lambda: self.eval("Main.overview.visible") is False, 10)
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"):
            value = self.eval(f"imports.gi.GLib.getenv('{name}')")
            if value:
                self.env[name] = value
        check("DISPLAY" in self.env and "WAYLAND_DISPLAY" in self.env,
              f"the shell offers no display: {self.env.get('DISPLAY')!r}, "
              f"{self.env.get('WAYLAND_DISPLAY')!r}")
        self.eval("const s = Clutter.get_default_backend().get_default_seat();"
                  "global._kpPointer = s.create_virtual_device(Clutter.InputDeviceType."
                  "POINTER_DEVICE); global._kpKeys = s.create_virtual_device(Clutter."
                  "InputDeviceType.KEYBOARD_DEVICE); true")

    def call(self, method, *args):
        """A method of the shell's on the session bus, as nobody; the reply as dbus-send prints
        it literally."""
        interface, _, member = method.rpartition(".")
        path = "/" + interface.replace(".", "/")
        command = [*self.run_as, "dbus-send", "--session", "--print-reply=literal",
                   "--reply-timeout=10000", "--dest=org.gnome.Shell", path, method, *args]
        done = subprocess.run(command, env=self.env, capture_output=True, text=True, timeout=15)
        return done.stdout or done.stderr

    def eval(self, code):
        """The value of the last expression of `code`, which the shell sends as JSON."""
        reply = self.call("org.gnome.Shell.Eval", "string:" + JS_PRELUDE + code)
        ok, _, value = reply.strip().partition("\n")
        if ok != "boolean true":
            raise Failure(f"Eval failed: {reply.strip()[:500]}")
        value = value.strip()
        return json.loads(value) if value and value != "undefined" else None

    def answers(self, code):
        """Whether the shell runs and `code` is true there; false while it is not listening."""
        check(self.process.poll() is None, "GNOME Shell ended:\n" + self.session.log_tail("shell"))
        try:
            return self.eval(code) is True
        except Failure:
            return False

    def pointer(self, x, y, buttons=1):
        """Moves the pointer there and clicks `buttons` times (0: only moves)."""
        self.eval(f"""const t = () => imports.gi.GLib.get_monotonic_time();
            global._kpPointer.notify_absolute_motion(t(), {x}, {y});
            for (let i = 0; i < {buttons}; i++) {{
                global._kpPointer.notify_button(t(), Clutter.BUTTON_PRIMARY,
                    Clutter.ButtonState.PRESSED);
                global._kpPointer.notify_button(t(), Clutter.BUTTON_PRIMARY,
                    Clutter.ButtonState.RELEASED); }} true""")

    def click(self, rect):
        x, y, width, height = rect
        self.pointer(x + width // 2, y + height // 2)

    def key(self, keyval="Escape"):
        self.eval(f"""const t = () => imports.gi.GLib.get_monotonic_time();
            global._kpKeys.notify_keyval(t(), Clutter.KEY_{keyval}, Clutter.KeyState.PRESSED);
            global._kpKeys.notify_keyval(t(), Clutter.KEY_{keyval}, Clutter.KeyState.RELEASED);
            true""")

    def windows(self):
        """Every window the compositor shows: title, class, pid, frame rect, type, focus."""
        return self.eval("""global.get_window_actors().filter(a => a.visible).map(a => {
            const w = a.meta_window; const r = w.get_frame_rect();
            return { title: w.get_title(), wmClass: w.get_wm_class(), pid: w.get_pid(),
                     rect: [r.x, r.y, r.width, r.height], type: w.get_window_type(),
                     decorated: w.decorated, x11: w.get_client_type() === 1,
                     focused: w.has_focus(), above: w.is_above() }; })""")

    def top_bar(self):
        return self.eval("rectOf(Main.panel)")

    def work_area(self):
        return self.eval("""const r = Main.layoutManager.getWorkAreaForMonitor(
            Main.layoutManager.primaryIndex); [r.x, r.y, r.width, r.height]""")

    def clock(self):
        return self.eval("rectOf(Main.panel.statusArea.dateMenu)")

    def close_menus(self):
        self.eval("const m = Main.panel.menuManager.activeMenu; if (m) m.close(); true")

    def indicator_icons(self):
        """The AppIndicator extension's icons in the top bar: key, rect, menu items, menu open."""
        return self.eval("""Object.entries(Main.panel.statusArea)
            .filter(([k, a]) => k.startsWith('appindicator-') && a && a.visible && a.mapped)
            .map(([k, a]) => ({ key: k, rect: rectOf(a),
                 // Open and done fading in, so its items stay where they are.
                 menuOpen: a.menu ? a.menu.isOpen && a.menu.actor.opacity === 255 : false,
                 items: a.menu && a.menu._getMenuItems ? a.menu._getMenuItems()
                     .filter(i => i.label && i.visible).map(i => ({ label: i.label.text,
                         rect: rectOf(i) })) : [] }))""")

    def notifications(self):
        """Each notification the shell got: the source's title, its title and body."""
        return self.eval("""Main.messageTray.getSources().flatMap(s => s.notifications.map(
            n => ({ source: s.title, title: n.title, body: n.bannerBodyText })))""")

    def screenshot(self, rect, path):
        """The shell's own picture of that area, written as nobody, then copied to `path`."""
        x, y, width, height = rect
        shot = os.path.join(self.dir, "shot.png")
        self.call("org.gnome.Shell.Screenshot.ScreenshotArea", f"int32:{x}", f"int32:{y}",
                  f"int32:{width}", f"int32:{height}", "boolean:false", "string:" + shot)
        wait_for("the screenshot", lambda: os.path.getsize(shot) > 0, 10)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        shutil.copyfile(shot, path)
        os.remove(shot)
