#pragma once
// One frame of a page's preview, for printed proofs: the image the panel
// shows at a given cycle of the page's first round.
#include "preview/page_player.h"

namespace vorelux::preview {

struct Still {
    bool found = false;   // the round reaches the cycle
    PanelImage image{};   // the frame on show at that cycle
    long roundCycles = 0; // the whole round, when the cycle is past its end
    long frameStart = 0;  // the cycle the frame appeared at
};

// The frame on show at `cycle` (0 is the start of the round).
Still frameAtCycle(const LineSource& lines, GlyphRenderer& glyphs, const Clock& clock, long cycle);

} // namespace vorelux::preview
