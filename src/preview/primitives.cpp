// The effect primitives. They work on ScreenBitmap (S) in place; positions are
// bytes, and a position computed below 0 arrives wrapped (256 + value).
#include "preview/engine.h"

namespace vorelux::preview {

const std::array<uint8_t, 8> PixelOrderA = {3, 7, 4, 2, 0, 5, 6, 1};
const std::array<uint8_t, 8> PixelOrderB = {5, 3, 2, 0, 4, 7, 1, 6};

namespace {
// The last index of the image (the spare column).
constexpr int Spare = PanelColumns;
int clampEnd(int c) {
    return c > Spare ? Spare : c;
}
} // namespace

void PreviewEngine::ef_copia_telaaux(uint8_t coluna_ini, uint8_t coluna_fim) {
    int ini = coluna_ini > 200 ? 0 : coluna_ini;
    if (coluna_fim >= 200) return;
    int fim = coluna_fim > 63 ? 63 : coluna_fim;
    for (int c = ini; c <= fim; ++c) ScreenBitmap[size_t(c)] = AuxScreen[size_t(c)];
}

void PreviewEngine::ef_limpa(uint8_t coluna_ini, uint8_t coluna_fim) {
    for (int c = coluna_ini; c <= clampEnd(coluna_fim); ++c) ScreenBitmap[size_t(c)] = 0;
}

void PreviewEngine::ef_inverte(uint8_t coluna_ini, uint8_t coluna_fim) {
    for (int c = coluna_ini; c <= clampEnd(coluna_fim); ++c)
        ScreenBitmap[size_t(c)] = uint8_t(~ScreenBitmap[size_t(c)]);
}

void PreviewEngine::ef_pinta_linha(uint8_t coluna_ini, uint8_t coluna_fim, uint8_t linhas) {
    for (int c = coluna_ini; c <= clampEnd(coluna_fim); ++c) ScreenBitmap[size_t(c)] |= linhas;
}

void PreviewEngine::ef_desloca_esquerda(uint8_t colunas, uint8_t coluna_ini, uint8_t coluna_fim) {
    const int ini = coluna_ini, fim = clampEnd(coluna_fim), n = colunas;
    if (fim < ini) return;
    for (int c = ini; c <= fim - n; ++c) ScreenBitmap[size_t(c)] = ScreenBitmap[size_t(c + n)];
    for (int c = fim - n + 1 < ini ? ini : fim - n + 1; c <= fim; ++c) ScreenBitmap[size_t(c)] = 0;
}

void PreviewEngine::ef_desloca_direita(uint8_t colunas, uint8_t coluna_ini, uint8_t coluna_fim) {
    const int ini = coluna_ini, fim = clampEnd(coluna_fim), n = colunas;
    if (fim < ini) return;
    for (int c = fim; c >= ini + n; --c) ScreenBitmap[size_t(c)] = ScreenBitmap[size_t(c - n)];
    for (int c = ini; c < ini + n && c <= fim; ++c) ScreenBitmap[size_t(c)] = 0;
}

void PreviewEngine::ef_desloca_linha_esquerda(uint8_t colunas, uint8_t linhas) {
    const int n = colunas;
    const uint8_t keep = uint8_t(~linhas);
    for (int c = 0; c <= Spare - n; ++c)
        ScreenBitmap[size_t(c)] =
            uint8_t((ScreenBitmap[size_t(c)] & keep) | (ScreenBitmap[size_t(c + n)] & linhas));
    for (int c = 63; c >= 64 - n && c >= 0; --c) ScreenBitmap[size_t(c)] &= keep;
}

void PreviewEngine::ef_desloca_linha_direita(uint8_t colunas, uint8_t linhas) {
    const int n = colunas;
    const uint8_t keep = uint8_t(~linhas);
    for (int c = 63; c >= n; --c)
        ScreenBitmap[size_t(c)] =
            uint8_t((ScreenBitmap[size_t(c)] & keep) | (ScreenBitmap[size_t(c - n)] & linhas));
    for (int c = 0; c < n && c <= 63; ++c) ScreenBitmap[size_t(c)] &= keep;
}

void PreviewEngine::ef_desloca_baixo(uint8_t coluna_ini, uint8_t coluna_fim,
                                     uint8_t linhas_congeladas, uint8_t linhas_somativas) {
    const uint8_t C = linhas_congeladas, K = linhas_somativas;
    for (int c = coluna_ini; c <= clampEnd(coluna_fim); ++c) {
        const uint8_t v = ScreenBitmap[size_t(c)];
        ScreenBitmap[size_t(c)] = uint8_t(((((v & ~C) >> 1) | (v & K)) & ~C) | (v & C));
    }
}

void PreviewEngine::ef_desloca_cima(uint8_t coluna_ini, uint8_t coluna_fim,
                                    uint8_t linhas_congeladas, uint8_t linhas_somativas) {
    const uint8_t C = linhas_congeladas, K = linhas_somativas;
    for (int c = coluna_ini; c <= clampEnd(coluna_fim); ++c) {
        const uint8_t v = ScreenBitmap[size_t(c)];
        ScreenBitmap[size_t(c)] = uint8_t((((uint8_t((v & ~C) << 1) | (v & K)) & ~C) | (v & C)));
    }
}

// Draws the first `tamdesenho` columns of GlyphBuffer with the left edge at
// `posicx` (above 200: that many columns off the panel to the left). In front
// (na_frente = 1) every lit pixel gets a dark outline so the figure reads over
// lit text.
void PreviewEngine::ef_imprime_desenho(uint8_t posicx, uint8_t posicy, uint8_t tamdesenho,
                                       uint8_t na_frente) {
    const int T = tamdesenho;
    if (T < 1) return;
    std::array<uint8_t, GlyphBufferSize> D{};
    for (int i = 0; i < T && i < GlyphBufferSize; ++i)
        D[size_t(i)] = glyphs_.GlyphBuffer[size_t(i)];
    auto d = [&](int i) -> uint8_t { return i < GlyphBufferSize ? D[size_t(i)] : 0; };

    int x0 = posicx, skip = 0;
    if (x0 > 200) {
        skip = 256 - x0;
        x0 = 0;
    }
    if (posicy < 8)
        for (auto& col : D) col = uint8_t(col << (8 - posicy));
    else if (posicy > 8)
        for (auto& col : D) col = uint8_t(col >> (posicy - 8));

    auto at = [&](int x) -> uint8_t* {
        return x >= 0 && x <= Spare ? &ScreenBitmap[size_t(x)] : nullptr;
    };
    if (na_frente != 1) {
        for (int i = skip; i < T && x0 + i < 64; ++i)
            if (uint8_t* s = at(x0 + i - skip)) *s |= d(i);
        return;
    }
    if (x0 != 0 && x0 - skip < 64)
        if (uint8_t* s = at(x0 - 1 - skip)) *s &= uint8_t(~d(0));
    for (int i = skip; i < T && x0 + i < 64; ++i) {
        uint8_t halo = uint8_t((d(i) >> 1) | uint8_t(d(i) << 1));
        if (i < T - 1) halo |= d(i + 1);
        if (i > 0) halo |= d(i - 1);
        if (uint8_t* s = at(x0 + i - skip)) {
            *s &= uint8_t(~halo);
            *s |= d(i);
        }
    }
    if (T + x0 < 64)
        if (uint8_t* s = at(T + x0 - skip)) *s &= uint8_t(~d(T - 1));
}

} // namespace vorelux::preview
