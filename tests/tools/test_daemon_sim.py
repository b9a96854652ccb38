"""Smoke test of the print-daemon simulator: it starts, serves consistent printers and slots,
switches scenarios and ends cleanly. The end-to-end and fault rows exercise the rest."""

import json
import os
import re
import subprocess
import sys
import urllib.error
import urllib.request

SIM = os.environ["KORVEL_DAEMON_SIM"]


def get(port, path):
    try:
        with urllib.request.urlopen(f"http://127.0.0.1:{port}{path}", timeout=5) as answer:
            return answer.status, json.load(answer)
    except urllib.error.HTTPError as error:
        return error.code, None


def main():
    sim = subprocess.Popen([sys.executable, SIM, "--port", "0"], stdout=subprocess.PIPE, text=True)
    try:
        port = int(re.fullmatch(r"listening on 127\.0\.0\.1:(\d+)\n",
                                sim.stdout.readline()).group(1))
        printers = get(port, "/printers")[1]["data"]
        slots = get(port, "/config")[1]["data"]["printers"]
        assert sorted(slots) == ["complete", "kitchen", "label", "payment"], slots
        assert all(slot["printer_name"] in printers for slot in slots.values()), slots
        assert get(port, "/__sim/scenario?name=sideways")[0] == 400
        assert get(port, "/__sim/scenario?name=health-500")[0] == 200
        assert get(port, "/health")[0] == 500
    finally:
        sim.terminate()
    assert sim.wait(timeout=10) == 0, "SIGTERM must end it cleanly"
    print("simulator smoke test passed")


if __name__ == "__main__":
    main()
