// vorelux drawing CODE: the columns convertSprite makes for a drawing code.
#include "command.h"
#include "render/glyphs.h"

#include <iostream>

namespace {

int run(const vorelux::cli::Args& args) {
    long code = 0;
    if (args.size() != 1 || !vorelux::cli::parseInt(args[0], code))
        return vorelux::cli::usageError("drawing", "espera um CÓDIGO");
    if (code < 0 || code > 255) {
        std::cerr << "vorelux drawing: CÓDIGO espera 0..255\n";
        return 2;
    }
    vorelux::GlyphRenderer glyphs;
    glyphs.convertSprite(uint8_t(code));
    std::cout << glyphs.lastGlyphColumn << ' '
              << vorelux::cli::hexBytes(glyphs.glyphColumns.data(),
                                        size_t(glyphs.lastGlyphColumn) + 1)
              << '\n';
    return 0;
}

vorelux::cli::CommandRegistration
    reg("drawing",
        {"drawing CÓDIGO",
         "mostra o índice da última coluna e os bytes das colunas do desenho de código CÓDIGO "
         "(0..255)",
         run});

} // namespace
