#include "render/edit_canvas.h"

#include <algorithm>

namespace vorelux {

namespace {

bool penDraws(PenStyle style, int along) {
    switch (style) {
    case PenStyle::Dash:
        return along % 8 < 6;
    case PenStyle::Dot:
        return along % 2 == 0;
    case PenStyle::Solid:
        break;
    }
    return true;
}

void verticalLine(CanvasImage& bmp, int x, uint32_t colour, PenStyle style) {
    if (x < 0 || x >= bmp.width) return;
    for (int y = 0; y < bmp.height; ++y)
        if (penDraws(style, y)) bmp.scanLine(y)[x] = colour;
}

void horizontalLine(CanvasImage& bmp, int y, uint32_t colour, PenStyle style) {
    if (y < 0 || y >= bmp.height) return;
    uint32_t* row = bmp.scanLine(y);
    for (int x = 0; x < bmp.width; ++x)
        if (penDraws(style, x)) row[x] = colour;
}

} // namespace

void drawColumnGrid(CanvasImage& bmp, int32_t first, int32_t /*last*/, int32_t columnCount,
                    uint32_t colour, PenStyle style) {
    if (columnCount < 2 || bmp.width <= 0) return;
    const int64_t step = bmp.width / (columnCount - 1);
    int64_t previous = -1;
    for (int64_t j = first; j <= columnCount && previous < bmp.width; ++j) {
        const int64_t x = j * step;
        if (x >= 0 && x < bmp.width) verticalLine(bmp, int(x), colour, style);
        previous = x;
        if (step == 0) break; // every further line would fall on the same x
    }
}

void drawRowGrid(CanvasImage& bmp, int32_t first, int32_t /*last*/, int32_t rowCount,
                 uint32_t colour, PenStyle style) {
    if (rowCount < 2 || bmp.height <= 0) return;
    const int64_t step = bmp.height / (rowCount - 1);
    int64_t previous = -1;
    for (int64_t j = first; j < rowCount && previous < bmp.height; ++j) {
        const int64_t y = j * step;
        if (y >= 0 && y < bmp.height) horizontalLine(bmp, int(y), colour, style);
        previous = y;
        if (step == 0) break;
    }
}

void drawGrid(CanvasImage& bmp, int32_t firstColumn, int32_t lastColumn, int32_t columnCount,
              int32_t firstRow, int32_t lastRow, int32_t rowCount, uint32_t colour,
              PenStyle style) {
    drawColumnGrid(bmp, firstColumn, lastColumn, columnCount, colour, style);
    drawRowGrid(bmp, firstRow, lastRow, rowCount, colour, style);
}

void drawCanvasGrid(CanvasImage& bmp) {
    drawGrid(bmp, 0, PanelColumns + 1, PanelColumns + 1, 0, PanelRows + 1, PanelRows + 1,
             GridColour, PenStyle::Solid);
}

void paintCursorBand(CanvasImage& bmp, int32_t column, int32_t len, uint32_t colour,
                     PenStyle style) {
    const int64_t first = std::max<int64_t>(int64_t(column) * len, 0);
    const int64_t last = std::min<int64_t>((int64_t(column) + 1) * len - 1, bmp.width - 1);
    for (int64_t x = first; x <= last; ++x) verticalLine(bmp, int(x), colour, style);
}

LedRenderer canvasRenderer(LedColour colour) {
    return LedRenderer(LedLook::Grid, CellSize, colour);
}

void paintScreen(const PanelImage& screen, CanvasImage& canvas, LedColour colour) {
    canvasRenderer(colour).paint(screen, canvas);
}

EditCanvas::EditCanvas(GlyphRenderer& glyphs, PanelImage& screen)
    : glyphs_(glyphs), screen_(screen) {
    paintScreen(screen_, canvas_, colour_);
}

void EditCanvas::paintCursor(int32_t cursorColumn, bool visible) {
    const LedRenderer renderer = canvasRenderer(colour_);
    if (visible)
        paintCursorBand(canvas_, cursorColumn, CellSize, renderer.shades().cursor, PenStyle::Solid);
    else
        renderer.paintColumn(screen_, cursorColumn, canvas_);
    drawCanvasGrid(canvas_);
}

void EditCanvas::repaint(int32_t cursorColumn) {
    paintScreen(screen_, canvas_, colour_);
    paintCursor(cursorColumn, true);
}

void EditCanvas::rasterize(EditView& view, const LineStream& lineIn) {
    LineStream padded;
    const LineStream& line = withHeader(lineIn, padded);
    findElementEnds(line);
    int32_t start = 2;
    const int32_t cursor = placeOnElementEnds(view, int32_t(line.size()), start);
    lastPasses_ = placeWindow(view, line, cursor, start);

    const std::vector<int32_t>& map = view.columnMap;
    const int32_t offset = std::max<int32_t>(cursor - start, 0);
    view.cursorColumn = size_t(offset) < map.size() ? map[size_t(offset)] : map.front();

    repaint(view.cursorColumn);
}

const LineStream& EditCanvas::withHeader(const LineStream& line, LineStream& padded) {
    // A line always has its 3-byte header; a shorter one (never written by the
    // editor) is drawn with effect 1 markers for what is missing.
    if (line.size() >= HeaderSize) return line;
    padded = newLine();
    for (size_t i = 1; i < line.size(); ++i) padded[i] = line[i];
    return padded;
}

void EditCanvas::findElementEnds(const LineStream& line) {
    // Elements end at a content byte, or at the code byte of a drawing pair
    // (an escape that is the last byte stands alone). Index 2 is the end of
    // the header.
    const int32_t size = int32_t(line.size());
    isEnd_.assign(size_t(size), 0);
    fontAfter_.assign(size_t(size), 1);
    endCount_.assign(size_t(size) + 1, 0);
    isEnd_[2] = 1;
    uint8_t font = 1;
    for (int32_t j = HeaderSize; j < size;) {
        int32_t end = j;
        if (line[size_t(j)] == DrawingEscape && j + 1 < size) {
            end = j + 1;
            fontAfter_[size_t(j)] = font;
        } else if (line[size_t(j)] <= 3) {
            font = line[size_t(j)];
        }
        isEnd_[size_t(end)] = 1;
        fontAfter_[size_t(end)] = font;
        j = end + 1;
    }
    for (int32_t j = 0; j < size; ++j)
        endCount_[size_t(j) + 1] = endCount_[size_t(j)] + isEnd_[size_t(j)];
}

int32_t EditCanvas::placeOnElementEnds(EditView& view, int32_t size, int32_t& start) const {
    // The cursor and the window start stand on element ends, the window start
    // never after the cursor.
    int32_t cursor = std::clamp<int32_t>(view.cursorByte, 2, size - 1);
    if (!isEnd_[size_t(cursor)]) ++cursor; // the escape of a pair: after the pair
    start = std::clamp<int32_t>(view.windowStart, 2, cursor);
    while (!isEnd_[size_t(start)]) --start;
    view.cursorByte = cursor;
    view.windowStart = start;
    return cursor;
}

int32_t EditCanvas::stepLeft(int32_t start) const {
    if (start <= 2) return start;
    do --start;
    while (!isEnd_[size_t(start)]);
    return start;
}

int32_t EditCanvas::stepRight(int32_t start, int32_t cursor) const {
    if (start >= cursor) return start;
    do ++start;
    while (!isEnd_[size_t(start)]);
    return start;
}

int EditCanvas::placeWindow(EditView& view, const LineStream& line, int32_t cursor,
                            int32_t& start) {
    std::vector<int32_t>& map = view.columnMap;
    const int32_t maxPasses = 2 * int32_t(line.size()) + 8;
    int passes = 0;
    for (bool placed = false; !placed;) {
        ++passes;
        map.clear();
        const TextArea area = drawMarkers(line, map);
        placed = cursor == 2;
        if (!placed) start = passStart(start, cursor);
        view.windowStart = start;
        const TextPass pass = drawText(line, start, cursor, area, map);
        placed = placed || pass.cursorPlaced;
        if (!placed) {
            if (passes >= maxPasses) break; // cannot happen for any line; never hang
            start = start + pass.bytes > cursor + 1 ? stepLeft(start) : stepRight(start, cursor);
            view.windowStart = start;
        }
    }
    return passes;
}

int32_t EditCanvas::passStart(int32_t start, int32_t cursor) const {
    if (start == cursor && start > 2) return stepLeft(start);
    if (endCount_[size_t(cursor)] - endCount_[size_t(start) + 1] > PanelColumns) {
        // More elements lie between the window start and the cursor than
        // the window could ever hold (each is at least one column wide):
        // every pass in between would step right again, so go straight on.
        const int32_t wanted = endCount_[size_t(cursor)] - PanelColumns;
        while (endCount_[size_t(start) + 1] < wanted) start = stepRight(start, cursor);
    }
    return start;
}

EditCanvas::TextArea EditCanvas::drawMarkers(const LineStream& line, std::vector<int32_t>& map) {
    screen_.fill(0);
    // Entry marker at the left edge; its blank column is the cursor position
    // at the window start.
    glyphs_.convertCharacter(1, line[1]);
    const int32_t entryWidth = glyphs_.lastGlyphColumn + 1;
    std::copy_n(glyphs_.glyphColumns.begin(), entryWidth, screen_.begin());
    map.push_back(entryWidth - 1);
    // Exit marker at the right edge; its blank column falls on the spare column 64.
    glyphs_.convertCharacter(1, line[2]);
    const int32_t exitWidth = glyphs_.lastGlyphColumn + 1;
    std::copy_n(glyphs_.glyphColumns.begin(), exitWidth,
                screen_.begin() + (PanelColumns + 1 - exitWidth));
    return {entryWidth, PanelLastColumn - exitWidth};
}

EditCanvas::TextPass EditCanvas::drawText(const LineStream& line, int32_t start, int32_t cursor,
                                          const TextArea& area, std::vector<int32_t>& map) {
    const int32_t size = int32_t(line.size());
    const int32_t lastText = area.lastColumn;
    uint8_t font = fontAfter_[size_t(start)];
    int32_t k = area.entryWidth - 1; // the last column drawn
    TextPass pass;
    int32_t& i = pass.bytes;
    while (k < lastText - 1 && start + 1 + i < size) {
        const int32_t before = k;
        i += convertElement(line, start + 1 + i, font);
        const int32_t width = glyphs_.lastGlyphColumn + 1;
        for (int32_t c = 0; c < width && k + 1 + c <= lastText; ++c)
            screen_[size_t(k + 1 + c)] = glyphs_.glyphColumns[size_t(c)];
        k += width;
        int32_t entry = -1;
        if (k <= lastText) {
            entry = k;
        } else if (before == area.entryWidth - 1 && start + i == cursor) {
            // Wider than the whole text area (only a damaged header makes
            // the markers that wide): shown cut off, cursor at the limit.
            entry = lastText;
        }
        if (entry >= 0) {
            map.resize(size_t(i) + 1, 0);
            map[size_t(i)] = entry;
            if (start + i == cursor) pass.cursorPlaced = true;
        }
    }
    return pass;
}

int32_t EditCanvas::convertElement(const LineStream& line, int32_t at, uint8_t& font) {
    const uint8_t b = line[size_t(at)];
    if (b == DrawingEscape && size_t(at) + 1 < line.size()) {
        glyphs_.convertSprite(line[size_t(at) + 1]);
        return 2;
    }
    if (b == DrawingEscape) {
        glyphs_.glyphColumns.fill(0); // an escape without its code: blank, like a missing glyph
    } else if (b <= 3) {
        glyphs_.convertCharacter(0, b); // font markers always in the thin font
        font = b;
    } else {
        glyphs_.convertCharacter(font, b);
    }
    return 1;
}

} // namespace vorelux
