#!/usr/bin/env python3
"""Turns the glyph art of data/glyphs/ into C++ tables or into the LED TrueType font.

    glyph_build.py tables ART_DIR OUT.cpp
    glyph_build.py font   ART_DIR OUT.ttf

Art format: comment lines start with ';', blank lines are ignored; a glyph is
a header '@ <code> <label>' followed by exactly 7 rows of '#' (lit) and '.'
(dark), top row first, all of one length = the glyph width including its
trailing blank column. Missing files or malformed glyphs are reported as
warnings and skipped, so the build goes on while the art is being drawn; the
unit tests check that the tables are complete.
"""
import os
import sys

TABLES = [
    # (file, C++ name, valid codes, widest glyph)
    ("thin.txt", "Thin", range(0, 256), 24),
    ("bold.txt", "Bold", range(0, 256), 24),
    ("sprites.txt", "Sprites", range(1, 127), 24),
    ("drawings.txt", "Drawings", range(0, 256), 24),
]

ROWS = 7


def parse_art(path, valid_codes, widest, warnings):
    """Returns {code: (label, [column bytes])}."""
    glyphs = {}
    name = os.path.basename(path)
    if not os.path.exists(path):
        warnings.append(f"{name}: file missing, table left empty")
        return glyphs
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()

    def finish(code, label, rows, where):
        if code is None:
            return
        if len(rows) != ROWS:
            warnings.append(f"{name}:{where}: glyph {code} has {len(rows)} rows, not 7; skipped")
            return
        width = len(rows[0])
        if width == 0 or any(len(r) != width for r in rows):
            warnings.append(f"{name}:{where}: glyph {code} has rows of unequal length; skipped")
            return
        if any(ch not in "#." for r in rows for ch in r):
            warnings.append(f"{name}:{where}: glyph {code} has characters other than # and .; skipped")
            return
        if width > widest:
            warnings.append(f"{name}:{where}: glyph {code} is {width} columns wide (at most {widest}); skipped")
            return
        if code in glyphs:
            warnings.append(f"{name}:{where}: glyph {code} appears twice; the first one is kept")
            return
        cols = []
        for x in range(width):
            byte = 0
            for r in range(ROWS):
                if rows[r][x] == "#":
                    byte |= 1 << (6 - r)
            cols.append(byte)
        glyphs[code] = (label, cols)

    code = label = None
    rows = []
    start = 0
    skipping = False
    for number, raw in enumerate(lines, 1):
        line = raw.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("@"):
            finish(code, label, rows, start)
            code, label, rows, start, skipping = None, None, [], number, True
            parts = line[1:].strip().split(None, 1)
            try:
                value = int(parts[0])
            except (IndexError, ValueError):
                warnings.append(f"{name}:{number}: header without a decimal code; skipped")
                continue
            if value not in valid_codes:
                warnings.append(f"{name}:{number}: code {value} is out of range; skipped")
                continue
            code, skipping = value, False
            label = parts[1].strip() if len(parts) > 1 else ""
            continue
        if code is None:
            if not skipping:
                warnings.append(f"{name}:{number}: art row outside a glyph; ignored")
            continue
        rows.append(line)
    finish(code, label, rows, start)
    return glyphs


def read_all(art_dir):
    warnings = []
    tables = {}
    for file, cname, codes, widest in TABLES:
        tables[cname] = parse_art(os.path.join(art_dir, file), codes, widest, warnings)
    return tables, warnings


def c_string(text):
    out = '"'
    for ch in text.encode("utf-8"):
        c = chr(ch)
        if c in '"\\':
            out += "\\" + c
        elif 32 <= ch < 127 and c != "?":
            out += c
        else:
            out += '\\%03o' % ch
    return out + '"'


def write_tables(art_dir, out_path):
    tables, warnings = read_all(art_dir)
    parts = [
        "// Generated from data/glyphs/ by src/render/glyph_build.py; do not edit.",
        '#include "render/glyph_tables.h"',
        "",
        "namespace vorelux::glyphdata {",
        "namespace {",
    ]
    for _, cname, _, _ in TABLES:
        glyphs = tables[cname]
        columns = []
        refs = []
        for code in range(256):
            if code in glyphs:
                label, cols = glyphs[code]
                refs.append(f"{{{len(columns)}, {len(cols)}, {c_string(label)}}}")
                columns.extend(cols)
            else:
                refs.append('{0, 0, ""}')
        columns.append(0)  # never empty
        parts.append(f"const uint8_t {cname}Columns[] = {{")
        for i in range(0, len(columns), 16):
            parts.append("    " + ", ".join(f"0x{b:02X}" for b in columns[i : i + 16]) + ",")
        parts.append("};")
        parts.append(f"const GlyphRef {cname}Refs[256] = {{")
        for i in range(0, 256, 4):
            parts.append("    " + ", ".join(refs[i : i + 4]) + ",")
        parts.append("};")
    parts.append("} // namespace")
    parts.append("")
    for file, cname, _, _ in TABLES:
        parts.append(
            f'const GlyphTable {cname} = {{{cname}Refs, {cname}Columns, "{file[:-4]}", {len(tables[cname])}}};'
        )
    parts.append(f"const char* const ArtWarnings = {c_string(chr(10).join(warnings))};")
    parts.append("")
    parts.append("} // namespace vorelux::glyphdata")
    text = "\n".join(parts) + "\n"
    # Rewrite only on change so a rebuild stays incremental.
    if os.path.exists(out_path):
        with open(out_path, encoding="utf-8") as f:
            if f.read() == text:
                return warnings
    with open(out_path, "w", encoding="utf-8") as f:
        f.write(text)
    return warnings


# ---------------------------------------------------------------- the LED font

LED = 100  # font units per LED
DOT = 84  # lit square inside its cell


def panel_charset():
    """Content byte -> character, as the panel character set has it (128..191)."""
    high = "ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜø\0Ø×ƒáùóúñÑªº\0®ÓÔÒõÕÊËÈ\0ãÃÁÂÀ©ÍÎÏÌÚÛÙ"
    assert len(high) == 64
    table = {}
    for i, ch in enumerate(high):
        if ch != "\0":
            table.setdefault(ord(ch), 128 + i)  # the first place wins
    return table


def write_font(art_dir, out_path):
    from fontTools.fontBuilder import FontBuilder
    from fontTools.pens.ttGlyphPen import TTGlyphPen

    tables, warnings = read_all(art_dir)
    thin, drawings = tables["Thin"], tables["Drawings"]

    def glyph_from_columns(cols):
        pen = TTGlyphPen(None)
        margin = (LED - DOT) // 2
        for x, byte in enumerate(cols):
            for r in range(ROWS):
                if byte & (1 << (6 - r)):
                    left = x * LED + margin
                    bottom = (ROWS - 1 - r) * LED + margin  # the bottom row stands on the baseline
                    # clockwise outer contour
                    pen.moveTo((left, bottom))
                    pen.lineTo((left, bottom + DOT))
                    pen.lineTo((left + DOT, bottom + DOT))
                    pen.lineTo((left + DOT, bottom))
                    pen.closePath()
        return pen.glyph(), len(cols) * LED

    # A code without art (it never occurs in lines the editor writes) shows a
    # hollow box, so a damaged line is visibly odd instead of silently blank.
    tofu = [0x7F, 0x41, 0x41, 0x41, 0x7F, 0x00]
    # A drawing shows as two glyphs whatever its code: the framed pictogram
    # (drawing 0) split in two halves.
    picture = drawings.get(0, ("", [0x30, 0x73, 0x47, 0x4F, 0x5D, 0x5D, 0x4F, 0x47, 0x73, 0x30, 0x00]))[1]
    half = len(picture) // 2

    def content_columns(b):
        if b == 31:
            return picture[:half]
        if b == 30:
            return picture[half:]
        if b in thin:
            return thin[b][1]
        return tofu

    order = [".notdef", "space"]
    glyphs = {}
    metrics = {}
    g, w = glyph_from_columns(tofu)
    glyphs[".notdef"], metrics[".notdef"] = g, (w, 0)
    space_cols = thin.get(32, ("", [0] * 5))[1]
    g, w = glyph_from_columns([0] * len(space_cols))
    glyphs["space"], metrics["space"] = g, (w, 0)
    cmap = {0x20: "space"}
    for b in range(256):
        name = f"led{b:02X}"
        cols = content_columns(b)
        g, w = glyph_from_columns(cols)
        glyphs[name], metrics[name] = g, (w, 0)
        order.append(name)
        cmap[0x200 + b] = name
        # Ordinary text (the function and font lists) reads in the same glyphs.
        if 33 <= b <= 126:
            cmap[b] = name
    for code_point, b in panel_charset().items():
        cmap.setdefault(code_point, f"led{b:02X}")
    cmap[0xA7] = "led{:02X}".format(167)  # "§" is the degree sign

    fb = FontBuilder(LED * 10, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({n: (metrics[n][0], 0) for n in order})
    ascent, descent = 8 * LED, 2 * LED
    fb.setupHorizontalHeader(ascent=ascent, descent=-descent)
    fb.setupNameTable(
        {"familyName": "VoreluxF0", "styleName": "Regular", "uniqueFontIdentifier": "VoreluxF0",
         "fullName": "VoreluxF0", "psName": "VoreluxF0", "version": "Version 1.0"}
    )
    fb.setupOS2(sTypoAscender=ascent, sTypoDescender=-descent, sTypoLineGap=0,
                usWinAscent=ascent, usWinDescent=descent, sxHeight=4 * LED, sCapHeight=6 * LED)
    fb.setupPost()
    fb.save(out_path)
    return warnings


def main(argv):
    if len(argv) != 4 or argv[1] not in ("tables", "font"):
        print(__doc__, file=sys.stderr)
        return 2
    what, art_dir, out = argv[1:]
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    warnings = write_tables(art_dir, out) if what == "tables" else write_font(art_dir, out)
    if what == "tables":
        for w in warnings:
            print(f"warning: glyph art: {w}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
