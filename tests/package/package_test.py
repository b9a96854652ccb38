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
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import check, main, wait_for  # noqa: E402

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


def blue_share(pixels):
    """Share of the pixels in the icon's blue: the "KP" fallback is grey text."""
    blue = sum(1 for i in range(0, len(pixels), 3)
               if pixels[i + 2] > pixels[i] + 60 and pixels[i + 2] > pixels[i + 1] + 60)
    return blue / max(1, len(pixels) // 3)


def daemon_answers():
    try:
        socket.create_connection(("127.0.0.1", 9020), 1).close()
        return True
    except OSError:
        return False


def run_installed_app(args, session, work):
    session.start_display()
    session.start_xembed_tray()
    if daemon_answers():
        print("something already answers on 127.0.0.1:9020; the app uses it")
    else:
        session.start_simulator(args.sim, 9020, "--log", os.path.join(work, "daemon.log"))
    session.start("app", ["/usr/bin/korvel-printer"], cwd="/")
    icon = wait_for("the tray icon", lambda: session.tray_icon("korvel-printer"), 15)
    time.sleep(1)  # the first paint
    share = blue_share(session.pixels(icon))
    print(f"tray icon at {icon}: {share:.0%} icon blue")
    check(share > 0.2, "the tray shows the fallback text, not the icon")
    panel = lambda: any(w[1:] == (520, 720) for w in session.shown_windows("Korvel Printer"))
    check(not panel(), "the panel is open before the click")
    session.click(icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)
    wait_for("the 520 × 720 panel \"Korvel Printer\"", panel, 10)
    session.screenshot(args.out, "installed-panel.png")


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


def build_install_run(args, session):
    work = session.work
    deb = build_package(args.source_dir, args.build_dir)
    print(f"built {deb}")
    check_contents(deb, os.path.join(work, "root"))
    if os.geteuid() != 0:
        print("SKIP: installing needs root; the package was built and checked only")
        return SKIP
    status = subprocess.run(["dpkg-query", "-W", "-f", "${db:Status-Abbrev}", "korvel-printer"],
                            capture_output=True, text=True).stdout
    if status.startswith("i"):
        print("SKIP: korvel-printer is installed here already; it is left alone")
        return SKIP
    install_run_remove(args, deb, session, work)
    print("the package installs, runs from / with its icon, and purges cleanly")


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--out", required=True)
    sys.exit(main(parser, build_install_run))
