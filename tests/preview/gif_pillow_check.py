#!/usr/bin/env python3
"""Exports pages with `vorelux gif`, decodes the GIFs with Pillow (a decoder
of its own) and checks them against the engine's frames from `vorelux trace`:
no delay under 2 cs, the running sum of the delays within 1 cs of the
nominal time at every frame, the total within 1 cs of the page's duration,
no frame equal to the one before, and every frame showing the LEDs the
engine shows at the end of its time. The stills of `vorelux png` are checked
the same way against the frame on show at their cycle, and the LED colours
of --colour and of the editor's saved setting. Exits 1 when a page fails.

usage: gif_pillow_check.py VORELUX_TOOL WORK_DIR
"""
import subprocess
import sys
from fractions import Fraction
from pathlib import Path

from PIL import Image

AT = "2015-02-19 12:34:56"
CS_PER_CYCLE = Fraction(8, 7)  # one cycle is 8/700 s

# (name, `vorelux make` effects, lines, gif options, scale, look)
CASES = [
    ("curtain", ["--in", "3", "--out", "16"], ["OLA", "PROMOCAO DE HOJE"], [], 10, "dots"),
    ("one-cycle", ["--in", "10", "--out", "22"], ["PAO 12,90", "LEITE"], [], 6, "dots"),
    ("scroll", ["--in", "1", "--out", "1"], ["ABRE AS 8 E FECHA AS 18"], [], 10, "grid"),
    ("sprites", ["--in", "32", "--out", "47"], ["CAFE", "BOLO DE MILHO QUENTINHO"], [], 4, "grid"),
    ("blink", ["--in", "30", "--out", "31"], ["ATENCAO"], ["--rounds", "2"], 3, "dots"),
]


def run(args):
    done = subprocess.run(args, capture_output=True, text=True)
    if done.returncode != 0:
        raise SystemExit(f"{' '.join(args)} failed: {done.stderr}")
    return done.stdout


def engine_frames(tool, vpg, extra):
    """(cycles, 64 column bytes) of every frame shown, in order."""
    frames = []
    for line in run([tool, "trace", vpg, "--page", "1", "--at", AT] + extra).splitlines():
        cycles, columns = line.split()
        if int(cycles) > 0:
            frames.append((int(cycles), bytes(b & 0x7F for b in bytes.fromhex(columns))))
    return frames


def leds(rgb, scale, where):
    """The 64 column bytes read from the LED centres of a picture."""
    columns = bytearray(64)
    for c in range(64):
        for r in range(7):
            # Red LEDs: a dark one's centre is the red at 16 %, a lit one's full red.
            red = rgb.getpixel((c * scale + scale // 2, r * scale + scale // 2))[0]
            if red not in (41, 255):
                raise SystemExit(f"{where}: LED {c},{r} has red {red}")
            if red == 255:
                columns[c] |= 1 << (6 - r)
    return bytes(columns)


def gif_frames(path, scale):
    """(delay in cs, LEDs) per frame."""
    frames = []
    with Image.open(path) as im:
        for index in range(im.n_frames):
            im.seek(index)
            delay_ms = im.info["duration"]
            frames.append((delay_ms // 10, leds(im.convert("RGB"), scale, f"{path} frame {index}")))
    return frames


def check_stills(tool, name, vpg, engine, scale, look, work):
    """`vorelux png` at the first, a middle and the last cycle of the round."""
    total = sum(cycles for cycles, _ in engine)
    problems = []
    for cycle in (0, total // 3, total - 1):
        png = str(work / f"{name}-{cycle}.png")
        run([tool, "png", vpg, "--page", "1", "--at-cycle", str(cycle), "-o", png, "--at", AT,
             "--scale", str(scale), "--look", look, "--colour", "red"])
        start = 0
        for cycles, columns in engine:
            if start <= cycle < start + cycles:
                break
            start += cycles
        with Image.open(png) as im:
            if leds(im.convert("RGB"), scale, png) != columns:
                problems.append(f"{name}: the still at cycle {cycle} differs from the panel")
    return problems


def check(name, engine, gif):
    ends, t = [], Fraction(0)
    for cycles, _ in engine:
        t += cycles * CS_PER_CYCLE
        ends.append(t)
    total = ends[-1]
    problems = []
    if not gif:
        return [f"{name}: no frames"]
    worst, running = Fraction(0), 0
    for j, (delay, columns) in enumerate(gif):
        if delay < 2:
            problems.append(f"frame {j}: delay {delay} cs")
        if j > 0 and columns == gif[j - 1][1]:
            problems.append(f"frame {j}: the same as the frame before")
        running += delay
        # The engine's frame boundary nearest the end of this GIF frame.
        i = min(range(len(ends)), key=lambda k: abs(ends[k] - running))
        error = abs(ends[i] - running)
        worst = max(worst, error)
        if error > 1:
            problems.append(f"frame {j}: ends at {running} cs, the panel's frame at {float(ends[i]):.2f}")
        matches = columns == engine[i][1]
        if not matches and j == len(gif) - 1:
            # A last span under 2 cs lengthens the frame before it instead.
            tail = [k for k in range(len(ends)) if running - Fraction(5, 2) < ends[k] < running]
            matches = any(columns == engine[k][1] for k in tail)
        if not matches:
            problems.append(f"frame {j}: LEDs differ from the panel's frame {i}")
    if abs(running - total) > 1:
        problems.append(f"total {running} cs, the page lasts {float(total):.2f} cs")
    print(f"{name}: {len(engine)} panel frames, {len(gif)} GIF frames, total {running} cs "
          f"for {float(total):.2f} cs, worst running error {float(worst):.2f} cs")
    return [f"{name}: {p}" for p in problems]


# The lit LED colours the pictures use, by the tool's --colour word; a dark
# LED is the same hue at 16 %.
LIT = {"red": (255, 40, 30), "amber": (255, 176, 0), "green": (40, 255, 90),
       "white": (255, 255, 255), "blue": (50, 120, 255)}


def check_colours(tool, work):
    """A lit and a dark LED centre in each colour, for --colour and for the
    editor's saved setting (aparencia.txt in the user's settings folder)."""
    import os
    vpg = str(work / "colours.vpg")
    run([tool, "make", vpg, "I"])
    problems = []
    config = work / "config"
    folder = config / "Vorelux" / "Vorelux Editor"
    folder.mkdir(parents=True, exist_ok=True)
    env = dict(os.environ, XDG_CONFIG_HOME=str(config))
    # A cycle at which the page shows lit LEDs, for the stills.
    start = 0
    for cycles, columns in engine_frames(tool, vpg, []):
        if any(columns):
            break
        start += cycles
    runs = [(word, ["--colour", word], None) for word in LIT]
    runs += [("green", [], "cor=verde\r\n"), ("red", [], "cor=roxo\n"),
             ("blue", ["--colour", "blue"], "cor=verde\n")]
    for word, option, setting in runs:
        (folder / "aparencia.txt").unlink(missing_ok=True)
        if setting is not None:
            (folder / "aparencia.txt").write_text(setting)
        for kind in ("png", "gif"):
            out = str(work / f"colour.{kind}")
            args = [tool, kind, vpg, "--page", "1", "-o", out, "--at", AT, "--look", "grid"]
            args += ["--at-cycle", str(start)] if kind == "png" else []
            done = subprocess.run(args + option, capture_output=True, text=True, env=env)
            if done.returncode != 0:
                problems.append(f"{kind} {option} {setting!r}: {done.stderr}")
                continue
            seen = set()
            with Image.open(out) as im:
                for index in range(getattr(im, "n_frames", 1)):
                    im.seek(index)
                    rgb = im.convert("RGB")
                    seen |= {rgb.getpixel((c * 10 + 5, r * 10 + 5))
                             for c in range(64) for r in range(7)}
            want = {LIT[word], tuple(int(c * 0.16 + 0.5) for c in LIT[word])}
            if seen != want:
                problems.append(f"{kind} {option} {setting!r}: LED centres {sorted(seen)}, "
                                f"not {sorted(want)}")
    bad = subprocess.run([tool, "png", vpg, "--page", "1", "--at-cycle", str(start), "-o",
                          str(work / "bad.png"), "--colour", "roxo"],
                         capture_output=True, text=True)
    if bad.returncode != 2 or '"roxo"' not in bad.stderr:
        problems.append(f"--colour roxo: exit {bad.returncode}, {bad.stderr!r}")
    print(f"colours: {len(runs) * 2} pictures checked")
    return [f"colours: {p}" for p in problems]


def main():
    tool, work = sys.argv[1], Path(sys.argv[2])
    work.mkdir(parents=True, exist_ok=True)
    failures = []
    for name, effects, lines, extra, scale, look in CASES:
        vpg, gif = str(work / f"{name}.vpg"), str(work / f"{name}.gif")
        run([tool, "make", vpg] + effects + lines)
        run([tool, "gif", vpg, "--page", "1", "-o", gif, "--at", AT, "--scale", str(scale),
             "--look", look, "--colour", "red"] + extra)
        engine = engine_frames(tool, vpg, extra)
        failures += check(name, engine, gif_frames(gif, scale))
        failures += check_stills(tool, name, vpg, engine_frames(tool, vpg, []), scale, look, work)
    failures += check_colours(tool, work)
    for f in failures[:40]:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
