#!/usr/bin/python3
"""Measures korvel-printer-e2e under one Xvfb with a tray host and an idle simulator, beside
Syncthing Tray (Debian's syncthingtray, installed on demand when run as root) and a bare Qt tray
program: memory at rest, memory after the configuration window was opened and closed, CPU ticks
closed and open, click-to-painted times, and whether Mesa or the browser engine was ever mapped
into the app. Prints the figures; checks nothing."""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                                "e2e"))
import e2e_tray as e2e  # noqa: E402
from harness import App, Failure, Session, lines_of, wait_for  # noqa: E402

SETTLE = 10


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return float("nan")


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    # utime and stime are fields 14 and 15; the split starts at field 3.
    return int(fields[11]) + int(fields[12])


def ticks_over(pid, seconds):
    start = cpu_ticks(pid)
    time.sleep(seconds)
    return cpu_ticks(pid) - start


def syncthing_tray():
    """The syncthingtray program, installed from Debian first when missing and we may."""
    if not shutil.which("syncthingtray") and os.geteuid() == 0:
        print("installing syncthingtray from Debian ...", flush=True)
        subprocess.run(["apt-get", "install", "-y", "-q", "syncthingtray"],
                       env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"),
                       stdout=subprocess.DEVNULL, check=False)
    return shutil.which("syncthingtray")


class Korvel:
    """One run of the app, with its inspection socket."""

    def __init__(self, args, session, station, name):
        # The station's command line with an inspection socket of this run's own.
        socket_path = os.path.join(session.work, name + ".sock")
        self.process = session.start(name, [*station.command[:-2], "--inspect", socket_path],
                                     cwd=args.source_dir)
        self.session = session
        self.app = App(socket_path)
        wait_for("the tray icon", lambda: session.tray_icon("korvel-printer-e2e"), 15)
        wait_for("the inspection socket", self.app.ask, 10)
        self.heavy = set()

    def icon_centre(self):
        # Looked up each time: the tray moves the icon when its neighbours come and go.
        x, y, width, height = self.session.tray_icon("korvel-printer-e2e")
        return x + width // 2, y + height // 2

    def note_libraries(self):
        self.heavy.update(e2e.heavy_libraries(self.process.pid))

    def click_to_painted(self):
        centre = self.icon_centre()
        before = time.monotonic()
        self.session.click(*centre)

        def painted():
            snapshot = self.app.ask()
            painted_at = snapshot["popoverPaintedAtMs"] / 1000
            return painted_at if snapshot["popoverShown"] and painted_at > before else None

        return (wait_for("the panel to paint", painted, 5) - before) * 1000

    def close_panel(self):
        self.session.click(*self.icon_centre())
        wait_for("the popover to close", lambda: self.app.popover_state(False), 3)
        time.sleep(0.7)

    def open_and_close_config(self):
        button = self.app.widget(self.app.popover(), "openConfigButton")
        x, y, width, height = button["geometry"]
        self.session.click(x + width - 8, y + height // 2)
        windows = wait_for("the configuration window",
                               lambda: e2e.config_windows(self.session), 30)
        wait_for("the page", lambda: e2e.page_requests(self.session) >= 1, 30)
        time.sleep(2)
        self.note_libraries()
        e2e.close_window(self.session, windows[0][0])
        wait_for("the helper to end", lambda: not self.app.ask()["configHelperPid"], 10)


def measure(args, session):
    work = session.work
    session.start_display()
    session.start_xembed_tray()
    station = session.start_station(args)
    manager_calls = station.log + ".calls"

    # The three tray programs side by side, each measured 10 s after its start.
    bare = session.start("bare", [args.bare])
    syncthing_path = syncthing_tray()
    syncthing = None
    if syncthing_path:
        home = os.path.join(work, "home")
        os.makedirs(home)
        syncthing = session.start("syncthingtray", [syncthing_path], env=dict(
            session.env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config")))
    korvel = Korvel(args, session, station, "app-0")
    time.sleep(SETTLE)
    ours = rss_mb(korvel.process.pid)
    bare_rss = rss_mb(bare.pid)
    peer = rss_mb(syncthing.pid) if syncthing and syncthing.poll() is None else None
    korvel.note_libraries()
    print(f"RSS closed, {SETTLE} s after start:")
    print(f"  Korvel Printer                   {ours:7.1f} MB")
    if peer:
        print(f"  Syncthing Tray                   {peer:7.1f} MB")
        print(f"  ratio to Syncthing Tray          {ours / peer:7.2f}   (target <= 0.3)")
    else:
        print("  Syncthing Tray                   not available (run as root to install it)")
    print(f"  bare Qt tray + popup             {bare_rss:7.1f} MB")
    print(f"  ratio to the bare Qt tray        {ours / bare_rss:7.2f}   (target <= 1.5)")
    for process in (bare, syncthing):
        if process:
            session.stop(process)

    # Closed, the icon still follows the service through systemd's signals, never by asking.
    asked = len(lines_of(manager_calls))
    print(f"CPU ticks over 20 s closed:        {ticks_over(korvel.process.pid, 20):5d}   "
          "(target 0)")
    print(f"calls to the systemd manager meanwhile: {len(lines_of(manager_calls)) - asked:d}")
    first = [korvel.click_to_painted()]
    korvel.note_libraries()
    time.sleep(1)
    korvel.close_panel()
    later = []
    for _ in range(args.opens):
        later.append(korvel.click_to_painted())
        time.sleep(1)
        korvel.close_panel()

    korvel.click_to_painted()
    time.sleep(3)
    print(f"RSS with the panel open:           {rss_mb(korvel.process.pid):7.1f} MB")
    print(f"CPU ticks over 20 s open:          {ticks_over(korvel.process.pid, 20):5d}")
    korvel.open_and_close_config()
    time.sleep(SETTLE)
    after = rss_mb(korvel.process.pid)
    korvel.note_libraries()
    print(f"RSS {SETTLE} s after the configuration window was opened and closed: "
          f"{after:.1f} MB ({after - ours:+.1f} MB; target within 5 MB of closed)")
    session.stop(korvel.process)

    # The first open again on fresh starts.
    for run in range(1, args.fresh):
        korvel = Korvel(args, session, station, f"app-{run}")
        time.sleep(2)
        first.append(korvel.click_to_painted())
        korvel.note_libraries()
        session.stop(korvel.process)
    print(f"click -> panel painted, first open (median of {len(first)} fresh starts): "
          f"{statistics.median(first):.1f} ms (target <= 50; each: "
          f"{', '.join(f'{t:.0f}' for t in first)})")
    print(f"click -> panel painted, later opens (median / max of {len(later)}): "
          f"{statistics.median(later):.1f} / {max(later):.1f} ms")
    print(f"Mesa or browser engine ever mapped in the app: {sorted(korvel.heavy) or 'no'}")
    print(f"clock ticks per second: {os.sysconf('SC_CLK_TCK')}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--app", required=True)
    parser.add_argument("--bare", required=True, help="the bare Qt tray program")
    parser.add_argument("--sim", required=True)
    parser.add_argument("--fake-systemd", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--opens", type=int, default=5, help="later opens to time")
    parser.add_argument("--fresh", type=int, default=5, help="fresh starts for the first open")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="korvel-measure-") as work:
        session = Session(work)
        try:
            measure(args, session)
            return 0
        except Failure as failure:
            print(f"FAIL: {failure}\n" + session.log_tail("app-0", 30))
            return 1
        finally:
            session.stop_all()


if __name__ == "__main__":
    sys.exit(main())
