#!/usr/bin/python3
"""Fault rows: breaks the daemon, the log or the systemd manager, one at a time, and checks that the
app shows the right text, never stalls nor grows past the limits below, and recovers within one
poll. As root the app runs as nobody, so an unreadable log is unreadable to it."""

import json
import os
import re
import signal
import socket
import sys
import time
import urllib.request

from harness import NOBODY, App, Failure, app_parser, check, lines_of, main, wait_for

RUNNING = "Running (pid 412)"
MiB = 1024 * 1024
# Below the faults' own durations (a 5 s answer, a 2 s bus timeout), so a blocking call shows.
STALL_LIMIT_MS = 1500
MEMORY_LIMIT_KIB = 64 * 1024
# An instrumented build runs slower, and its allocator's quarantine makes peaks meaningless.
SANITIZED = "ASAN_OPTIONS" in os.environ
SANITIZER_SLOWDOWN = 3 if SANITIZED else 1
# One poll of each model, plus slack for a loaded machine.
LOG_POLL = 1.0 + 1.5
SERVICE_POLL = 3.0 + 2.0 + 2.0


class Rows:
    def __init__(self, args, session):
        self.args, self.session = args, session
        self.run_as = []
        self.dir = os.path.join(session.work, "app")
        runtime = os.path.join(self.dir, "runtime")
        os.makedirs(runtime)
        if os.geteuid() == 0:
            self.run_as = NOBODY
            os.chmod(session.work, 0o711)
            for path in (self.dir, runtime):
                os.chown(path, 65534, 65534)
        os.chmod(runtime, 0o700)
        self.log = os.path.join(self.dir, "KorvelPrinter.log")
        self.record = os.path.join(self.dir, "systemd-calls")
        self.manager, self.flags, self.port, self.failed = None, (), 0, 0
        self.app = App(os.path.join(self.dir, "inspect.sock"))

    def start_simulator(self):
        self.sim, self.port = self.session.start_simulator(self.args.sim, self.port)

    def get(self, path):
        with urllib.request.urlopen(f"http://127.0.0.1:{self.port}{path}", timeout=5) as answer:
            return json.load(answer)

    def start_manager(self, *flags):
        if self.manager:
            self.session.stop(self.manager)
        self.flags = flags
        self.manager = self.session.start_fake_systemd(
            self.args.fake_systemd, self.bus, self.record, *flags, run_as=self.run_as)

    def calls(self):
        return lines_of(self.record)

    def write_log(self, lines):
        with open(self.log + ".new", "w") as handle:
            handle.write("".join(line + "\n" for line in lines))
        os.replace(self.log + ".new", self.log)

    def ask(self, command="snapshot"):
        snapshot = self.app.ask(command)
        popover = self.app.popover(snapshot) or {"widgets": []}
        state = dict(snapshot["models"],
                     panel={w["objectName"]: w["text"] for w in popover["widgets"]})
        state.update({key: snapshot[key] for key in ("longestStallMs", "peakRssKiB",
                                                     "trayMessages")})
        return state

    def until(self, what, predicate, timeout):
        started = time.monotonic()
        while True:
            state = self.ask()
            if predicate(state):
                return time.monotonic() - started
            if time.monotonic() - started > timeout:
                raise Failure(f"not within {timeout:g} s: {what}")
            time.sleep(0.05)

    def healthy(self, s):
        return (s["state"] == RUNNING and s["apiReachable"] and s["printers"] == self.printers
                and not s["printersError"] and not s["configError"]
                and s["paymentPrinter"] == self.payment and not s["fileError"]
                and s["logLineCount"] > 0)

    def start(self):
        self.start_simulator()
        self.printers = self.get("/printers")["data"]
        self.payment = self.get("/config")["data"]["printers"]["payment"]["printer_name"]
        # A fixed address (no guid), so the app reaches a restarted bus there again.
        self.bus = self.session.start_bus(self.run_as, "unix:path=" + os.path.join(self.dir, "bus"))
        self.start_manager()
        self.write_log([f"2025-03-14 09:12:{i:02d} INFO Health check OK" for i in range(20)]
                       + ["2025-03-14 09:13:00 ERROR PRINT_IOKIT_FAIL before the start"])
        self.session.start("app", self.run_as + [
            "env", "XDG_RUNTIME_DIR=" + os.path.join(self.dir, "runtime"), "HOME=" + self.dir,
            self.args.app, "--daemon-base", f"http://127.0.0.1:{self.port}", "--system-bus",
            self.bus, "--session-bus", "unix:path=" + os.path.join(self.dir, "no-bus"), "--log",
            self.log, "--inspect", self.app.socket_path])
        wait_for("the app's tray icon and popover", lambda: self.ask("open")["panel"], 15)
        self.until("the healthy start", self.healthy, 15)

    def mend(self, timeout):
        if self.sim.poll() is not None:
            self.start_simulator()
        self.get("/__sim/scenario?name=normal")
        if self.manager.poll() is not None or self.flags:
            self.start_manager()
        self.ask("refresh")
        return self.until("recovery", self.healthy, timeout)

    def row(self, name, breaks, what, predicate, poll=SERVICE_POLL, fix=None,
            stall_limit=STALL_LIMIT_MS, memory_kib=MEMORY_LIMIT_KIB):
        # fix() puts back what mend() does not know of.
        self.ask("reset")
        base = self.ask()
        try:
            breaks()
            shown = self.until(what, predicate, poll)
            if fix:
                fix()
            recovered = self.mend(poll)
            after = self.ask()
            stall, growth = after["longestStallMs"], after["peakRssKiB"] - base["peakRssKiB"]
            if stall > stall_limit * SANITIZER_SLOWDOWN:
                raise Failure(f"the event loop stalled for {stall} ms")
            if growth > memory_kib and not SANITIZED:
                raise Failure(f"peak memory grew by {growth // 1024} MiB")
            print(f"PASS {name}: stall {stall} ms, peak RSS +{max(growth, 0) // 1024} MiB; "
                  f"shown in {shown:.1f} s, recovered in {recovered:.1f} s", flush=True)
        except Failure as failure:
            self.failed += 1
            print(f"FAIL {name}: {failure}", flush=True)
            try:
                self.mend(SERVICE_POLL)
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
                and "Invalid response" not in s["printersError"] and not s["apiReachable"]
                and s["panel"].get("printerError")
                == "Could not fetch printers: " + s["printersError"]
                and s["panel"].get("configError")
                == "Không đọc được cấu hình: " + s["configError"]
                and s["panel"].get("healthLabel") == "Health endpoint not reachable")

    def broken(scenario, killed=False):
        def run():
            r.get(f"/__sim/scenario?name={scenario}&delay=5")
            r.ask("refresh")
            if killed:
                time.sleep(0.5)
                r.session.stop(r.sim, signal.SIGKILL)
        return run

    r.row("daemon killed mid-request", broken("slow", killed=True),
          "a transport error on both requests", transport_error)
    r.row("daemon answers after 5 s", broken("slow"), "both requests timing out",
          lambda s: s["printersError"] == timed_out and s["configError"] == timed_out
          and not s["apiReachable"])
    # Whatever the status, the body is the daemon's answer (the configuration's has no data).
    refused = "Không đọc được danh sách máy in: CUPS không phản hồi"
    r.row("daemon answers 500 with its error", broken("daemon-error"), "the daemon's own text",
          lambda s: s["printersError"] == refused and s["printers"] == []
          and s["configError"] == "Invalid response from /config"
          and s["panel"].get("printerError") == "Could not fetch printers: " + refused)
    r.row("daemon sends garbage", broken("garbage"), "both answers invalid", invalid)
    r.row("daemon sends 50 MB bodies", broken("huge"), "both answers invalid", invalid)
    r.row("daemon sends wrong JSON types", broken("wrong-types"),
          "an empty printer list without error, the config refused",
          lambda s: not s["printersError"] and s["printers"] == [] and not s["printersLoading"]
          and s["configError"] == "Invalid response from /config")
    # One byte every 2 s never trips the idle timeout; the whole request is bounded.
    r.row("daemon trickles its answers", broken("trickle&delay=2"), "both requests timing out",
          lambda s: s["printersError"] == timed_out and s["configError"] == timed_out, 12)

    def flooded():
        r.get("/__sim/scenario?name=health-flood")
        time.sleep(4 * 3)  # four probes

    r.row("health answers an endless body", flooded, "the API still reachable",
          lambda s: s["apiReachable"], memory_kib=16 * 1024)
    other = f"sim-{len(r.session.processes)}"
    _, other_port = r.session.start_simulator(r.args.sim)
    r.row("daemon redirects to another origin",
          broken(f"redirect&to=http://127.0.0.1:{other_port}"),
          "the redirect read as the daemon's answer, the other origin never asked",
          lambda s: invalid(s) and "GET /" not in r.session.log_tail(other, 1000))
    # A long list is parsed and shown without a stall anyone would notice.
    r.row("daemon sends 200,000 printers", broken("many-printers"), "the count of 200,000",
          lambda s: s["printerCount"] == 200_000 and s["panel"].get("printerCount") == "(200000)",
          stall_limit=150)


def log_rows(r):
    def read_error(text):
        return lambda s: (s["fileError"] == text + r.log and s["logLineCount"] == 0
                          and s["panel"].get("logError") == s["fileError"])

    def shows(lines):
        r.write_log(lines)
        r.until(f"{lines[-1]!r} last", lambda s: not s["fileError"]
                and s["logLastLine"] == lines[-1], LOG_POLL)

    def append(data):
        with open(r.log, "ab") as handle:
            handle.write(data)

    def truncate():
        shows([f"before {i}" for i in range(500)])
        with open(r.log, "r+b") as handle:  # the same file, cut in place
            handle.truncate(0)
            handle.write(b"after 1\nafter 2\nafter 3\n")

    def rotate():
        os.rename(r.log, r.log + ".1")
        r.write_log(["rotated 1", "rotated 2"])

    def sparse_gib():
        with open(r.log + ".new", "wb") as handle:
            handle.truncate(1024 * MiB)
            handle.seek(0, os.SEEK_END)
            handle.write("".join(f"sparse {i}\n" for i in range(1, 6)).encode())
        os.replace(r.log + ".new", r.log)

    def fifo():
        # A path that blocks whoever opens it for reading, like a hung network mount.
        os.mkfifo(r.log + ".fifo", 0o644)
        os.replace(r.log + ".fifo", r.log)
        time.sleep(2.5)  # two reads of the tailer

    def unblock_fifo():
        writer = os.open(r.log, os.O_RDWR)  # frees a reader stuck in open(), never blocks here
        r.write_log(["after the pipe"])
        os.close(writer)  # and one stuck in read()
        shows(["after the pipe"])

    def row(name, breaks, what, predicate, fix=None):
        r.row(name, breaks, what, predicate, LOG_POLL, fix)

    row("log deleted", lambda: os.remove(r.log), "the not-found text",
        read_error("Log file not found: "),
        lambda: r.write_log(["recreated"]))
    row("log truncated while open", truncate, "only the new lines",
        lambda s: s["logLineCount"] == 3 and s["logFirstLine"] == "after 1")
    row("log rotated", rotate, "the new file's lines", lambda s: s["logLineCount"] == 2
        and s["logLastLine"] == "rotated 2", lambda: os.remove(r.log + ".1"))
    row("log holds binary bytes", lambda: (shows(["text 1", "text 2"]),
                                           append(b"\x00\xff\xfe\x80\xc3( binary\n")),
        "the not-UTF-8 text with the old lines kept",
        lambda s: s["fileError"] == "Log file is not valid UTF-8" and s["logLineCount"] == 2
        and s["panel"].get("logError") == s["fileError"], lambda: r.write_log(["clean"]))
    # The window's first piece (zeros and "sparse 1") is dropped; a few more reads follow.
    row("log is 1 GiB (sparse)", sparse_gib, "the tail of the 1 GiB file",
        lambda s: s["logLineCount"] == 4 and s["logFirstLine"] == "sparse 2"
        and s["logLastLine"] == "sparse 5", lambda: time.sleep(3))
    row("log path is a pipe without writer", fifo, "the app answering", lambda s: True,
        unblock_fifo)
    def folder():
        os.remove(r.log)
        os.mkdir(r.log)

    def file_again():
        os.rmdir(r.log)
        r.write_log(["recreated"])

    row("log permission denied", lambda: os.chmod(r.log, 0), "the permission text",
        read_error("No permission to read the log file: "), lambda: os.chmod(r.log, 0o644))
    row("log path is a folder", folder, "the folder text",
        read_error("The log path is a folder: "), file_again)


def notice_rows(r):
    """Print-error notifications, shown as the tray's balloons (this run has no session bus)."""
    def balloon_texts():
        return [w["text"] for window in r.app.ask()["windows"]
                if window["className"] == "QBalloonTip" for w in window["widgets"]]

    def rotated_burst():
        os.rename(r.log, r.log + ".1")
        r.write_log(["[ERROR] PRINT_ERROR job=1 paper out", "[INFO] Health check OK",
                     "[ERROR] PRINT_IOKIT_FAIL job=2 cover open"])

    def appended_burst():
        with open(r.log, "a") as handle:
            handle.write("".join(f"[ERROR] PRINT_ERROR job={i}\n" for i in range(3, 6)))

    for name, act, count, texts in (
            ("none for error lines there before the start", lambda: None, 0, None),
            ("one for a burst in the rotated log", rotated_burst, 1,
             ["Print error", "[ERROR] PRINT_IOKIT_FAIL job=2 cover open"]),
            ("no second one within 10 minutes", appended_burst, 1, None)):
        try:
            act()
            if texts:  # due: waited for, however late a loaded machine runs it
                wait_for("the notification", lambda: r.app.ask()["trayMessages"] >= count, 15)
            else:  # not due: time for a wrong one to show
                time.sleep(2)
            told = r.app.ask()["trayMessages"]
            if told != count:
                raise Failure(f"{told} notifications, not {count}")
            if texts and not all(text in balloon_texts() for text in texts):
                raise Failure(f"the balloon reads {balloon_texts()}")
            print(f"PASS notification: {name}", flush=True)
        except Failure as failure:
            r.failed += 1
            print(f"FAIL notification: {name}: {failure}", flush=True)
    os.remove(r.log + ".1")


def service_rows(r):
    def state(pattern):
        return lambda s: (re.fullmatch(pattern, s["state"])
                          and s["panel"].get("serviceStateLabel") == s["state"])

    def restart(flag):
        r.start_manager(flag)
        r.before = len(r.calls())
        r.ask("restart")

    def rechecked(s):
        calls = r.calls()[r.before:]
        restart = next((i for i, call in enumerate(calls) if call.startswith("RestartUnit")),
                       len(calls))
        return s["state"] == RUNNING and any(call.startswith("LoadUnit")
                                             for call in calls[restart + 1:])

    # The system bus going away says nothing of the daemon: no "Not installed" (though the
    # user's manager, reachable meanwhile, does not know the unit), no notification; once the
    # bus is back, the app reconnects by itself. The first service row: the app has not yet
    # tried its session bus, so it would reach the one started here.
    session_bus = "unix:path=" + os.path.join(r.dir, "no-bus")

    def bus_process(address):
        return next(p for n, p in r.session.processes
                    if n.startswith("bus-") and "--address=" + address in p.args and p.poll() is None)

    def bus_killed():
        r.notified = r.ask()["trayMessages"]
        r.session.start_bus(r.run_as, session_bus)
        r.user = r.session.start_fake_systemd(r.args.fake_systemd, session_bus, r.record + "-user",
                                              "--load-state=not-found", run_as=r.run_as)
        r.session.stop(bus_process(r.bus), signal.SIGKILL)

    def bus_back():
        for process in (r.user, bus_process(session_bus)):
            r.session.stop(process)
        back = time.monotonic()
        r.session.start_bus(r.run_as, r.bus)
        r.start_manager()
        r.until(f"{RUNNING!r} within 15 s of the bus", lambda s: s["state"] == RUNNING or check(
            s["state"] != "Not installed", "'Not installed' on the way back"),
            15 - (time.monotonic() - back))
        print(f"  {RUNNING} again {time.monotonic() - back:.1f} s after the bus", flush=True)
        check(r.ask()["trayMessages"] == r.notified, "a notification for the lost bus")

    r.row("system bus restarted", bus_killed, "the state 'Unknown: …'", state("Unknown: .+"),
          SERVICE_POLL, bus_back)
    for name, flags, expected in (
            ("no systemd manager on the bus", None, "Unknown: .+"),
            ("systemd hangs", ["--hang"], "Unknown: systemd did not answer"),
            ("systemd gives wrong property types", ["--wrong-types"],
             "Unknown: korvel-printer.service is 7"),
            ("systemd fails every call", ["--fail"], "Unknown: Manager failed")):
        r.row(name, lambda flags=flags: r.start_manager(*flags) if flags else r.session.stop(
            r.manager), f"the state {expected!r}", state(expected))
    # The restart ends with a check of its own, well before the next 3 s tick.
    for name, flag in (("restart cancelled", "--deny-restart"),
                       ("restart method missing", "--no-restart")):
        r.row(name, lambda flag=flag: restart(flag), "the check after the restart", rechecked,
              2.5)


def instance_rows(r):
    """Only as root can the test knock at the app's door as another user."""
    if not r.run_as:
        return
    door = os.path.join(r.dir, "runtime", "korvel-printer-65534-" +
                        r.session.env["DISPLAY"].replace(":", "_"))

    def knock():
        r.session.click(200, 900)
        wait_for("the panel to close", lambda: not r.app.ask()["popoverShown"], 5)
        with socket.socket(socket.AF_UNIX) as client:
            client.connect(door)
            try:
                client.sendall(b"open\n")
            except (BrokenPipeError, ConnectionResetError):
                pass  # the app hung up on a stranger first
        time.sleep(1.5)  # what the app would need to open it

    r.row("another user asks to open the panel", knock, "the panel still closed",
          lambda s: not r.app.ask()["popoverShown"], fix=lambda: r.ask("open"))


def run(args, session):
    rows = Rows(args, session)
    started = time.monotonic()
    session.start_display()
    session.start_xembed_tray()
    rows.start()
    for group in (notice_rows, daemon_rows, log_rows, service_rows, instance_rows):
        group(rows)
    print(f"{rows.failed} failed; took {time.monotonic() - started:.0f} s")
    return 1 if rows.failed else 0


if __name__ == "__main__":
    parser = app_parser(__doc__)
    sys.exit(main(parser, run))
