"""Runs the print-daemon simulator over loopback and checks what it serves and writes."""

import http.client
import json
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from pathlib import Path
from urllib.parse import urlencode

SIM = os.environ.get("KORVEL_DAEMON_SIM",
                     str(Path(__file__).resolve().parents[2] / "tools" / "korvel-daemon-sim"))
SLOT_KEYS = ["payment", "kitchen", "complete", "label"]


class Sim:
    def __init__(self, *args):
        self.process = subprocess.Popen([sys.executable, SIM, "--port", "0", *args],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        text=True)
        first = self.process.stdout.readline()
        match = re.fullmatch(r"listening on 127\.0\.0\.1:(\d+)\n", first)
        if not match:
            self.stop()
            raise AssertionError(f"unexpected first line: {first!r}")
        self.port = int(match.group(1))

    def get(self, path, method="GET", form=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        try:
            connection.request(method, path, body=form and urlencode(form), headers={
                "Content-Type": "application/x-www-form-urlencoded"} if form else {})
            response = connection.getresponse()
            return response.status, dict(response.getheaders()), response.read()
        finally:
            connection.close()

    def json(self, path):
        status, _, body = self.get(path)
        return status, json.loads(body)

    def switch(self, name, **extra):
        query = urlencode({"name": name, **extra})
        return self.json(f"/__sim/scenario?{query}")

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
        self.process.wait(timeout=10)
        self.process.stdout.close()


def raw_exchange(port, path):
    """Sends one request and returns the reply bytes, or the exception that ended it."""
    with socket.create_connection(("127.0.0.1", port), timeout=5) as sock:
        sock.sendall(f"GET {path} HTTP/1.1\r\nHost: x\r\n\r\n".encode())
        try:
            return sock.recv(4096)
        except OSError as error:
            return error


class EndpointTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sim = Sim("--huge-mb", "2")

    @classmethod
    def tearDownClass(cls):
        cls.sim.stop()

    def tearDown(self):
        self.sim.switch("normal")

    def test_normal_envelopes(self):
        status, health = self.sim.json("/health")
        self.assertEqual((status, health["success"]), (200, True))

        status, printers = self.sim.json("/printers")
        self.assertEqual((status, printers["success"], printers["error"]), (200, True, ""))
        names = printers["data"]
        self.assertTrue(all(isinstance(name, str) for name in names))
        self.assertIn("Máy in Bếp - Xprinter XP-80C", names)
        self.assertEqual(self.sim.json("/printers")[1]["data"], names, "order must be stable")

        status, config = self.sim.json("/config")
        slots = config["data"]["printers"]
        self.assertEqual(status, 200)
        self.assertEqual(sorted(slots), sorted(SLOT_KEYS))
        for key in SLOT_KEYS:
            self.assertIn(slots[key]["printer_name"], names)
            self.assertIs(slots[key]["reverse"], key == "label")

    def test_page_shows_slots_as_utf8(self):
        status, headers, body = self.sim.get("/")
        page = body.decode("utf-8")
        self.assertEqual(status, 200)
        self.assertIn("charset=utf-8", headers["Content-Type"])
        self.assertRegex(page, r"<title>[^<]*Korvel Printer[^<]*</title>")
        for name in ["Phiếu tạm tính", "Phiếu đơn hàng", "Phiếu thanh toán", "Nhãn tem"]:
            self.assertIn(name, page)
        self.assertEqual(page.count('type="checkbox"'), 4)

    def test_form_updates_config(self):
        self.sim = Sim()
        self.addCleanup(self.sim.stop)
        bar = "Quầy Bar - Xprinter XP-N160II"
        form = {"payment_printer": bar, "kitchen_printer": bar, "kitchen_reverse": "on",
                "label_printer": ""}
        self.assertEqual(self.sim.get("/config", "POST", form)[0], 303)
        slots = self.sim.json("/config")[1]["data"]["printers"]
        self.assertEqual([(slots[key]["printer_name"], slots[key]["reverse"]) for key in SLOT_KEYS],
                         [(bar, False), (bar, True), ("Quầy Thu Ngân - EPSON TM-T82", False),
                          ("", False)], "a slot left out of the form keeps its settings")

        form["payment_printer"] = "<script>alert(1)</script>"
        self.assertEqual(self.sim.get("/config", "POST", form)[0], 400)
        self.assertEqual(self.sim.json("/config")[1]["data"]["printers"], slots)

    def test_broken_bodies(self):
        for scenario in ["garbage", "wrong-types", "daemon-error", "huge"]:
            self.sim.switch(scenario)
            for path in ["/printers", "/config"]:
                with self.subTest(scenario=scenario, path=path):
                    status, headers, body = self.sim.get(path)
                    self.assertEqual(int(headers["Content-Length"]), len(body))
                    if scenario == "garbage":
                        self.assertRaises(ValueError, json.loads, body)
                        continue
                    payload = json.loads(body)
                    if scenario == "daemon-error":
                        self.assertEqual((status, payload["success"]), (500, False))
                        self.assertTrue(payload["error"])
                        continue
                    # The printer names, or the slot map.
                    inner = payload["data"] if path == "/printers" else payload["data"]["printers"]
                    if scenario == "wrong-types":
                        self.assertIsInstance(payload["success"], str)
                        self.assertIsInstance(inner, str if path == "/printers" else list)
                    else:
                        self.assertEqual(len(body), 2 * 1024 * 1024)
                        self.assertIsInstance(inner, list if path == "/printers" else dict)
            self.assertEqual(self.sim.get("/health")[0], 200, "health stays up")

    def test_health_statuses(self):
        for scenario, expected in [("health-500", 500), ("health-204", 204)]:
            with self.subTest(scenario=scenario):
                self.sim.switch(scenario)
                status, _, body = self.sim.get("/health")
                self.assertEqual(status, expected)
                if expected == 204:
                    self.assertEqual(body, b"")
                self.assertEqual(self.sim.get("/printers")[0], 200)

    def test_drop_and_reset_differ(self):
        self.sim.switch("drop")
        self.assertEqual(raw_exchange(self.sim.port, "/health"), b"", "clean close, no answer")
        self.sim.switch("reset")
        self.assertIsInstance(raw_exchange(self.sim.port, "/printers"), ConnectionResetError)
        self.assertEqual(self.sim.switch("normal")[0], 200, "switch path is never broken")
        self.assertEqual(self.sim.get("/health")[0], 200)

    def test_slow_answers_run_in_parallel(self):
        self.sim.switch("slow", delay="1")
        results = []
        started = time.monotonic()
        threads = [threading.Thread(target=lambda: results.append(self.sim.get("/printers")[0]))
                   for _ in range(3)]
        for thread in threads:
            thread.start()
        self.assertEqual(self.sim.switch("slow")[1]["data"]["delay"], 1, "switch not delayed")
        for thread in threads:
            thread.join()
        elapsed = time.monotonic() - started
        self.assertEqual(results, [200] * 3)
        self.assertGreaterEqual(elapsed, 1)
        self.assertLess(elapsed, 2.5, "answers were serialised")

    def test_switch_rejects_bad_input(self):
        for query in [{"name": "sideways"}, {"name": "slow", "delay": "nan"}]:
            self.assertEqual(self.sim.switch(**query)[0], 400, query)
        self.assertEqual(self.sim.json("/__sim/scenario")[1]["data"]["scenario"], "normal")


class ProcessTest(unittest.TestCase):
    LINE = re.compile(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[(INFO|WARN|ERROR)\] .+")

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.log = Path(self.dir.name) / "Application Support" / "KorvelPrinter" / "Korvel.log"

    def tearDown(self):
        self.dir.cleanup()

    def lines(self):
        return self.log.read_text(encoding="utf-8").splitlines()

    def test_log_burst_then_periodic_lines(self):
        sim = Sim("--log", str(self.log), "--log-burst", "40", "--log-interval", "0.1")
        try:
            lines = self.lines()
            self.assertGreaterEqual(len(lines), 40)
            for line in lines:
                self.assertRegex(line, self.LINE)
            text = "\n".join(lines)
            for keyword in ["ERROR", "WARN", "PRINT_SUCCESS", "PRINT_CUPS_OK", "Health check",
                            "PRINT_IOKIT_FAIL", "PRINT_IOKIT_FALLBACK", "máy in"]:
                self.assertIn(keyword, text)
            deadline = time.monotonic() + 5
            while len(self.lines()) < 45 and time.monotonic() < deadline:
                time.sleep(0.1)
            self.assertGreaterEqual(len(self.lines()), 45)
        finally:
            sim.stop()

    def test_sigterm_during_slow_answer_exits_cleanly(self):
        sim = Sim("--scenario", "slow", "--delay", "30")
        request = threading.Thread(target=lambda: raw_exchange(sim.port, "/health"))
        request.start()
        time.sleep(0.3)
        started = time.monotonic()
        sim.process.send_signal(signal.SIGTERM)
        self.assertEqual(sim.process.wait(timeout=10), 0)
        self.assertLess(time.monotonic() - started, 3)
        sim.stop()
        request.join()


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
