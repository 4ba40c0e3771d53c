// Entry effects: bring the segment composed in auxScreen onto the screen,
// which starts dark. Every frame is one showFrame call.
#include "preview/engine.h"

namespace vorelux::preview {

namespace {
// Row masks that grow from the top row down: 64, 96, 112, 120, 124, 126, 127.
uint8_t topRows(int count) {
    return uint8_t((0x7F << (7 - count)) & 0x7F);
}
// Row masks that grow from the bottom row up: 1, 3, 7, ... 127.
uint8_t bottomRows(int count) {
    return uint8_t((1 << count) - 1);
}
} // namespace

void PreviewEngine::scrollInFromRight() {
    for (int k = 0; k <= 63; ++k) {
        shiftLeft(1, 0, 63);
        screen[63] = auxScreen[size_t(k)];
        showFrame(1);
    }
}

void PreviewEngine::scrollInFromLeft() {
    for (int i = 64; i >= 1; --i) {
        shiftRight(1, 0, 63);
        screen[0] = auxScreen[size_t(i - 1)];
        showFrame(1);
    }
}

void PreviewEngine::openCurtainIn() {
    for (int k = 0; k <= 31; ++k) {
        screen[size_t(32 + k)] = auxScreen[size_t(32 + k)];
        screen[size_t(31 - k)] = auxScreen[size_t(31 - k)];
        showFrame(1);
    }
}

void PreviewEngine::wipeInFromRight() {
    for (int i = 64; i >= 1; --i) {
        screen[size_t(i - 1)] = auxScreen[size_t(i - 1)];
        showFrame(1);
    }
}

void PreviewEngine::wipeInFromLeft() {
    for (int k = 0; k <= 63; ++k) {
        screen[size_t(k)] = auxScreen[size_t(k)];
        showFrame(1);
    }
}

void PreviewEngine::appearIn() {
    copyFromAuxScreen(0, 64);
    showFrame(4);
}

void PreviewEngine::rowsInFromBottom() {
    for (int step = 0; step <= 6; ++step) {
        const uint8_t mask = bottomRows(step + 1);
        for (int c = 0; c < 64; ++c) screen[size_t(c)] = auxScreen[size_t(c)] & mask;
        showFrame(6);
    }
}

void PreviewEngine::rowsInFromTop() {
    for (int step = 0; step <= 6; ++step) {
        const uint8_t mask = topRows(step + 1);
        for (int c = 0; c < 64; ++c) screen[size_t(c)] = auxScreen[size_t(c)] & mask;
        showFrame(6);
    }
}

// Bricks fall into rows, built from the bottom row up.
void PreviewEngine::verticalTetrisIn() {
    uint8_t row = 1, landed = 0;
    for (int i = 1; i <= 7; ++i) {
        for (int j = 0; j <= 63; ++j) {
            screen[size_t(j)] |= uint8_t((auxScreen[size_t(j)] & row) << (7 - i));
            if (j % 14 == 7) {
                showFrame(1);
                for (int k = i; k <= 7; ++k) {
                    shiftDown(0, 63, landed, row);
                    showFrame(1);
                }
            }
        }
        landed |= row;
        row = uint8_t(row * 2);
    }
}

void PreviewEngine::pixelCascadeIn() {
    uint8_t row = 1, landed = 0;
    for (int i = 1; i <= 7; ++i) {
        for (int j = 0; j <= 63; ++j)
            screen[size_t(j)] |= uint8_t((auxScreen[size_t(j)] & row) << (7 - i));
        showFrame(2);
        for (int n = 0; n < 64 - i; ++n) shiftDown(0, 63, landed, row);
        showFrame(2);
        landed |= row;
        row = uint8_t(row * 2);
    }
}

void PreviewEngine::pixelRainIn() {
    uint8_t row = 1, landed = 0;
    for (int i = 1; i <= 7; ++i) {
        for (int k = 0; k <= 63; ++k) {
            const uint8_t c = sweepA(k);
            screen[c] |= uint8_t((auxScreen[c] & row) << (7 - i));
            if (k % 14 == 7) {
                showFrame(1);
                for (int n = 0; n < 7 - i; ++n) {
                    shiftDown(0, 63, landed, row);
                    showFrame(1);
                }
            }
        }
        landed |= row;
        row = uint8_t(row * 2);
    }
}

void PreviewEngine::slideDownIn() {
    for (int b = 1; b <= 7; ++b) {
        for (int c = 0; c < 64; ++c)
            screen[size_t(c)] = uint8_t((auxScreen[size_t(c)] & bottomRows(b)) << (7 - b));
        showFrame(5);
    }
}

// One squeeze of the horizontal accordion: both halves pulled toward the
// middle, dropping every fourth column, and the outer 7 columns cleared.
void PreviewEngine::squeezePass(std::array<uint8_t, 64>& columns) const {
    for (int q = 0; q <= 25; ++q) columns[size_t(31 + q)] = columns[size_t(32 + q + q / 4)];
    for (int q = 0; q <= 25; ++q) columns[size_t(32 - q)] = columns[size_t(31 - q - q / 4)];
    for (int q = 0; q <= 6; ++q) {
        columns[size_t(q)] = 0;
        columns[size_t(63 - q)] = 0;
    }
}

void PreviewEngine::horizontalAccordionIn() {
    for (int s = 0; s <= 10; ++s) {
        std::array<uint8_t, 64> columns{};
        for (int c = 0; c < 64; ++c) columns[size_t(c)] = auxScreen[size_t(c)];
        for (int n = 0; n < 11 - s; ++n) squeezePass(columns);
        for (int c = 0; c < 64; ++c) screen[size_t(c)] = columns[size_t(c)];
        showFrame(3);
    }
}

void PreviewEngine::verticalAccordionIn() {
    for (int c = 0; c < 64; ++c) {
        const uint8_t column = auxScreen[size_t(c)];
        screen[size_t(c)] = uint8_t(((column & 64) >> 3) | ((column & 1) << 3));
    }
    showFrame(6);
    for (int c = 0; c < 64; ++c) {
        const uint8_t column = auxScreen[size_t(c)];
        screen[size_t(c)] = uint8_t(((column & 64) >> 2) | ((column & 1) << 2) | (column & 8));
    }
    showFrame(6);
    for (int c = 0; c < 64; ++c) {
        const uint8_t column = auxScreen[size_t(c)];
        screen[size_t(c)] = uint8_t(((column & 96) >> 1) | ((column & 3) << 1) | (column & 8));
    }
    showFrame(6);
}

void PreviewEngine::zoomIn() {
    for (int step = 1; step <= 7; ++step) {
        for (int i = 32; i >= 1; --i)
            screen[size_t(31 + i)] = auxScreen[size_t(32 + (step * i) / 8)];
        for (int i = 32; i >= 1; --i)
            screen[size_t(32 - i)] = auxScreen[size_t(31 - (step * i) / 8)];
        showFrame(5);
    }
}

void PreviewEngine::closeCurtainIn() {
    for (int n = 32; n >= 1; --n) {
        screen[size_t(n + 31)] = auxScreen[size_t(n + 31)];
        screen[size_t(32 - n)] = auxScreen[size_t(32 - n)];
        showFrame(1);
    }
}

void PreviewEngine::horizontalSlicesIn() {
    for (int i = 0; i <= 63; ++i) {
        shiftRowsRight(1, 170);
        shiftRowsLeft(1, 85);
        screen[0] = uint8_t((screen[0] & 85) | (auxScreen[size_t(63 - i)] & 170));
        screen[63] = uint8_t((screen[63] & 170) | (auxScreen[size_t(i)] & 85));
        showFrame(2);
    }
}

void PreviewEngine::verticalSlicesIn() {
    for (int b = 1; b <= 7; ++b) {
        const uint8_t bottom = bottomRows(b), top = topRows(b);
        for (int c = 0; c <= 62; c += 2) {
            screen[size_t(c)] = uint8_t((auxScreen[size_t(c)] & bottom) << (7 - b));
            screen[size_t(c + 1)] = uint8_t((auxScreen[size_t(c + 1)] & top) >> (7 - b));
        }
        showFrame(4);
    }
}

void PreviewEngine::laserBeamIn() {
    // The segment is visible left of column x; a beam lights rows rows from x to end.
    auto beam = [&](int x, uint8_t rows, uint8_t end) {
        copyFromAuxScreen(0, uint8_t(x));
        clearColumns(uint8_t(x), 63);
        lightRows(uint8_t(x), end, rows);
        showFrame(2);
    };
    for (int q = 0; q <= 3; ++q) {
        for (int k = 0; k <= 6; ++k) beam(14 * q + k, uint8_t(64 >> k), 63);
        for (int k = 0; k <= 6; ++k) beam(14 * q + 7 + k, uint8_t(1 << k), 64);
    }
    for (int k = 0; k <= 7; ++k) beam(56 + k, uint8_t(64 >> k), 63);
}

void PreviewEngine::laserShotsIn() {
    for (int x = 0; x <= 62; ++x) {
        copyFromAuxScreen(0, uint8_t(x));
        clearColumns(uint8_t(x + 1), 63);
        lightRows(uint8_t(x), 63, auxScreen[size_t(x + 1)]);
        showFrame(2);
    }
}

void PreviewEngine::pixelWaveIn() {
    for (int row = 1; row <= 64; row *= 2) {
        for (int k = 0; k <= 63; ++k) {
            const uint8_t c = sweepA(k);
            screen[c] |= uint8_t(auxScreen[c] & row);
            if (k % 7 == 6) showFrame(1);
        }
    }
}

void PreviewEngine::fadeIn() {
    uint8_t row = 1;
    for (int r = 0; r < 7; ++r) {
        for (int k = 0; k <= 63; ++k) {
            const uint8_t c = sweepA(k);
            screen[c] |= uint8_t(auxScreen[c] & row);
            if (row == 64) {
                row = 1;
                showFrame(1);
            } else {
                row = uint8_t(row * 2);
            }
        }
    }
}

void PreviewEngine::gateIn() {
    for (int k = 1; k <= 32; ++k) {
        shiftRight(1, 0, 31);
        shiftLeft(1, 32, 63);
        screen[0] = auxScreen[size_t(32 - k)];
        screen[63] = auxScreen[size_t(31 + k)];
        showFrame(2);
    }
}

void PreviewEngine::riseAndFallIn() {
    for (int sh = 6; sh >= 0; --sh) {
        for (int j = 0; j <= 6; ++j) {
            for (int g = 0; g <= 3; ++g) {
                const size_t up = size_t(j + 14 * g), down = size_t(j + 7 + 14 * g);
                screen[up] = uint8_t(auxScreen[up] >> sh);
                screen[down] = uint8_t(auxScreen[down] << sh);
            }
            screen[size_t(j + 56)] = uint8_t(auxScreen[size_t(j + 56)] >> sh);
        }
        showFrame(4);
    }
}

void PreviewEngine::scrollRowsIn() {
    for (int row = 64; row >= 1; row /= 2) {
        for (int i = 0; i <= 7; ++i) {
            shiftRowsLeft(8, uint8_t(row));
            for (int j = 0; j <= 7; ++j) {
                uint8_t& s = screen[size_t(56 + j)];
                s = uint8_t((s & ~row) | (auxScreen[size_t(8 * i + j)] & row));
            }
            showFrame(2);
        }
    }
}

void PreviewEngine::slideUpIn() {
    for (int b = 1; b <= 7; ++b) {
        for (int c = 0; c < 64; ++c)
            screen[size_t(c)] = uint8_t((auxScreen[size_t(c)] & topRows(b)) >> (7 - b));
        showFrame(5);
    }
}

void PreviewEngine::trickleIn() {
    for (int g = 0; g <= 56; g += 8) {
        for (int b = 1; b <= 7; ++b) {
            for (int c = g; c <= g + 7; ++c)
                screen[size_t(c)] = uint8_t((auxScreen[size_t(c)] & topRows(b)) >> (7 - b));
            showFrame(1);
        }
    }
}

void PreviewEngine::horizontalTetrisIn() {
    int t = 0;
    for (int k = 0; k <= 63; ++k) {
        screen[63] = auxScreen[size_t(k)];
        for (int n = 0; n < 63 - k; ++n) {
            shiftLeft(1, uint8_t(k), 63);
            if (++t == 12) {
                t = 1;
                showFrame(1);
            }
        }
    }
}

void PreviewEngine::blockTetrisIn() {
    int t = 0;
    for (int g = 0; g <= 14; ++g) {
        for (int j = 0; j < 4; ++j) screen[size_t(60 + j)] = auxScreen[size_t(4 * g + j)];
        for (int n = 0; n < 60 - 4 * g; ++n) {
            shiftLeft(1, uint8_t(4 * g), 63);
            if (++t == 2) {
                t = 0;
                showFrame(1);
            }
        }
    }
}

void PreviewEngine::blink() {
    for (int n = 0; n < 5; ++n) {
        copyFromAuxScreen(0, 63);
        showFrame(6);
        clearColumns(0, 63);
        showFrame(4);
    }
}

void PreviewEngine::blinkInverted() {
    for (int n = 0; n < 5; ++n) {
        copyFromAuxScreen(0, 63);
        showFrame(6);
        invertColumns(0, 63);
        showFrame(4);
    }
}

} // namespace vorelux::preview
