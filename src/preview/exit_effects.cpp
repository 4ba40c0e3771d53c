// Exit effects: take the image shown on the screen off the panel. They read
// and change `screen` only.
#include "preview/engine.h"

namespace vorelux::preview {

void PreviewEngine::scrollOutToLeft() {
    for (int e = 63; e >= 1; --e) {
        shiftLeft(1, 0, uint8_t(e));
        showFrame(1);
    }
}

void PreviewEngine::scrollOutToRight() {
    for (int n = 0; n < 64; ++n) {
        shiftRight(1, 0, 63);
        showFrame(1);
    }
}

void PreviewEngine::openCurtainOut() {
    for (int k = 0; k <= 31; ++k) {
        screen[size_t(32 + k)] = 0;
        screen[size_t(31 - k)] = 0;
        showFrame(1);
    }
}

void PreviewEngine::wipeOutFromRight() {
    for (int i = 64; i >= 1; --i) {
        screen[size_t(i - 1)] = 0;
        showFrame(1);
    }
}

void PreviewEngine::wipeOutFromLeft() {
    for (int k = 0; k <= 63; ++k) {
        screen[size_t(k)] = 0;
        showFrame(1);
    }
}

void PreviewEngine::disappearOut() {
    clearColumns(0, 63);
    showFrame(4);
}

void PreviewEngine::rowsOutFromBottom() {
    uint8_t mask = 254;
    for (int k = 0; k < 7; ++k) {
        for (int c = 0; c < 64; ++c) screen[size_t(c)] &= mask;
        showFrame(6);
        mask = uint8_t(mask * 2);
    }
}

void PreviewEngine::rowsOutFromTop() {
    uint8_t mask = 63;
    for (int k = 0; k < 7; ++k) {
        for (int c = 0; c < 64; ++c) screen[size_t(c)] &= mask;
        showFrame(6);
        mask = uint8_t(mask / 2);
    }
}

void PreviewEngine::verticalTetrisOut() {
    uint8_t frozen = 63;
    for (int i = 1; i <= 7; ++i) {
        for (int b = 3; b >= 0; --b) {
            showFrame(1);
            for (int n = 0; n < i; ++n) {
                shiftUp(uint8_t(16 * b), uint8_t(16 * b + 15), frozen, 0);
                showFrame(1);
            }
        }
        frozen = uint8_t(frozen / 2);
    }
}

void PreviewEngine::pixelCascadeOut() {
    uint8_t frozen = 63;
    for (int r = 7; r >= 1; --r) {
        for (int n = 0; n < 8 - r; ++n) {
            shiftUp(0, 63, frozen, 0);
            showFrame(2);
        }
        frozen = uint8_t(frozen / 2);
    }
}

void PreviewEngine::pixelRainOut() {
    uint8_t row = 64, frozen = 255;
    for (int i = 1; i <= 7; ++i) {
        for (int k = 0; k <= 63; ++k) {
            uint8_t& s = screen[sweepA(k)];
            s = uint8_t((s & ~row) + uint8_t((s & row) << 1));
            if (k % 14 == 7) {
                showFrame(1);
                for (int n = 0; n < i; ++n) {
                    shiftUp(0, 63, frozen, 0);
                    showFrame(1);
                }
            }
        }
        frozen = uint8_t(frozen & ~row);
        row = uint8_t(row / 2);
    }
}

void PreviewEngine::slideDownOut() {
    for (int n = 0; n < 7; ++n) {
        shiftDown(0, 63, 0, 0);
        showFrame(5);
    }
}

void PreviewEngine::horizontalAccordionOut() {
    for (int n = 0; n < 11; ++n) {
        std::array<uint8_t, 64> columns{};
        for (int c = 0; c < 64; ++c) columns[size_t(c)] = screen[size_t(c)];
        squeezePass(columns);
        for (int c = 0; c < 64; ++c) screen[size_t(c)] = columns[size_t(c)];
        showFrame(3);
    }
}

void PreviewEngine::verticalAccordionOut() {
    shiftDown(0, 63, 15, 0);
    shiftUp(0, 63, 240, 0);
    showFrame(6);
    shiftDown(0, 63, 15, 0);
    shiftUp(0, 63, 240, 0);
    showFrame(6);
    shiftDown(0, 63, 7, 0);
    shiftUp(0, 63, 112, 8);
    showFrame(6);
}

void PreviewEngine::zoomOut() {
    std::array<uint8_t, 64> shown{};
    for (int c = 0; c < 64; ++c) shown[size_t(c)] = screen[size_t(c)];
    for (int len = 7; len >= 1; --len) {
        for (int v = 32; v >= 1; --v) screen[size_t(31 + v)] = shown[size_t(32 + (v * len) / 8)];
        for (int v = 32; v >= 1; --v) screen[size_t(32 - v)] = shown[size_t(31 - (v * len) / 8)];
        showFrame(5);
    }
}

void PreviewEngine::closeCurtainOut() {
    for (int n = 32; n >= 1; --n) {
        screen[size_t(n + 31)] = 0;
        screen[size_t(32 - n)] = 0;
        showFrame(1);
    }
}

void PreviewEngine::horizontalSlicesOut() {
    for (int n = 0; n < 32; ++n) {
        shiftRowsRight(2, 170);
        shiftRowsLeft(2, 85);
        showFrame(2);
    }
}

void PreviewEngine::verticalSlicesOut() {
    for (int n = 0; n < 7; ++n) {
        for (int k = 0; k <= 31; ++k) {
            shiftUp(uint8_t(2 * k), uint8_t(2 * k), 0, 0);
            shiftDown(uint8_t(2 * k + 1), uint8_t(2 * k + 1), 0, 0);
        }
        showFrame(4);
    }
}

void PreviewEngine::laserBeamOut() {
    auto beam = [&](int x, uint8_t rows) {
        clearColumns(uint8_t(x), 63);
        lightRows(uint8_t(x), 63, rows);
        showFrame(2);
    };
    for (int p = 6; p >= 0; --p) beam(56 + p, uint8_t(64 >> (6 - p)));
    for (int q = 3; q >= 0; --q) {
        for (int p = 6; p >= 0; --p) beam(14 * q + 7 + p, uint8_t(1 << (6 - p)));
        for (int p = 6; p >= 0; --p) beam(14 * q + p, uint8_t(64 >> (6 - p)));
    }
}

void PreviewEngine::laserShotsOut() {
    for (int x = 62; x >= 0; --x) {
        clearColumns(uint8_t(x + 1), 63);
        lightRows(uint8_t(x), 63, screen[size_t(x)]);
        showFrame(2);
    }
}

void PreviewEngine::pixelWaveOut() {
    for (int row = 64; row >= 1; row /= 2) {
        for (int k = 0; k <= 63; ++k) {
            screen[sweepA(k)] &= uint8_t(~row);
            if (k % 7 == 6) showFrame(1);
        }
    }
}

void PreviewEngine::fadeOut() {
    uint8_t row = 1;
    for (int r = 0; r < 7; ++r) {
        for (int k = 0; k <= 63; ++k) {
            screen[sweepB(k)] &= uint8_t(~row);
            if (row == 64) {
                row = 1;
                showFrame(1);
            } else {
                row = uint8_t(row * 2);
            }
        }
    }
}

void PreviewEngine::gateOut() {
    for (int n = 0; n < 32; ++n) {
        shiftRight(1, 32, 63);
        shiftLeft(1, 0, 31);
        showFrame(2);
    }
}

void PreviewEngine::riseAndFallOut() {
    for (int n = 0; n < 7; ++n) {
        for (int g = 0; g <= 3; ++g) {
            shiftUp(uint8_t(14 * g), uint8_t(14 * g + 6), 0, 0);
            shiftDown(uint8_t(14 * g + 7), uint8_t(14 * g + 13), 0, 0);
        }
        shiftUp(56, 63, 0, 0);
        showFrame(4);
    }
}

void PreviewEngine::scrollRowsOut() {
    uint8_t rows = 1;
    for (int n = 0; n < 7; ++n) {
        for (int k = 0; k < 4; ++k) {
            shiftRowsRight(6, rows);
            showFrame(2);
        }
        rows = uint8_t(2 * rows + 1);
    }
    for (int n = 0; n < 7; ++n) {
        shiftRowsRight(6, 127);
        showFrame(2);
    }
}

void PreviewEngine::slideUpOut() {
    for (int n = 0; n < 7; ++n) {
        shiftUp(0, 63, 0, 0);
        showFrame(5);
    }
}

void PreviewEngine::trickleOut() {
    for (int g = 0; g <= 56; g += 8) {
        for (int n = 0; n < 7; ++n) {
            shiftUp(uint8_t(g), uint8_t(g + 7), 0, 0);
            showFrame(1);
        }
    }
}

void PreviewEngine::horizontalTetrisOut() {
    int t = 0;
    for (int n = 63; n >= 0; --n) {
        for (int s = 0; s < 65 - n; ++s) {
            shiftRight(1, uint8_t(n), 63);
            if (++t == 12) {
                t = 1;
                showFrame(1);
            }
        }
    }
}

void PreviewEngine::blockTetrisOut() {
    int t = 0;
    for (int g = 15; g >= 0; --g) {
        for (int s = 0; s < 65 - 4 * g; ++s) {
            shiftRight(1, uint8_t(4 * g), 63);
            if (++t == 2) {
                t = 0;
                showFrame(1);
            }
        }
    }
}

} // namespace vorelux::preview
