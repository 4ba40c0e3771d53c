#include "render/led_look.h"

#include <cmath>

namespace vorelux {

namespace {

enum Index : uint8_t { Ground = 0, GridLine = 1, Dim = 2, Edge = 3, Lit = 4 };

constexpr double DimLevel = 0.16;  // a dark LED: the hue at this brightness
constexpr double EdgeLevel = 0.55; // the rim of a lit LED

uint32_t litColourOf(LedColour colour) {
    switch (colour) {
    case LedColour::Amber:
        return rgbColour(255, 176, 0);
    case LedColour::Green:
        return rgbColour(40, 255, 90);
    case LedColour::White:
        return rgbColour(255, 255, 255);
    case LedColour::Blue:
        return rgbColour(50, 120, 255);
    case LedColour::Red:
        break;
    }
    return rgbColour(255, 40, 30);
}

uint32_t scaled(uint32_t colour, double level) {
    auto part = [&](int shift) {
        return uint8_t(std::lround(double((colour >> shift) & 0xFF) * level));
    };
    return rgbColour(part(16), part(8), part(0));
}

} // namespace

LedShades ledShades(LedColour colour, int brightness) {
    const uint32_t full = litColourOf(colour);
    // As the eye sees a dimmed LED; even the dimmest lit LED stays well above
    // the dark ones.
    const double b = std::clamp(brightness, 2, 255) / 255.0;
    const double level = brightness >= 255 ? 1.0 : 0.3 + 0.7 * std::sqrt(b);
    LedShades s;
    s.lit = scaled(full, level);
    s.edge = scaled(full, level * EdgeLevel);
    s.dim = scaled(full, DimLevel);
    // White on every coloured panel; a white panel's cursor is light blue.
    s.cursor = colour == LedColour::White ? rgbColour(90, 160, 255) : rgbColour(255, 255, 255);
    return s;
}

LedRenderer::LedRenderer(LedLook look, int scale, const LedShades& shades)
    : look_(look), scale_(std::clamp(scale, MinScale, MaxScale)),
      width_(PanelColumns * scale_ + (look == LedLook::Grid ? 1 : 0)),
      height_(PanelRows * scale_ + (look == LedLook::Grid ? 1 : 0)),
      shades_(shades), palette_{LedGroundColour, GridColour, shades.dim, shades.edge, shades.lit} {
    buildCells();
}

void LedRenderer::buildCells() {
    const size_t cell = size_t(scale_) * size_t(scale_);
    litCell_.assign(cell, Ground);
    darkCell_.assign(cell, Ground);
    // The grid look's cell has the grid line as its top and left edge and
    // the LED in the rest; the dots look's LED is smaller, with room around.
    const bool grid = look_ == LedLook::Grid;
    const double centre = grid ? 1 + (scale_ - 1) * 0.5 : scale_ * 0.5;
    const double r = grid ? (scale_ - 1) * 0.5 - 0.3 : scale_ * 0.4;
    const double rim = r + std::max(0.7, scale_ * 0.08);
    for (int y = 0; y < scale_; ++y) {
        for (int x = 0; x < scale_; ++x) {
            const size_t i = size_t(y) * size_t(scale_) + size_t(x);
            if (grid && (x == 0 || y == 0)) {
                litCell_[i] = darkCell_[i] = GridLine;
                continue;
            }
            const double dx = x + 0.5 - centre, dy = y + 0.5 - centre;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d <= r) {
                litCell_[i] = Lit;
                darkCell_[i] = Dim;
            } else if (d <= rim) {
                litCell_[i] = Edge;
            }
        }
    }
}

template <class Pixel, class Colour>
void LedRenderer::paintCells(const PanelImage& image, int column, Pixel* out, Colour colour) const {
    for (int row = 0; row < PanelRows; ++row) {
        const uint8_t mask = uint8_t(1u << (PanelLastRow - row));
        const std::vector<uint8_t>& cell = (image[size_t(column)] & mask) ? litCell_ : darkCell_;
        for (int y = 0; y < scale_; ++y) {
            Pixel* to = out + size_t(row * scale_ + y) * size_t(width_) + size_t(column * scale_);
            const uint8_t* from = cell.data() + size_t(y) * size_t(scale_);
            for (int x = 0; x < scale_; ++x) to[x] = colour(from[x]);
        }
    }
}

void LedRenderer::paintIndices(const PanelImage& image, std::vector<uint8_t>& out) const {
    // The grid look's closing lines (right and bottom) are grid colour.
    out.assign(size_t(width_) * size_t(height_), look_ == LedLook::Grid ? GridLine : Ground);
    for (int column = 0; column < PanelColumns; ++column)
        paintCells(image, column, out.data(), [](uint8_t i) { return i; });
}

void LedRenderer::paint(const PanelImage& image, CanvasImage& out) const {
    if (out.width != width_ || out.height != height_) out = CanvasImage(width_, height_);
    out.fill(palette_[look_ == LedLook::Grid ? GridLine : Ground]);
    for (int column = 0; column < PanelColumns; ++column) paintColumn(image, column, out);
}

void LedRenderer::paintColumn(const PanelImage& image, int column, CanvasImage& out) const {
    if (column < 0 || column >= PanelColumns) return;
    if (out.width != width_ || out.height != height_) return;
    paintCells(image, column, out.pixels.data(), [this](uint8_t i) { return palette_[i]; });
}

} // namespace vorelux
