"""The simulator starts on a free port and ends cleanly on SIGTERM; the end-to-end and fault runs
drive the rest of it."""

import os
import re
import subprocess
import sys

sim = subprocess.Popen([sys.executable, os.environ["KORVEL_DAEMON_SIM"], "--port", "0"],
                       stdout=subprocess.PIPE, text=True)
assert re.fullmatch(r"listening on 127\.0\.0\.1:\d+\n", sim.stdout.readline())
sim.terminate()
assert sim.wait(timeout=10) == 0, "SIGTERM must end it cleanly"
print("simulator smoke test passed")
