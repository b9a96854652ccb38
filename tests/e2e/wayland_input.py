"""Real clicks and key presses on a Wayland compositor, spoken on its socket directly: Debian
packages no tool for them. The wire is shared; wlroots' virtual input is here, KWin's in
kde_session.py."""

import array
import os
import socket
import struct
import time

# The usual US keyboard, as `setxkbmap -print` names it: X clients under XWayland get it too.
KEYMAP = (b'xkb_keymap { xkb_keycodes { include "evdev+aliases(qwerty)" }; xkb_types { include '
          b'"complete" }; xkb_compat { include "complete" };\n'
          b'xkb_symbols { include "pc+us+inet(evdev)" }; };\0')


def stamp():
    # Real milliseconds: clients tell double clicks by these.
    return int(time.monotonic() * 1000) & 0xFFFFFFFF


def string(text):
    """A Wayland string argument: length, bytes with their NUL, padded to 4."""
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + bytes(-len(data) % 4)


class WaylandClient:
    """The wire: requests, the registry's globals, bind and roundtrip."""

    def __init__(self, socket_path):
        self.sock = socket.socket(socket.AF_UNIX)
        self.sock.settimeout(5)
        self.sock.connect(socket_path)
        self.next_id, self.buffer, self.globals = 2, b"", {}
        self.send(1, 1, new=True)  # wl_display.get_registry, id 2: its globals come as events
        for obj, _, body in self.roundtrip():
            if obj == 2:
                self.globals[body[8:8 + struct.unpack_from("<I", body, 4)[0] - 1].decode()] = body

    def send(self, obj, opcode, *args, new=False, raw=b"", fd=None):
        """uint arguments, then `raw` ones, then a new object's id when `new`."""
        body = struct.pack(f"<{len(args)}I", *args) + raw
        body += struct.pack("<I", self.next_id) if new else b""
        message = struct.pack("<II", obj, (8 + len(body)) << 16 | opcode) + body
        rights = [(socket.SOL_SOCKET, socket.SCM_RIGHTS, array.array("i", [fd]))] if fd else []
        self.sock.sendmsg([message], rights)
        self.next_id += new
        return self.next_id - 1

    def bind(self, interface, version=1):
        """wl_registry.bind: the global's name and interface as announced, then `version`."""
        return self.send(2, 0, raw=self.globals[interface][:-4] + struct.pack("<I", version),
                         new=True)

    def roundtrip(self):
        """wl_display.sync: the events before its callback, once every request is handled."""
        callback, events = self.send(1, 0, new=True), []
        while True:
            while len(self.buffer) < 8 or len(self.buffer) < self.buffer[6] | self.buffer[7] << 8:
                if not (chunk := self.sock.recv(4096)):
                    raise OSError("the compositor hung up")
                self.buffer += chunk
            obj, header = struct.unpack_from("<II", self.buffer)
            body, self.buffer = self.buffer[8:header >> 16], self.buffer[header >> 16:]
            if obj == 1 and header & 0xFFFF == 0:
                raise OSError(f"Wayland protocol error: {body[12:].rstrip(bytes(1)).decode()}")
            if obj == callback:
                return events
            events.append((obj, header & 0xFFFF, body))


class VirtualInput(WaylandClient):
    """wlroots' virtual pointer and keyboard."""

    def __init__(self, socket_path):
        super().__init__(socket_path)
        seat = self.bind("wl_seat")
        self.pointer = self.send(self.bind("zwlr_virtual_pointer_manager_v1"), 0, seat, new=True)
        self.keyboard = self.send(self.bind("zwp_virtual_keyboard_manager_v1"), 0, seat, new=True)
        keymap = os.memfd_create("keymap")
        os.write(keymap, KEYMAP)
        self.send(self.keyboard, 0, 1, len(KEYMAP), fd=keymap)  # keymap, format xkb v1
        os.close(keymap)
        self.roundtrip()

    def click(self, x, y, extent):
        """The left button at x, y of the layout, `extent` its width and height."""
        self.send(self.pointer, 1, stamp(), x, y, *extent)  # motion_absolute
        self.send(self.pointer, 4)  # frame
        for state in (1, 0):
            self.send(self.pointer, 2, stamp(), 0x110, state)  # button BTN_LEFT
            self.send(self.pointer, 4)
        self.roundtrip()

    def key(self, name):
        for state in (1, 0):
            self.send(self.keyboard, 1, stamp(), {"Escape": 1}[name], state)  # evdev key codes
        self.roundtrip()
