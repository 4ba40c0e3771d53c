#pragma once
// The edit canvas: the edit line rasterized LED by LED into ScreenBitmap,
// painted as 10-pixel cells with a grid and the cursor band.
#include "model/store.h"
#include "render/glyphs.h"
#include "render/panel.h"

#include <cstdint>
#include <functional>
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
constexpr uint32_t LedOnColour = rgbColour(255, 255, 255);
constexpr uint32_t LedOffColour = rgbColour(0, 0, 0);
constexpr uint32_t GridColour = rgbColour(50, 50, 50); // colour value 3289650
constexpr uint32_t CursorColour = rgbColour(255, 255, 255);

constexpr int CanvasWidth = 641;
constexpr int CanvasHeight = 71;

enum class PenStyle { Solid, Dash, Dot };

// Vertical grid lines at x = j * (width div (num_colunas - 1)) for j = ini ..
// num_colunas (fim has no effect).
void drawColumnGrid(CanvasImage& bmp, int32_t ini, int32_t fim, int32_t num_colunas, uint32_t cor,
                    PenStyle style);
// Horizontal grid lines at y = j * (height div (num_linhas - 1)) for j = ini ..
// num_linhas - 1 (fim has no effect).
void drawRowGrid(CanvasImage& bmp, int32_t ini, int32_t fim, int32_t num_linhas, uint32_t cor,
                 PenStyle style);
void drawGrid(CanvasImage& bmp, int32_t col_ini, int32_t col_fim, int32_t col_num, int32_t lin_ini,
              int32_t lin_fim, int32_t lin_num, uint32_t cor, PenStyle style);
// The grid of the edit canvas: one line every 10 pixels both ways.
void drawCanvasGrid(CanvasImage& bmp);
// Paints pixel columns coluna*len .. (coluna+1)*len - 1 (clipped) full height.
void paintCursorBand(CanvasImage& bmp, int32_t coluna, int32_t len, uint32_t cor, PenStyle style);

// ScreenBitmap columns 0..63 as a 64 x 7 LED image, stretched onto the whole
// canvas, grid on top.
void paintScreen(const PanelImage& ScreenBitmap, CanvasImage& canvas);

// The rasterizer of the edit line.
class EditCanvas {
  public:
    EditCanvas(GlyphRenderer& glyphs, PanelImage& ScreenBitmap);

    // What the window does around a redraw; each may be left empty.
    struct Hooks {
        std::function<void()> stopBlink;    // stop the cursor-blink timer
        std::function<void()> pumpMessages; // let pending window events run
        std::function<void()> startBlink;   // start the blink timer again, phase "on"
        std::function<void(int32_t index_linha)> AtualizaDemaisLinhas; // neighbour lines, status
        std::function<void()> canvasChanged; // the canvas picture is new: repaint it
    } hooks;

    // Rebuilds ScreenBitmap, the canvas, cfg.columnMap and
    // cfg.cursorColumn for `line`, moving the window start cfg.windowStart so that
    // the cursor cfg.cursorByte is visible. Positions that do not lie on
    // element boundaries (only a damaged state can hold them) are first moved
    // onto the nearest boundary before, and written back.
    void geraTela(Page& cfg, const LineStream& line);
    void geraTela(PageStore& store) { geraTela(store.page(), store.editLine()); }

    // The blink: draws (visible) or hides the cursor band at pos_cursor.
    void paintCursor(int32_t pos_cursor, bool visible);

    CanvasImage& canvas() { return canvas_; }
    const CanvasImage& canvas() const { return canvas_; }
    // Number of window passes of the last geraTela (for tests of the stepping).
    int lastPassCount() const { return lastPasses_; }

  private:
    GlyphRenderer& glyphs_;
    PanelImage& screen_;
    CanvasImage canvas_;
    int lastPasses_ = 0;
    // Per byte of the line: whether an element ends there, and the font in
    // force after it. Kept between calls to avoid allocating on every key.
    std::vector<uint8_t> isEnd_;
    std::vector<uint8_t> fontAfter_;
    std::vector<int32_t> endCount_; // element ends at indices < i
};

} // namespace vorelux
