#!/usr/bin/python3
"""Fault rows: breaks what korvel-printer-e2e depends on, one fault at a time (the daemon through
the simulator, the log file, the fake systemd manager), and checks in each row that the app shows
the right text, that its event loop never stood still longer than STALL_LIMIT_MS, that its memory
peak grew by at most MEMORY_LIMIT_KIB, and that it recovers within one poll once the fault is gone.
As root the app, its bus and the manager run as nobody, so an unreadable log is unreadable to it."""

import argparse
import json
import os
import signal
import sys
import time
import urllib.request

from harness import App, Failure, main, wait_for

RUNNING = "Running (pid 412)"
MiB = 1024 * 1024
# A frozen loop, not a slow frame: far beyond any ordinary turn, well below the faults' own
# durations (a 5 s answer, a 2 s bus timeout), so a blocking call shows.
STALL_LIMIT_MS = 1500
MEMORY_LIMIT_KIB = 64 * 1024
# One poll of each model, plus slack for a loaded machine.
LOG_POLL = 1.0 + 1.5
SERVICE_POLL = 3.0 + 2.0 + 2.0


class Rows:
    def __init__(self, args, session):
        self.args, self.session = args, session
        self.run_as = []
        self.dir = os.path.join(session.work, "app")
        os.makedirs(os.path.join(self.dir, "runtime"))
        if os.geteuid() == 0:
            self.run_as = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"]
            os.chmod(session.work, 0o711)
            for path in (self.dir, os.path.join(self.dir, "runtime")):
                os.chown(path, 65534, 65534)
        os.chmod(os.path.join(self.dir, "runtime"), 0o700)
        self.log = os.path.join(self.dir, "KorvelPrinter.log")
        self.record = os.path.join(self.dir, "systemd-calls")
        self.sim = self.manager = None
        self.flags = ()
        self.port = 0
        self.app = App(os.path.join(self.dir, "inspect.sock"))
        self.failed = 0

    def start_simulator(self):
        self.sim, self.port = self.session.start_simulator(self.args.sim, self.port)

    def scenario(self, name, delay=None):
        query = f"name={name}" + (f"&delay={delay}" if delay is not None else "")
        urllib.request.urlopen(f"http://127.0.0.1:{self.port}/__sim/scenario?{query}",
                               timeout=5).read()

    def start_manager(self, *flags):
        if self.manager:
            self.session.stop(self.manager)
        self.flags = flags
        name = f"systemd-{len(self.session.processes)}"
        self.manager = self.session.start(name, self.run_as + [
            self.args.fake_systemd, "--address", self.bus, "--record", self.record, *flags])
        wait_for("the fake systemd manager", lambda: "ready" in self.session.log_tail(name), 10)

    def calls(self):
        with open(self.record) as lines:
            return lines.read().splitlines()

    def write_log(self, lines):
        with open(self.log + ".new", "w") as handle:
            handle.write("".join(line + "\n" for line in lines))
        os.replace(self.log + ".new", self.log)

    def ask(self, command="snapshot"):
        snapshot = self.app.ask(command)
        popover = self.app.popover(snapshot) or {"widgets": []}
        state = dict(snapshot["models"],
                     panel={w["objectName"]: w["text"] for w in popover["widgets"]})
        state.update({key: snapshot[key] for key in ("longestStallMs", "rssKiB", "peakRssKiB")})
        return state

    def until(self, what, predicate, timeout):
        """Polls snapshots until predicate holds; returns the seconds it took."""
        started = time.monotonic()
        while True:
            state = self.ask()
            if predicate(state):
                return time.monotonic() - started
            if time.monotonic() - started > timeout:
                state.pop("panel")
                raise Failure(f"not within {timeout:g} s: {what}\n  last: "
                              + json.dumps(state, ensure_ascii=False))
            time.sleep(0.05)

    def healthy(self, s):
        return (s["state"] == RUNNING and s["apiReachable"] and s["printers"] == self.printers
                and s["printersError"] is None and s["configError"] is None
                and s["paymentPrinter"] == self.payment and s["fileError"] is None
                and s["logLineCount"] > 0)

    def start(self):
        self.start_simulator()
        base = f"http://127.0.0.1:{self.port}"
        with urllib.request.urlopen(base + "/printers", timeout=5) as answer:
            self.printers = json.load(answer)["data"]
        with urllib.request.urlopen(base + "/config", timeout=5) as answer:
            self.payment = json.load(answer)["data"]["printers"]["payment"]["printer_name"]
        self.bus = self.session.start_bus(self.run_as)
        self.start_manager()
        self.write_log([f"2025-03-14 09:12:{i:02d} INFO Health check OK" for i in range(20)])
        self.session.start("app", self.run_as + [
            "env", "XDG_RUNTIME_DIR=" + os.path.join(self.dir, "runtime"), "HOME=" + self.dir,
            self.args.app, "--daemon-base", base, "--system-bus", self.bus,
            "--session-bus", "unix:path=" + os.path.join(self.dir, "no-bus"), "--log", self.log,
            "--inspect", self.app.socket_path])
        wait_for("the app's tray icon and popover", lambda: self.ask("open")["panel"], 15)
        self.until("the healthy start", self.healthy, 15)

    def mend(self):
        """Puts every dependency back as at the start and waits for the panel to show it."""
        if self.sim.poll() is not None:
            self.start_simulator()
        self.scenario("normal")
        if self.manager.poll() is not None or self.flags:
            self.start_manager()
        self.ask("refresh")
        return self.until("recovery", self.healthy, SERVICE_POLL)

    def row(self, name, run):
        self.ask("reset")
        base = self.ask()
        try:
            detail = run() or ""
            after = self.ask()
            stall, growth = after["longestStallMs"], after["peakRssKiB"] - base["rssKiB"]
            if stall > STALL_LIMIT_MS:
                raise Failure(f"the event loop stalled for {stall} ms")
            if growth > MEMORY_LIMIT_KIB:
                raise Failure(f"peak memory grew by {growth // 1024} MiB")
            print(f"PASS {name}: stall {stall} ms, peak RSS +{max(growth, 0) // 1024} MiB; "
                  f"{detail}", flush=True)
        except Failure as failure:
            self.failed += 1
            print(f"FAIL {name}: {failure}", flush=True)
            try:
                self.mend()
            except Failure:
                pass


def daemon_rows(r):
    timed_out = "The request timed out."

    def invalid(s):
        return (s["printersError"] == "Invalid response from /printers"
                and s["configError"] == "Invalid response from /config"
                and s["printers"] == [] and s["paymentPrinter"] == r.payment)

    def transport_error(s):
        return (s["printersError"] and s["configError"] and s["printers"] == []
                and s["paymentPrinter"] == r.payment
                and "Invalid response" not in s["printersError"]
                and s["panel"].get("printerError") == "Could not fetch printers: " + s["printersError"]
                and s["panel"].get("configError") == "Không đọc được cấu hình: " + s["configError"]
                and s["panel"].get("healthLabel") == "Health endpoint not reachable")

    def broken(scenario, what, predicate, timeout=SERVICE_POLL):
        def run():
            r.scenario(*scenario)
            r.ask("refresh")
            r.until(what, predicate, timeout)
            return f"recovered in {r.mend():.1f} s"
        return run

    def killed_mid_request():
        r.scenario("slow", 5)
        r.ask("refresh")
        time.sleep(0.5)
        r.session.stop(r.sim, signal.SIGKILL)
        r.until("a transport error on both requests", transport_error, SERVICE_POLL)
        return f"recovered in {r.mend():.1f} s"

    r.row("daemon killed mid-request", killed_mid_request)
    r.row("daemon answers after 5 s", broken(
        ("slow", 5), "both requests timing out", lambda s: s["printersError"] == timed_out
        and s["configError"] == timed_out and not s["apiReachable"]))
    r.row("daemon sends garbage", broken(("garbage",), "both answers invalid", invalid))
    r.row("daemon sends 50 MB bodies", broken(("huge",), "both answers invalid", invalid))
    r.row("daemon sends wrong JSON types", broken(
        ("wrong-types",), "an empty printer list without error, the config refused",
        lambda s: s["printersError"] is None and s["printers"] == [] and not s["printersLoading"]
        and s["configError"] == "Invalid response from /config"))
    r.row("daemon resets the connection", broken(
        ("reset",), "a transport error and the API unreachable", transport_error))


def log_rows(r):
    not_found = lambda s: (s["fileError"] == "Log file not found: " + r.log
                           and s["logLineCount"] == 0
                           and s["panel"].get("logError") == s["fileError"])

    def shows(last_line, lines=None):
        """Seconds until the panel shows last_line last, after writing lines first if given."""
        if lines:
            r.write_log(lines)
        return r.until(f"{last_line!r} last", lambda s: s["fileError"] is None
                       and s["logLastLine"] == last_line, LOG_POLL)

    def deleted():
        os.remove(r.log)
        r.until("the not-found text", not_found, LOG_POLL)
        return f"recovered in {shows('recreated 2', ['recreated 1', 'recreated 2']):.1f} s"

    def truncated():
        shows("before 499", [f"before {i}" for i in range(500)])
        with open(r.log, "r+b") as handle:  # the same file, cut in place
            handle.truncate(0)
            handle.write(b"after 1\nafter 2\nafter 3\n")
        r.until("only the new lines", lambda s: s["logLineCount"] == 3
                and s["logFirstLine"] == "after 1", LOG_POLL)

    def rotated():
        os.rename(r.log, r.log + ".1")
        r.write_log(["rotated 1", "rotated 2"])
        r.until("the new file's lines", lambda s: s["logLineCount"] == 2
                and s["logLastLine"] == "rotated 2", LOG_POLL)
        os.remove(r.log + ".1")

    def binary():
        shows("text 2", ["text 1", "text 2"])
        with open(r.log, "ab") as handle:
            handle.write(b"\x00\xff\xfe\x80\xc3( binary\n")
        r.until("the not-UTF-8 text with the old lines kept",
                lambda s: s["fileError"] == "Log file is not valid UTF-8"
                and s["logLineCount"] == 2 and s["panel"].get("logError") == s["fileError"],
                LOG_POLL)
        return f"recovered in {shows('clean 1', ['clean 1']):.1f} s"

    def sparse_gib():
        with open(r.log + ".new", "wb") as handle:
            handle.truncate(1024 * MiB)
            handle.seek(0, os.SEEK_END)
            handle.write("".join(f"sparse {i}\n" for i in range(1, 6)).encode())
        os.replace(r.log + ".new", r.log)
        # The window's first piece (zeros and "sparse 1") is dropped.
        r.until("the tail of the 1 GiB file", lambda s: s["logLineCount"] == 4
                and s["logFirstLine"] == "sparse 2" and s["logLastLine"] == "sparse 5", LOG_POLL)
        time.sleep(3)  # a few more reads of the same window

    def one_long_line():
        with open(r.log, "wb") as handle:
            handle.write(b"x" * (10 * MiB) + b"\n")
        r.until("no lines and no error (only a partial line in the window)",
                lambda s: s["fileError"] is None and s["logLineCount"] == 0
                and "logWaiting" in s["panel"], LOG_POLL)
        with open(r.log, "ab") as handle:
            handle.write(b"PRINT_SUCCESS " + b"y" * 50_000 + b"\n")
        r.until("the 50 KB line shown", lambda s: s["logLineCount"] == 1
                and s["logLongestLine"] == 50_014, LOG_POLL)

    def fifo_without_writer():
        # A path that blocks whoever opens it for reading, like a hung network mount.
        shows("before the pipe", ["before the pipe"])
        os.mkfifo(r.log + ".fifo", 0o644)
        os.replace(r.log + ".fifo", r.log)
        try:
            time.sleep(2.5)  # two reads of the tailer
            r.ask()
        finally:
            # Free a reader stuck in open(), then put a regular file in the pipe's place.
            try:
                writer = os.open(r.log, os.O_WRONLY | os.O_NONBLOCK)
            except OSError:
                writer = None
            r.write_log(["after the pipe"])
            if writer is not None:
                os.close(writer)
        return f"recovered in {shows('after the pipe'):.1f} s"

    def permission_denied():
        shows("readable", ["readable"])
        os.chmod(r.log, 0)
        r.until("the not-found text for an unreadable file", not_found, LOG_POLL)
        os.chmod(r.log, 0o644)
        return f"recovered in {shows('readable'):.1f} s"

    r.row("log deleted", deleted)
    r.row("log truncated while open", truncated)
    r.row("log rotated", rotated)
    r.row("log holds binary bytes", binary)
    r.row("log is 1 GiB (sparse)", sparse_gib)
    r.row("log is one 10 MB line", one_long_line)
    r.row("log path is a pipe without writer", fifo_without_writer)
    r.row("log permission denied", permission_denied)
    r.write_log([f"2025-03-14 09:13:{i:02d} INFO Health check OK" for i in range(20)])


def service_rows(r):
    def state(what, predicate, timeout=SERVICE_POLL):
        return r.until(what, lambda s: predicate(s["state"])
                       and s["panel"].get("serviceStateLabel") == s["state"], timeout)

    def broken(flags, expected):
        def run():
            if flags is None:
                r.session.stop(r.manager)
            else:
                r.start_manager(*flags)
            state(f"the state {expected}", expected if callable(expected)
                  else lambda text: text == expected)
            return f"recovered in {r.mend():.1f} s"
        return run

    def restart_with(flag):
        def run():
            r.start_manager(flag)
            before = len(r.calls())
            r.ask("restart")
            def rechecked(s):
                calls = r.calls()[before:]
                restart = next((i for i, call in enumerate(calls)
                                if call.startswith("RestartUnit")), len(calls))
                return s["state"] == RUNNING and any(
                    call.startswith("LoadUnit") for call in calls[restart + 1:])

            # The restart ends with a check of its own, well before the next 3 s tick.
            took = r.until("the check after the restart", rechecked, 2.5)
            r.start_manager()
            return f"re-checked in {took:.1f} s"
        return run

    unknown = lambda text: text.startswith("Unknown: ") and len(text) > 9
    r.row("no systemd manager on the bus", broken(None, unknown))
    r.row("systemd hangs", broken(["--hang"], "Unknown: systemd did not answer"))
    r.row("systemd gives a bad load state",
          broken(["--load-state", "b\u00e1d"], "Unknown: korvel-printer.service is b\u00e1d"))
    r.row("systemd gives wrong property types",
          broken(["--wrong-types"], "Unknown: korvel-printer.service is 7"))
    r.row("systemd fails every call", broken(["--fail"], "Unknown: Manager failed"))
    r.row("restart cancelled", restart_with("--deny-restart"))
    r.row("restart method missing", restart_with("--no-restart"))


def run(args, session):
    rows = Rows(args, session)
    started = time.monotonic()
    session.start_display()
    session.start_xembed_tray()
    rows.start()
    for group in (daemon_rows, log_rows, service_rows):
        group(rows)
    print(f"{rows.failed} failed; took {time.monotonic() - started:.0f} s")
    return 1 if rows.failed else 0


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--app", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--fake-systemd", required=True)
    sys.exit(main(parser, run))
