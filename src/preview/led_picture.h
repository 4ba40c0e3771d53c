#pragma once
// The panel image as a picture of palette indices, for the exported GIFs and
// stills: the LEDs as round dots on black, or as the preview window paints
// them (square cells on a dark grey grid).
#include "render/panel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorelux::preview {

enum class LedLook {
    Dots, // round dots, unlit ones dark grey, on black
    Grid, // the preview window: white and black cells, grid lines between
};

constexpr int LedMinScale = 2;
constexpr int LedMaxScale = 40;

// "dots" / "grid"; false for anything else.
bool parseLedLook(const std::string& text, LedLook& look);

struct LedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // palette indices, rows top to bottom

    uint8_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// The colours of a look's indices, 0xFFRRGGBB; index 0 is black.
const std::vector<uint32_t>& ledPalette(LedLook look);

// Paints columns 0..63 of `image` with `scale` pixels per LED (the grid look
// adds the closing grid line, so at scale 10 it is the preview window's
// 641 x 71 canvas).
class LedPainter {
  public:
    LedPainter(LedLook look, int scale);
    int width() const { return width_; }
    int height() const { return height_; }
    LedLook look() const { return look_; }
    void paint(const PanelImage& image, LedPicture& out) const;
    // The same picture as 0xFFRRGGBB pixels (for PNG stills).
    std::vector<uint32_t> paintRgb(const PanelImage& image) const;

  private:
    LedLook look_;
    int scale_;
    int width_;
    int height_;
    // One cell's pixels, lit and unlit, scale x scale.
    std::vector<uint8_t> litCell_, darkCell_;
};

} // namespace vorelux::preview
