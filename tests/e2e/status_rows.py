#!/usr/bin/python3
"""`--status`, `--json` and `--prometheus` of the end-to-end build against the simulator and the
fake systemd manager, with no display at all: one row per state of the station, each in the
three forms, each answering within the 5 s bound. promtool checks the metrics where installed."""

import json
import os
import re
import shutil
import subprocess
import sys
import time
from datetime import datetime, timedelta

from harness import app_parser, check, daemon_get, main, passed, write_file

BOUND = 5.0
NO_GUI = ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")
FORMS = (["--status"], ["--json"], ["--status", "--prometheus"])


def stamp(ago):
    return (datetime.now() - ago).strftime("%Y-%m-%d %H:%M:%S.000")


def run(args, session):
    env = {key: value for key, value in session.env.items() if key not in NO_GUI}
    _, port = session.start_simulator(args.sim)
    base = f"http://127.0.0.1:{port}"
    bus = session.start_bus()
    record = os.path.join(session.work, "systemd-calls")
    manager = session.start_fake_systemd(args.fake_systemd, bus, record)
    log = os.path.join(session.work, "KorvelPrinter.log")
    write_file(log, f"{stamp(timedelta(hours=2))} [ERROR] PRINT_IOKIT_FAIL job=KV-1 paper out\n"
               f"{stamp(timedelta(hours=1))} [INFO] Health check OK\n")

    def korvel(*flags, daemon=base):
        started = time.monotonic()
        done = subprocess.run(
            [args.app, *flags, "--daemon-base", daemon, "--system-bus", bus, "--session-bus",
             "unix:path=" + os.path.join(session.work, "no-bus"), "--log", log],
            env=env, capture_output=True, text=True, timeout=15)
        return done, time.monotonic() - started

    def scenario(name):
        return lambda: daemon_get(port, f"/__sim/scenario?name={name}")

    def fresh_error():
        nonlocal manager
        manager = session.start_fake_systemd(args.fake_systemd, bus, record)
        with open(log, "a") as out:
            out.write(f"{stamp(timedelta(seconds=30))} [ERROR] PRINT_ERROR job=KV-2 cover open\n")

    daemon_down = "http://127.0.0.1:1"  # nothing listens there
    # name, what breaks, the daemon's address, exit status, expected text lines (regex),
    # expected metrics (None: no sample).
    rows = [
        ("all well", lambda: None, base, 0,
         [r"service: Running \(pid 412\)", "health: OK", "printers: 6", "slots: 4 of 4 set",
          r"log: last error 2h ago: .* PRINT_IOKIT_FAIL job=KV-1 paper out", "status: OK"],
         {"service_running": 1, "health_ok": 1, "printers": 6, "slots_set": 4}),
        ("health answers 500", scenario("health-500"), base, 2,
         ["health: not reachable", "printers: 6", "status: CRITICAL"],
         {"health_ok": 0, "printers": 6}),
        ("daemon answers after 5 s", scenario("slow&delay=5"), base, 2,
         ["health: not reachable", "printers: error: The request timed out.",
          "slots: error: The request timed out."], {"health_ok": 0, "printers": None}),
        ("daemon down", scenario("normal"), daemon_down, 2,
         [r"service: Running \(pid 412\)", "health: not reachable", "printers: error: .+"],
         {"service_running": 1, "health_ok": 0, "printers": None}),
        ("service manager absent", lambda: session.stop(manager), base, 3,
         ["service: Unknown: .+", "printers: 6", "status: UNKNOWN"], {"service_running": 0}),
        ("an error 30 s ago", fresh_error, base, 1,
         [r"log: last error 30s ago: .* PRINT_ERROR job=KV-2 cover open", "status: WARNING"],
         {"last_error_age_seconds": 30}),
    ]
    promtool = shutil.which("promtool")

    def checked(breaks, daemon, code, lines, metrics):
        breaks()
        runs = [korvel(*flags, daemon=daemon) for flags in FORMS]
        slowest = max(took for _, took in runs)
        check(slowest < BOUND, f"answered after {slowest:.1f} s")
        for done, _ in runs:
            check(done.returncode == code,
                  f"exit status {done.returncode}, not {code}: {done.stdout}{done.stderr}")
        (text, _), (js, _), (prom, _) = runs
        shown = text.stdout.splitlines()
        for pattern in lines:
            check(any(re.fullmatch(pattern, line) for line in shown),
                  f"no line {pattern!r} in:\n{text.stdout}")
        report = json.loads(js.stdout)
        check(report["exit_code"] == code and report["log"]["path"] == log
              and f"service: {report['service']['text']}" in shown, f"JSON {js.stdout}")
        samples = dict(line.rsplit(" ", 1) for line in prom.stdout.splitlines()
                       if not line.startswith("#"))
        check(samples["korvel_printer_check_status"] == str(code), prom.stdout)
        for metric, value in metrics.items():
            sample = samples.get("korvel_printer_" + metric)
            near = value is None or sample and abs(float(sample) - value) <= 3
            check(sample is None if value is None else near, f"{metric} {sample}, not {value}")
        if promtool:
            linted = subprocess.run([promtool, "check", "metrics"], input=prom.stdout,
                                    capture_output=True, text=True)
            check(linted.returncode == 0, "promtool: " + linted.stdout + linted.stderr)
        return f"exit {code}, slowest of three {slowest:.2f} s"

    failed = sum(not passed(name, lambda: checked(*row)) for name, *row in rows)
    wrong, _ = korvel("--statuss")
    check(wrong.returncode == 2 and not wrong.stdout and "Usage:" in wrong.stderr, wrong.stderr)
    print(f"{failed} failed{'' if promtool else '; promtool not installed, metrics not linted'}")
    return 1 if failed else 0


if __name__ == "__main__":
    parser = app_parser(__doc__)
    sys.exit(main(parser, run))
