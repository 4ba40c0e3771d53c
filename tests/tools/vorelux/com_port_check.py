#!/usr/bin/env python3
"""The Windows `vorelux.exe` sending through a real COM port, under Wine.

Wine's COM5 is pointed at a Linux pseudo-terminal (a dosdevices/com5 link,
plus its value under HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM, which Wine only
fills for the ports it finds itself); the bytes are read on the master side
with the time each one arrived. Each command must arrive byte for byte as
the tool's own dry run lists it and, when a Linux build of the tool is
given, exactly as that one writes the same command on a pseudo-terminal.
Serial device servers (socket://, rfc2217://) are served from here too.
The pauses are checked loosely: most gaps between bytes are at least 15 ms
(every pause of these frames is 25 ms or more); speed is never asserted.
The USB side runs on Wine's own HID devices: they are listed, and a send
to the transmitter, which is not among them, fails with its reason. The
pictures (a GIF of the page's preview, a frame as PNG, the glyph sheet),
written under names with accents, must be byte for byte the Linux tool's.

usage: com_port_check.py VORELUX_EXE [LINUX_VORELUX]   (WINEPREFIX set)
"""
import os
import select
import socket
import subprocess
import sys
import tempfile
import threading
import time
import tty

WINE = os.environ.get("WINE", "wine")
PORT = "COM5"
REGISTRY_KEY = r"HKLM\HARDWARE\DEVICEMAP\SERIALCOMM"

failures = []


def check(condition, text):
    print(("ok   " if condition else "FAIL ") + text)
    if not condition:
        failures.append(text)
    return condition


def run_quietly(args, folder):
    """Runs a program with its output in files: Wine's background services
    inherit pipes and would hold them open."""
    with open(os.path.join(folder, "out"), "wb") as out, open(os.path.join(folder, "err"), "wb") as err:
        code = subprocess.call(args, stdout=out, stderr=err, stdin=subprocess.DEVNULL, timeout=120)
    with open(os.path.join(folder, "out"), "rb") as out, open(os.path.join(folder, "err"), "rb") as err:
        return code, out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace")


class Pty:
    """A pseudo-terminal pair; what arrives on the master, with times."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.master)
        tty.setraw(self.slave)
        self.path = os.ttyname(self.slave)
        self.arrivals = []  # (byte, seconds)

    def capture_while(self, args, folder):
        stop = threading.Event()

        def reader():
            while True:
                ready, _, _ = select.select([self.master], [], [], 0.05)
                if ready:
                    now = time.monotonic()
                    for byte in os.read(self.master, 4096):
                        self.arrivals.append((byte, now))
                elif stop.is_set():
                    return

        thread = threading.Thread(target=reader)
        thread.start()
        try:
            return run_quietly(args, folder)
        finally:
            time.sleep(0.2)
            stop.set()
            thread.join()

    def bytes(self):
        return bytes(b for b, _ in self.arrivals)

    def gaps_ms(self):
        times = [t for _, t in self.arrivals]
        return [(b - a) * 1000 for a, b in zip(times, times[1:])]

    def close(self):
        os.close(self.master)
        os.close(self.slave)


IAC, SB, SE, DO, COM_PORT = 255, 250, 240, 253, 44


class SerialServer:
    """A serial device server on this machine: raw TCP ("socket") or telnet
    with RFC 2217 ("rfc2217", which accepts the COM-PORT option and confirms
    every line setting); the data bytes it gets, with times."""

    def __init__(self, mode):
        self.mode = mode
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(1)
        self.listener.settimeout(60)
        self.address = "%s://127.0.0.1:%d" % (mode, self.listener.getsockname()[1])
        self.arrivals = []
        self.settings = []  # the RFC 2217 settings asked for: (code, value)
        self.thread = threading.Thread(target=self.serve)
        self.thread.start()

    def serve(self):
        try:
            conn, _ = self.listener.accept()
        except OSError:
            return
        with conn:
            if self.mode == "rfc2217":
                conn.sendall(bytes([IAC, DO, COM_PORT]))
            state, sub = "data", bytearray()
            while True:
                chunk = conn.recv(4096)
                if not chunk:
                    return
                now = time.monotonic()
                for b in chunk:
                    if self.mode != "rfc2217":
                        self.arrivals.append((b, now))
                    elif state == "data":
                        if b == IAC:
                            state = "iac"
                        else:
                            self.arrivals.append((b, now))
                    elif state == "iac":
                        if b == IAC:
                            self.arrivals.append((b, now))
                            state = "data"
                        elif b == SB:
                            sub, state = bytearray(), "sb"
                        elif b in (251, 252, 253, 254):
                            state = "option"
                        else:
                            state = "data"
                    elif state == "option":
                        state = "data"
                    elif state == "sb":
                        if b == IAC:
                            state = "sb-iac"
                        else:
                            sub.append(b)
                    elif state == "sb-iac":
                        if b == SE:
                            if len(sub) >= 2 and sub[0] == COM_PORT:
                                self.settings.append((sub[1], bytes(sub[2:])))
                                reply = bytes([IAC, SB, COM_PORT, sub[1] + 100]) + bytes(sub[2:])
                                conn.sendall(reply + bytes([IAC, SE]))
                            state = "data"
                        else:
                            sub.append(b)
                            state = "sb"

    def finish(self):
        self.listener.close()
        self.thread.join()

    def bytes(self):
        return bytes(b for b, _ in self.arrivals)

    def gaps_ms(self):
        times = [t for _, t in self.arrivals]
        return [(b - a) * 1000 for a, b in zip(times, times[1:])]


def network_case(exe, folder, mode, args):
    print("== %s: vorelux %s" % (mode, " ".join(args)))
    server = SerialServer(mode)
    code, expected, text = dry_run_bytes(exe, args + ["--port", server.address], folder)
    code, _, err = run_quietly([WINE, exe] + args + ["--port", server.address], folder)
    server.finish()
    check(code == 0, "vorelux.exe exits with 0 (%d) %s" % (code, err.strip()))
    got = server.bytes()
    check(expected and got == expected, "%d bytes arrive at the server as the dry run lists them" % len(got))
    if got != expected:
        print("   expected " + expected.hex(" ") + "\n   got      " + got.hex(" "))
    if mode == "rfc2217":
        baud = [v for c, v in server.settings if c == 1]
        check(baud == [(9600).to_bytes(4, "big")], "the line is set to 9600 baud through RFC 2217")
    gaps = server.gaps_ms()
    if gaps:
        share = sum(g >= 15 for g in gaps) / len(gaps)
        check(share >= 0.8, "%.0f%% of the gaps between bytes are 15 ms or more" % (share * 100))


def dry_run_bytes(exe, args, folder):
    code, out, err = run_quietly([WINE, exe] + args + ["--dry-run"], folder)
    frames = bytearray()
    for line in out.splitlines():
        if line.startswith("serial "):
            frames += bytes.fromhex(line.split(": ", 1)[1].split(" | ")[0])
    return code, bytes(frames), out + err


def point_com_port_at(pty, prefix, folder):
    link = os.path.join(prefix, "dosdevices", PORT.lower())
    if os.path.lexists(link):
        os.unlink(link)
    os.symlink(pty.path, link)
    # The value name is ours; the data is the port's name, as Windows lists it.
    run_quietly([WINE, "reg", "add", REGISTRY_KEY, "/v", "Vorelux" + PORT, "/t", "REG_SZ",
                 "/d", PORT, "/f"], folder)
    return link


def send_case(exe, linux_tool, folder, name, args):
    print("== " + name + ": vorelux " + " ".join(args))
    code, expected, text = dry_run_bytes(exe, args + ["--port", PORT], folder)
    if not check(code == 0 and expected, "the dry run lists the frames"):
        print(text)
        return
    pty = wine_pty
    pty.arrivals = []
    code, out, err = pty.capture_while([WINE, exe] + args + ["--port", PORT], folder)
    check(code == 0, "vorelux.exe exits with 0 (%d) %s" % (code, err.strip()))
    got = pty.bytes()
    check(got == expected, "%d bytes arrive on the pseudo-terminal as the dry run lists them" % len(got))
    if got != expected:
        print("   expected " + expected.hex(" ") + "\n   got      " + got.hex(" "))
    gaps = pty.gaps_ms()
    if gaps:
        share = sum(g >= 15 for g in gaps) / len(gaps)
        check(share >= 0.8, "%.0f%% of the gaps between bytes are 15 ms or more (shortest %.1f ms)"
              % (share * 100, min(gaps)))
    if linux_tool:
        linux = Pty()
        code, _, err = linux.capture_while([linux_tool] + args + ["--port", linux.path], folder)
        check(code == 0 and linux.bytes() == got,
              "the Linux tool writes the same %d bytes (exit %d) %s" % (len(linux.bytes()), code, err.strip()))
        linux.close()


def same_pictures(exe, linux_tool, folder, page):
    """The Windows tool's pictures are the Linux tool's, byte for byte (the
    Linux ones are read back by giflib and Pillow in the Linux suites)."""
    at = ["--at", "2026-12-10 10:00:00"]
    for name, args in (("animação.gif", ["gif", page, "--page", "8", "--rounds", "1"] + at),
                       ("quadro.png", ["png", page, "--page", "8", "--at-cycle", "40"] + at),
                       ("glifos.png", ["glyphs"])):
        windows = os.path.join(folder, "win-" + name)
        code, _, err = run_quietly([WINE, exe] + args + ["-o", windows], folder)
        check(code == 0 and os.path.isfile(windows), "vorelux.exe %s writes %s %s"
              % (args[0], name, err.strip()))
        if not linux_tool or code != 0:
            continue
        linux = os.path.join(folder, "linux-" + name)
        code, _, err = run_quietly([linux_tool] + args + ["-o", linux], folder)
        with open(windows, "rb") as a, open(linux, "rb") as b:
            check(code == 0 and a.read() == b.read(),
                  "%s is the Linux tool's, byte for byte %s" % (name, err.strip()))


def main():
    if len(sys.argv) < 2 or "WINEPREFIX" not in os.environ:
        print(__doc__)
        return 2
    exe = os.path.abspath(sys.argv[1])
    linux_tool = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
    if linux_tool and not os.access(linux_tool, os.X_OK):
        linux_tool = None
    prefix = os.environ["WINEPREFIX"]
    global wine_pty
    with tempfile.TemporaryDirectory(prefix="vorelux-com-") as folder:
        # One server for the whole check: the registry's hardware key lives
        # only as long as it does.
        subprocess.call(["wineserver", "-p"], stdin=subprocess.DEVNULL,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wine_pty = Pty()
        link = point_com_port_at(wine_pty, prefix, folder)
        try:
            code, out, _ = run_quietly([WINE, exe, "ports"], folder)
            check(code == 0 and PORT in out.split(), "vorelux.exe ports lists " + PORT)
            code, out, err = run_quietly([WINE, exe, "ports", "--usb"], folder)
            check(code == 0 and "\\\\?\\hid#" in out.lower(),
                  "vorelux.exe ports --usb lists Wine's HID devices (%s%s)" % (out.strip(), err.strip()))
            code, _, err = run_quietly([WINE, exe, "power", "on", "--to", "5", "--usb"], folder)
            check(code == 5 and "Transmissor KQ não encontrado" in err,
                  "--usb without the transmitter: exit 5 with the reason (%s)" % err.strip())

            page = os.path.join(folder, "promoção.vpg")
            # Page 8: its frame carries a byte 10, which a text-mode or
            # newline-translating path would turn into 13 10.
            code, _, err = run_quietly([WINE, exe, "make", page, "--page", "8", "--in", "12",
                                        "Promoção de Natal"], folder)
            check(code == 0 and os.path.isfile(page), "make writes promoção.vpg " + err.strip())
            code, out, err = run_quietly([WINE, exe, "dump", page], folder)
            check(code == 0 and '"Promoção de Natal"' in out, "dump reads promoção.vpg back " + err.strip())

            same_pictures(exe, linux_tool, folder, page)
            send_case(exe, linux_tool, folder, "power", ["power", "on", "--to", "5"])
            send_case(exe, linux_tool, folder, "page upload", ["send", page, "--to", "5"])

            code, _, err = run_quietly([WINE, exe, "power", "on", "--to", "5", "--port", "COM9"], folder)
            check(code == 3 and "COM9" in err, "a port that is not installed: exit 3 with its name")
            # Serial device servers through Winsock; the page frame holds 255,
            # which telnet doubles on the wire.
            network_case(exe, folder, "socket", ["power", "on", "--to", "5"])
            network_case(exe, folder, "rfc2217", ["send", page, "--to", "5"])
            listener = socket.socket()
            listener.bind(("127.0.0.1", 0))
            closed = listener.getsockname()[1]
            listener.close()
            code, _, err = run_quietly([WINE, exe, "power", "on", "--to", "5", "--port",
                                        "socket://127.0.0.1:%d" % closed], folder)
            check(code == 4 and "não foi possível conectar" in err,
                  "a server that is not there: exit 4 with the reason (%s)" % err.strip())
        finally:
            os.unlink(link)
            wine_pty.close()
            subprocess.call(["wineserver", "-k"], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    print("COM port check: " + ("%d failed" % len(failures) if failures else "passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
