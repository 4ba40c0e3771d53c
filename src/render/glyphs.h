#pragma once
// Glyph conversion: one content byte (or drawing code) to LED column bytes.
// A column byte holds one LED column: bit 6 the top row .. bit 0 the bottom
// row, bit 7 always clear. Every glyph ends with its blank gap column(s).
#include <array>
#include <cstdint>

namespace vorelux {

constexpr int GlyphColumnsSize = 24;

// The single conversion buffer. Every conversion overwrites it, so callers
// copy the columns they need before the next one. A code without a glyph
// leaves the buffer blank and lastGlyphColumn at the previous conversion's value.
class GlyphRenderer {
  public:
    std::array<uint8_t, GlyphColumnsSize> glyphColumns{};
    int32_t lastGlyphColumn = 0; // index of the last column of the glyph in the buffer

    // fontIndex 0 thin, 1 bold, 2 thin widened, 3 bold widened, 4 thin, 5+ sprites.
    // Returns the low byte of lastGlyphColumn.
    uint8_t convertCharacter(int32_t fontIndex, uint8_t c);
    // Drawing code (the byte after the escape 31) to columns.
    void convertSprite(uint8_t c);
    // Mirrors glyphColumns[0 .. width-1] in place.
    void mirrorGlyph(uint8_t width);
};

} // namespace vorelux
