#!/usr/bin/env python3
"""Chaos matrix: breaks what the app depends on, one fault at a time, and checks that the real
models and panel (run by korvel_chaos_harness) show the right text, keep their event loop
turning, stay within bounded memory, and recover within one poll once the fault is gone.

The daemon is the simulator, switched between its scenarios or killed; the log file, launchctl
and osascript are files and small scripts in a temporary directory that this driver rewrites.
As root the harness runs as an unprivileged user, so that a file without read permission is
really unreadable to it.
"""

import argparse
import json
import os
import select
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

PID = 412
RUNNING = f"Running (pid {PID})"
PRINTERS = [
    "Quầy Thu Ngân - EPSON TM-T82",
    "Máy in Bếp - Xprinter XP-80C",
    "Quầy Bar - Xprinter XP-N160II",
    "Tem Nhãn - Xprinter XP-365B",
    "Hóa Đơn VAT - Star TSP143IIIU",
    "Bếp Nướng - Rongta RP80",
]
PAYMENT_PRINTER = PRINTERS[0]
MiB = 1024 * 1024

# A frozen loop, not a slow frame: far beyond any ordinary turn, well below the faults' own
# durations (a 5 s answer, a 10 s launchctl hang), so a blocking call shows.
STALL_LIMIT_MS = 1500
# Growth of the peak resident size during one case.
MEMORY_LIMIT_KIB = 64 * 1024

# A harness that has not answered a command by then has a blocked event loop.
ANSWER_TIMEOUT = 10.0
# One poll of each model, plus slack for a loaded machine.
LOG_POLL = 1.0 + 1.5
SERVICE_POLL = 3.0 + 1.5 + 2.0
REQUEST_ANSWER = 3.0 + 2.0


class Failure(Exception):
    pass


class Blocked(Failure):
    pass


def write_atomically(path, data, mode=0o644):
    """Replaces a file whole, so a script is never run half-written (and never 'text busy')."""
    temporary = path + ".new"
    with open(temporary, "wb") as handle:
        handle.write(data.encode() if isinstance(data, str) else data)
    os.chmod(temporary, mode)
    os.replace(temporary, path)


class Simulator:
    def __init__(self, program, port=0):
        self.process = subprocess.Popen(
            [sys.executable, program, "--port", str(port)],
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        deadline = time.monotonic() + 10
        for line in self.process.stdout:
            if line.startswith("listening on "):
                self.port = int(line.rsplit(":", 1)[1])
                break
            if time.monotonic() > deadline:
                break
        else:
            raise Failure("the simulator did not start")
        threading.Thread(target=self._drain, daemon=True).start()

    def _drain(self):
        for _ in self.process.stdout:
            pass

    def scenario(self, name, delay=None):
        query = f"name={name}" + (f"&delay={delay}" if delay is not None else "")
        url = f"http://127.0.0.1:{self.port}/__sim/scenario?{query}"
        with urllib.request.urlopen(url, timeout=5) as answer:
            answer.read()

    def kill(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
        self.process.wait()


class Harness:
    def __init__(self, program, workdir, base, run_as):
        self.paths = {
            "log": os.path.join(workdir, "KorvelPrinter.log"),
            "launchctl": os.path.join(workdir, "bin", "launchctl"),
            "osascript": os.path.join(workdir, "bin", "osascript"),
        }
        environment = dict(os.environ, XDG_RUNTIME_DIR=os.path.join(workdir, "runtime"),
                           HOME=workdir)
        command = run_as + [program, "--log", self.paths["log"],
                            "--launchctl", self.paths["launchctl"],
                            "--osascript", self.paths["osascript"], "--daemon", base]
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        env=environment)
        self.longest_answer_ms = 0.0
        self.owed = 0

    def read_answer(self, command):
        if not select.select([self.process.stdout], [], [], ANSWER_TIMEOUT)[0]:
            raise Blocked(f"the harness did not answer '{command}' within {ANSWER_TIMEOUT:g} s: "
                          "its event loop is blocked")
        return self.process.stdout.readline()

    def ask(self, command):
        # Answers to commands that timed out come first; they are stale.
        while self.owed:
            self.read_answer("an earlier command")
            self.owed -= 1
        started = time.monotonic()
        self.process.stdin.write(command.encode() + b"\n")
        self.process.stdin.flush()
        try:
            line = self.read_answer(command)
        except Blocked:
            self.owed += 1
            raise
        if not line:
            raise Failure(f"the harness ended (status {self.process.wait()})")
        self.longest_answer_ms = max(self.longest_answer_ms, (time.monotonic() - started) * 1000)
        return json.loads(line)

    def wait_for(self, what, predicate, timeout):
        """Polls snapshots until predicate holds; returns the seconds it took."""
        started = time.monotonic()
        while True:
            snapshot = self.ask("snapshot")
            if predicate(snapshot):
                return time.monotonic() - started
            if time.monotonic() - started > timeout:
                shown = {k: snapshot[k] for k in snapshot if k not in ("slots",)}
                raise Failure(f"not within {timeout:g} s: {what}\n  last snapshot: "
                              + json.dumps(shown, ensure_ascii=False))
            time.sleep(0.05)

    def stop(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write(b"quit\n")
                self.process.stdin.flush()
                self.process.wait(timeout=10)
            except (BrokenPipeError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()


def healthy(s):
    return (s["state"] == RUNNING and s["apiReachable"] and s["printers"] == PRINTERS
            and s["printersError"] is None and s["configError"] is None
            and s["slots"][0]["printer"] == PAYMENT_PRINTER and s["fileError"] is None
            and s["logLineCount"] > 0)


class Matrix:
    def __init__(self, args):
        self.args = args
        self.workdir = tempfile.mkdtemp(prefix="korvel-chaos-")
        os.makedirs(os.path.join(self.workdir, "bin"))
        os.makedirs(os.path.join(self.workdir, "runtime"))
        self.run_as = []
        self.unprivileged = os.geteuid() != 0
        if not self.unprivileged and shutil.which("setpriv"):
            self.run_as = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"]
            self.unprivileged = True
            os.chmod(self.workdir, 0o755)
            os.chown(os.path.join(self.workdir, "runtime"), 65534, 65534)
            os.chmod(os.path.join(self.workdir, "runtime"), 0o700)
        self.pidfile = os.path.join(self.workdir, "hung-children")
        self.countfile = os.path.join(self.workdir, "launchctl-runs")
        # The stand-ins, run by the harness's user, append to these.
        write_atomically(self.countfile, "", 0o666)
        write_atomically(self.pidfile, "", 0o666)
        self.sim = Simulator(args.simulator)
        self.port = self.sim.port
        self.harness = None
        self.results = []

    # --- the pieces a case breaks and mends

    @property
    def log(self):
        return self.harness.paths["log"]

    def write_log(self, lines):
        write_atomically(self.log, "".join(line + "\n" for line in lines))

    def launchctl(self, body):
        script = f"#!/bin/sh\necho run >> '{self.countfile}'\n{body}\n"
        write_atomically(self.harness.paths["launchctl"], script, 0o755)

    def launchctl_running(self):
        self.launchctl(f"printf '{{\\n\\t\"Label\" = \"com.korvel.printer\";\\n"
                       f"\\t\"LastExitStatus\" = 0;\\n\\t\"PID\" = {PID};\\n}};\\n'")

    def launchctl_runs(self):
        with open(self.countfile) as handle:
            return len(handle.readlines())

    def osascript(self, body):
        write_atomically(self.harness.paths["osascript"], f"#!/bin/sh\n{body}\n", 0o755)

    def restart_simulator(self):
        self.sim.kill()
        self.sim = Simulator(self.args.simulator, self.port)

    # --- running

    def start(self):
        self.harness = Harness(self.args.harness, self.workdir, f"http://127.0.0.1:{self.port}",
                               self.run_as)
        self.write_log([f"2025-03-14 09:12:{i:02d} INFO Health check OK" for i in range(20)])
        self.launchctl_running()
        self.osascript("exit 0")
        self.harness.wait_for("the healthy start", healthy, 15)

    def mend(self):
        """Puts every dependency back as it was at the start, and waits for the panel to show it."""
        if self.sim.process.poll() is not None:
            self.restart_simulator()
        self.sim.scenario("normal")
        self.launchctl_running()
        self.osascript("exit 0")
        self.harness.ask("refresh")
        return self.harness.wait_for("recovery", healthy, SERVICE_POLL)

    def case(self, name, run, skip=None):
        if self.args.only and not any(part in name for part in self.args.only):
            return
        if skip:
            self.results.append((name, "skipped", skip, None))
            print(f"SKIP {name}: {skip}", flush=True)
            return
        self.harness.ask("reset")
        base = self.harness.ask("snapshot")
        try:
            detail = run() or ""
            after = self.harness.ask("snapshot")
            stall = after["longestStallMs"]
            growth = after["peakRssKiB"] - base["rssKiB"]
            if stall > STALL_LIMIT_MS:
                raise Failure(f"the event loop stalled for {stall} ms")
            if growth > MEMORY_LIMIT_KIB:
                raise Failure(f"peak memory grew by {growth // 1024} MiB")
            figures = (f"stall {stall} ms, peak RSS {after['peakRssKiB'] // 1024} MiB "
                       f"(+{max(growth, 0) // 1024} MiB)")
            self.results.append((name, "passed", detail, figures))
            print(f"PASS {name}: {figures}; {detail}", flush=True)
        except Failure as failure:
            self.results.append((name, "failed", str(failure), None))
            print(f"FAIL {name}: {failure}", flush=True)
            try:
                self.mend()
            except Failure:
                pass

    def cleanup(self):
        if self.harness:
            self.harness.stop()
        self.sim.kill()
        if os.path.exists(self.pidfile):
            with open(self.pidfile) as handle:
                for pid in handle.read().split():
                    try:
                        os.kill(int(pid), signal.SIGKILL)
                    except (ProcessLookupError, ValueError):
                        pass
        shutil.rmtree(self.workdir, ignore_errors=True)


# --- the cases: each breaks one thing, waits for its text, mends it and waits for recovery

def daemon_cases(m):
    h = m.harness

    def killed_mid_request():
        m.sim.scenario("slow", 5)
        h.ask("refresh")
        time.sleep(0.5)
        m.sim.kill()
        h.wait_for("a transport error on both requests",
                   lambda s: s["printersError"] and s["configError"]
                   and "Invalid response" not in s["printersError"] and s["printers"] == []
                   and s["slots"][0]["printer"] == PAYMENT_PRINTER
                   and s["panel"].get("printerError", "").endswith(s["printersError"]),
                   REQUEST_ANSWER)
        h.wait_for("the API unreachable", lambda s: not s["apiReachable"], SERVICE_POLL)
        text = h.ask("snapshot")["printersError"]
        m.restart_simulator()
        return f"'{text}', recovered in {m.mend():.1f} s"

    def slow_answers():
        m.sim.scenario("slow", 5)
        h.ask("refresh")
        h.wait_for("the request timing out", lambda s: s["printersError"] ==
                   "The request timed out." and s["configError"] == "The request timed out."
                   and not s["printersLoading"], REQUEST_ANSWER + 1)
        h.wait_for("the health probe failing", lambda s: not s["apiReachable"], SERVICE_POLL)
        return f"recovered in {m.mend():.1f} s"

    def invalid(name):
        def run():
            m.sim.scenario(name)
            h.ask("refresh")
            h.wait_for("both answers invalid",
                       lambda s: s["printersError"] == "Invalid response from /printers"
                       and s["configError"] == "Invalid response from /config"
                       and s["printers"] == [] and s["slots"][0]["printer"] == PAYMENT_PRINTER,
                       REQUEST_ANSWER + (5 if name == "huge" else 0))
            return f"recovered in {m.mend():.1f} s"
        return run

    def wrong_types():
        m.sim.scenario("wrong-types")
        h.ask("refresh")
        h.wait_for("an empty printer list without error, the config refused",
                   lambda s: s["printersError"] is None and s["printers"] == []
                   and not s["printersLoading"]
                   and s["configError"] == "Invalid response from /config"
                   and s["slots"][0]["printer"] == PAYMENT_PRINTER, REQUEST_ANSWER)
        return f"recovered in {m.mend():.1f} s"

    def daemon_error():
        m.sim.scenario("daemon-error")
        h.ask("refresh")
        message = "Không đọc được danh sách máy in: CUPS không phản hồi"
        h.wait_for("the daemon's own message",
                   lambda s: s["printersError"] == message
                   and s["panel"].get("printerError", "").endswith(message)
                   and s["configError"] == "Invalid response from /config", REQUEST_ANSWER)
        return f"recovered in {m.mend():.1f} s"

    def health_500():
        m.sim.scenario("health-500")
        h.wait_for("the API unreachable while launchd says running",
                   lambda s: not s["apiReachable"] and s["state"] == RUNNING, SERVICE_POLL)
        return f"recovered in {m.mend():.1f} s"

    def connection_reset():
        m.sim.scenario("reset")
        h.ask("refresh")
        h.wait_for("a transport error and the API unreachable",
                   lambda s: s["printersError"] and s["configError"]
                   and "Invalid response" not in s["printersError"]
                   and not s["apiReachable"], SERVICE_POLL)
        text = h.ask("snapshot")["printersError"]
        return f"'{text}', recovered in {m.mend():.1f} s"

    m.case("daemon killed mid-request", killed_mid_request)
    m.case("daemon answers after 5 s", slow_answers)
    m.case("daemon sends garbage", invalid("garbage"))
    m.case("daemon sends 50 MB bodies", invalid("huge"))
    m.case("daemon sends wrong JSON types", wrong_types)
    m.case("daemon reports an error", daemon_error)
    m.case("health answers 500", health_500)
    m.case("daemon resets the connection", connection_reset)


def log_cases(m):
    h = m.harness
    not_found = lambda s: (s["fileError"] == "Log file not found: " + m.log
                           and s["logLineCount"] == 0
                           and s["panel"].get("logError") == "Log file not found: " + m.log)

    def recover(last_line):
        return h.wait_for("the new lines without error",
                          lambda s: s["fileError"] is None and s["logLastLine"] == last_line,
                          LOG_POLL)

    def deleted():
        os.remove(m.log)
        h.wait_for("the not-found text", not_found, LOG_POLL)
        m.write_log(["recreated 1", "recreated 2"])
        return f"recovered in {recover('recreated 2'):.1f} s"

    def truncated():
        m.write_log([f"before {i}" for i in range(500)])
        h.wait_for("the long log", lambda s: s["logLastLine"] == "before 499", LOG_POLL)
        with open(m.log, "r+b") as handle:  # the same file, cut in place
            handle.truncate(0)
            handle.write(b"after 1\nafter 2\nafter 3\n")
        h.wait_for("only the new lines", lambda s: s["logLineCount"] == 3
                   and s["logFirstLine"] == "after 1", LOG_POLL)
        return ""

    def rotated():
        os.rename(m.log, m.log + ".1")
        m.write_log(["rotated 1", "rotated 2"])
        h.wait_for("the new file's lines", lambda s: s["logLineCount"] == 2
                   and s["logLastLine"] == "rotated 2", LOG_POLL)
        os.remove(m.log + ".1")
        return ""

    def binary():
        m.write_log(["text 1", "text 2"])
        h.wait_for("the text lines", lambda s: s["logLastLine"] == "text 2", LOG_POLL)
        with open(m.log, "ab") as handle:
            handle.write(b"\x00\xff\xfe\x80\xc3( binary\n")
        h.wait_for("the not-UTF-8 text with the old lines kept",
                   lambda s: s["fileError"] == "Log file is not valid UTF-8"
                   and s["logLineCount"] == 2
                   and s["panel"].get("logError") == "Log file is not valid UTF-8", LOG_POLL)
        m.write_log(["clean 1"])
        return f"recovered in {recover('clean 1'):.1f} s"

    def sparse_gib():
        with open(m.log, "wb") as handle:
            handle.truncate(1024 * MiB)
            handle.seek(0, os.SEEK_END)
            handle.write("".join(f"sparse {i}\n" for i in range(1, 6)).encode())
        # The window's first piece (zeros and "sparse 1") is dropped.
        h.wait_for("the tail of the 1 GiB file", lambda s: s["logLineCount"] == 4
                   and s["logFirstLine"] == "sparse 2" and s["logLastLine"] == "sparse 5",
                   LOG_POLL)
        time.sleep(3)  # a few more reads of the same window
        return f"size {os.path.getsize(m.log) // MiB} MiB"

    def one_long_line():
        with open(m.log, "wb") as handle:
            handle.write(b"x" * (10 * MiB) + b"\n")
        h.wait_for("no lines and no error (only a partial line in the window)",
                   lambda s: s["fileError"] is None and s["logLineCount"] == 0
                   and s["panel"].get("logWaiting") == "Waiting for log output…", LOG_POLL)
        with open(m.log, "ab") as handle:
            handle.write(b"PRINT_SUCCESS " + b"y" * 50_000 + b"\n")
        h.wait_for("the 50 KB line shown", lambda s: s["logLineCount"] == 1
                   and s["logLongestLine"] == 50_014, LOG_POLL)
        time.sleep(2)
        return ""

    def fifo_without_writer():
        # A path that blocks whoever opens it for reading, like a hung network mount.
        m.write_log(["before the pipe"])
        h.wait_for("the line", lambda s: s["logLastLine"] == "before the pipe", LOG_POLL)
        fifo = m.log + ".fifo"
        os.mkfifo(fifo, 0o644)
        os.replace(fifo, m.log)
        try:
            time.sleep(2.5)  # two reads of the tailer
            h.ask("snapshot")
        finally:
            # Free a reader stuck in open(), then put a regular file in the pipe's place.
            try:
                writer = os.open(m.log, os.O_WRONLY | os.O_NONBLOCK)
            except OSError:
                writer = None
            m.write_log(["after the pipe"])
            if writer is not None:
                os.close(writer)
        return f"recovered in {recover('after the pipe'):.1f} s"

    def permission_denied():
        os.chmod(m.log, 0)
        h.wait_for("the not-found text for an unreadable file", not_found, LOG_POLL)
        os.chmod(m.log, 0o644)
        took = h.wait_for("lines again",
                          lambda s: s["fileError"] is None and s["logLineCount"] > 0, LOG_POLL)
        return f"recovered in {took:.1f} s"

    m.case("log deleted", deleted)
    m.case("log truncated while open", truncated)
    m.case("log rotated", rotated)
    m.case("log holds binary bytes", binary)
    m.case("log is 1 GiB (sparse)", sparse_gib)
    m.case("log is one 10 MB line", one_long_line)
    m.case("log path is a pipe without writer", fifo_without_writer)
    m.case("log permission denied", permission_denied,
           skip=None if m.unprivileged else "root reads any file and setpriv is missing")
    m.write_log([f"2025-03-14 09:13:{i:02d} INFO Health check OK" for i in range(20)])


def service_cases(m):
    h = m.harness

    def state_is(text, timeout=SERVICE_POLL):
        return h.wait_for(f"the state '{text}'",
                          lambda s: s["state"] == text
                          and s["panel"].get("serviceStateLabel") == text, timeout)

    def missing():
        os.remove(h.paths["launchctl"])
        h.wait_for("an unknown state with the start error",
                   lambda s: s["state"].startswith("Unknown: ") and len(s["state"]) > 9
                   and s["panel"].get("serviceStateLabel") == s["state"], SERVICE_POLL)
        text = h.ask("snapshot")["state"]
        m.launchctl_running()
        return f"'{text}', recovered in {state_is(RUNNING):.1f} s"

    running_since = {}

    def stable_since(s):
        now = time.monotonic()
        if s["state"] != RUNNING:
            running_since.clear()
            return False
        return now - running_since.setdefault("t", now) > 3.5

    def hangs():
        m.launchctl(f"sleep 30 &\necho $! >> '{m.pidfile}'\nwait")
        state_is("Unknown: launchctl timed out", 10 + SERVICE_POLL)
        m.launchctl_running()
        # Checks started during the hang still time out after the fix; the last one decides.
        took = h.wait_for("running, and staying so",
                          lambda s: s["state"] == RUNNING and stable_since(s), 10 + SERVICE_POLL)
        return f"recovered in {took:.1f} s (hung checks drain first)"

    def garbage():
        m.launchctl(r"printf '\377\376\000garbage\n'")
        state_is("Unknown: non-utf8 launchctl output")
        m.launchctl_running()
        return f"recovered in {state_is(RUNNING):.1f} s"

    def non_zero_exit():
        m.launchctl("echo 'Could not find service' >&2\nexit 113")
        state_is("Not installed")
        m.launchctl_running()
        return f"recovered in {state_is(RUNNING):.1f} s"

    def restart_with(body):
        def run():
            if body is None:
                os.remove(h.paths["osascript"])
            else:
                m.osascript(body)
            runs = m.launchctl_runs()
            h.ask("restart")
            # The restart ends with a check of its own, well before the next 3 s tick.
            took = h.wait_for("the check after the restart", lambda s: m.launchctl_runs() > runs
                              and s["state"] == RUNNING, 2.5)
            m.osascript("exit 0")
            return f"re-checked in {took:.1f} s"
        return run

    m.case("launchctl missing", missing)
    m.case("launchctl hangs", hangs)
    m.case("launchctl prints garbage bytes", garbage)
    m.case("launchctl exits non-zero", non_zero_exit)
    m.case("osascript missing", restart_with(None))
    m.case("osascript cancelled", restart_with(
        "echo '0:1: execution error: User canceled. (-128)' >&2\nexit 1"))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--harness", required=True)
    parser.add_argument("--simulator", required=True)
    parser.add_argument("--only", nargs="*", help="run only cases whose name holds one of these")
    args = parser.parse_args()

    matrix = Matrix(args)
    started = time.monotonic()
    try:
        matrix.start()
        for cases in (daemon_cases, log_cases, service_cases):
            cases(matrix)
        answer = matrix.harness.longest_answer_ms
    except Failure as failure:
        print(f"FAIL setting up: {failure}", flush=True)
        return 1
    finally:
        matrix.cleanup()

    passed = sum(1 for r in matrix.results if r[1] == "passed")
    failed = sum(1 for r in matrix.results if r[1] == "failed")
    skipped = sum(1 for r in matrix.results if r[1] == "skipped")
    print(f"\nlongest harness answer {answer:.0f} ms; matrix took {time.monotonic() - started:.0f} s")
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
