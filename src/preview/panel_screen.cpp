// The column and row operations of the preview screen.
#include "preview/panel_screen.h"

namespace vorelux::preview {

const std::array<uint8_t, 8> PixelOrderA = {3, 7, 4, 2, 0, 5, 6, 1};
const std::array<uint8_t, 8> PixelOrderB = {5, 3, 2, 0, 4, 7, 1, 6};

namespace {
// The last index of the image (the spare column).
constexpr int Spare = PanelColumns;
int clampEnd(int c) {
    return c > Spare ? Spare : c;
}
} // namespace

void PanelScreen::copyFromComposed(uint8_t firstColumn, uint8_t lastColumn) {
    const int first = firstColumn > 200 ? 0 : firstColumn;
    if (lastColumn >= 200) return;
    const int last = lastColumn > PanelLastColumn ? PanelLastColumn : lastColumn;
    for (int c = first; c <= last; ++c) shown[size_t(c)] = composed[size_t(c)];
}

void PanelScreen::clearColumns(uint8_t firstColumn, uint8_t lastColumn) {
    for (int c = firstColumn; c <= clampEnd(lastColumn); ++c) shown[size_t(c)] = 0;
}

void PanelScreen::invertColumns(uint8_t firstColumn, uint8_t lastColumn) {
    for (int c = firstColumn; c <= clampEnd(lastColumn); ++c)
        shown[size_t(c)] = uint8_t(~shown[size_t(c)]);
}

void PanelScreen::lightRows(uint8_t firstColumn, uint8_t lastColumn, uint8_t rows) {
    for (int c = firstColumn; c <= clampEnd(lastColumn); ++c) shown[size_t(c)] |= rows;
}

void PanelScreen::shiftLeft(uint8_t columns, uint8_t firstColumn, uint8_t lastColumn) {
    const int first = firstColumn, last = clampEnd(lastColumn), n = columns;
    if (last < first) return;
    for (int c = first; c <= last - n; ++c) shown[size_t(c)] = shown[size_t(c + n)];
    for (int c = last - n + 1 < first ? first : last - n + 1; c <= last; ++c) shown[size_t(c)] = 0;
}

void PanelScreen::shiftRight(uint8_t columns, uint8_t firstColumn, uint8_t lastColumn) {
    const int first = firstColumn, last = clampEnd(lastColumn), n = columns;
    if (last < first) return;
    for (int c = last; c >= first + n; --c) shown[size_t(c)] = shown[size_t(c - n)];
    for (int c = first; c < first + n && c <= last; ++c) shown[size_t(c)] = 0;
}

void PanelScreen::shiftRowsLeft(uint8_t columns, uint8_t rows) {
    const int n = columns;
    const uint8_t keep = uint8_t(~rows);
    for (int c = 0; c <= Spare - n; ++c)
        shown[size_t(c)] = uint8_t((shown[size_t(c)] & keep) | (shown[size_t(c + n)] & rows));
    for (int c = PanelLastColumn; c >= PanelColumns - n && c >= 0; --c) shown[size_t(c)] &= keep;
}

void PanelScreen::shiftRowsRight(uint8_t columns, uint8_t rows) {
    const int n = columns;
    const uint8_t keep = uint8_t(~rows);
    for (int c = PanelLastColumn; c >= n; --c)
        shown[size_t(c)] = uint8_t((shown[size_t(c)] & keep) | (shown[size_t(c - n)] & rows));
    for (int c = 0; c < n && c <= PanelLastColumn; ++c) shown[size_t(c)] &= keep;
}

// Frozen rows stay as they are; a summing row also keeps its own pixel while
// the row above moves into it.
void PanelScreen::shiftDown(uint8_t firstColumn, uint8_t lastColumn, uint8_t frozenRows,
                            uint8_t summingRows) {
    const uint8_t frozen = frozenRows, summing = summingRows;
    for (int c = firstColumn; c <= clampEnd(lastColumn); ++c) {
        const uint8_t v = shown[size_t(c)];
        shown[size_t(c)] =
            uint8_t(((((v & ~frozen) >> 1) | (v & summing)) & ~frozen) | (v & frozen));
    }
}

void PanelScreen::shiftUp(uint8_t firstColumn, uint8_t lastColumn, uint8_t frozenRows,
                          uint8_t summingRows) {
    const uint8_t frozen = frozenRows, summing = summingRows;
    for (int c = firstColumn; c <= clampEnd(lastColumn); ++c) {
        const uint8_t v = shown[size_t(c)];
        shown[size_t(c)] =
            uint8_t((((uint8_t((v & ~frozen) << 1) | (v & summing)) & ~frozen) | (v & frozen)));
    }
}

// Draws the first `width` columns of `glyph` with the left edge at `x`
// (above 200: that many columns off the panel to the left) and row offset
// `y` (8: as stored). In front (inFront = 1) every lit pixel gets a dark
// outline so the figure reads over lit text.
void PanelScreen::drawSprite(const GlyphColumns& glyph, uint8_t x, uint8_t y, uint8_t width,
                             uint8_t inFront) {
    const int w = width;
    if (w < 1) return;
    std::array<uint8_t, GlyphColumnsSize> sprite{};
    for (int i = 0; i < w && i < GlyphColumnsSize; ++i) sprite[size_t(i)] = glyph[size_t(i)];
    auto column = [&](int i) -> uint8_t { return i < GlyphColumnsSize ? sprite[size_t(i)] : 0; };

    int left = x, hidden = 0;
    if (left > 200) {
        hidden = 256 - left;
        left = 0;
    }
    if (y < 8)
        for (auto& col : sprite) col = uint8_t(col << (8 - y));
    else if (y > 8)
        for (auto& col : sprite) col = uint8_t(col >> (y - 8));

    auto at = [&](int c) -> uint8_t* { return c >= 0 && c <= Spare ? &shown[size_t(c)] : nullptr; };
    if (inFront != 1) {
        for (int i = hidden; i < w && left + i < PanelColumns; ++i)
            if (uint8_t* s = at(left + i - hidden)) *s |= column(i);
        return;
    }
    if (left != 0 && left - hidden < PanelColumns)
        if (uint8_t* s = at(left - 1 - hidden)) *s &= uint8_t(~column(0));
    for (int i = hidden; i < w && left + i < PanelColumns; ++i) {
        uint8_t halo = uint8_t((column(i) >> 1) | uint8_t(column(i) << 1));
        if (i < w - 1) halo |= column(i + 1);
        if (i > 0) halo |= column(i - 1);
        if (uint8_t* s = at(left + i - hidden)) {
            *s &= uint8_t(~halo);
            *s |= column(i);
        }
    }
    if (w + left < PanelColumns)
        if (uint8_t* s = at(w + left - hidden)) *s &= uint8_t(~column(w - 1));
}

} // namespace vorelux::preview
