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
    if (args.size() != 1 || !parseInt(args[0], code)) {
        std::cerr << "usage: vorelux live CODE [--at \"YYYY-MM-DD HH:MM:SS\"]\n";
        return 2;
    }
    if (code < 0 || code > 255 || !isLiveFieldCode(uint8_t(code))) {
        std::cerr << "vorelux live: " << code
                  << " is not a live-field code (8..15, 18, 19, 20, 25, 26, 27)\n";
        return 2;
    }
    LocalDateTime at = SystemClock().now();
    if (haveAt && !parseLocalDateTime(atText, at)) {
        std::cerr << "vorelux live: --at wants a moment as \"YYYY-MM-DD HH:MM:SS\", not \""
                  << atText << "\"\n";
        return 2;
    }
    const LiveFieldRule rule = liveFieldRule(uint8_t(code));
    if (!rule.drawn) {
        std::cerr << "vorelux live: code " << code
                  << " (a day counter) draws nothing; the panel keeps its image\n";
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

CommandRegistration reg("live", {"live CODE [--at \"YYYY-MM-DD HH:MM:SS\"]",
                                 "the text, start column and panel columns of a live field", live});

} // namespace
} // namespace vorelux::cli
