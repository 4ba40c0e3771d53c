#include "preview/led_picture.h"

#include <algorithm>

namespace vorelux::preview {

namespace {

enum DotColour : uint8_t { Black = 0, DarkLed = 1, LitEdge = 2, LitLed = 3 };
enum GridColour : uint8_t { CellOff = 0, CellOn = 1, GridLine = 2 };

} // namespace

bool parseLedLook(const std::string& text, LedLook& look) {
    if (text == "dots")
        look = LedLook::Dots;
    else if (text == "grid")
        look = LedLook::Grid;
    else
        return false;
    return true;
}

const std::vector<uint32_t>& ledPalette(LedLook look) {
    static const std::vector<uint32_t> dots = {0xFF000000u, 0xFF282828u, 0xFF969696u, 0xFFFFFFFFu};
    // The preview window's colours: LEDs white and black, the grid RGB 50, 50, 50.
    static const std::vector<uint32_t> grid = {0xFF000000u, 0xFFFFFFFFu, 0xFF323232u};
    return look == LedLook::Dots ? dots : grid;
}

LedPainter::LedPainter(LedLook look, int scale)
    : look_(look), scale_(std::clamp(scale, LedMinScale, LedMaxScale)),
      width_(PanelColumns * scale_ + (look == LedLook::Grid ? 1 : 0)),
      height_(PanelRows * scale_ + (look == LedLook::Grid ? 1 : 0)) {
    const size_t cell = size_t(scale_) * size_t(scale_);
    litCell_.assign(cell, Black);
    darkCell_.assign(cell, Black);
    const double r = scale_ * 0.4, c = scale_ * 0.5;
    for (int y = 0; y < scale_; ++y) {
        for (int x = 0; x < scale_; ++x) {
            const size_t i = size_t(y) * size_t(scale_) + size_t(x);
            if (look_ == LedLook::Grid) {
                // The grid line is the cell's top and left edge.
                const bool line = x == 0 || y == 0;
                litCell_[i] = line ? GridLine : CellOn;
                darkCell_[i] = line ? GridLine : CellOff;
                continue;
            }
            const double dx = x + 0.5 - c, dy = y + 0.5 - c;
            const double d2 = dx * dx + dy * dy;
            if (d2 <= r * r) {
                litCell_[i] = LitLed;
                darkCell_[i] = DarkLed;
            } else if (d2 <= (r + 0.7) * (r + 0.7)) {
                litCell_[i] = LitEdge;
            }
        }
    }
}

void LedPainter::paint(const PanelImage& image, LedPicture& out) const {
    out.width = width_;
    out.height = height_;
    // The grid look's closing lines (right and bottom) are grid colour.
    out.pixels.assign(size_t(width_) * size_t(height_),
                      look_ == LedLook::Grid ? uint8_t(GridLine) : uint8_t(Black));
    for (int row = 0; row < PanelRows; ++row) {
        const uint8_t mask = uint8_t(1u << (PanelLastRow - row));
        for (int column = 0; column < PanelColumns; ++column) {
            const std::vector<uint8_t>& cell =
                (image[size_t(column)] & mask) ? litCell_ : darkCell_;
            for (int y = 0; y < scale_; ++y) {
                const size_t to =
                    size_t(row * scale_ + y) * size_t(width_) + size_t(column * scale_);
                std::copy_n(cell.begin() + std::ptrdiff_t(y * scale_), scale_,
                            out.pixels.begin() + std::ptrdiff_t(to));
            }
        }
    }
}

std::vector<uint32_t> LedPainter::paintRgb(const PanelImage& image) const {
    LedPicture picture;
    paint(image, picture);
    const std::vector<uint32_t>& palette = ledPalette(look_);
    std::vector<uint32_t> rgb(picture.pixels.size());
    std::transform(picture.pixels.begin(), picture.pixels.end(), rgb.begin(),
                   [&](uint8_t i) { return palette[i]; });
    return rgb;
}

} // namespace vorelux::preview
