// The edit-line rasterizer and the canvas painting.
#include "model/line.h"
#include "render/edit_canvas.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace vorelux {
namespace {

const uint32_t CursorColour = ledShades(DefaultLedColour).cursor;

std::vector<uint8_t> glyph(int font, uint8_t code) {
    GlyphRenderer g;
    g.convertCharacter(font, code);
    return std::vector<uint8_t>(g.glyphColumns.begin(),
                                g.glyphColumns.begin() + g.lastGlyphColumn + 1);
}

LineStream lineOf(const std::vector<uint8_t>& content, uint8_t in = 192, uint8_t out = 192) {
    LineStream line;
    line.reserve(3 + content.size());
    line.assign({0xFF, in, out});
    line.insert(line.end(), content.begin(), content.end());
    return line;
}

std::vector<uint8_t> screenSlice(const PanelImage& s, int from, int count) {
    return std::vector<uint8_t>(s.begin() + from, s.begin() + from + count);
}

// Element ends of a line: index 2 and the last byte of every element.
std::vector<int32_t> elementEnds(const LineStream& line) {
    std::vector<int32_t> ends = {2};
    for (size_t j = 3; j < line.size(); ++j) {
        if (line[j] == DrawingEscape && j + 1 < line.size()) ++j;
        ends.push_back(int32_t(j));
    }
    return ends;
}

class Rasterize : public ::testing::Test {
  protected:
    GlyphRenderer glyphs;
    PanelImage screen{};
    EditCanvas canvas{glyphs, screen};
    EditView page;

    void draw(const LineStream& line, int32_t index, int32_t windowStart = 2) {
        page.cursorByte = index;
        page.windowStart = windowStart;
        canvas.rasterize(page, line);
    }
    bool bandAt(int column) const {
        const CanvasImage& c = canvas.canvas();
        for (int x = column * 10 + 1; x < column * 10 + 10; ++x)
            if (c.pixel(x, 35) != CursorColour || c.pixel(x, 5) != CursorColour) return false;
        return true;
    }
};

TEST_F(Rasterize, NewLineShowsBothMarkersAndTheCursorAfterTheEntryMarker) {
    draw(newLine(), 2);
    const auto marker = glyph(1, 192);
    EXPECT_EQ(screenSlice(screen, 0, 7), std::vector<uint8_t>(marker.begin(), marker.begin() + 7));
    EXPECT_EQ(screenSlice(screen, 57, 7), std::vector<uint8_t>(marker.begin(), marker.begin() + 7));
    EXPECT_EQ(screenSlice(screen, 7, 50), std::vector<uint8_t>(50, 0));
    EXPECT_EQ(page.columnMap, (std::vector<int32_t>{7}));
    EXPECT_EQ(page.cursorColumn, 7);
    EXPECT_TRUE(bandAt(7));
    EXPECT_FALSE(bandAt(8));
}

TEST_F(Rasterize, LetterAInBoldAfterTheEntryMarker) {
    draw(lineOf({'A'}), 3);
    const auto a = glyph(1, 'A');
    ASSERT_EQ(a.size(), 7u);
    EXPECT_EQ(screenSlice(screen, 8, 7), a);
    EXPECT_EQ(screen[14], 0);
    EXPECT_EQ(page.columnMap, (std::vector<int32_t>{7, 14}));
    EXPECT_EQ(page.cursorColumn, 14);
    EXPECT_TRUE(bandAt(14));
}

TEST_F(Rasterize, FullWindowCutsTheLastElementAndGivesItNoMapEntry) {
    const LineStream line = lineOf(std::vector<uint8_t>(10, 'A')); // 7 columns each
    draw(line, 3);
    // Six whole letters end at 14, 21, .. 49; the seventh is cut at column 55.
    EXPECT_EQ(page.columnMap, (std::vector<int32_t>{7, 14, 21, 28, 35, 42, 49}));
    const auto a = glyph(1, 'A');
    EXPECT_EQ(screenSlice(screen, 50, 6), std::vector<uint8_t>(a.begin(), a.begin() + 6));
    EXPECT_EQ(screen[56], 0);
    EXPECT_EQ(page.windowStart, 2);
}

TEST_F(Rasterize, CursorAtTheEndOfALongLineMovesTheWindowRight) {
    const LineStream line = lineOf(std::vector<uint8_t>(40, 'A'));
    const int32_t last = int32_t(line.size()) - 1;
    draw(line, last);
    // Six letters fit before the text limit; the window starts just before them.
    EXPECT_EQ(page.windowStart, last - 6);
    EXPECT_EQ(page.cursorColumn, 49);
    EXPECT_LE(page.cursorColumn, 55);
    EXPECT_EQ(screen[size_t(page.cursorColumn)], 0);
    EXPECT_TRUE(bandAt(page.cursorColumn));
}

TEST_F(Rasterize, CursorOnTheWindowStartStepsLeftByOneElement) {
    const LineStream line = lineOf(std::vector<uint8_t>(10, 'A'));
    draw(line, 12);
    ASSERT_EQ(page.windowStart, 6);
    draw(line, 6, 6); // cursor moved left onto the window start
    EXPECT_EQ(page.windowStart, 5);
    EXPECT_EQ(page.cursorColumn, 14);
}

TEST_F(Rasterize, DrawingPairEntersTheWindowWhole) {
    std::vector<uint8_t> content = {'A', 31, 12};
    content.insert(content.end(), 10, 'A');
    const LineStream line = lineOf(content);
    draw(line, 5, 5);                // cursor after the drawing, window starting there
    EXPECT_EQ(page.windowStart, 3);  // not 4, the escape
    EXPECT_EQ(page.columnMap[1], 0); // the escape is no cursor position
    EXPECT_EQ(page.columnMap[2], 15);
    EXPECT_EQ(page.cursorColumn, 15);
    GlyphRenderer g;
    g.convertSprite(12);
    EXPECT_EQ(screenSlice(screen, 8, 8),
              std::vector<uint8_t>(g.glyphColumns.begin(), g.glyphColumns.begin() + 8));
}

TEST_F(Rasterize, FontByteShowsItsThinMarkerAndSwitchesTheFont) {
    draw(lineOf({'A', 0, 'A', 3, 'A'}), 7);
    const auto bold = glyph(1, 'A'), marker0 = glyph(0, 0), thin = glyph(0, 'A');
    const auto marker3 = glyph(0, 3), wide = glyph(3, 'A');
    int x = 8;
    for (const auto* part : {&bold, &marker0, &thin, &marker3, &wide}) {
        EXPECT_EQ(screenSlice(screen, x, int(part->size())), *part) << "at column " << x;
        x += int(part->size());
    }
    EXPECT_EQ(marker0.size(), 6u);
    EXPECT_EQ(marker3.size(), 7u);
}

TEST_F(Rasterize, FontInForceAtTheWindowStartComesFromBeforeIt) {
    // Window starting after the font byte: the letter is thin, no marker shown.
    const LineStream line = lineOf({'A', 0, 'B'});
    draw(line, 5, 4);
    EXPECT_EQ(screenSlice(screen, 8, 5), glyph(0, 'B'));
    // A drawing of code 0 or 2 is no font byte.
    const LineStream pair = lineOf({31, 2, 'B'});
    draw(pair, 5, 4);
    EXPECT_EQ(screenSlice(screen, 8, 7), glyph(1, 'B'));
}

TEST_F(Rasterize, TwoDigitEffectMarkers) {
    draw(newLine(), 2);
    draw(lineOf({}, 201, 252), 2);
    EXPECT_EQ(screenSlice(screen, 0, 8), glyph(1, 201));
    const auto exit = glyph(1, 252);
    EXPECT_EQ(screenSlice(screen, 57, 7), std::vector<uint8_t>(exit.begin(), exit.begin() + 7));
}

TEST_F(Rasterize, WindowSurroundsTheCursorWhereverItMoves) {
    // A line with fonts, drawings and live fields, walked end to end and back
    // the way the arrow keys do, keeping the window start between moves.
    std::vector<uint8_t> content;
    for (int r = 0; r < 12; ++r) {
        content.insert(content.end(), {'H', 'e', 'l', 'l', 'o', 31, 60, 2, 'W', 8, 31, 0, 3, '!',
                                       31, 211, 1, ' ', 167});
    }
    const LineStream line = lineOf(content, 201, 196);
    const auto ends = elementEnds(line);
    auto check = [&](int32_t index) {
        EXPECT_EQ(page.cursorByte, index);
        EXPECT_LE(page.windowStart, index);
        EXPECT_NE(line[size_t(page.windowStart)], DrawingEscape);
        ASSERT_LT(size_t(index - page.windowStart), page.columnMap.size());
        EXPECT_EQ(page.cursorColumn, page.columnMap[size_t(index - page.windowStart)]);
        EXPECT_GE(page.cursorColumn, 7);
        EXPECT_LE(page.cursorColumn, 55);
        EXPECT_EQ(screen[size_t(page.cursorColumn)], 0) << "cursor on a blank column";
    };
    page.windowStart = 2;
    for (int32_t index : ends) {
        page.cursorByte = index;
        canvas.rasterize(page, line);
        check(index);
    }
    for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
        page.cursorByte = *it;
        canvas.rasterize(page, line);
        check(*it);
    }
    // Home / End jumps.
    draw(line, ends.back());
    check(ends.back());
    page.cursorByte = 2;
    page.windowStart = 2;
    canvas.rasterize(page, line);
    check(2);
}

// Lines and positions only a damaged file or state can hold: rasterize
// always ends, with the cursor on the canvas.
TEST_F(Rasterize, DamagedLinesAndPositionsNeverHang) {
    struct Case {
        LineStream line;
        int32_t index, windowStart;
        const char* what;
    };
    const std::vector<Case> cases = {
        {.line = {}, .index = 2, .windowStart = 2, .what = "empty line"},
        {.line = {0xFF}, .index = 5, .windowStart = 2, .what = "marker only"},
        {.line = {0xFF, 200}, .index = 2, .windowStart = 2, .what = "no exit effect"},
        {.line = lineOf({'A', 31}),
         .index = 4,
         .windowStart = 2,
         .what = "escape without code at the end"},
        {.line = lineOf({'A', 31, 12, 'B'}),
         .index = 4,
         .windowStart = 2,
         .what = "cursor on an escape"},
        {.line = lineOf({'A', 'B', 'C'}),
         .index = 3,
         .windowStart = 5,
         .what = "window start after the cursor"},
        {.line = lineOf({'A', 'B'}), .index = 40, .windowStart = 30, .what = "cursor past the end"},
        {.line = lineOf({'A', 'B'}), .index = -7, .windowStart = -3, .what = "negative positions"},
        {.line = lineOf({'A', 31, 'B'}, 4, 30),
         .index = 5,
         .windowStart = 2,
         .what = "effect bytes without glyphs"},
        {.line = lineOf({31, 31, 31, 255, 254, 4, 5, 6, 7, 16, 17, 28, 29, 30}),
         .index = 16,
         .windowStart = 2,
         .what = "odd bytes"},
    };
    for (const auto& c : cases) {
        draw(c.line, c.index, c.windowStart);
        EXPECT_GE(page.cursorColumn, 0) << c.what;
        EXPECT_LE(page.cursorColumn, 63) << c.what;
        EXPECT_LE(page.windowStart, page.cursorByte) << c.what;
    }
}

TEST_F(Rasterize, ElementWiderThanTheTextAreaIsShownCutOff) {
    // Header bytes without glyphs keep the last conversion's width: after the
    // widest drawing both markers are 24 columns and the 24-column drawing
    // can never fit whole.
    glyphs.convertSprite(60);
    const LineStream line = lineOf({'A', 31, 60}, 4, 4);
    draw(line, 5);
    EXPECT_EQ(page.cursorByte, 5);
    EXPECT_LE(canvas.lastPassCount(), 3);
    EXPECT_LE(page.cursorColumn, 63);
}

TEST_F(Rasterize, RandomLinesAlwaysFinish) {
    std::mt19937 rng(7);
    for (int n = 0; n < 2000; ++n) {
        LineStream line = {0xFF, uint8_t(rng()), uint8_t(rng())};
        const int len = int(rng() % 300);
        for (int i = 0; i < len; ++i) line.push_back(rng() % 4 == 0 ? 31 : uint8_t(rng()));
        draw(line, int32_t(rng() % 320) - 5, int32_t(rng() % 320) - 5);
        // The cursor is placed by the passes themselves, never by the safety limit.
        ASSERT_LT(canvas.lastPassCount(), 2 * int(line.size()) + 8);
        ASSERT_LT(size_t(page.cursorByte - page.windowStart), page.columnMap.size());
        EXPECT_EQ(page.cursorColumn, page.columnMap[size_t(page.cursorByte - page.windowStart)]);
        EXPECT_GE(page.cursorColumn, 0);
        EXPECT_LE(page.cursorColumn, 63);
    }
}

// The blink may have hidden the cursor and a preview frame may lie on the
// canvas: a rasterize leaves the new line's picture with the cursor shown,
// and touches nothing but its images and the page it is given.
TEST_F(Rasterize, LeavesTheNewPictureWithTheCursorShown) {
    draw(lineOf({'A', 'B'}), 4);
    const CanvasImage drawn = canvas.canvas();
    const int column = page.cursorColumn;
    canvas.paintCursor(column, false);
    EXPECT_FALSE(bandAt(column));
    paintScreen(PanelImage{}, canvas.canvas(), DefaultLedColour); // a blank preview frame
    page.lineIndex = 3;
    const EditView before = page;
    draw(lineOf({'A', 'B'}), 4);
    EXPECT_TRUE(bandAt(column));
    EXPECT_EQ(canvas.canvas().pixels, drawn.pixels);
    EXPECT_EQ(page.lineIndex, before.lineIndex);
    EXPECT_EQ(page.columnMap, before.columnMap);
}

// --- canvas painting ---------------------------------------------------------

// The centre pixel of LED (column, row) at 10 pixels per LED.
uint32_t ledCentre(const CanvasImage& canvas, int column, int row) {
    return canvas.pixel(column * 10 + 5, row * 10 + 5);
}

TEST(Canvas, GridEveryTenPixelsLitAndDarkLedsInTheColour) {
    PanelImage screen{};
    screen[0] = 0x40;  // top-left LED
    screen[63] = 0x01; // bottom-right LED
    for (LedColour colour : AllLedColours) {
        SCOPED_TRACE(ledColourWord(colour));
        const LedShades shades = ledShades(colour);
        CanvasImage canvas;
        paintScreen(screen, canvas, colour);
        ASSERT_EQ(canvas.width, CanvasWidth);
        ASSERT_EQ(canvas.height, CanvasHeight);
        EXPECT_EQ(canvas.bytesPerLine(), 641 * 4);
        for (int x = 0; x <= 640; x += 10) EXPECT_EQ(canvas.pixel(x, 5), GridColour) << x;
        for (int y = 0; y <= 70; y += 10) EXPECT_EQ(canvas.pixel(5, y), GridColour) << y;
        EXPECT_EQ(ledCentre(canvas, 0, 0), shades.lit);
        EXPECT_EQ(ledCentre(canvas, 63, 6), shades.lit);
        EXPECT_EQ(ledCentre(canvas, 1, 0), shades.dim);
        EXPECT_EQ(ledCentre(canvas, 63, 5), shades.dim);
        // A round LED: the cell's corners are the black ground.
        EXPECT_EQ(canvas.pixel(1, 1), LedGroundColour);
        EXPECT_EQ(canvas.pixel(9, 9), LedGroundColour);
        // A dark LED is visible, but clearly darker than a lit one, in the same hue.
        EXPECT_NE(shades.dim, LedGroundColour);
        EXPECT_NE(shades.dim, shades.lit);
        for (int shift : {0, 8, 16}) {
            const int lit = int(shades.lit >> shift) & 0xFF, dim = int(shades.dim >> shift) & 0xFF;
            EXPECT_LE(dim * 4, lit) << shift;
            EXPECT_GE(dim * 8, lit) << shift;
        }
        EXPECT_NE(shades.cursor, shades.lit);
    }
}

TEST(Canvas, CursorBandIsClippedToTheCanvas) {
    const uint32_t cursor = ledShades(DefaultLedColour).cursor;
    CanvasImage canvas(CanvasWidth, CanvasHeight);
    paintCursorBand(canvas, 63, 10, cursor, PenStyle::Solid);
    for (int x = 630; x < 640; ++x) EXPECT_EQ(canvas.pixel(x, 0), cursor);
    EXPECT_EQ(canvas.pixel(629, 0), LedGroundColour);
    EXPECT_EQ(canvas.pixel(640, 70), LedGroundColour);
    paintCursorBand(canvas, 64, 10, cursor, PenStyle::Solid);
    EXPECT_EQ(canvas.pixel(640, 70), cursor);
    paintCursorBand(canvas, -3, 10, cursor, PenStyle::Solid); // nothing, no crash
    EXPECT_EQ(canvas.pixel(0, 0), LedGroundColour);
}

// The blink's hidden phase shows the column's LEDs again (dark ones
// included), not a black gap; a new colour repaints the whole canvas.
TEST(Canvas, HidingTheCursorShowsTheColumnsLedsAndTheGrid) {
    GlyphRenderer g;
    PanelImage screen{};
    EditCanvas canvas(g, screen);
    EditView page;
    canvas.rasterize(page, newLine());
    const int column = page.cursorColumn;
    const LedShades red = ledShades(LedColour::Red);
    canvas.paintCursor(column, false);
    EXPECT_EQ(ledCentre(canvas.canvas(), column, 3), red.dim);
    EXPECT_EQ(canvas.canvas().pixel(column * 10, 35), GridColour);
    CanvasImage plain;
    paintScreen(screen, plain, LedColour::Red);
    EXPECT_EQ(canvas.canvas().pixels, plain.pixels);
    canvas.paintCursor(column, true);
    EXPECT_EQ(ledCentre(canvas.canvas(), column, 3), red.cursor);

    canvas.setColour(LedColour::Green);
    canvas.repaint(column);
    const LedShades green = ledShades(LedColour::Green);
    EXPECT_EQ(ledCentre(canvas.canvas(), column, 3), green.cursor);
    EXPECT_EQ(ledCentre(canvas.canvas(), column + 1, 3), green.dim);
    EXPECT_EQ(ledCentre(canvas.canvas(), 0, 0), (screen[0] & 0x40) ? green.lit : green.dim);
}

} // namespace
} // namespace vorelux
