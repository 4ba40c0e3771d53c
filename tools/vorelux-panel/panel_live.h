#pragma once
// What a panel shows that the editor's preview cannot know: the day
// counters from the dates it was given, the temperatures with its
// adjustments, and its own number.
#include "panel.h"
#include "render/glyphs.h"
#include "render/panel.h"

#include <optional>
#include <vector>

namespace vorelux::panel {

// The panel's thermometers without adjustment, in tenths of a degree (the
// readings the editor's preview shows as samples).
constexpr int InternalReadingTenths = 278;
constexpr int ExternalReadingTenths = 277;

struct PanelText {
    std::vector<uint8_t> text; // panel character set
    uint8_t fontIndex = 1;
};

// The text the panel shows for a live-field code that depends on its
// settings (temperatures 11, 12, 14, 15, 19, 20; day counters 26, 27), or
// nothing for the codes the preview engine shows unchanged (clock, date,
// greeting) and for a counter whose date was never set.
std::optional<PanelText> panelFieldText(uint8_t code, const PanelSettings& settings,
                                        const LocalDateTime& now);

// Days left until the count-down end (0 once it has passed) and days since
// the count-up start (0 before it).
int daysLeft(const SimpleDate& end, const LocalDateTime& now);
int daysSince(const SimpleDate& start, const LocalDateTime& now);

// Draws `text` centred into columns 0..63 of `screen` (cleared first), as the
// live fields are drawn.
void drawCentred(PanelImage& screen, GlyphRenderer& glyphs, const PanelText& text);

// The panel's number as it shows it on request: the digits in the big font.
PanelText panelNumberText(uint8_t number);

} // namespace vorelux::panel
