#pragma once
// The panel image as a picture of palette indices, for the exported GIFs and
// stills, painted by the LED renderer (render/led_look.h): round LEDs on
// black, or as the editor's canvas paints them (LEDs in square cells with
// grid lines between), in the panel's LED colour.
#include "model/led_colour.h"
#include "render/led_look.h"
#include "render/panel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorelux::preview {

using LedLook = vorelux::LedLook;

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

// Paints columns 0..63 of `image` with `scale` pixels per LED (the grid look
// adds the closing grid line, so at scale 10 it is the editor's 641 x 71
// canvas).
class LedPainter {
  public:
    LedPainter(LedLook look, int scale, LedColour colour = DefaultLedColour);
    int width() const { return renderer_.width(); }
    int height() const { return renderer_.height(); }
    LedLook look() const { return renderer_.look(); }
    // The colours of the picture's indices, 0xFFRRGGBB; index 0 is black.
    const std::vector<uint32_t>& palette() const { return renderer_.palette(); }
    void paint(const PanelImage& image, LedPicture& out) const;
    // The same picture as 0xFFRRGGBB pixels (for PNG stills).
    std::vector<uint32_t> paintRgb(const PanelImage& image) const;

  private:
    LedRenderer renderer_;
};

} // namespace vorelux::preview
