#!/usr/bin/python3
"""Builds the Debian package, lints it, installs it with apt, runs the installed app from / under
Xvfb and trayer, and purges it again. Not as root, or when installed already: exit 77 after lint."""

import argparse
import os
import socket
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import check, main, wait_for  # noqa: E402

SKIP = 77
APT_ENV = dict(os.environ, DEBIAN_FRONTEND="noninteractive")


def build_package(source_dir, build_dir):
    # A builder's strict umask must not ship a directory other users cannot enter.
    result = subprocess.run([os.path.join(source_dir, "scripts", "package")], capture_output=True,
                            text=True, env=dict(os.environ, KORVEL_BUILD=build_dir),
                            preexec_fn=lambda: os.umask(0o077))
    check(result.returncode == 0, "scripts/package failed:\n" + result.stdout + result.stderr)
    deb = result.stdout.split()[-1]
    listing = subprocess.run(["dpkg-deb", "-c", deb], check=True, capture_output=True,
                             text=True).stdout.splitlines()
    odd = [line for line in listing
           if line.split()[0] not in ("drwxr-xr-x", "-rw-r--r--", "-rwxr-xr-x")]
    check(listing and not odd, "the package holds other modes than 0755/0644:\n" + "\n".join(odd))
    return deb


def installed_packages():
    return set(subprocess.run(["dpkg-query", "-W", "-f", "${db:Status-Abbrev} ${Package}\n"],
                              check=True, capture_output=True, text=True).stdout.splitlines())


def blue_share(pixels):  # the icon is mostly blue; the "KP" fallback is grey text
    blue = sum(1 for i in range(0, len(pixels), 3)
               if pixels[i + 2] > pixels[i] + 60 and pixels[i + 2] > pixels[i + 1] + 60)
    return blue / max(1, len(pixels) // 3)


def run_installed_app(args, session):
    session.start_display()
    session.start_xembed_tray()
    try:  # scripts/run's simulator may be up already; the app is as happy with it
        socket.create_connection(("127.0.0.1", 9020), 1).close()
    except OSError:
        session.start_simulator(args.sim, 9020)
    session.start("app", ["/usr/bin/korvel-printer"], cwd="/")
    icon = wait_for("the tray icon", lambda: session.tray_icon("korvel-printer"), 15)
    wait_for("the icon painted, not the fallback text",
             lambda: blue_share(session.pixels(icon)) > 0.2, 10)
    session.click(icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)
    wait_for("the 520 × 720 panel \"Korvel Printer\"", lambda: any(
        w[1:] == (520, 720) for w in session.shown_windows("Korvel Printer")), 10)
    # As over SSH: no display at all, the shipped binary's check of the same daemon.
    env = {key: value for key, value in session.env.items() if key != "DISPLAY"}
    status = subprocess.run(["/usr/bin/korvel-printer", "--status"], capture_output=True,
                            text=True, env=env, timeout=10)
    check(status.returncode in (0, 1, 2, 3) and "health: OK" in status.stdout.splitlines(),
          f"--status without a display: {status.returncode} {status.stdout}{status.stderr}")


def build_install_run(args, session):
    deb = build_package(args.source_dir, args.build_dir)
    lintian = subprocess.run(["lintian", "--fail-on", "error", deb], capture_output=True, text=True)
    check(lintian.returncode == 0, "lintian reports errors:\n" + lintian.stdout)
    before = installed_packages()
    if os.geteuid() != 0 or any(line.startswith("i") and line.endswith(" korvel-printer")
                                for line in before):
        print("SKIP: not root, or korvel-printer is installed here already")
        return SKIP
    try:
        subprocess.run(["apt-get", "install", "-y", "-q", os.path.abspath(deb)], env=APT_ENV,
                       check=True, capture_output=True)
        run_installed_app(args, session)
    finally:
        session.stop_all()
        # The package and whatever it pulled in.
        pulled = {line.split()[-1] for line in installed_packages() - before}
        subprocess.run(["apt-get", "remove", "--purge", "-y", "-q", *pulled], env=APT_ENV,
                       capture_output=True)
    check(installed_packages() == before, "the package set differs after the purge")


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--sim", required=True)
    sys.exit(main(parser, build_install_run))
