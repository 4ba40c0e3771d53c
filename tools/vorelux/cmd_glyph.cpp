// vorelux glyph FONT CODE: the columns convertCharacter makes for one code.
#include "command.h"
#include "render/glyphs.h"

#include <iostream>

namespace {

int run(const vorelux::cli::Args& args) {
    long font = 0, code = 0;
    if (args.size() != 2 || !vorelux::cli::parseInt(args[0], font) ||
        !vorelux::cli::parseInt(args[1], code)) {
        std::cerr << "usage: vorelux glyph FONT CODE\n";
        return 2;
    }
    if (font < INT32_MIN || font > INT32_MAX || code < 0 || code > 255) {
        std::cerr << "vorelux glyph: FONT must be a 32-bit integer and CODE 0..255\n";
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
    reg("glyph", {"glyph FONT CODE",
                  "print the last column index and the column bytes of CODE in font FONT "
                  "(0 thin, 1 bold, 2 and 3 widened, 5+ sprites)",
                  run});

} // namespace
