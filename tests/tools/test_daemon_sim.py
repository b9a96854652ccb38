"""The simulator starts, refuses an unknown scenario, switches to a known one and ends cleanly on
SIGTERM; the end-to-end and fault runs drive the rest of it."""

import os
import re
import subprocess
import sys
import urllib.error
import urllib.request


def status(port, path):
    try:
        with urllib.request.urlopen(f"http://127.0.0.1:{port}{path}", timeout=5) as answer:
            return answer.status
    except urllib.error.HTTPError as error:
        return error.code


sim = subprocess.Popen([sys.executable, os.environ["KORVEL_DAEMON_SIM"], "--port", "0"],
                       stdout=subprocess.PIPE, text=True)
try:
    port = int(re.fullmatch(r"listening on 127\.0\.0\.1:(\d+)\n", sim.stdout.readline()).group(1))
    paths = ["/__sim/scenario?name=sideways", "/__sim/scenario?name=health-500", "/health"]
    assert [status(port, path) for path in paths] == [400, 200, 500]
finally:
    sim.terminate()
assert sim.wait(timeout=10) == 0, "SIGTERM must end it cleanly"
print("simulator smoke test passed")
