// vorelux effect entry|exit N [--text "TEXT"] [--font F]: the frames of one
// effect on a segment composed as the preview composes it.
#include "command.h"
#include "model/charset.h"
#include "model/line.h"
#include "preview/effect_table.h"
#include "preview/page_player.h"
#include "preview/recording_sink.h"
#include "render/clock.h"

#include <cstdio>
#include <iostream>

namespace vorelux::cli {
namespace {

std::string frameLine(const preview::Frame& f) {
    std::string out = std::to_string(int(f.cycles)) + " ";
    char buf[3];
    for (int c = 0; c < PanelColumns; ++c) {
        std::snprintf(buf, sizeof buf, "%02X", f.screen[size_t(c)]);
        out += buf;
    }
    return out;
}

int effect(const Args& input) {
    Args args = input;
    std::string textValue = "VORELUX", fontValue;
    takeOption(args, "--text", textValue);
    const bool haveFont = takeOption(args, "--font", fontValue);
    long n = 0, font = 2;
    if (args.size() != 2 || (args[0] != "entry" && args[0] != "exit") || !parseInt(args[1], n))
        return usageError("effect", "espera entry ou exit e o número do efeito");
    if (n < 1 || n > preview::EffectCount) {
        std::cerr << "vorelux effect: N espera um número de efeito 1..61\n";
        return 2;
    }
    if (haveFont && (!parseInt(fontValue, font) || font < 1 || font > 4)) {
        std::cerr << "vorelux effect: --font espera 1..4 (\"Fonte 1\" .. \"Fonte 4\")\n";
        return 2;
    }
    // The segment as the first segment of a line: "Fonte 2" (bold) is in
    // force at the line start; another font is selected by its font byte.
    LineStream line{LineStart, effectByte(int(n)), effectByte(int(n))};
    if (font != 2) line.push_back(uint8_t(font - 1));
    for (char16_t c : utf8ToUtf16(textValue)) line.push_back(toPanelCharacter(c, u' '));

    GlyphRenderer glyphs;
    const PanelImage segment = preview::composeFirstSegment(line, glyphs).image;
    preview::RecordingSink sink;
    preview::playEffect(args[0] == "entry", int(n), segment, glyphs, sink);
    for (const preview::Frame& f : sink.frames) std::cout << frameLine(f) << "\n";
    return 0;
}

CommandRegistration reg("effect",
                        {"effect entry|exit N [--text \"TEXTO\"] [--font F]",
                         "os quadros do efeito de entrada ou saída N (ciclos, depois as colunas "
                         "0..63 em hexadecimal) sobre TEXTO",
                         effect,
                         {{"--text", "\"TEXTO\"", "o texto (padrão: VORELUX)"},
                          {"--font", "F", "a fonte, 1..4 (padrão: 2, \"Fonte 2\")"}}});

} // namespace
} // namespace vorelux::cli
