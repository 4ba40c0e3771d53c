// Entry effects: bring the segment in `composed` onto the screen,
// which starts dark. Every frame is one out.show call.
#include "preview/effect_table.h"
#include "preview/effects.h"

namespace vorelux::preview {

namespace {
// Row masks that grow from the top row down: 64, 96, 112, 120, 124, 126, 127.
uint8_t topRows(int count) {
    return uint8_t((0x7F << (PanelRows - count)) & 0x7F);
}
// Row masks that grow from the bottom row up: 1, 3, 7, ... 127.
uint8_t bottomRows(int count) {
    return uint8_t((1 << count) - 1);
}
} // namespace

static void scrollInFromRight(PanelScreen& screen, FrameOut& out) {
    for (int k = 0; k <= PanelLastColumn; ++k) {
        screen.shiftLeft(1, 0, PanelLastColumn);
        screen.shown[PanelLastColumn] = screen.composed[size_t(k)];
        out.show(1);
    }
}

static void scrollInFromLeft(PanelScreen& screen, FrameOut& out) {
    for (int i = PanelColumns; i >= 1; --i) {
        screen.shiftRight(1, 0, PanelLastColumn);
        screen.shown[0] = screen.composed[size_t(i - 1)];
        out.show(1);
    }
}

static void openCurtainIn(PanelScreen& screen, FrameOut& out) {
    for (int k = 0; k <= 31; ++k) {
        screen.shown[size_t(32 + k)] = screen.composed[size_t(32 + k)];
        screen.shown[size_t(31 - k)] = screen.composed[size_t(31 - k)];
        out.show(1);
    }
}

static void wipeInFromRight(PanelScreen& screen, FrameOut& out) {
    for (int i = PanelColumns; i >= 1; --i) {
        screen.shown[size_t(i - 1)] = screen.composed[size_t(i - 1)];
        out.show(1);
    }
}

static void wipeInFromLeft(PanelScreen& screen, FrameOut& out) {
    for (int k = 0; k <= PanelLastColumn; ++k) {
        screen.shown[size_t(k)] = screen.composed[size_t(k)];
        out.show(1);
    }
}

static void appearIn(PanelScreen& screen, FrameOut& out) {
    screen.copyFromComposed(0, PanelSpareColumn);
    out.show(4);
}

static void rowsInFromBottom(PanelScreen& screen, FrameOut& out) {
    for (int step = 0; step <= 6; ++step) {
        const uint8_t mask = bottomRows(step + 1);
        for (int c = 0; c < PanelColumns; ++c)
            screen.shown[size_t(c)] = screen.composed[size_t(c)] & mask;
        out.show(6);
    }
}

static void rowsInFromTop(PanelScreen& screen, FrameOut& out) {
    for (int step = 0; step <= 6; ++step) {
        const uint8_t mask = topRows(step + 1);
        for (int c = 0; c < PanelColumns; ++c)
            screen.shown[size_t(c)] = screen.composed[size_t(c)] & mask;
        out.show(6);
    }
}

// Bricks fall into rows, built from the bottom row up.
static void verticalTetrisIn(PanelScreen& screen, FrameOut& out) {
    uint8_t row = 1, landed = 0;
    for (int i = 1; i <= PanelRows; ++i) {
        for (int j = 0; j <= PanelLastColumn; ++j) {
            screen.shown[size_t(j)] |=
                uint8_t((screen.composed[size_t(j)] & row) << (PanelRows - i));
            if (j % 14 == 7) {
                out.show(1);
                for (int k = i; k <= 7; ++k) {
                    screen.shiftDown(0, PanelLastColumn, landed, row);
                    out.show(1);
                }
            }
        }
        landed |= row;
        row = uint8_t(row * 2);
    }
}

static void pixelCascadeIn(PanelScreen& screen, FrameOut& out) {
    uint8_t row = 1, landed = 0;
    for (int i = 1; i <= PanelRows; ++i) {
        for (int j = 0; j <= PanelLastColumn; ++j)
            screen.shown[size_t(j)] |=
                uint8_t((screen.composed[size_t(j)] & row) << (PanelRows - i));
        out.show(2);
        for (int n = 0; n < PanelColumns - i; ++n)
            screen.shiftDown(0, PanelLastColumn, landed, row);
        out.show(2);
        landed |= row;
        row = uint8_t(row * 2);
    }
}

static void pixelRainIn(PanelScreen& screen, FrameOut& out) {
    uint8_t row = 1, landed = 0;
    for (int i = 1; i <= PanelRows; ++i) {
        for (int k = 0; k <= PanelLastColumn; ++k) {
            const uint8_t c = sweepA(k);
            screen.shown[c] |= uint8_t((screen.composed[c] & row) << (PanelRows - i));
            if (k % 14 == 7) {
                out.show(1);
                for (int n = 0; n < 7 - i; ++n) {
                    screen.shiftDown(0, PanelLastColumn, landed, row);
                    out.show(1);
                }
            }
        }
        landed |= row;
        row = uint8_t(row * 2);
    }
}

static void slideDownIn(PanelScreen& screen, FrameOut& out) {
    for (int b = 1; b <= PanelRows; ++b) {
        for (int c = 0; c < PanelColumns; ++c)
            screen.shown[size_t(c)] =
                uint8_t((screen.composed[size_t(c)] & bottomRows(b)) << (PanelRows - b));
        out.show(5);
    }
}

// One squeeze of the horizontal accordion: both halves pulled toward the
// middle, dropping every fourth column, and the outer 7 columns cleared.
void squeezePass(std::array<uint8_t, PanelColumns>& columns) {
    for (int q = 0; q <= 25; ++q) columns[size_t(31 + q)] = columns[size_t(32 + q + q / 4)];
    for (int q = 0; q <= 25; ++q) columns[size_t(32 - q)] = columns[size_t(31 - q - q / 4)];
    for (int q = 0; q <= 6; ++q) {
        columns[size_t(q)] = 0;
        columns[size_t(PanelLastColumn - q)] = 0;
    }
}

static void horizontalAccordionIn(PanelScreen& screen, FrameOut& out) {
    for (int s = 0; s <= 10; ++s) {
        std::array<uint8_t, PanelColumns> columns{};
        for (int c = 0; c < PanelColumns; ++c) columns[size_t(c)] = screen.composed[size_t(c)];
        for (int n = 0; n < 11 - s; ++n) squeezePass(columns);
        for (int c = 0; c < PanelColumns; ++c) screen.shown[size_t(c)] = columns[size_t(c)];
        out.show(3);
    }
}

static void verticalAccordionIn(PanelScreen& screen, FrameOut& out) {
    for (int c = 0; c < PanelColumns; ++c) {
        const uint8_t column = screen.composed[size_t(c)];
        screen.shown[size_t(c)] = uint8_t(((column & 64) >> 3) | ((column & 1) << 3));
    }
    out.show(6);
    for (int c = 0; c < PanelColumns; ++c) {
        const uint8_t column = screen.composed[size_t(c)];
        screen.shown[size_t(c)] =
            uint8_t(((column & 64) >> 2) | ((column & 1) << 2) | (column & 8));
    }
    out.show(6);
    for (int c = 0; c < PanelColumns; ++c) {
        const uint8_t column = screen.composed[size_t(c)];
        screen.shown[size_t(c)] =
            uint8_t(((column & 96) >> 1) | ((column & 3) << 1) | (column & 8));
    }
    out.show(6);
}

static void zoomIn(PanelScreen& screen, FrameOut& out) {
    for (int step = 1; step <= PanelRows; ++step) {
        for (int i = 32; i >= 1; --i)
            screen.shown[size_t(31 + i)] = screen.composed[size_t(32 + (step * i) / 8)];
        for (int i = 32; i >= 1; --i)
            screen.shown[size_t(32 - i)] = screen.composed[size_t(31 - (step * i) / 8)];
        out.show(5);
    }
}

static void closeCurtainIn(PanelScreen& screen, FrameOut& out) {
    for (int n = 32; n >= 1; --n) {
        screen.shown[size_t(n + 31)] = screen.composed[size_t(n + 31)];
        screen.shown[size_t(32 - n)] = screen.composed[size_t(32 - n)];
        out.show(1);
    }
}

static void horizontalSlicesIn(PanelScreen& screen, FrameOut& out) {
    for (int i = 0; i <= PanelLastColumn; ++i) {
        screen.shiftRowsRight(1, 170);
        screen.shiftRowsLeft(1, 85);
        screen.shown[0] =
            uint8_t((screen.shown[0] & 85) | (screen.composed[size_t(PanelLastColumn - i)] & 170));
        screen.shown[PanelLastColumn] =
            uint8_t((screen.shown[PanelLastColumn] & 170) | (screen.composed[size_t(i)] & 85));
        out.show(2);
    }
}

static void verticalSlicesIn(PanelScreen& screen, FrameOut& out) {
    for (int b = 1; b <= PanelRows; ++b) {
        const uint8_t bottom = bottomRows(b), top = topRows(b);
        for (int c = 0; c <= 62; c += 2) {
            screen.shown[size_t(c)] =
                uint8_t((screen.composed[size_t(c)] & bottom) << (PanelRows - b));
            screen.shown[size_t(c + 1)] =
                uint8_t((screen.composed[size_t(c + 1)] & top) >> (PanelRows - b));
        }
        out.show(4);
    }
}

static void laserBeamIn(PanelScreen& screen, FrameOut& out) {
    // The segment is visible left of column x; a beam lights rows rows from x to end.
    auto beam = [&](int x, uint8_t rows, uint8_t end) {
        screen.copyFromComposed(0, uint8_t(x));
        screen.clearColumns(uint8_t(x), PanelLastColumn);
        screen.lightRows(uint8_t(x), end, rows);
        out.show(2);
    };
    for (int q = 0; q <= 3; ++q) {
        for (int k = 0; k <= 6; ++k) beam(14 * q + k, uint8_t(64 >> k), PanelLastColumn);
        for (int k = 0; k <= 6; ++k) beam(14 * q + 7 + k, uint8_t(1 << k), PanelSpareColumn);
    }
    for (int k = 0; k <= 7; ++k) beam(56 + k, uint8_t(64 >> k), PanelLastColumn);
}

static void laserShotsIn(PanelScreen& screen, FrameOut& out) {
    for (int x = 0; x <= 62; ++x) {
        screen.copyFromComposed(0, uint8_t(x));
        screen.clearColumns(uint8_t(x + 1), PanelLastColumn);
        screen.lightRows(uint8_t(x), PanelLastColumn, screen.composed[size_t(x + 1)]);
        out.show(2);
    }
}

static void pixelWaveIn(PanelScreen& screen, FrameOut& out) {
    for (int row = 1; row <= 64; row *= 2) {
        for (int k = 0; k <= PanelLastColumn; ++k) {
            const uint8_t c = sweepA(k);
            screen.shown[c] |= uint8_t(screen.composed[c] & row);
            if (k % 7 == 6) out.show(1);
        }
    }
}

static void fadeIn(PanelScreen& screen, FrameOut& out) {
    uint8_t row = 1;
    for (int r = 0; r < PanelRows; ++r) {
        for (int k = 0; k <= PanelLastColumn; ++k) {
            const uint8_t c = sweepA(k);
            screen.shown[c] |= uint8_t(screen.composed[c] & row);
            if (row == 64) {
                row = 1;
                out.show(1);
            } else {
                row = uint8_t(row * 2);
            }
        }
    }
}

static void gateIn(PanelScreen& screen, FrameOut& out) {
    for (int k = 1; k <= 32; ++k) {
        screen.shiftRight(1, 0, 31);
        screen.shiftLeft(1, 32, PanelLastColumn);
        screen.shown[0] = screen.composed[size_t(32 - k)];
        screen.shown[PanelLastColumn] = screen.composed[size_t(31 + k)];
        out.show(2);
    }
}

static void riseAndFallIn(PanelScreen& screen, FrameOut& out) {
    for (int sh = 6; sh >= 0; --sh) {
        for (int j = 0; j <= 6; ++j) {
            for (int g = 0; g <= 3; ++g) {
                const size_t up = size_t(j + 14 * g), down = size_t(j + 7 + 14 * g);
                screen.shown[up] = uint8_t(screen.composed[up] >> sh);
                screen.shown[down] = uint8_t(screen.composed[down] << sh);
            }
            screen.shown[size_t(j + 56)] = uint8_t(screen.composed[size_t(j + 56)] >> sh);
        }
        out.show(4);
    }
}

static void scrollRowsIn(PanelScreen& screen, FrameOut& out) {
    for (int row = 64; row >= 1; row /= 2) {
        for (int i = 0; i <= 7; ++i) {
            screen.shiftRowsLeft(8, uint8_t(row));
            for (int j = 0; j <= 7; ++j) {
                uint8_t& s = screen.shown[size_t(56 + j)];
                s = uint8_t((s & ~row) | (screen.composed[size_t(8 * i + j)] & row));
            }
            out.show(2);
        }
    }
}

static void slideUpIn(PanelScreen& screen, FrameOut& out) {
    for (int b = 1; b <= PanelRows; ++b) {
        for (int c = 0; c < PanelColumns; ++c)
            screen.shown[size_t(c)] =
                uint8_t((screen.composed[size_t(c)] & topRows(b)) >> (PanelRows - b));
        out.show(5);
    }
}

static void trickleIn(PanelScreen& screen, FrameOut& out) {
    for (int g = 0; g <= 56; g += 8) {
        for (int b = 1; b <= PanelRows; ++b) {
            for (int c = g; c <= g + 7; ++c)
                screen.shown[size_t(c)] =
                    uint8_t((screen.composed[size_t(c)] & topRows(b)) >> (PanelRows - b));
            out.show(1);
        }
    }
}

static void horizontalTetrisIn(PanelScreen& screen, FrameOut& out) {
    int t = 0;
    for (int k = 0; k <= PanelLastColumn; ++k) {
        screen.shown[PanelLastColumn] = screen.composed[size_t(k)];
        for (int n = 0; n < PanelLastColumn - k; ++n) {
            screen.shiftLeft(1, uint8_t(k), PanelLastColumn);
            if (++t == 12) {
                t = 1;
                out.show(1);
            }
        }
    }
}

static void blockTetrisIn(PanelScreen& screen, FrameOut& out) {
    int t = 0;
    for (int g = 0; g <= 14; ++g) {
        for (int j = 0; j < 4; ++j)
            screen.shown[size_t(60 + j)] = screen.composed[size_t(4 * g + j)];
        for (int n = 0; n < 60 - 4 * g; ++n) {
            screen.shiftLeft(1, uint8_t(4 * g), PanelLastColumn);
            if (++t == 2) {
                t = 0;
                out.show(1);
            }
        }
    }
}

void blink(PanelScreen& screen, FrameOut& out) {
    for (int n = 0; n < 5; ++n) {
        screen.copyFromComposed(0, PanelLastColumn);
        out.show(6);
        screen.clearColumns(0, PanelLastColumn);
        out.show(4);
    }
}

void blinkInverted(PanelScreen& screen, FrameOut& out) {
    for (int n = 0; n < 5; ++n) {
        screen.copyFromComposed(0, PanelLastColumn);
        out.show(6);
        screen.invertColumns(0, PanelLastColumn);
        out.show(4);
    }
}

void playEntryEffect(int n, PanelScreen& screen, GlyphRenderer& glyphs, FrameOut& out) {
    using Routine = void (*)(PanelScreen&, FrameOut&);
    static const Routine routines[FirstSpriteEffect - 1] = {
        scrollInFromRight,
        scrollInFromLeft,
        openCurtainIn,
        wipeInFromRight,
        wipeInFromLeft,
        appearIn,
        rowsInFromBottom,
        rowsInFromTop,
        verticalTetrisIn,
        pixelCascadeIn,
        pixelRainIn,
        slideDownIn,
        horizontalAccordionIn,
        verticalAccordionIn,
        zoomIn,
        closeCurtainIn,
        horizontalSlicesIn,
        verticalSlicesIn,
        laserBeamIn,
        laserShotsIn,
        pixelWaveIn,
        fadeIn,
        gateIn,
        riseAndFallIn,
        scrollRowsIn,
        slideUpIn,
        trickleIn,
        horizontalTetrisIn,
        blockTetrisIn,
        blink,
        blinkInverted,
    };
    if (n < 1 || n > EffectCount) return;
    if (n < FirstSpriteEffect) {
        routines[n - 1](screen, out);
    } else {
        const EffectInfo& e = EffectTable[size_t(n - 1)];
        spriteIn(screen, glyphs, out, e.firstFrame, e.frameHold);
    }
}

} // namespace vorelux::preview
