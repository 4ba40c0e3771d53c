#pragma once
// Live fields as the preview shows them: the clock, dates, sample
// temperatures and the greeting, drawn centred into the panel image.
#include "render/clock.h"
#include "render/glyphs.h"
#include "render/panel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorelux {

// Bits of the mask of drawTimeDateTemperature, written in this order.
struct LiveMask {
    static constexpr uint8_t Weekday = 1;        // "DOM" .. "SAB"
    static constexpr uint8_t HourMinute = 2;     // hh:mm
    static constexpr uint8_t HourMinuteSec = 4;  // hh:mm:ss
    static constexpr uint8_t DayMonth = 8;       // dd/mm
    static constexpr uint8_t DayMonthYear = 16;  // dd/mm/yy (32 too)
    static constexpr uint8_t InternalTemp = 64;  // 27.8 degrees
    static constexpr uint8_t ExternalTemp = 128; // 27.7 degrees
    static constexpr uint8_t Greeting = 0;       // "BOM DIA", "BOA TARDE", "BOA NOITE"
};

// Sample temperatures in tenths of a degree.
constexpr int InternalTemperatureTenths = 278;
constexpr int ExternalTemperatureTenths = 277;
constexpr uint8_t DegreeSign = 167;

// The content bytes (panel character set) of the text for `mask` at `at`.
std::vector<uint8_t> liveFieldText(uint8_t mask, uint8_t fontIndex, const LocalDateTime& at);

struct LiveFieldLayout {
    std::vector<uint8_t> text;
    int width = 0; // lit extent: the blank column(s) after the last glyph do not count
    int start = 0; // first column
};
// Builds and measures the text for `mask` at `at`, and draws it centred into
// columns 0..63 of `screen` (cleared first). Uses `glyphs` for the conversions.
LiveFieldLayout drawLiveField(PanelImage& screen, GlyphRenderer& glyphs, uint8_t mask,
                              uint8_t fontIndex, const LocalDateTime& at);

// Reads the clock once and draws the field (first and count have no effect).
LiveFieldLayout drawTimeDateTemperature(PanelImage& shown, GlyphRenderer& glyphs,
                                        const Clock& clock, uint8_t first, uint8_t count,
                                        uint8_t mask, uint8_t fontIndex);

// How the preview shows one live-field code.
struct LiveFieldRule {
    uint8_t code = 0;
    bool drawn = false;  // false: nothing is drawn, the panel keeps its image
    bool redraw = false; // true: redrawn 50 times every 5 cycles (the clock ticks)
    uint8_t mask = 0;
    uint8_t fontIndex = 0;
};
// The rule for a live-field code; codes without a text (day counters and any
// other code) get drawn = false.
LiveFieldRule liveFieldRule(uint8_t code);

// The text as UTF-8, the degree sign as "º".
std::string liveFieldTextUtf8(const std::vector<uint8_t>& text);

} // namespace vorelux
