#!/usr/bin/python3
"""Builds the Debian package with scripts/package, checks its files and lintian, installs it with
apt, starts /usr/bin/korvel-printer from / under Xvfb with trayer against the simulator, checks
that the tray shows the real icon and that a click opens the panel, then purges the package.

The installed package set is the same afterwards. Without root, or with the package already
installed, the steps that change the machine are skipped (exit status 77)."""

import argparse
import os
import re
import socket
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from e2e_tray import Failure, Session, check, click, screenshot, start_display, \
    start_xembed_tray, wait_for, x11  # noqa: E402

# Everything the package installs; directories left out.
EXPECTED_FILES = {
    "/etc/xdg/autostart/korvel-printer.desktop",
    "/usr/bin/korvel-printer",
    "/usr/libexec/korvel-printer/korvel-printer-config",
    "/usr/share/applications/korvel-printer.desktop",
    "/usr/share/doc/korvel-printer/changelog.gz",
    "/usr/share/doc/korvel-printer/copyright",
    "/usr/share/icons/hicolor/256x256/apps/korvel-printer.png",
    "/usr/share/icons/hicolor/512x512/apps/korvel-printer.png",
    "/usr/share/korvel-printer/AppIcon.icns",
    "/usr/share/man/man1/korvel-printer.1.gz",
}
SKIP = 77
APT_ENV = dict(os.environ, DEBIAN_FRONTEND="noninteractive")


def run(*args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs).stdout


def build_package(source_dir, build_dir):
    result = subprocess.run([os.path.join(source_dir, "scripts", "package")], capture_output=True,
                            text=True, env=dict(os.environ, KORVEL_BUILD=build_dir))
    check(result.returncode == 0, "scripts/package failed:\n" + result.stdout + result.stderr)
    return result.stdout.split()[-1]


def check_contents(deb, work):
    listing = run("dpkg-deb", "--contents", deb)
    files = {line.split()[-1].lstrip(".") for line in listing.splitlines() if line[0] in "-l"}
    check(files == EXPECTED_FILES, f"the package's files differ: extra {files - EXPECTED_FILES},"
          f" missing {EXPECTED_FILES - files}")
    control = run("dpkg-deb", "--field", deb)
    for field in ("Version", "Maintainer", "Description", "Section", "Depends"):
        check(re.search(rf"^{field}: \S", control, re.M), f"no {field} in the control file")
    check("xdg-utils" in control and "libqt6widgets6" in control,
          f"the dependencies lack xdg-utils or the Qt libraries:\n{control}")
    run("dpkg-deb", "--extract", deb, work)
    with open(os.path.join(work, "etc/xdg/autostart/korvel-printer.desktop")) as entry:
        check(re.search(r"^Exec=(/usr/bin/)?korvel-printer$", entry.read(), re.M),
              "the autostart entry does not start /usr/bin/korvel-printer")
    lintian = subprocess.run(["lintian", "--fail-on", "error", deb], capture_output=True, text=True)
    print("lintian:\n" + (lintian.stdout or "(nothing)\n"), end="")
    check(lintian.returncode == 0, "lintian reports errors")


def installed_packages():
    return set(run("dpkg-query", "-W", "-f", "${db:Status-Abbrev} ${Package}\n").splitlines())


def icon_window(session):
    """Id and global rectangle of the app's icon window inside the tray host."""
    for line in x11(session, "xwininfo", "-root", "-tree").splitlines():
        match = re.search(r'(0x[0-9a-f]+) .*\("korvel-printer" .*?(\d+)x(\d+)\+-?\d+\+-?\d+'
                          r'\s+\+(-?\d+)\+(-?\d+)\s*$', line)
        width, height, x, y = map(int, match.groups()[1:]) if match else (0, 0, 0, 0)
        if 1 < width <= 64 and 1 < height <= 64:
            return match.group(1), x, y, width, height
    return None


def blue_share(session, window):
    """Share of the window's pixels in the icon's blue: the "KP" fallback is grey text."""
    ppm = subprocess.run(["import", "-window", window, "-depth", "8", "ppm:-"], env=session.env,
                         check=True, capture_output=True).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
    pixels = ppm[header.end():]
    blue = sum(1 for i in range(0, len(pixels), 3)
               if pixels[i + 2] > pixels[i] + 60 and pixels[i + 2] > pixels[i + 1] + 60)
    return blue / max(1, len(pixels) // 3)


def panel_shown(session):
    for line in x11(session, "xwininfo", "-root", "-tree").splitlines():
        match = re.search(r'(0x[0-9a-f]+) "Korvel Printer": .* 520x720\+', line)
        if match and "IsViewable" in x11(session, "xwininfo", "-id", match.group(1)):
            return True
    return False


def daemon_answers():
    try:
        socket.create_connection(("127.0.0.1", 9020), 1).close()
        return True
    except OSError:
        return False


def run_installed_app(args, session, work):
    start_display(session)
    start_xembed_tray(session)
    if daemon_answers():
        print("something already answers on 127.0.0.1:9020; the app uses it")
    else:
        session.start("sim", ["/usr/bin/python3", args.sim, "--port", "9020", "--log",
                              os.path.join(work, "daemon.log")])
        wait_for("the simulator on port 9020", daemon_answers, 10)
    session.start("app", ["/usr/bin/korvel-printer"], cwd="/")
    window, x, y, width, height = wait_for("the tray icon", lambda: icon_window(session), 15)
    time.sleep(1)  # the first paint
    share = blue_share(session, window)
    print(f"tray icon {window} at {x},{y} {width}x{height}: {share:.0%} icon blue")
    check(share > 0.2, "the tray shows the fallback text, not the icon")
    check(not panel_shown(session), "the panel is open before the click")
    click(session, x + width // 2, y + height // 2)
    wait_for("the 520 × 720 panel \"Korvel Printer\"", lambda: panel_shown(session), 10)
    screenshot(session, args.out, "installed-panel.png")


def install_run_remove(args, deb, session, work):
    before = installed_packages()
    try:
        subprocess.run(["apt-get", "install", "-y", "-q", os.path.abspath(deb)], env=APT_ENV,
                       check=True, capture_output=True)
        run_installed_app(args, session, work)
    finally:
        session.stop_all()
        subprocess.run(["apt-get", "remove", "--purge", "-y", "-q", "korvel-printer"],
                       env=APT_ENV, capture_output=True)
        pulled = {line.split()[-1] for line in installed_packages() - before}
        if pulled:
            subprocess.run(["apt-get", "remove", "--purge", "-y", "-q", *pulled], env=APT_ENV,
                           capture_output=True)
    check(installed_packages() == before, "the package set differs after the purge")
    left = [path for path in EXPECTED_FILES if os.path.lexists(path)]
    check(not left, f"left behind: {left}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="korvel-package-") as work:
        session = Session(work)
        try:
            deb = build_package(args.source_dir, args.build_dir)
            print(f"built {deb}")
            check_contents(deb, os.path.join(work, "root"))
            if os.geteuid() != 0:
                print("SKIP: installing needs root; the package was built and checked only")
                return SKIP
            status = subprocess.run(["dpkg-query", "-W", "-f", "${db:Status-Abbrev}",
                                     "korvel-printer"], capture_output=True, text=True).stdout
            if status.startswith("i"):
                print("SKIP: korvel-printer is installed here already; it is left alone")
                return SKIP
            install_run_remove(args, deb, session, work)
            print("the package installs, runs from / with its icon, and purges cleanly")
            return 0
        except (Failure, subprocess.CalledProcessError) as failure:
            detail = getattr(failure, "stderr", None) or ""
            print(f"FAIL: {failure}\n{detail}")
            screenshot(session, args.out, "failure.png")
            print("--- app log ---\n" + session.log_tail("app", 40))
            return 1
        finally:
            session.stop_all()


if __name__ == "__main__":
    sys.exit(main())
