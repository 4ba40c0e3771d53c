#pragma once
// The one painter of LED pictures: the edit canvas, the editor's preview,
// the exported GIFs and stills and the virtual panel all paint the 64 x 7
// LED image through LedRenderer, so a lit and a dark LED look the same
// everywhere. Lit LEDs shine in the panel's colour with a softer rim; dark
// LEDs stay visible in the same hue at about a sixth of its brightness, as
// the dark LEDs of a real panel do; the ground is black.
#include "model/led_colour.h"
#include "render/panel.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vorelux {

// 0xFFRRGGBB pixels, rows top to bottom with no padding: the layout of
// QImage::Format_RGB32, so the window can wrap the buffer without copying.
struct CanvasImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    CanvasImage() = default;
    CanvasImage(int w, int h, uint32_t colour = 0xFF000000u)
        : width(w), height(h), pixels(size_t(w) * size_t(h), colour) {}
    uint32_t* scanLine(int y) { return pixels.data() + size_t(y) * size_t(width); }
    const uint32_t* scanLine(int y) const { return pixels.data() + size_t(y) * size_t(width); }
    const uint8_t* bits() const { return reinterpret_cast<const uint8_t*>(pixels.data()); }
    int bytesPerLine() const { return width * 4; }
    uint32_t pixel(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    void fill(uint32_t colour) { std::fill(pixels.begin(), pixels.end(), colour); }
};

constexpr uint32_t rgbColour(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

constexpr uint32_t LedGroundColour = rgbColour(0, 0, 0);
// The lines between the cells of the grid look: a neutral grey darker than
// any dark LED's centre.
constexpr uint32_t GridColour = rgbColour(30, 30, 30);

enum class LedLook {
    Dots, // round LEDs on black with room between them
    Grid, // LEDs filling square cells, grid lines between (the editor's canvas)
};

// The colours one LED colour is painted with.
struct LedShades {
    uint32_t lit = 0;    // the centre of a lit LED
    uint32_t edge = 0;   // the softer rim of a lit LED
    uint32_t dim = 0;    // a dark LED
    uint32_t cursor = 0; // the edit cursor band: never the lit colour
};

// The shades of `colour`; at a panel brightness under 255 (2..255) the lit
// LED and its rim are dimmed as the eye sees a dimmed LED, never down to the
// dark LEDs' level.
LedShades ledShades(LedColour colour, int brightness = 255);

class LedRenderer {
  public:
    static constexpr int MinScale = 2;
    static constexpr int MaxScale = 200;

    // `scale` pixels per LED (clamped to MinScale..MaxScale); the grid look
    // adds the closing grid line, so at 10 it is the edit canvas's 641 x 71.
    LedRenderer(LedLook look, int scale, const LedShades& shades);
    LedRenderer(LedLook look, int scale, LedColour colour)
        : LedRenderer(look, scale, ledShades(colour)) {}

    int width() const { return width_; }
    int height() const { return height_; }
    int scale() const { return scale_; }
    LedLook look() const { return look_; }
    const LedShades& shades() const { return shades_; }

    // Every colour the pictures hold, index 0 the black ground: the palette
    // of paintIndices.
    const std::vector<uint32_t>& palette() const { return palette_; }

    // Columns 0..63 of `image` as palette indices, width() x height().
    void paintIndices(const PanelImage& image, std::vector<uint8_t>& out) const;
    // The same as pixels; `out` is sized to width() x height().
    void paint(const PanelImage& image, CanvasImage& out) const;
    // Repaints the cells of one column (0..63) of a picture of this size.
    void paintColumn(const PanelImage& image, int column, CanvasImage& out) const;

  private:
    void buildCells();
    template <class Pixel, class Colour>
    void paintCells(const PanelImage& image, int column, Pixel* out, Colour colour) const;

    LedLook look_;
    int scale_;
    int width_;
    int height_;
    LedShades shades_;
    std::vector<uint32_t> palette_;
    std::vector<uint8_t> litCell_, darkCell_; // palette indices, scale x scale
};

} // namespace vorelux
