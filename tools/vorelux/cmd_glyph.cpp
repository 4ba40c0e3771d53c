// vorelux glyph FONT CODE: the columns convertCharacter makes for one code.
#include "command.h"
#include "render/glyphs.h"

#include <iostream>

namespace {

int run(const vorelux::cli::Args& args) {
    long font = 0, code = 0;
    if (args.size() != 2 || !vorelux::cli::parseInt(args[0], font) ||
        !vorelux::cli::parseInt(args[1], code))
        return vorelux::cli::usageError("glyph", "espera FONTE e CÓDIGO, números");
    if (font < INT32_MIN || font > INT32_MAX || code < 0 || code > 255) {
        std::cerr << "vorelux glyph: FONTE espera um inteiro de 32 bits e CÓDIGO 0..255\n";
        return 2;
    }
    vorelux::GlyphRenderer glyphs;
    const int result = glyphs.convertCharacter(int32_t(font), uint8_t(code));
    std::cout << result << ' '
              << vorelux::cli::hexBytes(glyphs.glyphColumns.data(),
                                        size_t(glyphs.lastGlyphColumn) + 1)
              << '\n';
    return 0;
}

vorelux::cli::CommandRegistration
    reg("glyph", {"glyph FONTE CÓDIGO",
                  "mostra o índice da última coluna e os bytes das colunas de CÓDIGO na fonte "
                  "FONTE (0 fina, 1 negrito, 2 e 3 largas, 5+ sprites)",
                  run});

} // namespace
