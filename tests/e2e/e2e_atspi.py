#!/usr/bin/python3
"""Reads the open panel of korvel-printer-e2e as a screen reader would, over AT-SPI under Xvfb on
a private session bus, and presses Restart through its accessible action."""

import argparse
import os
import sys
import time

from harness import App, check, lines_of, main, wait_for


def descendants(node, depth=0):
    for child in node if node and depth < 12 else ():
        yield child
        yield from descendants(child, depth + 1)


def named(root, predicate):
    return next((node for node in descendants(root) if node.name and predicate(node.name)), None)


def run(args, session):
    session.start_display()
    bus = session.start_bus()
    session.env["DBUS_SESSION_BUS_ADDRESS"] = bus
    session.start_atspi_bus()
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
    app = wait_for("the app on AT-SPI", lambda: next(
        (a for a in desktop if a and a.name == "Korvel Printer"), None), 10)
    panel = wait_for("the panel in the app", lambda: named(app, "Korvel Printer".__eq__), 10)
    slot = wait_for("a slot row", lambda: named(panel, lambda n: n.startswith("Phiếu tạm tính: ")), 5)
    dot = wait_for("the service dot", lambda: named(panel, "Service: Running".__eq__), 5)
    restart = named(panel, "Restart".__eq__)
    check(restart.getRoleName() == "push button", f"Restart is a {restart.getRoleName()}")
    print(f"read: {slot.getRoleName()} {slot.name!r}; {dot.getRoleName()} {dot.name!r}")
    action = restart.queryAction()
    check(action.getName(0) == "Press", f"Restart's action is {action.getName(0)!r}")
    action.doAction(0)
    wait_for("the restart at the service manager", lambda: any(
        call.startswith("RestartUnit") for call in lines_of(record)), 5)
    time.sleep(1)
    restarts = [call for call in lines_of(record) if call.startswith("RestartUnit")]
    check(len(restarts) == 1, f"one press sent {restarts}")


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("--app", "--sim", "--fake-systemd"):
        parser.add_argument(option, required=True)
    status = main(parser, run)
    if status == 0:
        print("all AT-SPI checks passed")
    sys.exit(status)
