// The glyph tables and the conversions of GlyphRenderer.
#include "expectations.h"
#include "model/line.h"
#include "render/glyph_tables.h"
#include "render/glyphs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorelux {
namespace {

using glyphdata::GlyphTable;

std::vector<uint8_t> columnsOf(const GlyphTable& table, int code) {
    const auto& ref = table.refs[code];
    return std::vector<uint8_t>(table.columns + ref.offset, table.columns + ref.offset + ref.width);
}

std::vector<uint8_t> bufferColumns(const GlyphRenderer& g) {
    return std::vector<uint8_t>(g.glyphColumns.begin(),
                                g.glyphColumns.begin() + g.lastGlyphColumn + 1);
}

struct TableCase {
    const GlyphTable* table;
    const char* widths;
    int trailingBlank; // blank columns every glyph ends with
};

class TableTest : public ::testing::TestWithParam<TableCase> {};

// Every code has a glyph exactly when the width table lists it, of exactly
// that width; no other code has one.
TEST_P(TableTest, WidthOfEveryCodeMatchesTheWidthTable) {
    const auto widths = testdata::parseWidths(GetParam().widths);
    const GlyphTable& table = *GetParam().table;
    for (int code = 0; code < 256; ++code) {
        const auto it = widths.find(code);
        const int expected = it == widths.end() ? 0 : it->second;
        EXPECT_EQ(table.refs[code].width, expected)
            << table.name << " code " << code << (expected ? "" : " must have no glyph");
    }
}

TEST_P(TableTest, EveryGlyphEndsBlankAndStaysInSevenRows) {
    const GlyphTable& table = *GetParam().table;
    for (int code = 0; code < 256; ++code) {
        const auto cols = columnsOf(table, code);
        if (cols.empty()) continue;
        EXPECT_EQ(cols.back(), 0) << table.name << " code " << code << " lacks its blank column";
        for (size_t x = 0; x < cols.size(); ++x)
            EXPECT_EQ(cols[x] & 0x80, 0) << table.name << " code " << code << " column " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, TableTest,
    ::testing::Values(
        TableCase{.table = &glyphdata::Thin, .widths = testdata::ThinWidths, .trailingBlank = 1},
        TableCase{.table = &glyphdata::Bold, .widths = testdata::BoldWidths, .trailingBlank = 1},
        TableCase{
            .table = &glyphdata::Sprites, .widths = testdata::SpriteWidths, .trailingBlank = 1},
        TableCase{
            .table = &glyphdata::Drawings, .widths = testdata::DrawingWidths, .trailingBlank = 1}),
    [](const auto& testInfo) { return std::string(testInfo.param.table->name); });

TEST(GlyphArt, WasReadWithoutProblems) {
    EXPECT_STREQ(glyphdata::ArtWarnings, "");
}

TEST(GlyphArt, DrawingTableHoldsEveryListedDrawingCode) {
    for (int i = 0; i < DrawingCount; ++i)
        EXPECT_GT(glyphdata::Drawings.refs[InsertCodeTable[size_t(i)]].width, 0)
            << "list index " << i;
    EXPECT_EQ(glyphdata::Drawings.count, DrawingCount);
}

TEST(TellingGlyphs, ConvertByteForByte) {
    for (const auto& t : testdata::tellingGlyphs()) {
        GlyphRenderer g;
        const auto expected = testdata::hex(t.columns);
        if (t.font < 0) {
            g.convertSprite(uint8_t(t.code));
        } else {
            const uint8_t result = g.convertCharacter(t.font, uint8_t(t.code));
            EXPECT_EQ(result, expected.size() - 1) << t.what;
        }
        EXPECT_EQ(g.lastGlyphColumn, int(expected.size()) - 1) << t.what;
        EXPECT_EQ(bufferColumns(g), expected) << t.what;
        for (size_t x = expected.size(); x < g.glyphColumns.size(); ++x)
            EXPECT_EQ(g.glyphColumns[x], 0) << t.what << ": buffer beyond the glyph must be blank";
    }
}

// Glyphs that both fonts share: font markers, live-field icons, the blank
// one-column codes and the effect-number markers.
TEST(ThinAndBold, ShareMarkersIconsAndEffectNumbers) {
    std::vector<int> shared = {0,  1,  2,  3,  8,  9,  10, 11, 12, 13,  14,  15, 18,
                               19, 20, 21, 22, 23, 24, 25, 26, 27, 126, 127, 178};
    for (int c = 192; c < 256; ++c) shared.push_back(c);
    for (int code : shared)
        EXPECT_EQ(columnsOf(glyphdata::Thin, code), columnsOf(glyphdata::Bold, code))
            << "code " << code;
}

TEST(OneColumnCodes, AreOneBlankColumn) {
    for (const GlyphTable* t : {&glyphdata::Thin, &glyphdata::Bold})
        for (int code : {21, 22, 23, 24, 126, 127, 178})
            EXPECT_EQ(columnsOf(*t, code), std::vector<uint8_t>{0}) << t->name << " " << code;
    for (int code = 121; code <= 126; ++code)
        EXPECT_EQ(columnsOf(glyphdata::Sprites, code), std::vector<uint8_t>{0}) << code;
}

// Code 192 + n shows n + 1 in small digits in rows 0..4 (three columns wide,
// two for the digit 1), row 5 blank, row 6 lit in columns 0..6; a single
// digit starts at column 2; the tens digit starts at column 0 and the units
// digit follows after one blank column.
TEST(EffectMarkers, FollowTheDigitRule) {
    // Digit shapes (rows 0..4) from the single-digit markers, "0" from "10".
    std::vector<std::vector<uint8_t>> digit(10);
    auto upper = [](const std::vector<uint8_t>& cols, size_t from, size_t n) {
        std::vector<uint8_t> out;
        for (size_t x = from; x < from + n && x < cols.size(); ++x) out.push_back(cols[x] & 0x7C);
        return out;
    };
    auto width = [](int d) { return d == 1 ? size_t(2) : size_t(3); };
    for (int d = 1; d <= 9; ++d) digit[d] = upper(columnsOf(glyphdata::Bold, 191 + d), 2, width(d));
    digit[0] = upper(columnsOf(glyphdata::Bold, 201), 3, 3);

    for (int code = 192; code < 256; ++code) {
        const auto cols = columnsOf(glyphdata::Bold, code);
        ASSERT_EQ(cols.size(), 8u) << code;
        const int number = code - 191;
        std::vector<uint8_t> expected(8, 0);
        auto place = [&](int d, size_t at) {
            for (size_t x = 0; x < digit[d].size(); ++x) expected[at + x] = digit[d][x];
        };
        if (number < 10) {
            place(number, 2);
        } else {
            place(number / 10, 0);
            place(number % 10, width(number / 10) + 1);
        }
        for (size_t x = 0; x < 7; ++x) expected[x] |= 0x01; // row 6 lit in columns 0..6
        EXPECT_EQ(cols, expected) << "effect marker " << code << " (shows " << number << ")";
        for (int d = 0; d <= 9; ++d) EXPECT_FALSE(digit[d].empty()) << d;
    }
}

// --- convertCharacter / convertSprite / mirrorGlyph -------------------

TEST(ConvertCharacter, ThinAClearsTheRestOfTheBuffer) {
    GlyphRenderer g;
    g.glyphColumns.fill(0x55);
    EXPECT_EQ(g.convertCharacter(0, 65), 4);
    EXPECT_EQ(bufferColumns(g), testdata::hex("3F 48 48 3F 00"));
    for (size_t x = 5; x < 24; ++x) EXPECT_EQ(g.glyphColumns[x], 0);
}

TEST(ConvertCharacter, WideFontsDoubleEveryWidth) {
    GlyphRenderer g;
    for (int font : {2, 3}) {
        for (int code = 0; code < 256; ++code) {
            const GlyphTable& table = font == 2 ? glyphdata::Thin : glyphdata::Bold;
            const int w = table.refs[code].width;
            if (w == 0) continue;
            const int result = g.convertCharacter(font, uint8_t(code));
            const int expected = w == 1 ? 1 : 2 * w;
            EXPECT_EQ(result + 1, expected) << "font " << font << " code " << code;
            EXPECT_EQ(g.glyphColumns[size_t(expected - 1)], 0);
            if (w > 1) {
                EXPECT_EQ(g.glyphColumns[size_t(expected - 2)], 0);
            }
        }
    }
}

TEST(ConvertCharacter, OneColumnGlyphIsNotWidened) {
    for (int font : {2, 3})
        for (uint8_t code : {uint8_t(21), uint8_t(126), uint8_t(127)}) {
            GlyphRenderer g;
            g.convertCharacter(1, 65); // something wider before
            EXPECT_EQ(g.convertCharacter(font, code), 0) << font << " " << int(code);
            EXPECT_EQ(g.lastGlyphColumn, 0);
        }
}

struct MissingCase {
    int font;
    uint8_t code;
};

// A code without a glyph leaves a blank buffer and the previous lastGlyphColumn.
TEST(ConvertCharacter, CodeWithoutGlyphKeepsThePreviousLastColumn) {
    const MissingCase cases[] = {
        {.font = 0, .code = 4},   {.font = 1, .code = 4},   {.font = 0, .code = 7},
        {.font = 0, .code = 16},  {.font = 1, .code = 17},  {.font = 0, .code = 28},
        {.font = 1, .code = 30},  {.font = 0, .code = 31},  {.font = 5, .code = 0},
        {.font = 5, .code = 127}, {.font = 5, .code = 200}, {.font = 9, .code = 255}};
    for (const auto& c : cases) {
        GlyphRenderer g;
        g.convertCharacter(0, 65); // thin A, last column 4
        EXPECT_EQ(g.convertCharacter(c.font, c.code), 4) << c.font << " " << int(c.code);
        EXPECT_EQ(g.lastGlyphColumn, 4);
        for (uint8_t b : g.glyphColumns) EXPECT_EQ(b, 0);
    }
}

TEST(ConvertCharacter, BoldHasTheFaceAt31ThinHasNone) {
    GlyphRenderer g;
    EXPECT_EQ(g.convertCharacter(1, 31), 7);
    bool lit = false;
    for (int x = 0; x < 7; ++x) lit |= g.glyphColumns[size_t(x)] != 0;
    EXPECT_TRUE(lit);
    g.convertCharacter(0, 33); // "!" 2 columns
    EXPECT_EQ(g.convertCharacter(0, 31), 1);
}

TEST(ConvertCharacter, EffectMarker220ShowsTwentyNineInBothFonts) {
    GlyphRenderer thin, bold, nine;
    thin.convertCharacter(0, 220);
    bold.convertCharacter(1, 220);
    EXPECT_EQ(bufferColumns(thin), bufferColumns(bold));
    // units digit 9 as in the marker of effect 9 (code 200), after "2" and a gap
    nine.convertCharacter(1, 200);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(thin.glyphColumns[size_t(4 + x)] & 0x7C, nine.glyphColumns[size_t(2 + x)] & 0x7C);
}

TEST(ConvertCharacter, FontFourIsThinAndFiveIsTheSpriteTable) {
    GlyphRenderer a, b;
    a.convertCharacter(4, 65);
    b.convertCharacter(0, 65);
    EXPECT_EQ(bufferColumns(a), bufferColumns(b));
    EXPECT_EQ(a.convertCharacter(5, 1), 7);
    EXPECT_EQ(bufferColumns(a), testdata::hex("1C 3E 5F 57 77 36 14 00"));
}

// A missing glyph in a widened font doubles the previous width; it never
// runs past the 24-column buffer however often it repeats.
TEST(ConvertCharacter, MissingGlyphInWideFontStaysInsideTheBuffer) {
    GlyphRenderer g;
    g.convertCharacter(2, 65); // last column 9
    EXPECT_EQ(g.convertCharacter(2, 4), 19);
    EXPECT_EQ(g.convertCharacter(2, 4), 23);
    EXPECT_EQ(g.convertCharacter(3, 4), 23);
    for (uint8_t b : g.glyphColumns) EXPECT_EQ(b, 0);
}

TEST(ConvertSprite, WidthsAndCodesWithoutDrawing) {
    GlyphRenderer g;
    g.convertSprite(12);
    EXPECT_EQ(g.lastGlyphColumn, 7);
    EXPECT_EQ(g.glyphColumns[7], 0);
    g.convertSprite(60);
    EXPECT_EQ(g.lastGlyphColumn, 23);
    for (uint8_t code : {uint8_t(1), uint8_t(254), uint8_t(31), uint8_t(255)}) {
        g.convertSprite(12);
        g.convertSprite(code);
        EXPECT_EQ(g.lastGlyphColumn, 7) << int(code);
        for (uint8_t b : g.glyphColumns) EXPECT_EQ(b, 0);
    }
}

TEST(MirrorGlyph, MirrorsTheVisibleColumnsOfASprite) {
    GlyphRenderer g;
    g.mirrorGlyph(g.convertCharacter(5, 1));
    EXPECT_EQ(bufferColumns(g), testdata::hex("14 36 77 57 5F 3E 1C 00"));
    EXPECT_EQ(g.lastGlyphColumn, 7);
    const auto before = g.glyphColumns;
    g.mirrorGlyph(0);
    EXPECT_EQ(g.glyphColumns, before);
    g.mirrorGlyph(255); // clipped to the buffer, never past it
    EXPECT_EQ(g.glyphColumns[23], before[0]);
}

} // namespace
} // namespace vorelux
