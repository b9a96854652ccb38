#!/usr/bin/python3
"""Reads the open panel of korvel-printer-e2e as a screen reader would, over AT-SPI under Xvfb on
a private session bus, and presses Restart through its accessible action."""

import os
import sys
import time

from harness import App, app_parser, check, lines_of, main, wait_for


def named(root, predicate, depth=0):
    for child in root if root and depth < 12 else ():
        if child and child.name and predicate(child.name):
            return child
        if found := named(child, predicate, depth + 1):
            return found
    return None


def run(args, session):
    session.start_display()
    session.env["DBUS_SESSION_BUS_ADDRESS"] = bus = session.start_bus()
    session.start("atspi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    wait_for("the accessibility bus", lambda: "unix:" in session.x11(
        "dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
        "org.a11y.Bus.GetAddress"), 10)
    _, port = session.start_simulator(args.sim)
    record = os.path.join(session.work, "systemd-calls")
    session.start_fake_systemd(args.fake_systemd, bus, record, "--main-pid", "412")
    command = [args.app, "--daemon-base", f"http://127.0.0.1:{port}", "--system-bus", bus,
               "--session-bus", f"unix:path={session.work}/no-bus", "--log", session.work + "/log"]
    env = dict(session.env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    session.start("app", command + ["--inspect", session.work + "/inspect.sock"], env)
    wait_for("the inspection socket", App(session.work + "/inspect.sock").ask, 10)
    # A second start opens the first one's panel, as a click on the icon would.
    check(session.start("second", command, env).wait(5) == 0, "the second start failed")

    os.environ.update(DBUS_SESSION_BUS_ADDRESS=bus, DISPLAY=session.env["DISPLAY"])
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    panel = wait_for("the app's panel on AT-SPI", lambda: named(
        named(desktop, "Korvel Printer".__eq__), "Korvel Printer".__eq__), 10)
    slot = wait_for("a slot row", lambda: named(panel, lambda n: n.startswith("Phiếu tạm tính: ")), 5)
    dot = wait_for("the service dot", lambda: named(panel, "Service: Running".__eq__), 5)
    print(f"read: {slot.getRoleName()} {slot.name!r}; {dot.getRoleName()} {dot.name!r}")
    named(panel, "Restart".__eq__).queryAction().doAction(0)
    restarts = lambda: [call for call in lines_of(record) if call.startswith("RestartUnit")]
    wait_for("the restart at the service manager", restarts, 5)
    time.sleep(1)
    check(len(restarts()) == 1, f"one press sent {restarts()}")
    print("all AT-SPI checks passed")


if __name__ == "__main__":
    parser = app_parser(__doc__)
    sys.exit(main(parser, run))
