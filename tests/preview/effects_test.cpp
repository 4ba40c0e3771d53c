// Entry, exit and figure effects: frame counts, cycles per frame, and the
// first and last frames the effects are known for.
#include "preview/effect_table.h"
#include "preview/page_player.h"
#include "preview/panel_screen.h"
#include "preview/recording_sink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorelux::preview {
namespace {

// A segment with every row lit somewhere and no two equal neighbours.
PanelImage testSegment() {
    PanelImage a{};
    for (int c = 0; c < 64; ++c) a[size_t(c)] = uint8_t(((c * 37 + 11) ^ (c << 2)) & 0x7F) | 0x01;
    a[9] |= 0x40;
    return a;
}

PanelImage visible(PanelImage image) {
    image[64] = 0;
    for (auto& c : image) c &= 0x7F;
    return image;
}

struct EffectRig {
    GlyphRenderer glyphs;
    RecordingSink sink;

    // Entry: the segment comes onto a dark screen.
    RunResult entry(int n, PanelImage segment = testSegment()) {
        segment[64] = 0;
        return playEffect(true, n, segment, glyphs, sink);
    }
    // Exit: the screen holds the segment as held.
    RunResult exit(int n, PanelImage segment = testSegment()) {
        segment[64] = 0;
        return playEffect(false, n, segment, glyphs, sink);
    }
};

// Frame counts and cycles per frame; effects 30 and 31 alternate 6 and 4.
struct Timing {
    int effect;
    int frames;
    int cycles; // 0: alternating 6, 4
};

const Timing EntryTimings[] = {
    {.effect = 1, .frames = 64, .cycles = 1},   {.effect = 2, .frames = 64, .cycles = 1},
    {.effect = 3, .frames = 32, .cycles = 1},   {.effect = 4, .frames = 64, .cycles = 1},
    {.effect = 5, .frames = 64, .cycles = 1},   {.effect = 6, .frames = 1, .cycles = 4},
    {.effect = 7, .frames = 7, .cycles = 6},    {.effect = 8, .frames = 7, .cycles = 6},
    {.effect = 9, .frames = 175, .cycles = 1},  {.effect = 10, .frames = 14, .cycles = 2},
    {.effect = 11, .frames = 140, .cycles = 1}, {.effect = 12, .frames = 7, .cycles = 5},
    {.effect = 13, .frames = 11, .cycles = 3},  {.effect = 14, .frames = 3, .cycles = 6},
    {.effect = 15, .frames = 7, .cycles = 5},   {.effect = 16, .frames = 32, .cycles = 1},
    {.effect = 17, .frames = 64, .cycles = 2},  {.effect = 18, .frames = 7, .cycles = 4},
    {.effect = 19, .frames = 64, .cycles = 2},  {.effect = 20, .frames = 63, .cycles = 2},
    {.effect = 21, .frames = 63, .cycles = 1},  {.effect = 22, .frames = 64, .cycles = 1},
    {.effect = 23, .frames = 32, .cycles = 2},  {.effect = 24, .frames = 7, .cycles = 4},
    {.effect = 25, .frames = 56, .cycles = 2},  {.effect = 26, .frames = 7, .cycles = 5},
    {.effect = 27, .frames = 56, .cycles = 1},  {.effect = 28, .frames = 183, .cycles = 1},
    {.effect = 29, .frames = 240, .cycles = 1}, {.effect = 30, .frames = 10, .cycles = 0},
    {.effect = 31, .frames = 10, .cycles = 0},
};

const Timing ExitTimings[] = {
    {.effect = 1, .frames = 63, .cycles = 1},   {.effect = 2, .frames = 64, .cycles = 1},
    {.effect = 3, .frames = 32, .cycles = 1},   {.effect = 4, .frames = 64, .cycles = 1},
    {.effect = 5, .frames = 64, .cycles = 1},   {.effect = 6, .frames = 1, .cycles = 4},
    {.effect = 7, .frames = 7, .cycles = 6},    {.effect = 8, .frames = 7, .cycles = 6},
    {.effect = 9, .frames = 140, .cycles = 1},  {.effect = 10, .frames = 28, .cycles = 2},
    {.effect = 11, .frames = 175, .cycles = 1}, {.effect = 12, .frames = 7, .cycles = 5},
    {.effect = 13, .frames = 11, .cycles = 3},  {.effect = 14, .frames = 3, .cycles = 6},
    {.effect = 15, .frames = 7, .cycles = 5},   {.effect = 16, .frames = 32, .cycles = 1},
    {.effect = 17, .frames = 32, .cycles = 2},  {.effect = 18, .frames = 7, .cycles = 4},
    {.effect = 19, .frames = 63, .cycles = 2},  {.effect = 20, .frames = 63, .cycles = 2},
    {.effect = 21, .frames = 63, .cycles = 1},  {.effect = 22, .frames = 64, .cycles = 1},
    {.effect = 23, .frames = 32, .cycles = 2},  {.effect = 24, .frames = 7, .cycles = 4},
    {.effect = 25, .frames = 35, .cycles = 2},  {.effect = 26, .frames = 7, .cycles = 5},
    {.effect = 27, .frames = 56, .cycles = 1},  {.effect = 28, .frames = 194, .cycles = 1},
    {.effect = 29, .frames = 280, .cycles = 1}, {.effect = 30, .frames = 10, .cycles = 0},
    {.effect = 31, .frames = 10, .cycles = 0},
};

void expectTiming(const std::vector<Frame>& frames, const Timing& t) {
    ASSERT_EQ(int(frames.size()), t.frames) << "effect " << t.effect;
    for (size_t i = 0; i < frames.size(); ++i) {
        const int expected = t.cycles != 0 ? t.cycles : (i % 2 == 0 ? 6 : 4);
        ASSERT_EQ(frames[i].cycles, expected) << "effect " << t.effect << " frame " << i;
    }
}

TEST(EffectTiming, EveryEntryEffectHasItsFramesAndCycles) {
    for (const Timing& t : EntryTimings) {
        EffectRig rig;
        rig.entry(t.effect);
        expectTiming(rig.sink.frames, t);
    }
}

TEST(EffectTiming, EveryExitEffectHasItsFramesAndCycles) {
    for (const Timing& t : ExitTimings) {
        EffectRig rig;
        rig.exit(t.effect);
        expectTiming(rig.sink.frames, t);
    }
}

TEST(EffectFrames, EntryEffectsThatEndOnTheSegment) {
    const PanelImage segment = visible(testSegment());
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17, 18, 22, 23, 25, 26, 27}) {
        EffectRig rig;
        rig.entry(n);
        ASSERT_FALSE(rig.sink.frames.empty());
        EXPECT_EQ(visible(rig.sink.frames.back().screen), segment) << "effect " << n;
    }
}

TEST(EffectFrames, WaveEntryPlacesItsLastPixelWithTheHold) {
    // The sweep's last visit (column 9, top row) comes after the last frame.
    EffectRig rig;
    rig.entry(21);
    PanelImage expected = visible(testSegment());
    expected[9] &= uint8_t(~0x40);
    EXPECT_EQ(visible(rig.sink.frames.back().screen), expected);
}

TEST(EffectFrames, EntryEffectsThatEndOnAPartialImage) {
    const PanelImage seg = visible(testSegment());
    {
        EffectRig rig; // laser: everything but column 63
        rig.entry(19);
        PanelImage expected = seg;
        expected[63] = 0;
        EXPECT_EQ(visible(rig.sink.frames.back().screen), expected);
    }
    {
        EffectRig rig; // laser shots: column 62 overlaid by column 63
        rig.entry(20);
        PanelImage expected = seg;
        expected[62] |= seg[63];
        expected[63] = seg[63];
        EXPECT_EQ(visible(rig.sink.frames.back().screen), expected);
    }
    {
        EffectRig rig; // letters rise and fall: column 63 stays dark
        rig.entry(24);
        PanelImage expected = seg;
        expected[63] = 0;
        EXPECT_EQ(visible(rig.sink.frames.back().screen), expected);
    }
    {
        EffectRig rig; // tetris 1: the last three columns are still missing
        rig.entry(28);
        PanelImage last = visible(rig.sink.frames.back().screen);
        for (int c = 0; c <= 60; ++c) EXPECT_EQ(last[size_t(c)], seg[size_t(c)]) << c;
    }
    {
        EffectRig rig; // tetris 2: the block 60..63 comes with the hold
        rig.entry(29);
        PanelImage last = visible(rig.sink.frames.back().screen);
        for (int c = 0; c < 60; ++c) EXPECT_EQ(last[size_t(c)], seg[size_t(c)]) << c;
    }
    {
        EffectRig rig; // blink: ends dark
        rig.entry(30);
        EXPECT_EQ(visible(rig.sink.frames.back().screen), PanelImage{});
        EXPECT_EQ(visible(rig.sink.frames.front().screen), seg);
    }
    {
        EffectRig rig; // blink inverted: ends on the negative
        rig.entry(31);
        PanelImage negative{};
        for (int c = 0; c < 64; ++c) negative[size_t(c)] = uint8_t(~seg[size_t(c)]) & 0x7F;
        EXPECT_EQ(visible(rig.sink.frames.back().screen), negative);
    }
}

TEST(EffectFrames, ExitEffectsThatEndDark) {
    for (int n : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17, 18, 22, 23, 24, 25, 26, 27, 29}) {
        EffectRig rig;
        rig.exit(n);
        ASSERT_FALSE(rig.sink.frames.empty());
        EXPECT_EQ(visible(rig.sink.frames.back().screen), PanelImage{}) << "effect " << n;
    }
}

TEST(EffectFrames, ExitEffectsThatEndOnARemnant) {
    const PanelImage seg = visible(testSegment());
    {
        EffectRig rig; // wave: the sweep's last visit (column 9, bottom row) is not shown
        rig.exit(21);
        PanelImage expected{};
        expected[9] = seg[9] & 0x01;
        EXPECT_EQ(visible(rig.sink.frames.back().screen), expected);
    }
    {
        EffectRig rig; // scroll out: the former column 63 is left in column 0
        rig.exit(1);
        PanelImage expected{};
        expected[0] = seg[63];
        EXPECT_EQ(visible(rig.sink.frames.back().screen), expected);
    }
    {
        EffectRig rig; // laser: the bottom-row beam across the panel
        rig.exit(19);
        PanelImage expected{};
        for (int c = 0; c < 64; ++c) expected[size_t(c)] = 1;
        EXPECT_EQ(visible(rig.sink.frames.back().screen), expected);
    }
    {
        EffectRig rig; // laser shots: the beams of column 0
        rig.exit(20);
        PanelImage expected{};
        for (int c = 0; c < 64; ++c) expected[size_t(c)] = seg[0];
        EXPECT_EQ(visible(rig.sink.frames.back().screen), expected);
    }
    {
        EffectRig rig; // accordion: a sliver in the middle
        rig.exit(13);
        const PanelImage last = visible(rig.sink.frames.back().screen);
        for (int c = 0; c < 64; ++c) {
            if (c < 30 || c > 33) {
                EXPECT_EQ(last[size_t(c)], 0) << c;
            }
        }
    }
}

TEST(EffectFrames, ExitSqueezesKeepOnlyTheMiddleRows) {
    EffectRig rig;
    PanelImage full{};
    for (int c = 0; c < 64; ++c) full[size_t(c)] = 0x7F;
    rig.exit(14, full);
    // The vertical accordion closes on the middle row and its neighbours.
    for (int c = 0; c < 64; ++c) EXPECT_EQ(rig.sink.frames.back().screen[size_t(c)] & 0x41, 0);
}

TEST(EffectFrames, ExitFramesStartFromTheHeldImageAndEndDark) {
    const PanelImage seg = visible(testSegment());
    EffectRig rig;
    rig.exit(32);
    EXPECT_EQ(visible(rig.sink.frames.front().screen), seg);
    EXPECT_EQ(visible(rig.sink.frames.back().screen), PanelImage{});
}

// ------------------------------------------------------------------ figures

// Width of each figure's first frame (sprite codes 1, 5, ... 117).
const int FirstFrameWidth[30] = {8, 11, 17, 19, 8, 19, 11, 18, 10, 13, 12, 18, 16, 12, 6,
                                 8, 16, 14, 22, 8, 12, 9,  17, 21, 10, 16, 12, 14, 13, 14};

int roundUp(int value, int multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

TEST(FigureTiming, EveryFigureCrossesInTheRightNumberOfSteps) {
    for (int n = 32; n <= 61; ++n) {
        const EffectInfo& e = EffectTable[size_t(n - 1)];
        const int lastColumn = FirstFrameWidth[n - 32] - 1;
        const int group = 4 * (e.frameHold + 1);
        for (bool entry : {true, false}) {
            EffectRig rig;
            if (entry)
                rig.entry(n);
            else
                rig.exit(n);
            const int steps = roundUp(lastColumn + (entry ? 65 : 64), group);
            ASSERT_EQ(int(rig.sink.frames.size()), steps + 1) << (entry ? "entry " : "exit ") << n;
            for (const Frame& f : rig.sink.frames) ASSERT_EQ(f.cycles, 2);
        }
    }
}

TEST(FigureTiming, FirstFigureTakes72StepsIn) {
    EffectRig rig;
    rig.entry(32);
    ASSERT_EQ(rig.sink.frames.size(), 73u);
    // Two dark frames, then the figure's rightmost column at the left edge.
    EXPECT_EQ(visible(rig.sink.frames[0].screen), PanelImage{});
    EXPECT_EQ(visible(rig.sink.frames[1].screen), PanelImage{});
    EXPECT_EQ(rig.sink.frames[2].screen[0], 0x14); // column 6 of the first frame
    for (int c = 1; c < 64; ++c) EXPECT_EQ(rig.sink.frames[2].screen[size_t(c)], 0);
    // The last frame is the whole segment with no figure on it.
    EXPECT_EQ(visible(rig.sink.frames.back().screen), visible(testSegment()));
}

TEST(FigureTiming, FirstFigureTakes72StepsOut) {
    EffectRig rig;
    rig.exit(32);
    EXPECT_EQ(rig.sink.frames.size(), 73u); // last column 7 + 64 = 71, rounded up to 72 steps
}

// ------------------------------------------------------------------ primitives

TEST(Primitives, CopyFromAuxTreatsWrappedPositionsAsOffPanel) {
    PanelScreen e;
    e.composed = testSegment();
    e.copyFromComposed(250, 3); // a start below 0 counts as 0
    for (int c = 0; c <= 3; ++c) EXPECT_EQ(e.shown[size_t(c)], e.composed[size_t(c)]);
    EXPECT_EQ(e.shown[4], 0);
    e.shown.fill(0);
    e.copyFromComposed(0, 250); // an end below 0 copies nothing
    EXPECT_EQ(e.shown, PanelImage{});
    e.copyFromComposed(0, 90); // an end past the panel stops at 63
    EXPECT_EQ(e.shown[63], e.composed[63]);
    EXPECT_EQ(e.shown[64], 0);
}

TEST(Primitives, ShiftsDownAndUpKeepFrozenRowsAndAddToSummingRows) {
    PanelScreen e;
    e.shown[0] = 0x7F;
    e.shiftDown(0, 0, 0x01, 0x02); // bottom row frozen, row 1 keeps its pixel
    EXPECT_EQ(e.shown[0], 0x3F);
    e.shown[1] = 0x41;
    e.shiftUp(1, 1, 0, 0); // the top row moves into the hidden bit
    EXPECT_EQ(e.shown[1], 0x82);
    e.shiftDown(1, 1, 0, 0); // and comes back where it is moved down
    EXPECT_EQ(e.shown[1], 0x41);
}

TEST(Primitives, RowShiftsMoveOnlyTheirRows) {
    PanelScreen e;
    for (int c = 0; c < 64; ++c) e.shown[size_t(c)] = uint8_t(c == 10 ? 0x7F : 0);
    e.shiftRowsRight(2, 0x0F);
    EXPECT_EQ(e.shown[10], 0x70);
    EXPECT_EQ(e.shown[12], 0x0F);
    e.shiftRowsLeft(4, 0x70);
    EXPECT_EQ(e.shown[6], 0x70);
    EXPECT_EQ(e.shown[10], 0);
}

TEST(Primitives, SweepsVisitEveryColumnOnce) {
    std::vector<int> seenA(64), seenB(64);
    for (int k = 0; k < 64; ++k) {
        ++seenA[sweepA(k)];
        ++seenB[sweepB(k)];
    }
    for (int c = 0; c < 64; ++c) {
        EXPECT_EQ(seenA[size_t(c)], 1);
        EXPECT_EQ(seenB[size_t(c)], 1);
    }
    EXPECT_EQ(sweepA(0), 27);
    EXPECT_EQ(sweepA(1), 59);
    EXPECT_EQ(sweepA(9), 63);
    EXPECT_EQ(sweepB(0), 45);
    EXPECT_EQ(sweepB(8), 43);
}

TEST(FigureDrawing, AFigureInFrontGetsADarkOutline) {
    PanelScreen e;
    GlyphRenderer glyphs;
    for (int c = 0; c < 64; ++c) e.shown[size_t(c)] = 0x7F;
    glyphs.glyphColumns.fill(0);
    glyphs.glyphColumns[0] = 0x08; // one pixel in the middle row
    glyphs.glyphColumns[1] = 0x1C; // three pixels
    e.drawSprite(glyphs.glyphColumns, 10, 8, 2, 1);
    EXPECT_EQ(e.shown[9], 0x77);  // left neighbour of the first column
    EXPECT_EQ(e.shown[10], 0x6B); // its pixel, dark above, below and where column 11 is lit
    EXPECT_EQ(e.shown[11], 0x5D); // 0x1C with the rows 1 and 5 dark
    EXPECT_EQ(e.shown[12], 0x63); // right neighbour
    EXPECT_EQ(e.shown[8], 0x7F);  // untouched
    EXPECT_EQ(e.shown[13], 0x7F);
}

TEST(FigureDrawing, TransparentFigureIsOredAndOffPanelColumnsAreSkipped) {
    PanelScreen e;
    GlyphRenderer glyphs;
    glyphs.glyphColumns.fill(0);
    for (int i = 0; i < 5; ++i) glyphs.glyphColumns[size_t(i)] = uint8_t(1 << i);
    e.drawSprite(glyphs.glyphColumns, uint8_t(-3), 8, 5, 0); // three columns off the left edge
    EXPECT_EQ(e.shown[0], 0x08);
    EXPECT_EQ(e.shown[1], 0x10);
    EXPECT_EQ(e.shown[2], 0);
    e.shown.fill(0);
    e.drawSprite(glyphs.glyphColumns, 62, 8, 5, 0); // cut at the right edge
    EXPECT_EQ(e.shown[62], 0x01);
    EXPECT_EQ(e.shown[63], 0x02);
    EXPECT_EQ(e.shown[64], 0);
}

// ------------------------------------------------------------------ table

TEST(EffectTableTexts, HoldTheListTextsAndFigureFrames) {
    EXPECT_STREQ(effectText(1), "Efeito   1 - Rola da direita");
    EXPECT_STREQ(effectText(4), "Efeito   4 - Acendendo da direira");
    EXPECT_STREQ(effectText(32), "Efeito 32 - Come-come");
    EXPECT_STREQ(effectText(35), "Efeito 35 - Aspirador de pó");
    EXPECT_STREQ(effectText(61), "Efeito 61 - Martelo");
    EXPECT_EQ(effectText(0), nullptr);
    EXPECT_EQ(effectText(62), nullptr);
    for (int n = 32; n <= 61; ++n)
        EXPECT_EQ(EffectTable[size_t(n - 1)].firstFrame, 4 * (n - 32) + 1);
    EXPECT_EQ(EffectTable[39].frameHold, 4); // effect 40
}

TEST(EffectStop, AStopInsideAnEffectEndsItAtOnce) {
    EffectRig rig;
    rig.sink.onFrame = [](size_t i) { return i < 9; };
    EXPECT_EQ(rig.entry(9), RunResult::Stopped);
    EXPECT_EQ(rig.sink.frames.size(), 10u);
}

TEST(EffectSkip, ASkipInsideAnEffectShowsNoMoreOfItsLine) {
    // Line 0 comes in by pixel rain (effect 11); the skip arrives at its
    // fourth frame. The next frame shown is the first of line 1 (appear).
    const LineStream rain{LineStart, effectByte(11), effectByte(6), 'A', 'A'};
    const LineStream appear{LineStart, effectByte(6), effectByte(6), 'B', 'B'};
    VectorLineSource lines({rain, appear});
    GlyphRenderer glyphs;
    FixedClock clock;
    PagePlayer player(lines, glyphs, clock);
    RecordingSink sink;
    sink.onFrame = [&](size_t i) {
        if (i == 3) player.requestLineSkip(+1);
        return i < 4;
    };
    EXPECT_EQ(player.run(sink), RunResult::Stopped);
    ASSERT_EQ(sink.frames.size(), 5u);
    EXPECT_EQ(sink.lines, (std::vector<int>{0, 1}));
    EXPECT_EQ(sink.frames[4].cycles, 4); // the appear frame of line 1

    RecordingSink alone;
    runPage(VectorLineSource({appear}), glyphs, clock, alone, {.rounds = 1});
    EXPECT_EQ(sink.frames[4].screen, alone.frames[0].screen);
}

} // namespace
} // namespace vorelux::preview
