#include "render/live_fields.h"

#include "model/charset.h"

namespace vorelux {

namespace {

void appendText(std::vector<uint8_t>& out, const char* text) {
    for (const char* p = text; *p; ++p) out.push_back(uint8_t(*p));
}

void appendTwoDigits(std::vector<uint8_t>& out, int value) {
    value = ((value % 100) + 100) % 100;
    out.push_back(uint8_t('0' + value / 10));
    out.push_back(uint8_t('0' + value % 10));
}

// One space before every part but the first.
void startPart(std::vector<uint8_t>& out) {
    if (!out.empty()) out.push_back(' ');
}

} // namespace

std::vector<uint8_t> liveFieldText(uint8_t mask, uint8_t fontIndex, const LocalDateTime& at) {
    std::vector<uint8_t> out;
    if (mask == LiveMask::Greeting) {
        if (at.hour >= 3 && at.hour <= 11)
            appendText(out, "BOM DIA");
        else if (at.hour >= 12 && at.hour <= 17)
            appendText(out, "BOA TARDE");
        else
            appendText(out, "BOA NOITE");
        return out;
    }
    if (mask & LiveMask::Weekday) {
        static const char* const days[] = {"DOM", "SEG", "TER", "QUA", "QUI", "SEX", "SAB"};
        startPart(out);
        appendText(out, days[((at.weekday % 7) + 7) % 7]);
    }
    if (mask & (LiveMask::HourMinute | LiveMask::HourMinuteSec)) {
        startPart(out);
        appendTwoDigits(out, at.hour);
        out.push_back(':');
        appendTwoDigits(out, at.minute);
        if (mask & LiveMask::HourMinuteSec) {
            out.push_back(':');
            appendTwoDigits(out, at.second);
        }
    }
    if (mask & LiveMask::DayMonth) {
        startPart(out);
        appendTwoDigits(out, at.day);
        out.push_back('/');
        appendTwoDigits(out, at.month);
    }
    if (mask & (LiveMask::DayMonthYear | 32)) {
        startPart(out);
        appendTwoDigits(out, at.day);
        out.push_back('/');
        appendTwoDigits(out, at.month);
        out.push_back('/');
        appendTwoDigits(out, at.year % 100);
    }
    if (mask & (LiveMask::InternalTemp | LiveMask::ExternalTemp)) {
        const int tenths =
            (mask & LiveMask::InternalTemp) ? InternalTemperatureTenths : ExternalTemperatureTenths;
        startPart(out);
        if (mask & 0x3F) {
            // After a time or a date: whole degrees, up from a tenths digit above 6.
            appendTwoDigits(out, tenths / 10 + (tenths % 10 > 6 ? 1 : 0));
        } else if (fontIndex != 3) {
            appendTwoDigits(out, tenths / 10);
            out.push_back('.');
            out.push_back(uint8_t('0' + tenths % 10));
        } else {
            appendTwoDigits(out, tenths / 10); // the big font: whole degrees, cut off
        }
        out.push_back(DegreeSign);
        out.push_back('C');
    }
    if (!out.empty() && (out.back() == ' ' || out.back() == ':' || out.back() == '/'))
        out.pop_back();
    return out;
}

LiveFieldLayout drawLiveField(PanelImage& screen, GlyphRenderer& glyphs, uint8_t mask,
                              uint8_t fontIndex, const LocalDateTime& at) {
    LiveFieldLayout layout;
    layout.text = liveFieldText(mask, fontIndex, at);
    int width = 0;
    for (uint8_t c : layout.text) width += glyphs.convertCharacter(fontIndex, c) + 1;
    width -= fontIndex / 2 + 1;
    layout.width = width;
    layout.start = (PanelColumns - width) / 2; // truncated toward zero, like the panel
    if (layout.start < 0) layout.start = 0;

    for (int c = 0; c < PanelColumns; ++c) screen[size_t(c)] = 0;
    int column = layout.start;
    for (uint8_t c : layout.text) {
        const int last = glyphs.convertCharacter(fontIndex, c);
        for (int j = 0; j <= last && column < PanelColumns; ++j, ++column)
            screen[size_t(column)] = glyphs.glyphColumns[size_t(j)];
        if (column >= PanelColumns) break;
    }
    return layout;
}

LiveFieldLayout drawTimeDateTemperature(PanelImage& shown, GlyphRenderer& glyphs,
                                        const Clock& clock, uint8_t /*first*/, uint8_t /*count*/,
                                        uint8_t mask, uint8_t fontIndex) {
    return drawLiveField(shown, glyphs, mask, fontIndex, clock.now());
}

LiveFieldRule liveFieldRule(uint8_t code) {
    struct Row {
        uint8_t code;
        bool redraw;
        uint8_t mask;
        uint8_t fontIndex;
    };
    static const Row rows[] = {
        {8, true, 4, 1},     {9, false, 9, 1},   {10, false, 16, 1},  {11, false, 64, 1},
        {12, false, 128, 1}, {13, false, 10, 0}, {14, false, 66, 1},  {15, false, 130, 1},
        {18, true, 2, 3},    {19, false, 64, 3}, {20, false, 128, 3}, {25, false, 0, 1},
    };
    for (const Row& row : rows)
        if (row.code == code) return LiveFieldRule{code, true, row.redraw, row.mask, row.fontIndex};
    LiveFieldRule none;
    none.code = code;
    return none;
}

std::string liveFieldTextUtf8(const std::vector<uint8_t>& text) {
    std::u16string u;
    for (uint8_t c : text) u.push_back(c < PanelCharset.size() ? PanelCharset[c] : u'?');
    return utf16ToUtf8(u);
}

} // namespace vorelux
