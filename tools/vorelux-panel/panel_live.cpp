#include "panel_live.h"

#include "render/live_fields.h"

#include <cstdlib>
#include <string>

namespace vorelux::panel {

namespace {

void append(std::vector<uint8_t>& out, const std::string& s) {
    for (char c : s) out.push_back(uint8_t(c));
}

// At least two digits, a minus sign before a negative value.
std::string digits(int value) {
    std::string s = std::to_string(std::abs(value));
    if (s.size() < 2) s = "0" + s;
    return (value < 0 ? "-" : "") + s;
}

// The temperature part of a field: whole degrees rounded up from a tenths
// digit above 6 after a time, tenths in the plain fonts, whole degrees cut
// off in the big font; then the degree sign and "C".
void appendTemperature(std::vector<uint8_t>& out, int tenths, bool afterTime, uint8_t fontIndex) {
    const int a = std::abs(tenths);
    const int sign = tenths < 0 ? -1 : 1;
    if (afterTime) {
        append(out, digits(sign * (a / 10 + (a % 10 > 6 ? 1 : 0))));
    } else if (fontIndex != 3) {
        append(out, (tenths < 0 ? "-" : "") + digits(a / 10) + "." + std::to_string(a % 10));
    } else {
        append(out, digits(sign * (a / 10)));
    }
    out.push_back(DegreeSign);
    out.push_back('C');
}

} // namespace

int daysLeft(const SimpleDate& end, const LocalDateTime& now) {
    const int64_t d =
        dayNumber(2000 + end.year, end.month, end.day) - dayNumber(now.year, now.month, now.day);
    return d > 0 ? int(d) : 0;
}

int daysSince(const SimpleDate& start, const LocalDateTime& now) {
    const int64_t d = dayNumber(now.year, now.month, now.day) -
                      dayNumber(2000 + start.year, start.month, start.day);
    return d > 0 ? int(d) : 0;
}

std::optional<PanelText> panelFieldText(uint8_t code, const PanelSettings& s,
                                        const LocalDateTime& now) {
    PanelText t;
    const int internal = InternalReadingTenths + 10 * s.internalAdjust;
    const int external = ExternalReadingTenths + 10 * s.externalAdjust;
    switch (code) {
    case 11:
    case 12:
        t.fontIndex = 1;
        appendTemperature(t.text, code == 11 ? internal : external, false, 1);
        return t;
    case 14:
    case 15:
        t.fontIndex = 1;
        t.text = liveFieldText(LiveMask::HourMinute, 1, now);
        t.text.push_back(' ');
        appendTemperature(t.text, code == 14 ? internal : external, true, 1);
        return t;
    case 19:
    case 20:
        t.fontIndex = 3;
        appendTemperature(t.text, code == 19 ? internal : external, false, 3);
        return t;
    case 26:
    case 27: {
        const std::optional<SimpleDate>& date = code == 26 ? s.countDownEnd : s.countUpStart;
        if (!date) return std::nullopt;
        const int days = code == 26 ? daysLeft(*date, now) : daysSince(*date, now);
        t.fontIndex = 1;
        append(t.text, std::to_string(days) + (days == 1 ? " DIA" : " DIAS"));
        return t;
    }
    default:
        return std::nullopt;
    }
}

void drawCentred(PanelImage& screen, GlyphRenderer& glyphs, const PanelText& t) {
    int width = 0;
    for (uint8_t c : t.text) width += glyphs.convertCharacter(t.fontIndex, c) + 1;
    width -= t.fontIndex / 2 + 1;
    int column = (PanelColumns - width) / 2;
    if (column < 0) column = 0;
    for (int c = 0; c < PanelColumns; ++c) screen[size_t(c)] = 0;
    for (uint8_t c : t.text) {
        const int last = glyphs.convertCharacter(t.fontIndex, c);
        for (int j = 0; j <= last && column < PanelColumns; ++j, ++column)
            screen[size_t(column)] = glyphs.glyphColumns[size_t(j)];
        if (column >= PanelColumns) break;
    }
}

PanelText panelNumberText(uint8_t number) {
    PanelText t;
    t.fontIndex = 3;
    append(t.text, std::to_string(number));
    return t;
}

} // namespace vorelux::panel
