#pragma once
// The edit canvas: the edit line rasterized LED by LED into the screen image,
// painted as 10-pixel LED cells with a grid and the cursor band.
#include "model/store.h"
#include "render/glyphs.h"
#include "render/led_look.h"
#include "render/panel.h"

#include <cstdint>
#include <vector>

namespace vorelux {

constexpr int CanvasWidth = 641;
constexpr int CanvasHeight = 71;

enum class PenStyle { Solid, Dash, Dot };

// Vertical grid lines at x = j * (width div (columnCount - 1)) for j = first ..
// columnCount (last has no effect).
void drawColumnGrid(CanvasImage& bmp, int32_t first, int32_t last, int32_t columnCount,
                    uint32_t colour, PenStyle style);
// Horizontal grid lines at y = j * (height div (rowCount - 1)) for j = first ..
// rowCount - 1 (last has no effect).
void drawRowGrid(CanvasImage& bmp, int32_t first, int32_t last, int32_t rowCount, uint32_t colour,
                 PenStyle style);
void drawGrid(CanvasImage& bmp, int32_t firstColumn, int32_t lastColumn, int32_t columnCount,
              int32_t firstRow, int32_t lastRow, int32_t rowCount, uint32_t colour, PenStyle style);
// The grid of the edit canvas: one line every 10 pixels both ways.
void drawCanvasGrid(CanvasImage& bmp);
// Paints pixel columns column*len .. (column+1)*len - 1 (clipped) full height.
void paintCursorBand(CanvasImage& bmp, int32_t column, int32_t len, uint32_t colour,
                     PenStyle style);

// The edit canvas's LED picture: the grid look at CellSize pixels per LED.
LedRenderer canvasRenderer(LedColour colour);
// Screen columns 0..63 as the edit canvas's LED picture in `colour` (the
// canvas is made CanvasWidth x CanvasHeight), grid on top.
void paintScreen(const PanelImage& screen, CanvasImage& canvas, LedColour colour);

// The rasterizer of the edit line.
class EditCanvas {
  public:
    EditCanvas(GlyphRenderer& glyphs, PanelImage& screen);

    // Rebuilds the screen image, the canvas, view.columnMap and
    // view.cursorColumn for `line`, moving the window start view.windowStart so
    // that the cursor view.cursorByte is visible, and paints the cursor band.
    // Positions that do not lie on element boundaries (only a damaged state
    // can hold them) are first moved onto the nearest boundary before, and
    // written back. Touches nothing but its own images and `view`: the caller
    // repaints and restarts the blink.
    void rasterize(EditView& view, const LineStream& line);
    void rasterize(PageStore& store) { rasterize(store.view(), store.editLine()); }

    // The blink: draws (visible) or hides the cursor band at cursorColumn;
    // hidden, the column's LEDs show again.
    void paintCursor(int32_t cursorColumn, bool visible);

    // The LED colour of the canvas; the next paint uses it.
    void setColour(LedColour colour) { colour_ = colour; }
    LedColour colour() const { return colour_; }
    // Repaints the canvas from the screen image with the cursor band, as
    // rasterize leaves it (after a colour change).
    void repaint(int32_t cursorColumn);

    CanvasImage& canvas() { return canvas_; }
    const CanvasImage& canvas() const { return canvas_; }
    // Number of window passes of the last rasterize (for tests of the stepping).
    int lastPassCount() const { return lastPasses_; }

  private:
    // The columns left between the two effect markers.
    struct TextArea {
        int32_t entryWidth = 0; // columns of the entry marker
        int32_t lastColumn = 0; // the last column for text
    };
    // One pass of the window over the line.
    struct TextPass {
        int32_t bytes = 0; // bytes after the window start that were drawn
        bool cursorPlaced = false;
    };
    static const LineStream& withHeader(const LineStream& line, LineStream& padded);
    // Where elements end and the font in force after each.
    void findElementEnds(const LineStream& line);
    // Moves the cursor and window start onto element ends; returns the cursor.
    int32_t placeOnElementEnds(EditView& view, int32_t size, int32_t& start) const;
    int32_t stepLeft(int32_t start) const;
    int32_t stepRight(int32_t start, int32_t cursor) const;
    // Draws passes, stepping the window start, until the cursor is on show;
    // returns the number of passes.
    int placeWindow(EditView& view, const LineStream& line, int32_t cursor, int32_t& start);
    // The window start a pass begins with.
    int32_t passStart(int32_t start, int32_t cursor) const;
    TextArea drawMarkers(const LineStream& line, std::vector<int32_t>& map);
    TextPass drawText(const LineStream& line, int32_t start, int32_t cursor, const TextArea& area,
                      std::vector<int32_t>& map);
    // Converts the element at byte `at` into the glyph buffer; returns its bytes.
    int32_t convertElement(const LineStream& line, int32_t at, uint8_t& font);

    GlyphRenderer& glyphs_;
    PanelImage& screen_;
    CanvasImage canvas_;
    LedColour colour_ = DefaultLedColour;
    int lastPasses_ = 0;
    // Per byte of the line: whether an element ends there, and the font in
    // force after it. Kept between calls to avoid allocating on every key.
    std::vector<uint8_t> isEnd_;
    std::vector<uint8_t> fontAfter_;
    std::vector<int32_t> endCount_; // element ends at indices < i
};

} // namespace vorelux
