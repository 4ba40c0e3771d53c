#pragma once
// The two images the preview works on and the column and row operations the
// effects are built from. `shown` is the image on the panel; `composed` is
// the segment composed for the next entry effect. Positions are bytes, and a
// position computed below 0 arrives wrapped (256 + value).
#include "render/glyphs.h"
#include "render/panel.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace vorelux::preview {

// Scrambled column sweeps: visit k (0..63) is column 8 * P[k mod 8] + P[k div 8].
extern const std::array<uint8_t, 8> PixelOrderA;
extern const std::array<uint8_t, 8> PixelOrderB;
inline uint8_t sweepA(int k) {
    return uint8_t(8 * PixelOrderA[size_t(k % 8)] + PixelOrderA[size_t(k / 8)]);
}
inline uint8_t sweepB(int k) {
    return uint8_t(8 * PixelOrderB[size_t(k % 8)] + PixelOrderB[size_t(k / 8)]);
}

using GlyphColumns = std::array<uint8_t, GlyphColumnsSize>;

// Every operation works on `shown` in place.
class PanelScreen {
  public:
    PanelImage shown{};
    PanelImage composed{};

    void copyFromComposed(uint8_t firstColumn, uint8_t lastColumn);
    void clearColumns(uint8_t firstColumn, uint8_t lastColumn);
    void invertColumns(uint8_t firstColumn, uint8_t lastColumn);
    void lightRows(uint8_t firstColumn, uint8_t lastColumn, uint8_t rows);
    void shiftLeft(uint8_t columns, uint8_t firstColumn, uint8_t lastColumn);
    void shiftRight(uint8_t columns, uint8_t firstColumn, uint8_t lastColumn);
    void shiftRowsLeft(uint8_t columns, uint8_t rows);
    void shiftRowsRight(uint8_t columns, uint8_t rows);
    void shiftDown(uint8_t firstColumn, uint8_t lastColumn, uint8_t frozenRows,
                   uint8_t summingRows);
    void shiftUp(uint8_t firstColumn, uint8_t lastColumn, uint8_t frozenRows, uint8_t summingRows);
    void drawSprite(const GlyphColumns& glyph, uint8_t x, uint8_t y, uint8_t width,
                    uint8_t inFront);
};

} // namespace vorelux::preview
