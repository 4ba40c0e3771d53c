#!/usr/bin/env python3
"""The editor as a process (argument: the vorelux-editor program).

Without a display, --help, --version and a wrong option answer and exit.
Caps Lock, here a file that VORELUX_TEST_LOCK_FILE names (the offscreen
platform switches no keyboard), is forced on while the editor runs with the
focus; SIGTERM, SIGHUP and SIGINT give it back before the editor closes, and
after SIGKILL the next start gives it back.
"""
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

EDITOR = sys.argv.pop(1) if len(sys.argv) > 1 else "build/src/app/vorelux-editor"


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
        self.set_caps("0")
        self.marker = os.path.join(runtime, "vorelux-editor-caps-lock")
        self.env = dict(os.environ, HOME=root, XDG_RUNTIME_DIR=runtime,
                        XDG_CONFIG_HOME=os.path.join(root, "config"),
                        VORELUX_TEST_LOCK_FILE=self.caps, QT_QPA_PLATFORM="offscreen")
        self.processes = []

    def tearDown(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        self.folder.cleanup()

    def set_caps(self, state):
        with open(self.caps, "w") as f:
            f.write(state + "\n")

    def caps_on(self):
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
