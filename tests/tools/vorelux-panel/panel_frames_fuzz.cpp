// libFuzzer: any byte stream, arriving in any pieces at any pace, goes
// through the frame decoder into a panel without a crash, and the decoder
// never holds more than one page's worth of bytes.
#include "frame_decoder.h"
#include "panel.h"
#include "panel_live.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorelux;
    using namespace vorelux::panel;
    int64_t ms = 0;
    MonotonicMs mono = [&] { return ms; };
    LocalDateTime start;
    makeLocalDateTime(2024, 2, 29, 23, 59, 50, start);
    PanelClock clock(start, mono);
    Panel panel(1, clock, mono);
    GlyphRenderer glyphs;
    size_t i = 0;
    while (i < size) {
        // A control byte: how many bytes come next and how long the line was quiet.
        const uint8_t control = data[i++];
        const size_t n = std::min<size_t>(size - i, (control & 0x0F) + 1);
        ms += (control >> 4) * 70; // 0 .. 1050 ms
        panel.receive(data + i, n);
        i += n;
        panel.tick();
        const PanelSettings s = panel.settings();
        for (uint8_t code : {11, 12, 14, 15, 19, 20, 26, 27}) {
            PanelImage screen{};
            if (auto text = panelFieldText(code, s, clock.now()))
                drawCentred(screen, glyphs, *text);
        }
        for (const auto& page : s.pages)
            if (!page.empty() && page[0] != 0xFF) std::abort(); // a stored page starts a line
        (void)panel.plan();
    }
    return 0;
}
