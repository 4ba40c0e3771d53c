// vorelux live CODE [--at "YYYY-MM-DD HH:MM:SS"]: what the preview draws for a
// live-field code at a given moment.
#include "command.h"
#include "model/line.h"
#include "render/clock.h"
#include "render/live_fields.h"

#include <iostream>

namespace vorelux::cli {
namespace {

int live(const Args& input) {
    Args args = input;
    std::string atText;
    const bool haveAt = takeOption(args, "--at", atText);
    long code = 0;
    if (args.size() != 1 || !parseInt(args[0], code)) return usageError("live", "espera um CÓDIGO");
    if (code < 0 || code > 255 || !isLiveFieldCode(uint8_t(code))) {
        std::cerr << "vorelux live: " << code
                  << " não é o código de um campo ao vivo (8..15, 18, 19, 20, 25, 26, 27)\n";
        return 2;
    }
    LocalDateTime at = SystemClock().now();
    if (haveAt && !parseLocalDateTime(atText, at)) {
        std::cerr << "vorelux live: --at espera um momento como \"AAAA-MM-DD HH:MM:SS\", não \""
                  << atText << "\"\n";
        return 2;
    }
    const LiveFieldRule rule = liveFieldRule(uint8_t(code));
    if (!rule.drawn) {
        std::cerr << "vorelux live: o código " << code
                  << " (um contador de dias) não desenha nada; o painel mantém a imagem\n";
        return 1;
    }
    GlyphRenderer glyphs;
    PanelImage screen{};
    const LiveFieldLayout layout = drawLiveField(screen, glyphs, rule.mask, rule.fontIndex, at);
    std::cout << "text " << liveFieldTextUtf8(layout.text) << "\n";
    std::cout << "start " << layout.start << "\n";
    std::cout << "screen " << hexBytes(screen.data(), PanelColumns) << "\n";
    return 0;
}

CommandRegistration reg("live", {"live CÓDIGO [--at \"AAAA-MM-DD HH:MM:SS\"]",
                                 "o texto, a coluna inicial e as colunas do painel de um campo "
                                 "ao vivo",
                                 live,
                                 {{"--at", "\"AAAA-MM-DD HH:MM:SS\"",
                                   "o momento que os campos ao vivo mostram (padrão: agora)"}}});

} // namespace
} // namespace vorelux::cli
