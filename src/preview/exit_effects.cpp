// Exit effects: take the image shown on the screen off the panel. They read
// and change `shown` only.
#include "preview/effect_table.h"
#include "preview/effects.h"

namespace vorelux::preview {

static void scrollOutToLeft(PanelScreen& screen, FrameOut& out) {
    for (int e = PanelLastColumn; e >= 1; --e) {
        screen.shiftLeft(1, 0, uint8_t(e));
        out.show(1);
    }
}

static void scrollOutToRight(PanelScreen& screen, FrameOut& out) {
    for (int n = 0; n < PanelColumns; ++n) {
        screen.shiftRight(1, 0, PanelLastColumn);
        out.show(1);
    }
}

static void openCurtainOut(PanelScreen& screen, FrameOut& out) {
    for (int k = 0; k <= 31; ++k) {
        screen.shown[size_t(32 + k)] = 0;
        screen.shown[size_t(31 - k)] = 0;
        out.show(1);
    }
}

static void wipeOutFromRight(PanelScreen& screen, FrameOut& out) {
    for (int i = PanelColumns; i >= 1; --i) {
        screen.shown[size_t(i - 1)] = 0;
        out.show(1);
    }
}

static void wipeOutFromLeft(PanelScreen& screen, FrameOut& out) {
    for (int k = 0; k <= PanelLastColumn; ++k) {
        screen.shown[size_t(k)] = 0;
        out.show(1);
    }
}

static void disappearOut(PanelScreen& screen, FrameOut& out) {
    screen.clearColumns(0, PanelLastColumn);
    out.show(4);
}

static void rowsOutFromBottom(PanelScreen& screen, FrameOut& out) {
    uint8_t mask = 254;
    for (int k = 0; k < PanelRows; ++k) {
        for (int c = 0; c < PanelColumns; ++c) screen.shown[size_t(c)] &= mask;
        out.show(6);
        mask = uint8_t(mask * 2);
    }
}

static void rowsOutFromTop(PanelScreen& screen, FrameOut& out) {
    uint8_t mask = 63;
    for (int k = 0; k < PanelRows; ++k) {
        for (int c = 0; c < PanelColumns; ++c) screen.shown[size_t(c)] &= mask;
        out.show(6);
        mask = uint8_t(mask / 2);
    }
}

static void verticalTetrisOut(PanelScreen& screen, FrameOut& out) {
    uint8_t frozen = 63;
    for (int i = 1; i <= PanelRows; ++i) {
        for (int b = 3; b >= 0; --b) {
            out.show(1);
            for (int n = 0; n < i; ++n) {
                screen.shiftUp(uint8_t(16 * b), uint8_t(16 * b + 15), frozen, 0);
                out.show(1);
            }
        }
        frozen = uint8_t(frozen / 2);
    }
}

static void pixelCascadeOut(PanelScreen& screen, FrameOut& out) {
    uint8_t frozen = 63;
    for (int r = 7; r >= 1; --r) {
        for (int n = 0; n < 8 - r; ++n) {
            screen.shiftUp(0, PanelLastColumn, frozen, 0);
            out.show(2);
        }
        frozen = uint8_t(frozen / 2);
    }
}

static void pixelRainOut(PanelScreen& screen, FrameOut& out) {
    uint8_t row = 64, frozen = 255;
    for (int i = 1; i <= PanelRows; ++i) {
        for (int k = 0; k <= PanelLastColumn; ++k) {
            uint8_t& s = screen.shown[sweepA(k)];
            s = uint8_t((s & ~row) + uint8_t((s & row) << 1));
            if (k % 14 == 7) {
                out.show(1);
                for (int n = 0; n < i; ++n) {
                    screen.shiftUp(0, PanelLastColumn, frozen, 0);
                    out.show(1);
                }
            }
        }
        frozen = uint8_t(frozen & ~row);
        row = uint8_t(row / 2);
    }
}

static void slideDownOut(PanelScreen& screen, FrameOut& out) {
    for (int n = 0; n < 7; ++n) {
        screen.shiftDown(0, PanelLastColumn, 0, 0);
        out.show(5);
    }
}

static void horizontalAccordionOut(PanelScreen& screen, FrameOut& out) {
    for (int n = 0; n < 11; ++n) {
        std::array<uint8_t, PanelColumns> columns{};
        for (int c = 0; c < PanelColumns; ++c) columns[size_t(c)] = screen.shown[size_t(c)];
        squeezePass(columns);
        for (int c = 0; c < PanelColumns; ++c) screen.shown[size_t(c)] = columns[size_t(c)];
        out.show(3);
    }
}

static void verticalAccordionOut(PanelScreen& screen, FrameOut& out) {
    screen.shiftDown(0, PanelLastColumn, 15, 0);
    screen.shiftUp(0, PanelLastColumn, 240, 0);
    out.show(6);
    screen.shiftDown(0, PanelLastColumn, 15, 0);
    screen.shiftUp(0, PanelLastColumn, 240, 0);
    out.show(6);
    screen.shiftDown(0, PanelLastColumn, 7, 0);
    screen.shiftUp(0, PanelLastColumn, 112, 8);
    out.show(6);
}

static void zoomOut(PanelScreen& screen, FrameOut& out) {
    std::array<uint8_t, PanelColumns> shown{};
    for (int c = 0; c < PanelColumns; ++c) shown[size_t(c)] = screen.shown[size_t(c)];
    for (int len = 7; len >= 1; --len) {
        for (int v = 32; v >= 1; --v)
            screen.shown[size_t(31 + v)] = shown[size_t(32 + (v * len) / 8)];
        for (int v = 32; v >= 1; --v)
            screen.shown[size_t(32 - v)] = shown[size_t(31 - (v * len) / 8)];
        out.show(5);
    }
}

static void closeCurtainOut(PanelScreen& screen, FrameOut& out) {
    for (int n = 32; n >= 1; --n) {
        screen.shown[size_t(n + 31)] = 0;
        screen.shown[size_t(32 - n)] = 0;
        out.show(1);
    }
}

static void horizontalSlicesOut(PanelScreen& screen, FrameOut& out) {
    for (int n = 0; n < 32; ++n) {
        screen.shiftRowsRight(2, 170);
        screen.shiftRowsLeft(2, 85);
        out.show(2);
    }
}

static void verticalSlicesOut(PanelScreen& screen, FrameOut& out) {
    for (int n = 0; n < 7; ++n) {
        for (int k = 0; k <= 31; ++k) {
            screen.shiftUp(uint8_t(2 * k), uint8_t(2 * k), 0, 0);
            screen.shiftDown(uint8_t(2 * k + 1), uint8_t(2 * k + 1), 0, 0);
        }
        out.show(4);
    }
}

static void laserBeamOut(PanelScreen& screen, FrameOut& out) {
    auto beam = [&](int x, uint8_t rows) {
        screen.clearColumns(uint8_t(x), PanelLastColumn);
        screen.lightRows(uint8_t(x), PanelLastColumn, rows);
        out.show(2);
    };
    for (int p = 6; p >= 0; --p) beam(56 + p, uint8_t(64 >> (6 - p)));
    for (int q = 3; q >= 0; --q) {
        for (int p = 6; p >= 0; --p) beam(14 * q + 7 + p, uint8_t(1 << (6 - p)));
        for (int p = 6; p >= 0; --p) beam(14 * q + p, uint8_t(64 >> (6 - p)));
    }
}

static void laserShotsOut(PanelScreen& screen, FrameOut& out) {
    for (int x = 62; x >= 0; --x) {
        screen.clearColumns(uint8_t(x + 1), PanelLastColumn);
        screen.lightRows(uint8_t(x), PanelLastColumn, screen.shown[size_t(x)]);
        out.show(2);
    }
}

static void pixelWaveOut(PanelScreen& screen, FrameOut& out) {
    for (int row = 64; row >= 1; row /= 2) {
        for (int k = 0; k <= PanelLastColumn; ++k) {
            screen.shown[sweepA(k)] &= uint8_t(~row);
            if (k % 7 == 6) out.show(1);
        }
    }
}

static void fadeOut(PanelScreen& screen, FrameOut& out) {
    uint8_t row = 1;
    for (int r = 0; r < PanelRows; ++r) {
        for (int k = 0; k <= PanelLastColumn; ++k) {
            screen.shown[sweepB(k)] &= uint8_t(~row);
            if (row == 64) {
                row = 1;
                out.show(1);
            } else {
                row = uint8_t(row * 2);
            }
        }
    }
}

static void gateOut(PanelScreen& screen, FrameOut& out) {
    for (int n = 0; n < 32; ++n) {
        screen.shiftRight(1, 32, PanelLastColumn);
        screen.shiftLeft(1, 0, 31);
        out.show(2);
    }
}

static void riseAndFallOut(PanelScreen& screen, FrameOut& out) {
    for (int n = 0; n < 7; ++n) {
        for (int g = 0; g <= 3; ++g) {
            screen.shiftUp(uint8_t(14 * g), uint8_t(14 * g + 6), 0, 0);
            screen.shiftDown(uint8_t(14 * g + 7), uint8_t(14 * g + 13), 0, 0);
        }
        screen.shiftUp(56, PanelLastColumn, 0, 0);
        out.show(4);
    }
}

static void scrollRowsOut(PanelScreen& screen, FrameOut& out) {
    uint8_t rows = 1;
    for (int n = 0; n < 7; ++n) {
        for (int k = 0; k < 4; ++k) {
            screen.shiftRowsRight(6, rows);
            out.show(2);
        }
        rows = uint8_t(2 * rows + 1);
    }
    for (int n = 0; n < 7; ++n) {
        screen.shiftRowsRight(6, 127);
        out.show(2);
    }
}

static void slideUpOut(PanelScreen& screen, FrameOut& out) {
    for (int n = 0; n < 7; ++n) {
        screen.shiftUp(0, PanelLastColumn, 0, 0);
        out.show(5);
    }
}

static void trickleOut(PanelScreen& screen, FrameOut& out) {
    for (int g = 0; g <= 56; g += 8) {
        for (int n = 0; n < 7; ++n) {
            screen.shiftUp(uint8_t(g), uint8_t(g + 7), 0, 0);
            out.show(1);
        }
    }
}

static void horizontalTetrisOut(PanelScreen& screen, FrameOut& out) {
    int t = 0;
    for (int n = PanelLastColumn; n >= 0; --n) {
        for (int s = 0; s < 65 - n; ++s) {
            screen.shiftRight(1, uint8_t(n), PanelLastColumn);
            if (++t == 12) {
                t = 1;
                out.show(1);
            }
        }
    }
}

static void blockTetrisOut(PanelScreen& screen, FrameOut& out) {
    int t = 0;
    for (int g = 15; g >= 0; --g) {
        for (int s = 0; s < 65 - 4 * g; ++s) {
            screen.shiftRight(1, uint8_t(4 * g), PanelLastColumn);
            if (++t == 2) {
                t = 0;
                out.show(1);
            }
        }
    }
}

void playExitEffect(int n, PanelScreen& screen, GlyphRenderer& glyphs, FrameOut& out) {
    using Routine = void (*)(PanelScreen&, FrameOut&);
    static const Routine routines[FirstSpriteEffect - 1] = {
        scrollOutToLeft,
        scrollOutToRight,
        openCurtainOut,
        wipeOutFromRight,
        wipeOutFromLeft,
        disappearOut,
        rowsOutFromBottom,
        rowsOutFromTop,
        verticalTetrisOut,
        pixelCascadeOut,
        pixelRainOut,
        slideDownOut,
        horizontalAccordionOut,
        verticalAccordionOut,
        zoomOut,
        closeCurtainOut,
        horizontalSlicesOut,
        verticalSlicesOut,
        laserBeamOut,
        laserShotsOut,
        pixelWaveOut,
        fadeOut,
        gateOut,
        riseAndFallOut,
        scrollRowsOut,
        slideUpOut,
        trickleOut,
        horizontalTetrisOut,
        blockTetrisOut,
        blink,
        blinkInverted,
    };
    if (n < 1 || n > EffectCount) return;
    if (n < FirstSpriteEffect) {
        routines[n - 1](screen, out);
    } else {
        const EffectInfo& e = EffectTable[size_t(n - 1)];
        spriteOut(screen, glyphs, out, e.firstFrame, e.frameHold);
    }
}

} // namespace vorelux::preview
