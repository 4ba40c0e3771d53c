// Exit effects: take the image shown in ScreenBitmap (S) off the panel. They
// read and change S only.
#include "preview/engine.h"

namespace vorelux::preview {

void PreviewEngine::ef_s_rola_da_direita() {
    for (int e = 63; e >= 1; --e) {
        ef_desloca_esquerda(1, 0, uint8_t(e));
        espera_tempo(1);
    }
}

void PreviewEngine::ef_s_rola_da_esquerda() {
    for (int n = 0; n < 64; ++n) {
        ef_desloca_direita(1, 0, 63);
        espera_tempo(1);
    }
}

void PreviewEngine::ef_s_abre() {
    for (int k = 0; k <= 31; ++k) {
        ScreenBitmap[size_t(32 + k)] = 0;
        ScreenBitmap[size_t(31 - k)] = 0;
        espera_tempo(1);
    }
}

void PreviewEngine::ef_s_acendendo_da_direita() {
    for (int i = 64; i >= 1; --i) {
        ScreenBitmap[size_t(i - 1)] = 0;
        espera_tempo(1);
    }
}

void PreviewEngine::ef_s_acendendo_da_esquerda() {
    for (int k = 0; k <= 63; ++k) {
        ScreenBitmap[size_t(k)] = 0;
        espera_tempo(1);
    }
}

void PreviewEngine::ef_s_aparece() {
    ef_limpa(0, 63);
    espera_tempo(4);
}

void PreviewEngine::ef_s_aparece_de_baixo() {
    uint8_t m = 254;
    for (int k = 0; k < 7; ++k) {
        for (int c = 0; c < 64; ++c) ScreenBitmap[size_t(c)] &= m;
        espera_tempo(6);
        m = uint8_t(m * 2);
    }
}

void PreviewEngine::ef_s_aparece_de_cima() {
    uint8_t m = 63;
    for (int k = 0; k < 7; ++k) {
        for (int c = 0; c < 64; ++c) ScreenBitmap[size_t(c)] &= m;
        espera_tempo(6);
        m = uint8_t(m / 2);
    }
}

void PreviewEngine::ef_s_cai_tijolo() {
    uint8_t frozen = 63;
    for (int i = 1; i <= 7; ++i) {
        for (int b = 3; b >= 0; --b) {
            espera_tempo(1);
            for (int n = 0; n < i; ++n) {
                ef_desloca_cima(uint8_t(16 * b), uint8_t(16 * b + 15), frozen, 0);
                espera_tempo(1);
            }
        }
        frozen = uint8_t(frozen / 2);
    }
}

void PreviewEngine::ef_s_cascata() {
    uint8_t frozen = 63;
    for (int r = 7; r >= 1; --r) {
        for (int n = 0; n < 8 - r; ++n) {
            ef_desloca_cima(0, 63, frozen, 0);
            espera_tempo(2);
        }
        frozen = uint8_t(frozen / 2);
    }
}

void PreviewEngine::ef_s_chove_pixels() {
    uint8_t a = 64, frozen = 255;
    for (int i = 1; i <= 7; ++i) {
        for (int k = 0; k <= 63; ++k) {
            uint8_t& s = ScreenBitmap[sweepA(k)];
            s = uint8_t((s & ~a) + uint8_t((s & a) << 1));
            if (k % 14 == 7) {
                espera_tempo(1);
                for (int n = 0; n < i; ++n) {
                    ef_desloca_cima(0, 63, frozen, 0);
                    espera_tempo(1);
                }
            }
        }
        frozen = uint8_t(frozen & ~a);
        a = uint8_t(a / 2);
    }
}

void PreviewEngine::ef_s_desce() {
    for (int n = 0; n < 7; ++n) {
        ef_desloca_baixo(0, 63, 0, 0);
        espera_tempo(5);
    }
}

void PreviewEngine::ef_s_encolhe() {
    for (int n = 0; n < 11; ++n) {
        std::array<uint8_t, 64> b{};
        for (int c = 0; c < 64; ++c) b[size_t(c)] = ScreenBitmap[size_t(c)];
        squeezePass(b);
        for (int c = 0; c < 64; ++c) ScreenBitmap[size_t(c)] = b[size_t(c)];
        espera_tempo(3);
    }
}

void PreviewEngine::ef_s_esmagar() {
    ef_desloca_baixo(0, 63, 15, 0);
    ef_desloca_cima(0, 63, 240, 0);
    espera_tempo(6);
    ef_desloca_baixo(0, 63, 15, 0);
    ef_desloca_cima(0, 63, 240, 0);
    espera_tempo(6);
    ef_desloca_baixo(0, 63, 7, 0);
    ef_desloca_cima(0, 63, 112, 8);
    espera_tempo(6);
}

void PreviewEngine::ef_s_estica() {
    std::array<uint8_t, 64> b{};
    for (int c = 0; c < 64; ++c) b[size_t(c)] = ScreenBitmap[size_t(c)];
    for (int len = 7; len >= 1; --len) {
        for (int v = 32; v >= 1; --v) ScreenBitmap[size_t(31 + v)] = b[size_t(32 + (v * len) / 8)];
        for (int v = 32; v >= 1; --v) ScreenBitmap[size_t(32 - v)] = b[size_t(31 - (v * len) / 8)];
        espera_tempo(5);
    }
}

void PreviewEngine::ef_s_fecha() {
    for (int n = 32; n >= 1; --n) {
        ScreenBitmap[size_t(n + 31)] = 0;
        ScreenBitmap[size_t(32 - n)] = 0;
        espera_tempo(1);
    }
}

void PreviewEngine::ef_s_grade_abre() {
    for (int n = 0; n < 32; ++n) {
        ef_desloca_linha_direita(2, 170);
        ef_desloca_linha_esquerda(2, 85);
        espera_tempo(2);
    }
}

void PreviewEngine::ef_s_grade_sobe_desce() {
    for (int n = 0; n < 7; ++n) {
        for (int k = 0; k <= 31; ++k) {
            ef_desloca_cima(uint8_t(2 * k), uint8_t(2 * k), 0, 0);
            ef_desloca_baixo(uint8_t(2 * k + 1), uint8_t(2 * k + 1), 0, 0);
        }
        espera_tempo(4);
    }
}

void PreviewEngine::ef_s_laser() {
    auto beam = [&](int x, uint8_t m) {
        ef_limpa(uint8_t(x), 63);
        ef_pinta_linha(uint8_t(x), 63, m);
        espera_tempo(2);
    };
    for (int p = 6; p >= 0; --p) beam(56 + p, uint8_t(64 >> (6 - p)));
    for (int q = 3; q >= 0; --q) {
        for (int p = 6; p >= 0; --p) beam(14 * q + 7 + p, uint8_t(1 << (6 - p)));
        for (int p = 6; p >= 0; --p) beam(14 * q + p, uint8_t(64 >> (6 - p)));
    }
}

void PreviewEngine::ef_s_laser2() {
    for (int x = 62; x >= 0; --x) {
        ef_limpa(uint8_t(x + 1), 63);
        ef_pinta_linha(uint8_t(x), 63, ScreenBitmap[size_t(x)]);
        espera_tempo(2);
    }
}

void PreviewEngine::ef_s_mar_pixels() {
    for (int a = 64; a >= 1; a /= 2) {
        for (int k = 0; k <= 63; ++k) {
            ScreenBitmap[sweepA(k)] &= uint8_t(~a);
            if (k % 7 == 6) espera_tempo(1);
        }
    }
}

void PreviewEngine::ef_s_preenche_pixels() {
    uint8_t a = 1;
    for (int r = 0; r < 7; ++r) {
        for (int k = 0; k <= 63; ++k) {
            ScreenBitmap[sweepB(k)] &= uint8_t(~a);
            if (a == 64) {
                a = 1;
                espera_tempo(1);
            } else {
                a = uint8_t(a * 2);
            }
        }
    }
}

void PreviewEngine::ef_s_reparte_abre() {
    for (int n = 0; n < 32; ++n) {
        ef_desloca_direita(1, 32, 63);
        ef_desloca_esquerda(1, 0, 31);
        espera_tempo(2);
    }
}

void PreviewEngine::ef_s_reparte_sobe_desce() {
    for (int n = 0; n < 7; ++n) {
        for (int g = 0; g <= 3; ++g) {
            ef_desloca_cima(uint8_t(14 * g), uint8_t(14 * g + 6), 0, 0);
            ef_desloca_baixo(uint8_t(14 * g + 7), uint8_t(14 * g + 13), 0, 0);
        }
        ef_desloca_cima(56, 63, 0, 0);
        espera_tempo(4);
    }
}

void PreviewEngine::ef_s_rola_linhas() {
    uint8_t m = 1;
    for (int n = 0; n < 7; ++n) {
        for (int k = 0; k < 4; ++k) {
            ef_desloca_linha_direita(6, m);
            espera_tempo(2);
        }
        m = uint8_t(2 * m + 1);
    }
    for (int n = 0; n < 7; ++n) {
        ef_desloca_linha_direita(6, 127);
        espera_tempo(2);
    }
}

void PreviewEngine::ef_s_sobe() {
    for (int n = 0; n < 7; ++n) {
        ef_desloca_cima(0, 63, 0, 0);
        espera_tempo(5);
    }
}

void PreviewEngine::ef_s_sobe_onda() {
    for (int g = 0; g <= 56; g += 8) {
        for (int n = 0; n < 7; ++n) {
            ef_desloca_cima(uint8_t(g), uint8_t(g + 7), 0, 0);
            espera_tempo(1);
        }
    }
}

void PreviewEngine::ef_s_tetris1() {
    int t = 0;
    for (int n = 63; n >= 0; --n) {
        for (int s = 0; s < 65 - n; ++s) {
            ef_desloca_direita(1, uint8_t(n), 63);
            if (++t == 12) {
                t = 1;
                espera_tempo(1);
            }
        }
    }
}

void PreviewEngine::ef_s_tetris2() {
    int t = 0;
    for (int g = 15; g >= 0; --g) {
        for (int s = 0; s < 65 - 4 * g; ++s) {
            ef_desloca_direita(1, uint8_t(4 * g), 63);
            if (++t == 2) {
                t = 0;
                espera_tempo(1);
            }
        }
    }
}

} // namespace vorelux::preview
