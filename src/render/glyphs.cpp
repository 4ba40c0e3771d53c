#include "render/glyphs.h"

#include "render/glyph_tables.h"

#include <algorithm>

namespace vorelux {

namespace {

// Copies the glyph of `code` from `table` into the buffer; false when the
// table has none (the buffer and lastGlyphColumn are then left alone).
bool copyGlyph(const glyphdata::GlyphTable& table, uint8_t code,
               std::array<uint8_t, GlyphColumnsSize>& buffer, int32_t& last) {
    const glyphdata::GlyphRef& ref = table.refs[code];
    if (ref.width == 0) return false;
    const int width = std::min<int>(ref.width, GlyphColumnsSize);
    std::copy_n(table.columns + ref.offset, width, buffer.begin());
    last = width - 1;
    return true;
}

} // namespace

uint8_t GlyphRenderer::convertCharacter(int32_t fontIndex, uint8_t c) {
    glyphColumns.fill(0);
    const glyphdata::GlyphTable& table =
        fontIndex >= 5 ? glyphdata::Sprites
                       : (fontIndex % 2 == 0 ? glyphdata::Thin : glyphdata::Bold);
    copyGlyph(table, c, glyphColumns, lastGlyphColumn);

    // Fonts 2 and 3: every column but the trailing blank one is doubled, and
    // the blank column becomes two.
    if ((fontIndex & 2) != 0 && lastGlyphColumn > 0) {
        // After a code without a glyph lastGlyphColumn is the previous width and the
        // buffer is blank; keep the doubled width inside the buffer so that no
        // caller ever copies past its end.
        for (int32_t n = lastGlyphColumn - 1; n >= 0; --n) {
            const uint8_t column = n < GlyphColumnsSize ? glyphColumns[size_t(n)] : 0;
            if (2 * n + 1 < GlyphColumnsSize) glyphColumns[size_t(2 * n + 1)] = column;
            if (2 * n < GlyphColumnsSize) glyphColumns[size_t(2 * n)] = column;
        }
        lastGlyphColumn = std::min<int32_t>(2 * lastGlyphColumn + 1, GlyphColumnsSize - 1);
    }
    return uint8_t(lastGlyphColumn & 0xFF);
}

void GlyphRenderer::convertSprite(uint8_t c) {
    glyphColumns.fill(0);
    copyGlyph(glyphdata::Drawings, c, glyphColumns, lastGlyphColumn);
}

void GlyphRenderer::mirrorGlyph(uint8_t width) {
    const int n = std::min<int>(width, GlyphColumnsSize);
    std::reverse(glyphColumns.begin(), glyphColumns.begin() + n);
}

} // namespace vorelux
