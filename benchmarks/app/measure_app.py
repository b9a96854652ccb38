#!/usr/bin/python3
"""Measures korvel-printer-e2e under Xvfb with a tray host and an idle simulator: memory at rest
and open, CPU ticks closed and open, click-to-painted time, and whether the browser engine is
mapped before the configuration window first opens. Prints the figures; checks nothing."""

import argparse
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                                "e2e"))
import e2e_tray as e2e  # noqa: E402


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


def engine_mapped(pid):
    with open(f"/proc/{pid}/maps") as maps:
        return "libQt6WebEngineCore" in maps.read()


def click_to_painted(session, app, centre):
    before = time.monotonic()
    e2e.click(session, *centre)

    def painted():
        snapshot = app.snapshot()
        painted_at = snapshot["popoverPaintedAtMs"] / 1000
        return painted_at if snapshot["popoverShown"] and painted_at > before else None

    return (e2e.wait_for("the panel to paint", painted, 5) - before) * 1000


def close(session, app, centre):
    e2e.click(session, *centre)
    e2e.wait_for("the popover to close", lambda: app.popover_state(False), 3)
    time.sleep(0.7)


def measure(args, session):
    work = session.work
    e2e.start_display(session)
    e2e.start_tray(session)
    log_path = os.path.join(work, "daemon.log")
    process = session.start("sim", ["/usr/bin/python3", args.sim, "--port", "0", "--log", log_path,
                                    "--log-interval", "0"])
    port = int(e2e.wait_for("the simulator", lambda: e2e.re.search(
        r"listening on 127\.0\.0\.1:(\d+)", session.log_tail("sim")), 10).group(1))
    bus, _ = e2e.start_service_manager(session, args.fake_systemd, process.pid)
    socket_path = os.path.join(work, "inspect.sock")
    app_process = session.start("app", [
        args.app, "--daemon-base", f"http://127.0.0.1:{port}", "--system-bus", bus,
        "--log", log_path, "--inspect", socket_path], cwd=args.source_dir)
    pid = app_process.pid
    app = e2e.App(session, socket_path)
    icon = e2e.wait_for("the tray icon", lambda: e2e.tray_icon(session), 15)
    e2e.wait_for("the inspection socket", app.snapshot, 10)
    centre = (icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)
    del process

    time.sleep(10)
    print(f"RSS closed, 10 s after start:       {rss_mb(pid):7.1f} MB")
    print(f"CPU ticks over 20 s closed:          {ticks_over(pid, 20):5d}")

    times = []
    for _ in range(args.opens):
        times.append(click_to_painted(session, app, centre))
        time.sleep(1)
        close(session, app, centre)
    print(f"click -> panel painted, first:       {times[0]:7.1f} ms")
    print(f"click -> panel painted, median/max of the next {len(times) - 1}: "
          f"{statistics.median(times[1:]):.1f} / {max(times[1:]):.1f} ms")

    e2e.click(session, *centre)
    e2e.wait_for("the popover to open", lambda: app.popover_state(True), 3)
    time.sleep(3)
    print(f"RSS with the panel open:             {rss_mb(pid):7.1f} MB")
    print(f"CPU ticks over 20 s open:            {ticks_over(pid, 20):5d}")
    print(f"web engine mapped before the config window: {engine_mapped(pid)}")

    button = app.widget(app.popover(), "openConfigButton")
    x, y, width, height = button["geometry"]
    e2e.click(session, x + width // 2, y + height // 2)
    e2e.wait_for("the config page", lambda: app.snapshot()["config"].get("title"), 30)
    time.sleep(2)
    print(f"web engine mapped after it opened:   {engine_mapped(pid)}")
    print(f"RSS with the config window open:     {rss_mb(pid):7.1f} MB (app process only)")
    print(f"clock ticks per second: {os.sysconf('SC_CLK_TCK')}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--app", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--fake-systemd", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--opens", type=int, default=6)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="korvel-measure-") as work:
        session = e2e.Session(work)
        try:
            measure(args, session)
            return 0
        except e2e.Failure as failure:
            print(f"FAIL: {failure}\n" + session.log_tail("app", 30))
            return 1
        finally:
            session.stop_all()


if __name__ == "__main__":
    sys.exit(main())
