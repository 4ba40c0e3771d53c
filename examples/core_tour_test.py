#!/usr/bin/env python3
"""The core tour end to end: a page file made by the tool, the tour's edit,
preview and upload, and the virtual panel on a pseudo-terminal storing it.
usage: core_tour_test.py CORE_TOUR VORELUX VORELUX_PANEL"""
import os, select, subprocess, sys, tempfile, time

tour, tool, panel_exe = sys.argv[1:4]
work = tempfile.mkdtemp(prefix="core-tour-")
env = dict(os.environ, XDG_RUNTIME_DIR=work, QT_QPA_PLATFORM="offscreen")
page = os.path.join(work, "tour.vpg")
subprocess.run([tool, "make", page, "--page", "1", "OLA"], check=True, env=env)

panel = subprocess.Popen([panel_exe, "--id", "5", "--pty", "--headless", "--log"],
                         stdout=subprocess.PIPE, env=env)
log = b""


def panel_lines(wait, until):
    """The panel's output so far, reading for up to `wait` seconds until
    `until` (bytes) has appeared."""
    global log
    end = time.time() + wait
    while until not in log and time.time() < end:
        if select.select([panel.stdout], [], [], 0.2)[0]:
            chunk = os.read(panel.stdout.fileno(), 4096)
            if not chunk:
                break
            log += chunk
    return log.decode(errors="replace").splitlines()


try:
    first = panel_lines(10, b"\n")[0].split()
    assert first[:1] == ["pty"], first
    run = subprocess.run([tour, page, first[1], "5"], capture_output=True, text=True,
                         env=env, timeout=60)
    print(run.stdout, run.stderr)
    assert run.returncode == 0, run.returncode
    assert "prévia: " in run.stdout and "#" in run.stdout, run.stdout
    # "OLA OK": the three header bytes and six characters.
    wanted = "gravada, 1 linha, 9 bytes"
    seen = panel_lines(20, wanted.encode())
    assert any("página 1 (painel 5" in l and wanted in l for l in seen), "\n".join(seen)

    # A device that is not there: a clear message and a failing exit, no crash.
    bad = subprocess.run([tour, page, os.path.join(work, "no-such-tty"), "5"],
                         capture_output=True, text=True, env=env, timeout=60)
    assert bad.returncode == 1 and "envio:" in bad.stderr, (bad.returncode, bad.stderr)
finally:
    panel.terminate()
    panel.wait(10)
print("core tour: ok")
