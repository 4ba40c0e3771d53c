#pragma once
// Small LED pictures: text lit in a panel font (the font list and the flash
// messages of the edit canvas) and the pictures of the drawing list.
#include "render/glyphs.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vorelux {

// A one-colour picture: each pixel is lit (1) or dark (0); row 0 is the top.
struct LedBitmap {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // width * height, row by row

    LedBitmap() = default;
    LedBitmap(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), 0) {}
    bool lit(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height && pixels[size_t(y * width + x)] != 0;
    }
    void set(int x, int y, bool on) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y * width + x)] = on;
    }
};

// Rasterizes `array_data` into an imWidth x 7 picture in font `fontIndex`. Each
// element is a text character (the low byte of a UTF-16 code unit) or the
// drawing escape 31 followed by a drawing code. Every element but a drawing
// pair is rewritten in place as its content byte; a content byte 0..3 only
// switches the font for the rest. Pixel column 0 is a dark margin; the blank
// column of the last glyph is not drawn; columns past imWidth are cut off.
LedBitmap textBitmap(GlyphRenderer& glyphs, std::vector<uint8_t>& array_data, uint8_t fontIndex,
                     int32_t imWidth);

// Text as textBitmap elements: each UTF-16 code unit cut to its low byte.
std::vector<uint8_t> messageBytes(const std::u16string& text);

// Width of the font list minus 10, as the font previews are drawn.
constexpr int32_t FontPreviewWidth = 207;
// "Fonte 1" .. "Fonte 4", each drawn in its own font (codes 0..3).
std::array<LedBitmap, 4> makeFontPreviews(GlyphRenderer& glyphs,
                                          int32_t imWidth = FontPreviewWidth);

// The 16 x 16 picture of the drawing list item `listIndex` (0..123): the
// drawing's LEDs one pixel each (two for drawings of up to 8 columns),
// centred; drawings wider than 16 columns are narrowed by merging columns.
constexpr int DrawingPictureSize = 16;
LedBitmap drawingPicture(GlyphRenderer& glyphs, int listIndex);
std::vector<LedBitmap> makeDrawingPictures(GlyphRenderer& glyphs);

} // namespace vorelux
