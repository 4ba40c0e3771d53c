// Entry effects: bring the segment composed in AuxScreen (A) onto
// ScreenBitmap (S), which starts dark. Every frame is one espera_tempo call.
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

void PreviewEngine::ef_e_rola_da_direita() {
    for (int k = 0; k <= 63; ++k) {
        ef_desloca_esquerda(1, 0, 63);
        ScreenBitmap[63] = AuxScreen[size_t(k)];
        espera_tempo(1);
    }
}

void PreviewEngine::ef_e_rola_da_esquerda() {
    for (int i = 64; i >= 1; --i) {
        ef_desloca_direita(1, 0, 63);
        ScreenBitmap[0] = AuxScreen[size_t(i - 1)];
        espera_tempo(1);
    }
}

void PreviewEngine::ef_e_abre() {
    for (int k = 0; k <= 31; ++k) {
        ScreenBitmap[size_t(32 + k)] = AuxScreen[size_t(32 + k)];
        ScreenBitmap[size_t(31 - k)] = AuxScreen[size_t(31 - k)];
        espera_tempo(1);
    }
}

void PreviewEngine::ef_e_acendendo_da_direita() {
    for (int i = 64; i >= 1; --i) {
        ScreenBitmap[size_t(i - 1)] = AuxScreen[size_t(i - 1)];
        espera_tempo(1);
    }
}

void PreviewEngine::ef_e_acendendo_da_esquerda() {
    for (int k = 0; k <= 63; ++k) {
        ScreenBitmap[size_t(k)] = AuxScreen[size_t(k)];
        espera_tempo(1);
    }
}

void PreviewEngine::ef_e_aparece() {
    ef_copia_telaaux(0, 64);
    espera_tempo(4);
}

void PreviewEngine::ef_e_aparece_de_baixo() {
    for (int k = 0; k <= 6; ++k) {
        const uint8_t m = bottomRows(k + 1);
        for (int c = 0; c < 64; ++c) ScreenBitmap[size_t(c)] = AuxScreen[size_t(c)] & m;
        espera_tempo(6);
    }
}

void PreviewEngine::ef_e_aparece_de_cima() {
    for (int k = 0; k <= 6; ++k) {
        const uint8_t m = topRows(k + 1);
        for (int c = 0; c < 64; ++c) ScreenBitmap[size_t(c)] = AuxScreen[size_t(c)] & m;
        espera_tempo(6);
    }
}

// Bricks fall into rows, built from the bottom row up.
void PreviewEngine::ef_e_cai_tijolo() {
    uint8_t a = 1, landed = 0;
    for (int i = 1; i <= 7; ++i) {
        for (int j = 0; j <= 63; ++j) {
            ScreenBitmap[size_t(j)] |= uint8_t((AuxScreen[size_t(j)] & a) << (7 - i));
            if (j % 14 == 7) {
                espera_tempo(1);
                for (int k = i; k <= 7; ++k) {
                    ef_desloca_baixo(0, 63, landed, a);
                    espera_tempo(1);
                }
            }
        }
        landed |= a;
        a = uint8_t(a * 2);
    }
}

void PreviewEngine::ef_e_cascata() {
    uint8_t a = 1, landed = 0;
    for (int i = 1; i <= 7; ++i) {
        for (int j = 0; j <= 63; ++j)
            ScreenBitmap[size_t(j)] |= uint8_t((AuxScreen[size_t(j)] & a) << (7 - i));
        espera_tempo(2);
        for (int n = 0; n < 64 - i; ++n) ef_desloca_baixo(0, 63, landed, a);
        espera_tempo(2);
        landed |= a;
        a = uint8_t(a * 2);
    }
}

void PreviewEngine::ef_e_chove_pixels() {
    uint8_t a = 1, landed = 0;
    for (int i = 1; i <= 7; ++i) {
        for (int k = 0; k <= 63; ++k) {
            const uint8_t c = sweepA(k);
            ScreenBitmap[c] |= uint8_t((AuxScreen[c] & a) << (7 - i));
            if (k % 14 == 7) {
                espera_tempo(1);
                for (int n = 0; n < 7 - i; ++n) {
                    ef_desloca_baixo(0, 63, landed, a);
                    espera_tempo(1);
                }
            }
        }
        landed |= a;
        a = uint8_t(a * 2);
    }
}

void PreviewEngine::ef_e_desce() {
    for (int b = 1; b <= 7; ++b) {
        for (int c = 0; c < 64; ++c)
            ScreenBitmap[size_t(c)] = uint8_t((AuxScreen[size_t(c)] & bottomRows(b)) << (7 - b));
        espera_tempo(5);
    }
}

// One squeeze of the horizontal accordion: both halves pulled toward the
// middle, dropping every fourth column, and the outer 7 columns cleared.
void PreviewEngine::squeezePass(std::array<uint8_t, 64>& b) const {
    for (int q = 0; q <= 25; ++q) b[size_t(31 + q)] = b[size_t(32 + q + q / 4)];
    for (int q = 0; q <= 25; ++q) b[size_t(32 - q)] = b[size_t(31 - q - q / 4)];
    for (int q = 0; q <= 6; ++q) {
        b[size_t(q)] = 0;
        b[size_t(63 - q)] = 0;
    }
}

void PreviewEngine::ef_e_encolhe() {
    for (int s = 0; s <= 10; ++s) {
        std::array<uint8_t, 64> b{};
        for (int c = 0; c < 64; ++c) b[size_t(c)] = AuxScreen[size_t(c)];
        for (int n = 0; n < 11 - s; ++n) squeezePass(b);
        for (int c = 0; c < 64; ++c) ScreenBitmap[size_t(c)] = b[size_t(c)];
        espera_tempo(3);
    }
}

void PreviewEngine::ef_e_esmagar() {
    for (int c = 0; c < 64; ++c) {
        const uint8_t a = AuxScreen[size_t(c)];
        ScreenBitmap[size_t(c)] = uint8_t(((a & 64) >> 3) | ((a & 1) << 3));
    }
    espera_tempo(6);
    for (int c = 0; c < 64; ++c) {
        const uint8_t a = AuxScreen[size_t(c)];
        ScreenBitmap[size_t(c)] = uint8_t(((a & 64) >> 2) | ((a & 1) << 2) | (a & 8));
    }
    espera_tempo(6);
    for (int c = 0; c < 64; ++c) {
        const uint8_t a = AuxScreen[size_t(c)];
        ScreenBitmap[size_t(c)] = uint8_t(((a & 96) >> 1) | ((a & 3) << 1) | (a & 8));
    }
    espera_tempo(6);
}

void PreviewEngine::ef_e_estica() {
    for (int a = 1; a <= 7; ++a) {
        for (int i = 32; i >= 1; --i)
            ScreenBitmap[size_t(31 + i)] = AuxScreen[size_t(32 + (a * i) / 8)];
        for (int i = 32; i >= 1; --i)
            ScreenBitmap[size_t(32 - i)] = AuxScreen[size_t(31 - (a * i) / 8)];
        espera_tempo(5);
    }
}

void PreviewEngine::ef_e_fecha() {
    for (int n = 32; n >= 1; --n) {
        ScreenBitmap[size_t(n + 31)] = AuxScreen[size_t(n + 31)];
        ScreenBitmap[size_t(32 - n)] = AuxScreen[size_t(32 - n)];
        espera_tempo(1);
    }
}

void PreviewEngine::ef_e_grade_abre() {
    for (int i = 0; i <= 63; ++i) {
        ef_desloca_linha_direita(1, 170);
        ef_desloca_linha_esquerda(1, 85);
        ScreenBitmap[0] = uint8_t((ScreenBitmap[0] & 85) | (AuxScreen[size_t(63 - i)] & 170));
        ScreenBitmap[63] = uint8_t((ScreenBitmap[63] & 170) | (AuxScreen[size_t(i)] & 85));
        espera_tempo(2);
    }
}

void PreviewEngine::ef_e_grade_sobe_desce() {
    for (int b = 1; b <= 7; ++b) {
        const uint8_t a = bottomRows(b), m = topRows(b);
        for (int c = 0; c <= 62; c += 2) {
            ScreenBitmap[size_t(c)] = uint8_t((AuxScreen[size_t(c)] & a) << (7 - b));
            ScreenBitmap[size_t(c + 1)] = uint8_t((AuxScreen[size_t(c + 1)] & m) >> (7 - b));
        }
        espera_tempo(4);
    }
}

void PreviewEngine::ef_e_laser() {
    // The segment is visible left of column x; a beam lights rows m from x to e.
    auto beam = [&](int x, uint8_t m, uint8_t e) {
        ef_copia_telaaux(0, uint8_t(x));
        ef_limpa(uint8_t(x), 63);
        ef_pinta_linha(uint8_t(x), e, m);
        espera_tempo(2);
    };
    for (int q = 0; q <= 3; ++q) {
        for (int k = 0; k <= 6; ++k) beam(14 * q + k, uint8_t(64 >> k), 63);
        for (int k = 0; k <= 6; ++k) beam(14 * q + 7 + k, uint8_t(1 << k), 64);
    }
    for (int k = 0; k <= 7; ++k) beam(56 + k, uint8_t(64 >> k), 63);
}

void PreviewEngine::ef_e_laser2() {
    for (int x = 0; x <= 62; ++x) {
        ef_copia_telaaux(0, uint8_t(x));
        ef_limpa(uint8_t(x + 1), 63);
        ef_pinta_linha(uint8_t(x), 63, AuxScreen[size_t(x + 1)]);
        espera_tempo(2);
    }
}

void PreviewEngine::ef_e_mar_pixels() {
    for (int a = 1; a <= 64; a *= 2) {
        for (int k = 0; k <= 63; ++k) {
            const uint8_t c = sweepA(k);
            ScreenBitmap[c] |= uint8_t(AuxScreen[c] & a);
            if (k % 7 == 6) espera_tempo(1);
        }
    }
}

void PreviewEngine::ef_e_preenche_pixels() {
    uint8_t a = 1;
    for (int r = 0; r < 7; ++r) {
        for (int k = 0; k <= 63; ++k) {
            const uint8_t c = sweepA(k);
            ScreenBitmap[c] |= uint8_t(AuxScreen[c] & a);
            if (a == 64) {
                a = 1;
                espera_tempo(1);
            } else {
                a = uint8_t(a * 2);
            }
        }
    }
}

void PreviewEngine::ef_e_reparte_abre() {
    for (int k = 1; k <= 32; ++k) {
        ef_desloca_direita(1, 0, 31);
        ef_desloca_esquerda(1, 32, 63);
        ScreenBitmap[0] = AuxScreen[size_t(32 - k)];
        ScreenBitmap[63] = AuxScreen[size_t(31 + k)];
        espera_tempo(2);
    }
}

void PreviewEngine::ef_e_reparte_sobe_desce() {
    for (int sh = 6; sh >= 0; --sh) {
        for (int j = 0; j <= 6; ++j) {
            for (int g = 0; g <= 3; ++g) {
                const size_t up = size_t(j + 14 * g), down = size_t(j + 7 + 14 * g);
                ScreenBitmap[up] = uint8_t(AuxScreen[up] >> sh);
                ScreenBitmap[down] = uint8_t(AuxScreen[down] << sh);
            }
            ScreenBitmap[size_t(j + 56)] = uint8_t(AuxScreen[size_t(j + 56)] >> sh);
        }
        espera_tempo(4);
    }
}

void PreviewEngine::ef_e_rola_linhas() {
    for (int m = 64; m >= 1; m /= 2) {
        for (int i = 0; i <= 7; ++i) {
            ef_desloca_linha_esquerda(8, uint8_t(m));
            for (int j = 0; j <= 7; ++j) {
                uint8_t& s = ScreenBitmap[size_t(56 + j)];
                s = uint8_t((s & ~m) | (AuxScreen[size_t(8 * i + j)] & m));
            }
            espera_tempo(2);
        }
    }
}

void PreviewEngine::ef_e_sobe() {
    for (int b = 1; b <= 7; ++b) {
        for (int c = 0; c < 64; ++c)
            ScreenBitmap[size_t(c)] = uint8_t((AuxScreen[size_t(c)] & topRows(b)) >> (7 - b));
        espera_tempo(5);
    }
}

void PreviewEngine::ef_e_sobe_onda() {
    for (int g = 0; g <= 56; g += 8) {
        for (int b = 1; b <= 7; ++b) {
            for (int c = g; c <= g + 7; ++c)
                ScreenBitmap[size_t(c)] = uint8_t((AuxScreen[size_t(c)] & topRows(b)) >> (7 - b));
            espera_tempo(1);
        }
    }
}

void PreviewEngine::ef_e_tetris1() {
    int t = 0;
    for (int k = 0; k <= 63; ++k) {
        ScreenBitmap[63] = AuxScreen[size_t(k)];
        for (int n = 0; n < 63 - k; ++n) {
            ef_desloca_esquerda(1, uint8_t(k), 63);
            if (++t == 12) {
                t = 1;
                espera_tempo(1);
            }
        }
    }
}

void PreviewEngine::ef_e_tetris2() {
    int t = 0;
    for (int g = 0; g <= 14; ++g) {
        for (int j = 0; j < 4; ++j) ScreenBitmap[size_t(60 + j)] = AuxScreen[size_t(4 * g + j)];
        for (int n = 0; n < 60 - 4 * g; ++n) {
            ef_desloca_esquerda(1, uint8_t(4 * g), 63);
            if (++t == 2) {
                t = 0;
                espera_tempo(1);
            }
        }
    }
}

void PreviewEngine::ef_es_pisca() {
    for (int n = 0; n < 5; ++n) {
        ef_copia_telaaux(0, 63);
        espera_tempo(6);
        ef_limpa(0, 63);
        espera_tempo(4);
    }
}

void PreviewEngine::ef_es_pisca_inverte() {
    for (int n = 0; n < 5; ++n) {
        ef_copia_telaaux(0, 63);
        espera_tempo(6);
        ef_inverte(0, 63);
        espera_tempo(4);
    }
}

} // namespace vorelux::preview
