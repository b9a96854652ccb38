#!/usr/bin/python3
"""CPU ticks of korvel-printer-e2e over 20 s with the panel closed and nothing changing, while it
watches the fake systemd manager's unit (XEmbed tray under Xvfb), and the calls the manager got
meanwhile. Prints the figures; checks nothing."""

import argparse
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                                "e2e"))
import e2e_tray as e2e  # noqa: E402


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    # utime and stime are fields 14 and 15; the split starts at field 3.
    return int(fields[11]) + int(fields[12])


def measure(args, session):
    e2e.start_display(session)
    e2e.start_xembed_tray(session)
    log_path = os.path.join(session.work, "daemon.log")
    # A daemon that writes no log lines: nothing changes.
    simulator = session.start("sim", ["/usr/bin/python3", args.sim, "--port", "0", "--log",
                                      log_path, "--log-interval", "0"])
    port = int(e2e.wait_for("the simulator", lambda: e2e.re.search(
        r"listening on 127\.0\.0\.1:(\d+)", session.log_tail("sim")), 10).group(1))
    bus, calls = e2e.start_service_manager(session, args.fake_systemd, simulator.pid)
    socket_path = os.path.join(session.work, "inspect.sock")
    pid = session.start("app", [
        args.app, "--daemon-base", f"http://127.0.0.1:{port}", "--system-bus", bus,
        "--session-bus", "unix:path=" + os.path.join(session.work, "no-bus"),
        "--log", log_path, "--inspect", socket_path], cwd=args.source_dir).pid
    e2e.wait_for("the tray icon", lambda: e2e.tray_icon(session, "xembed"), 15)
    e2e.wait_for("the inspection socket", e2e.App(session, socket_path).snapshot, 10)
    e2e.wait_for("the watch", lambda: "Subscribe" in calls(), 10)
    time.sleep(5)

    before, asked = cpu_ticks(pid), len(calls())
    time.sleep(20)
    print(f"CPU ticks over 20 s, closed, watching: {cpu_ticks(pid) - before:5d} "
          f"(clock ticks per second: {os.sysconf('SC_CLK_TCK')})")
    print(f"calls to the systemd manager meanwhile: {len(calls()) - asked:5d}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--app", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--fake-systemd", required=True)
    parser.add_argument("--source-dir", required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="korvel-watch-") as work:
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
