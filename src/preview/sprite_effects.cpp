// Effects 32..61: an animated figure of four sprite frames crosses the panel,
// one column per step; on the way in it walks right and uncovers the segment,
// on the way out it walks left, mirrored, and leaves the panel dark.
#include "preview/engine.h"

namespace vorelux::preview {

namespace {
constexpr int SpriteFont = 5;
}

void PreviewEngine::ef_e_come_come(uint8_t posic_desenho, uint8_t tempo_frame) {
    const uint8_t F = posic_desenho;
    const int L = glyphs_.converte_fonte(SpriteFont, F);
    uint8_t x = 0;
    // The test is made once per group of four frames.
    while (x <= L + 64) {
        for (int code = F; code <= F + 3; ++code) {
            const uint8_t w = glyphs_.converte_fonte(SpriteFont, uint8_t(code));
            for (int h = 0; h <= tempo_frame; ++h) {
                espera_tempo(2);
                ef_limpa(0, 63);
                ef_copia_telaaux(0, uint8_t(x - L + 1));
                ef_imprime_desenho(uint8_t(x - L), 8, w, 1);
                x = uint8_t(x + 1);
            }
        }
    }
    espera_tempo(2);
}

void PreviewEngine::ef_s_come_come(uint8_t posic_desenho, uint8_t tempo_frame) {
    const uint8_t F = posic_desenho;
    const int L = glyphs_.converte_fonte(SpriteFont, F);
    uint8_t x = uint8_t(L + 63);
    // Ends once x has gone below 0 and wrapped.
    while (x <= L + 63) {
        for (int code = F; code <= F + 3; ++code) {
            const uint8_t w = glyphs_.converte_fonte(SpriteFont, uint8_t(code));
            glyphs_.inverte_desenho(w);
            for (int h = 0; h <= tempo_frame; ++h) {
                espera_tempo(2);
                ef_limpa(0, 63);
                ef_copia_telaaux(0, uint8_t(x - w + 1));
                ef_imprime_desenho(uint8_t(x - w), 8, w, 1);
                x = uint8_t(x - 1);
            }
        }
    }
    espera_tempo(2);
}

} // namespace vorelux::preview
