"""A KDE Plasma 5.27 session for the end-to-end rows: KWin and plasmashell on a private session
bus, with a home of their own; plasmashell's tray is found and read from the screen's pixels."""

import os
import re
import subprocess
import time

from harness import check, wait_for, window_rect

# Started on demand by plasmashell and KWin; nothing else of the desktop is activatable here.
ACTIVATABLE = ("org.kde.ActivityManager", "org.kde.kglobalaccel", "org.kde.kded5")
# The fill of the app's "KP" badge (TitleBadge.cpp): no Breeze colour is this close to it.
BADGE_FILL = (0x1C, 0x1F, 0x24)


def prepare_home(session):
    """A fresh home and KDE's session variables, so no user's configuration is read or changed."""
    home = os.path.join(session.work, "home")
    folders = {"XDG_CONFIG_HOME": ".config", "XDG_CACHE_HOME": ".cache",
               "XDG_DATA_HOME": ".local/share"}
    for variable, folder in folders.items():
        os.makedirs(os.path.join(home, folder))
        session.env[variable] = os.path.join(home, folder)
    session.env.update(HOME=home, XDG_CURRENT_DESKTOP="KDE", KDE_FULL_SESSION="true",
                       KDE_SESSION_VERSION="5", DESKTOP_SESSION="plasma")
    services = os.path.join(session.work, "bus-services")
    os.makedirs(services)
    for name in ACTIVATABLE:
        os.symlink(f"/usr/share/dbus-1/services/{name}.service",
                   os.path.join(services, name + ".service"))


def bus_call(session, destination, path, method, *args):
    return session.x11("dbus-send", "--session", "--print-reply", "--dest=" + destination,
                       path, method, *args)


def bus_has(session, name):
    return "boolean true" in bus_call(session, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                      "org.freedesktop.DBus.NameHasOwner", "string:" + name)


def start_kwin_x11(session):
    session.start("kwin", ["kwin_x11", "--replace"])
    wait_for("KWin to manage the screen", lambda: "window id" in session.x11(
        "xprop", "-root", "_NET_SUPPORTING_WM_CHECK"), 20)


def start_plasmashell(session):
    """plasmashell once its bottom panel holds the tray and the work area leaves it out."""
    session.start("plasmashell", ["plasmashell", "--no-respawn"])
    def placed():
        panel, area = panel_rect(session), work_area(session)
        return panel if panel and area[1] + area[3] <= panel[1] else None

    panel = wait_for("plasmashell's panel, out of the work area", placed, 40)
    wait_for("the StatusNotifierWatcher", lambda: bus_has(
        session, "org.kde.StatusNotifierWatcher"), 20)
    return panel


def panel_rect(session):
    """The panel: plasmashell's widest window titled "Plasma" (its other ones are small)."""
    rects = [window_rect(line) for line in session.x11("xwininfo", "-root", "-tree").splitlines()
             if '"Plasma": ("plasmashell"' in line and window_rect(line)]
    return max(rects, key=lambda rect: rect[2], default=None)


def work_area(session):
    """x, y, width, height of the area windows may take, as the window manager publishes it."""
    values = session.x11("xprop", "-root", "_NET_WORKAREA").split("=")[-1]
    return tuple(int(value) for value in values.split(",")[:4])


def find_badge(session, area):
    """The bounding box of the badge's fill within area, once it is drawn there."""
    x, y, width, _ = area
    pixels = session.pixels(area)
    hits = [(i // 3 % width, i // 3 // width) for i in range(0, len(pixels), 3)
            if all(abs(pixels[i + c] - BADGE_FILL[c]) <= 3 for c in range(3))]
    if len(hits) < 30:
        return None
    xs, ys = [hit[0] for hit in hits], [hit[1] for hit in hits]
    return x + min(xs), y + min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def plasma_popups(session, known):
    """Mapped plasmashell windows other than `known` ones: its menus and dialogs."""
    found = []
    for line in session.x11("xwininfo", "-root", "-tree").splitlines():
        if '("plasmashell"' in line and window_rect(line) and line.split()[0] not in known:
            if "IsViewable" in session.x11("xwininfo", "-id", line.split()[0]):
                found.append((line.split()[0], window_rect(line)))
    return found


def frame_extents(session, window):
    """left, right, top, bottom of the window manager's frame around a window, or None."""
    text = session.x11("xprop", "-id", str(window), "_NET_FRAME_EXTENTS")
    numbers = re.findall(r"\d+", text.split("=")[-1]) if "=" in text else []
    return tuple(map(int, numbers)) if len(numbers) == 4 else None


def item_menu_labels(session):
    """The labels of the first registered StatusNotifierItem's exported menu, top level."""
    registered = bus_call(session, "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                          "org.freedesktop.DBus.Properties.Get",
                          "string:org.kde.StatusNotifierWatcher",
                          "string:RegisteredStatusNotifierItems")
    items = re.findall(r'string "([^"]+)"', registered)
    check(len(items) == 1, f"registered items: {items}")
    service, _, path = items[0].partition("/")
    menu = bus_call(session, service, "/" + path, "org.freedesktop.DBus.Properties.Get",
                    "string:org.kde.StatusNotifierItem", "string:Menu")
    menu_path = re.search(r"object path \"([^\"]+)\"", menu).group(1)
    layout = bus_call(session, service, menu_path, "com.canonical.dbusmenu.GetLayout",
                      "int32:0", "int32:1", "array:string:label,type")
    return re.findall(r'string "label"\s+variant\s+string "([^"]*)"', layout)


def screenshot(session, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["import", "-window", "root", path], env=session.env, check=True,
                   capture_output=True)


def settle(seconds=0.7):
    """Plasma animates its menus and panels; the next click waits until they stand still."""
    time.sleep(seconds)
