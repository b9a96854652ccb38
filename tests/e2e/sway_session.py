"""sway on wlroots' headless backend with waybar's tray (its own StatusNotifier watcher and host)
on a private bus, all as nobody when run as root: sway refuses root."""

import json
import os
import pathlib
import subprocess

from harness import NOBODY, OTHER_WINDOW, Shell, wait_for, write_file
from wayland_input import VirtualInput

WIDTH, HEIGHT, BAR = 1280, 900, 30
BAR_COLOUR = b"\x20\x20\x20"
SWAY_CONFIG = f"""output HEADLESS-1 resolution {WIDTH}x{HEIGHT} position 0 0 bg #3a6ea5 solid_color
xwayland enable
focus_follows_mouse no
exec env > {{work}}/sway.env
"""
# The tray alone at the right end of a top bar of known height and colour.
WAYBAR_CONFIG = {"layer": "top", "position": "top", "height": BAR, "modules-right": ["tray"],
                 "tray": {"icon-size": 20, "spacing": 0}}
WAYBAR_STYLE = "window#waybar { background: #202020; }"


class Sway(Shell):
    """The desktop of the sway rows (see e2e_desktop.py for what each method answers)."""

    def __init__(self, session, shell, platform):
        self.session, self.work, self.run_as = session, session.work, []
        self.dir, self.system_bus, self.env = session.work, None, session.env
        if os.geteuid() == 0:
            self.run_as = NOBODY
            os.chown(self.work, 65534, 65534)
        session.env.update(HOME=self.work, WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                           WLR_LIBINPUT_NO_DEVICES="1")
        config = self.write("sway.conf", SWAY_CONFIG.format(work=self.work))
        self.start("sway", ["sway", "--config", config])
        # What sway hands its children: the Wayland and XWayland displays, its IPC socket.
        env = pathlib.Path(self.work, "sway.env")
        wait_for("sway to start", lambda: "SWAYSOCK=" in env.read_text(), 15)
        session.env.update(line.split("=", 1) for line in env.read_text().splitlines()
                           if line.split("=")[0] in ("WAYLAND_DISPLAY", "DISPLAY", "SWAYSOCK"))
        self.input = VirtualInput(os.path.join(self.work, session.env["WAYLAND_DISPLAY"]))
        bus = session.env["DBUS_SESSION_BUS_ADDRESS"] = session.start_bus(self.run_as)
        self.seen = session.watch_notifications(bus, self.run_as)
        # Another window to click on, tiled over the workspace.
        self.start("other", OTHER_WINDOW)
        wait_for("the other window", lambda: any(w.get("app_id") == "foot"
                                                 for w in self.windows()), 10)
        self.start("waybar", ["waybar", "--config", self.write("waybar.json", json.dumps(
            WAYBAR_CONFIG)), "--style", self.write("waybar.css", WAYBAR_STYLE)])

    def write(self, name, text):
        path = os.path.join(self.work, name)
        write_file(path, text)
        return path

    def start(self, name, args):
        return self.session.start(name, [*self.run_as, *args])

    def windows(self, node=None):
        """Every window of the tree, XWayland's managed ones included."""
        node = node or json.loads(self.session.x11("swaymsg", "--raw", "-t", "get_tree"))
        children = node.get("nodes", []) + node.get("floating_nodes", [])
        return [node] * bool(node.get("pid")) + [w for c in children for w in self.windows(c)]

    def icon(self):
        """Where pixels other than the bar's colour are at its right end: the only icon."""
        span = 4 * BAR
        pixels = subprocess.run(["grim", "-t", "ppm", "-g", f"{WIDTH - span},0 {span}x{BAR}", "-"],
                                env=self.session.env, check=True,
                                capture_output=True).stdout.split(b"\n", 3)[3]
        drawn = [i // 3 for i in range(0, len(pixels), 3) if pixels[i:i + 3] != BAR_COLOUR]
        xs, ys = [i % span for i in drawn], [i // span for i in drawn]
        # Anything wider is not the bar yet.
        if not drawn or max(xs) - min(xs) >= BAR:
            return None
        return (WIDTH - span + min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)

    def click(self, x, y):
        self.input.click(x, y, (WIDTH, HEIGHT))

    def click_icon(self, icon):
        self.click(icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)

    def key(self, name):
        self.input.key(name)

    def panel(self, app, pid):
        """sway centres every window it manages (X11's too); only an X11 popup places itself."""
        for window in self.windows():
            if window["pid"] == pid and window["name"] == "Korvel Printer":
                outer, inner = window["rect"], window["window_rect"]
                return (outer["x"] + inner["x"], outer["y"] + inner["y"], inner["width"],
                        inner["height"]), False
        popover = app.popover()
        return popover and (tuple(popover["geometry"]), True)

    def work_area(self):
        return 0, BAR, WIDTH, HEIGHT - BAR

    def elsewhere(self):
        return [("a click on another window", lambda: self.click(200, 500))]

    def screenshot(self, path, *rects):
        self.session.x11("grim", path)
