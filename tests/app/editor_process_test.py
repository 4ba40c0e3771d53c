#!/usr/bin/env python3
"""The editor as a process (arguments: [--x11] the vorelux-editor program).

Without a display, --help, --version and a wrong option answer and exit.
Caps Lock is forced on while the editor runs with the focus; SIGTERM, SIGHUP
and SIGINT give it back before the editor closes, and after SIGKILL the next
start gives it back. With --x11 (under xvfb-run) that is the X server's real
Caps Lock, read and set through Xkb; otherwise the editor runs offscreen and
a file that VORELUX_TEST_LOCK_FILE names stands for the key.
"""
import ctypes
import ctypes.util
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

X11 = len(sys.argv) > 1 and sys.argv[1] == "--x11"
if X11:
    sys.argv.pop(1)
EDITOR = sys.argv.pop(1) if len(sys.argv) > 1 else "build/src/app/vorelux-editor"


class XkbCapsLock:
    """The X server's Caps Lock: the Lock modifier's locked state."""

    USE_CORE_KEYBOARD = 0x100
    LOCK_MASK = 2

    def __init__(self):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XkbGetState.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_char_p]
        self.x11.XkbLockModifiers.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_uint,
                                              ctypes.c_uint]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            raise RuntimeError("no X display")

    def on(self):
        state = ctypes.create_string_buffer(32)  # XkbStateRec
        self.x11.XkbGetState(self.display, self.USE_CORE_KEYBOARD, state)
        return (state.raw[9] & self.LOCK_MASK) != 0  # locked_mods

    def set(self, on):
        self.x11.XkbLockModifiers(self.display, self.USE_CORE_KEYBOARD, self.LOCK_MASK,
                                  self.LOCK_MASK if on else 0)
        self.x11.XSync(self.display, 0)


def wait_for(condition, seconds=20.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return condition()


class WithoutDisplay(unittest.TestCase):
    def run_editor(self, *arguments):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        return subprocess.run([EDITOR, *arguments], env=env, capture_output=True,
                              text=True, timeout=30)

    def test_help_and_version(self):
        for arguments in (["--help"], ["-h"], ["pages.vpg", "--help"]):
            result = self.run_editor(*arguments)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertTrue(result.stdout.startswith("Uso: vorelux-editor [ARQUIVO.vpg]\n"))
            self.assertIn("--version", result.stdout)
            self.assertEqual(result.stderr, "")
        result = self.run_editor("--version")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertRegex(result.stdout, r"^vorelux-editor \d+\.\d+")

    def test_wrong_option_names_it(self):
        for arguments, named in ((["--abrir"], '"--abrir"'), (["a.vpg", "-q"], '"-q"'),
                                 (["a.vpg", "b.vpg"], '"b.vpg"')):
            result = self.run_editor(*arguments)
            self.assertEqual(result.returncode, 2, result.stderr)
            self.assertIn(named, result.stderr)
            self.assertNotIn("qt.qpa", result.stderr)
            self.assertEqual(result.stdout, "")


class CapsLockAroundTheRun(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        root = self.folder.name
        runtime = os.path.join(root, "run")
        os.mkdir(runtime, 0o700)
        settings = os.path.join(root, "config", "Vorelux", "Vorelux Editor")
        os.makedirs(settings)
        with open(os.path.join(settings, "conn.cfg"), "wb") as f:
            f.write(bytes(16))  # no first-start question
        self.caps = os.path.join(root, "caps")
        self.xkb = XkbCapsLock() if X11 else None
        self.set_caps("0")
        self.marker = os.path.join(runtime, "vorelux-editor-caps-lock")
        self.env = dict(os.environ, HOME=root, XDG_RUNTIME_DIR=runtime,
                        XDG_CONFIG_HOME=os.path.join(root, "config"))
        if X11:
            self.env["QT_QPA_PLATFORM"] = "xcb"
            self.env.pop("VORELUX_TEST_LOCK_FILE", None)
        else:
            self.env.update(VORELUX_TEST_LOCK_FILE=self.caps, QT_QPA_PLATFORM="offscreen")
        self.processes = []

    def tearDown(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        self.folder.cleanup()

    def set_caps(self, state):
        if self.xkb:
            self.xkb.set(state == "1")
            return
        with open(self.caps, "w") as f:
            f.write(state + "\n")

    def caps_on(self):
        if self.xkb:
            return self.xkb.on()
        with open(self.caps) as f:
            return f.read(1) == "1"

    def start(self):
        process = subprocess.Popen([EDITOR], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        self.assertTrue(wait_for(lambda: self.caps_on() and self.marker_text() == "%d 0\n" %
                                 process.pid), "the editor did not force Caps Lock")
        return process

    def marker_text(self):
        try:
            with open(self.marker) as f:
                return f.read()
        except FileNotFoundError:
            return None

    def test_end_signals_give_caps_lock_back(self):
        for number in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
            with self.subTest(signal=number.name):
                process = self.start()
                process.send_signal(number)
                # Given back at once, well before the closing passes end.
                self.assertTrue(wait_for(lambda: not self.caps_on(), 3.0))
                self.assertEqual(process.wait(timeout=30), 0)
                self.assertFalse(self.caps_on())
                self.assertFalse(os.path.exists(self.marker))

    def test_next_start_after_kill_gives_caps_lock_back(self):
        killed = self.start()
        killed.kill()
        killed.wait()
        self.assertTrue(self.caps_on())  # nobody could give it back yet
        # The next run finds Caps Lock as the operator had it (off), forces
        # it again, and so gives back "off" when it ends.
        process = self.start()
        process.terminate()
        self.assertEqual(process.wait(timeout=30), 0)
        self.assertFalse(self.caps_on())
        self.assertFalse(os.path.exists(self.marker))


if __name__ == "__main__":
    unittest.main(verbosity=2)
