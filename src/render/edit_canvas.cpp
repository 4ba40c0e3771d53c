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

void verticalLine(CanvasImage& bmp, int x, uint32_t cor, PenStyle style) {
    if (x < 0 || x >= bmp.width) return;
    for (int y = 0; y < bmp.height; ++y)
        if (penDraws(style, y)) bmp.scanLine(y)[x] = cor;
}

void horizontalLine(CanvasImage& bmp, int y, uint32_t cor, PenStyle style) {
    if (y < 0 || y >= bmp.height) return;
    uint32_t* row = bmp.scanLine(y);
    for (int x = 0; x < bmp.width; ++x)
        if (penDraws(style, x)) row[x] = cor;
}

} // namespace

void drawColumnGrid(CanvasImage& bmp, int32_t ini, int32_t /*fim*/, int32_t num_colunas,
                    uint32_t cor, PenStyle style) {
    if (num_colunas < 2 || bmp.width <= 0) return;
    const int64_t step = bmp.width / (num_colunas - 1);
    int64_t previous = -1;
    for (int64_t j = ini; j <= num_colunas && previous < bmp.width; ++j) {
        const int64_t x = j * step;
        if (x >= 0 && x < bmp.width) verticalLine(bmp, int(x), cor, style);
        previous = x;
        if (step == 0) break; // every further line would fall on the same x
    }
}

void drawRowGrid(CanvasImage& bmp, int32_t ini, int32_t /*fim*/, int32_t num_linhas, uint32_t cor,
                 PenStyle style) {
    if (num_linhas < 2 || bmp.height <= 0) return;
    const int64_t step = bmp.height / (num_linhas - 1);
    int64_t previous = -1;
    for (int64_t j = ini; j < num_linhas && previous < bmp.height; ++j) {
        const int64_t y = j * step;
        if (y >= 0 && y < bmp.height) horizontalLine(bmp, int(y), cor, style);
        previous = y;
        if (step == 0) break;
    }
}

void drawGrid(CanvasImage& bmp, int32_t col_ini, int32_t col_fim, int32_t col_num, int32_t lin_ini,
              int32_t lin_fim, int32_t lin_num, uint32_t cor, PenStyle style) {
    drawColumnGrid(bmp, col_ini, col_fim, col_num, cor, style);
    drawRowGrid(bmp, lin_ini, lin_fim, lin_num, cor, style);
}

void drawCanvasGrid(CanvasImage& bmp) {
    drawGrid(bmp, 0, PanelColumns + 1, PanelColumns + 1, 0, PanelRows + 1, PanelRows + 1,
             GridColour, PenStyle::Solid);
}

void paintCursorBand(CanvasImage& bmp, int32_t coluna, int32_t len, uint32_t cor, PenStyle style) {
    const int64_t first = std::max<int64_t>(int64_t(coluna) * len, 0);
    const int64_t last = std::min<int64_t>((int64_t(coluna) + 1) * len - 1, bmp.width - 1);
    for (int64_t x = first; x <= last; ++x) verticalLine(bmp, int(x), cor, style);
}

void paintScreen(const PanelImage& ScreenBitmap, CanvasImage& canvas) {
    // Nearest-neighbour stretch of the 64 x 7 LED image over the whole canvas:
    // each LED row is painted once and copied to the pixel rows it covers.
    int paintedRow = -1;
    for (int y = 0; y < canvas.height; ++y) {
        const int row = y * PanelRows / canvas.height;
        uint32_t* line = canvas.scanLine(y);
        if (row == paintedRow) {
            std::copy_n(canvas.scanLine(y - 1), canvas.width, line);
            continue;
        }
        paintedRow = row;
        const uint8_t mask = uint8_t(1u << (PanelLastRow - row));
        int x = 0;
        for (int column = 0; column < PanelColumns; ++column) {
            const int end =
                int((int64_t(column) + 1) * canvas.width + PanelColumns - 1) / PanelColumns;
            const uint32_t colour =
                (ScreenBitmap[size_t(column)] & mask) ? LedOnColour : LedOffColour;
            for (; x < end && x < canvas.width; ++x) line[x] = colour;
        }
    }
    drawCanvasGrid(canvas);
}

EditCanvas::EditCanvas(GlyphRenderer& glyphs, PanelImage& ScreenBitmap)
    : glyphs_(glyphs), screen_(ScreenBitmap), canvas_(CanvasWidth, CanvasHeight, LedOffColour) {
    drawCanvasGrid(canvas_);
}

void EditCanvas::paintCursor(int32_t pos_cursor, bool visible) {
    paintCursorBand(canvas_, pos_cursor, CellSize, visible ? CursorColour : LedOffColour,
                    PenStyle::Solid);
    drawCanvasGrid(canvas_);
    if (hooks.canvasChanged) hooks.canvasChanged();
}

void EditCanvas::geraTela(Page& cfg, const LineStream& lineIn) {
    if (hooks.stopBlink) hooks.stopBlink();
    if (hooks.pumpMessages) hooks.pumpMessages();

    // A line always has its 3-byte header; a shorter one (never written by the
    // editor) is drawn with effect 1 markers for what is missing.
    LineStream padded;
    const LineStream* linePtr = &lineIn;
    if (lineIn.size() < HeaderSize) {
        padded = newLine();
        for (size_t i = 1; i < lineIn.size(); ++i) padded[i] = lineIn[i];
        linePtr = &padded;
    }
    const LineStream& line = *linePtr;
    const int32_t size = int32_t(line.size());

    // Where elements end (a content byte, or the code byte of a drawing pair;
    // an escape that is the last byte stands alone) and the font in force
    // after each of them. Index 2 is the end of the header.
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

    // The cursor and the window start stand on element ends, the window start
    // never after the cursor.
    int32_t cursor = std::clamp<int32_t>(cfg.cursorByte, 2, size - 1);
    if (!isEnd_[size_t(cursor)]) ++cursor; // the escape of a pair: after the pair
    int32_t start = std::clamp<int32_t>(cfg.windowStart, 2, cursor);
    while (!isEnd_[size_t(start)]) --start;
    cfg.cursorByte = cursor;
    cfg.windowStart = start;

    auto stepLeft = [&] {
        if (start <= 2) return;
        do --start;
        while (!isEnd_[size_t(start)]);
    };
    auto stepRight = [&] {
        if (start >= cursor) return;
        do ++start;
        while (!isEnd_[size_t(start)]);
    };

    std::vector<int32_t>& map = cfg.columnMap;
    const int32_t maxPasses = 2 * size + 8;
    bool placed = false;
    int passes = 0;
    while (!placed) {
        ++passes;
        map.clear();
        screen_.fill(0);

        // Entry marker at the left edge; its blank column is the cursor
        // position at the window start.
        glyphs_.convertCharacter(1, line[1]);
        const int32_t we = glyphs_.GlyphLast + 1;
        std::copy_n(glyphs_.glyphColumns.begin(), we, screen_.begin());
        map.push_back(we - 1);
        // Exit marker at the right edge; its blank column falls on the spare column 64.
        glyphs_.convertCharacter(1, line[2]);
        const int32_t wx = glyphs_.GlyphLast + 1;
        std::copy_n(glyphs_.glyphColumns.begin(), wx, screen_.begin() + (PanelColumns + 1 - wx));
        const int32_t T = PanelLastColumn - wx; // the last column for text

        if (cursor == 2) {
            placed = true;
        } else if (start == cursor && start > 2) {
            stepLeft();
        } else if (endCount_[size_t(cursor)] - endCount_[size_t(start) + 1] > PanelColumns) {
            // More elements lie between the window start and the cursor than
            // the window could ever hold (each is at least one column wide):
            // every pass in between would step right again, so go straight on.
            const int32_t wanted = endCount_[size_t(cursor)] - PanelColumns;
            while (endCount_[size_t(start) + 1] < wanted) stepRight();
        }
        if (cfg.windowStart != start) cfg.windowStart = start;

        uint8_t f = fontAfter_[size_t(start)];
        int32_t k = we - 1;
        int32_t i = 0;
        while (k < T - 1 && start + 1 + i < size) {
            const int32_t first = k;
            const uint8_t b = line[size_t(start + 1 + i)];
            if (b == DrawingEscape && start + 2 + i < size) {
                glyphs_.convertSprite(line[size_t(start + 2 + i)]);
                ++i;
            } else if (b == DrawingEscape) {
                glyphs_.glyphColumns.fill(
                    0); // an escape without its code: blank, like a missing glyph
            } else if (b <= 3) {
                glyphs_.convertCharacter(0, b); // font markers always in the thin font
                f = b;
            } else {
                glyphs_.convertCharacter(f, b);
            }
            ++i;
            const int32_t w = glyphs_.GlyphLast + 1;
            for (int32_t c = 0; c < w && k + 1 + c <= T; ++c)
                screen_[size_t(k + 1 + c)] = glyphs_.glyphColumns[size_t(c)];
            k += w;
            int32_t entry = -1;
            if (k <= T) {
                entry = k;
            } else if (first == we - 1 && start + i == cursor) {
                // Wider than the whole text area (only a damaged header makes
                // the markers that wide): shown cut off, cursor at the limit.
                entry = T;
            }
            if (entry >= 0) {
                map.resize(size_t(i) + 1, 0);
                map[size_t(i)] = entry;
                if (start + i == cursor) placed = true;
            }
        }
        cfg.windowEnd = start + i;

        if (!placed) {
            if (passes >= maxPasses) break; // cannot happen for any line; never hang
            if (start + i > cursor + 1)
                stepLeft();
            else
                stepRight();
            cfg.windowStart = start;
        }
    }
    lastPasses_ = passes;

    const int32_t offset = std::max<int32_t>(cursor - start, 0);
    cfg.cursorColumn = size_t(offset) < map.size() ? map[size_t(offset)] : map.front();

    paintScreen(screen_, canvas_);
    if (hooks.AtualizaDemaisLinhas) hooks.AtualizaDemaisLinhas(cfg.lineIndex);
    paintCursorBand(canvas_, cfg.cursorColumn, CellSize, CursorColour, PenStyle::Solid);
    drawCanvasGrid(canvas_);
    if (hooks.canvasChanged) hooks.canvasChanged();
    if (hooks.startBlink) hooks.startBlink();
}

} // namespace vorelux
