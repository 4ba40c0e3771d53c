#include "preview/led_picture.h"

#include <algorithm>

namespace vorelux::preview {

bool parseLedLook(const std::string& text, LedLook& look) {
    if (text == "dots")
        look = LedLook::Dots;
    else if (text == "grid")
        look = LedLook::Grid;
    else
        return false;
    return true;
}

LedPainter::LedPainter(LedLook look, int scale, LedColour colour)
    : renderer_(look, std::clamp(scale, LedMinScale, LedMaxScale), colour) {}

void LedPainter::paint(const PanelImage& image, LedPicture& out) const {
    out.width = width();
    out.height = height();
    renderer_.paintIndices(image, out.pixels);
}

std::vector<uint32_t> LedPainter::paintRgb(const PanelImage& image) const {
    CanvasImage picture;
    renderer_.paint(image, picture);
    return std::move(picture.pixels);
}

} // namespace vorelux::preview
