#pragma once
// The glyph tables, generated at build time from the art in data/glyphs/.
#include <cstdint>

namespace vorelux::glyphdata {

struct GlyphRef {
    uint16_t offset;   // first column in the table's column array
    uint8_t width;     // columns including the trailing blank one(s); 0 = no glyph
    const char* label; // the label of the art, for review sheets
};

struct GlyphTable {
    const GlyphRef* refs; // 256 entries, indexed by code
    const uint8_t* columns;
    const char* name; // "thin", "bold", "sprites", "drawings"
    int count;        // number of glyphs present
};

extern const GlyphTable Thin;
extern const GlyphTable Bold;
extern const GlyphTable Sprites;
extern const GlyphTable Drawings; // indexed by drawing code

// Problems found while reading the art (missing files, malformed glyphs);
// empty when the art was read cleanly.
extern const char* const ArtWarnings;

} // namespace vorelux::glyphdata
