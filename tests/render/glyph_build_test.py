"""The glyph art build step: tables from partial or faulty art, and the LED font."""
import os
import subprocess
import sys
import tempfile
import unittest

BUILD = os.path.join(os.path.dirname(__file__), "..", "..", "src", "render", "glyph_build.py")
ART = os.path.join(os.path.dirname(__file__), "..", "..", "data", "glyphs")

A = "@ 65 A\n.##..\n#..#.\n#..#.\n####.\n#..#.\n#..#.\n#..#.\n"


def run(what, art_dir, out):
    return subprocess.run([sys.executable, BUILD, what, art_dir, out],
                          capture_output=True, text=True)


class Tables(unittest.TestCase):
    def test_partial_and_faulty_art_builds_with_warnings(self):
        with tempfile.TemporaryDirectory() as d:
            with open(os.path.join(d, "thin.txt"), "w") as f:
                f.write("; comment\n\n" + A)
                f.write("@ 66 short\n#.\n#.\n")  # too few rows
                f.write("@ 67 ragged\n#.\n#..\n#.\n#.\n#.\n#.\n#.\n")
                f.write("@ 300 out of range\n#.\n#.\n#.\n#.\n#.\n#.\n#.\n")
                f.write(A)  # twice
            out = os.path.join(d, "t.cpp")
            r = run("tables", d, out)
            self.assertEqual(r.returncode, 0, r.stderr)
            for expected in ("bold.txt: file missing", "glyph 66 has 2 rows", "glyph 67 has rows",
                             "code 300 is out of range", "glyph 65 appears twice"):
                self.assertIn(expected, r.stderr)
            text = open(out, encoding="utf-8").read()
            self.assertIn("0x3F, 0x48, 0x48, 0x3F, 0x00", text)
            self.assertIn('{0, 5, "A"}', text)

    def test_real_art_has_no_warnings(self):
        with tempfile.TemporaryDirectory() as d:
            r = run("tables", ART, os.path.join(d, "t.cpp"))
            self.assertEqual(r.returncode, 0)
            self.assertEqual(r.stderr, "")


class Font(unittest.TestCase):
    def test_led_font_covers_the_line_encoding(self):
        try:
            from fontTools.ttLib import TTFont
        except ImportError:
            self.skipTest("fontTools is not installed for this Python")
        with tempfile.TemporaryDirectory() as d:
            out = os.path.join(d, "VoreluxF0.ttf")
            r = run("font", ART, out)
            self.assertEqual(r.returncode, 0, r.stderr)
            font = TTFont(out)
            self.assertEqual(font["name"].getDebugName(1), "VoreluxF0")
            cmap = font.getBestCmap()
            for cp in range(0x200, 0x300):
                self.assertIn(cp, cmap)
            self.assertIn(0x20, cmap)
            self.assertEqual(cmap[0xA7], cmap[0x200 + 167])  # "§" is the degree sign
            self.assertEqual(cmap[ord("A")], cmap[0x241])
            self.assertEqual(cmap[ord("é")], cmap[0x200 + 130])
            glyf, hmtx = font["glyf"], font["hmtx"]
            # thin "A": 5 columns wide, LEDs of rows 0..6 above the baseline
            self.assertEqual(hmtx[cmap[0x241]][0], 500)
            a = glyf[cmap[0x241]]
            self.assertGreater(a.numberOfContours, 0)
            self.assertGreaterEqual(a.yMin, 0)
            self.assertLessEqual(a.yMax, 700)
            self.assertEqual(glyf[cmap[0x20]].numberOfContours, 0)
            # a drawing shows as two glyphs that are not empty
            for cp in (0x21F, 0x21E):
                self.assertGreater(glyf[cmap[cp]].numberOfContours, 0)


if __name__ == "__main__":
    unittest.main()
