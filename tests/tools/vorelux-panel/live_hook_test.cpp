// The preview engine with the panel's own live fields: a field the panel
// knows is drawn by it and held like any field; the others stay the engine's.
#include "panel_live.h"
#include "preview/recording_sink.h"
#include "render/live_fields.h"

#include <gtest/gtest.h>

namespace vorelux::panel {
namespace {

TEST(PanelLiveFields, ThePanelDrawsItsFieldsAndTheEngineTheRest) {
    LocalDateTime now;
    ASSERT_TRUE(makeLocalDateTime(2023, 3, 5, 14, 7, 9, now));
    FixedClock clock(now);
    PanelSettings settings;
    settings.countDownEnd = SimpleDate{25, 12, 23};
    GlyphRenderer glyphs;

    struct Case {
        uint8_t code;
        bool panelDraws;
    };
    for (Case c : {Case{.code = 26, .panelDraws = true}, Case{.code = 27, .panelDraws = false},
                   Case{.code = 9, .panelDraws = false}}) {
        SCOPED_TRACE(int(c.code));
        // The field alone in a line: no segment, just the field.
        preview::VectorLineSource lines({{0xFF, 197, 197, c.code}});
        int asked = 0;
        preview::PlayOptions options{.rounds = 1};
        options.drawLiveField = [&](uint8_t code, PanelImage& screen) {
            ++asked;
            auto text = panelFieldText(code, settings, clock.now());
            if (!text) return false;
            drawCentred(screen, glyphs, *text);
            return true;
        };
        preview::RecordingSink sink;
        preview::runPage(lines, glyphs, clock, sink, options);
        EXPECT_EQ(asked, 1);
        ASSERT_EQ(sink.frames.size(), 25u); // held 25 times 10 cycles either way
        for (const preview::Frame& f : sink.frames) EXPECT_EQ(f.cycles, 10);

        PanelImage expected{};
        if (c.panelDraws) {
            PanelText text;
            for (char ch : std::string("295 DIAS")) text.text.push_back(uint8_t(ch));
            drawCentred(expected, glyphs, text);
        } else if (c.code == 9) {
            drawLiveField(expected, glyphs, LiveMask::Weekday | LiveMask::DayMonth, 1, now);
        } // a counter without a date: the panel stays as it was (blank)
        for (int col = 0; col < PanelColumns; ++col)
            EXPECT_EQ(sink.frames.back().screen[size_t(col)], expected[size_t(col)]) << col;
    }
}

} // namespace
} // namespace vorelux::panel
