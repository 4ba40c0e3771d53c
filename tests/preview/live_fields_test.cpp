// Live fields: texts, widths and start columns at given moments, and the clock.
#include "render/clock.h"
#include "render/live_fields.h"

#include <gtest/gtest.h>

namespace vorelux {
namespace {

LocalDateTime at(const char* text) {
    LocalDateTime t;
    EXPECT_TRUE(parseLocalDateTime(text, t)) << text;
    return t;
}

struct LiveCase {
    uint8_t code;
    const char* moment;
    const char* text;
    int width; // -1: not checked
    int start;
};

class LiveFieldCase : public ::testing::TestWithParam<LiveCase> {};

TEST_P(LiveFieldCase, TextWidthAndStart) {
    const LiveCase& c = GetParam();
    const LiveFieldRule rule = liveFieldRule(c.code);
    ASSERT_TRUE(rule.drawn);
    GlyphRenderer glyphs;
    PanelImage screen{};
    screen.fill(0x55);
    const LiveFieldLayout layout =
        drawLiveField(screen, glyphs, rule.mask, rule.fontIndex, at(c.moment));
    EXPECT_EQ(liveFieldTextUtf8(layout.text), c.text);
    if (c.width >= 0) {
        EXPECT_EQ(layout.width, c.width);
        EXPECT_EQ(layout.start, c.start);
        for (int col = 0; col < layout.start; ++col) EXPECT_EQ(screen[size_t(col)], 0) << col;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LiveFieldCase,
    ::testing::Values(
        LiveCase{.code = 8,
                 .moment = "2015-02-19 09:05:07",
                 .text = "09:05:07",
                 .width = 47,
                 .start = 8},
        LiveCase{.code = 8,
                 .moment = "2015-02-19 12:34:56",
                 .text = "12:34:56",
                 .width = -1,
                 .start = 0},
        LiveCase{.code = 9,
                 .moment = "2015-02-19 12:34:56",
                 .text = "QUI 19/02",
                 .width = 58,
                 .start = 3},
        LiveCase{.code = 10,
                 .moment = "2015-02-19 12:34:56",
                 .text = "19/02/15",
                 .width = -1,
                 .start = 0},
        LiveCase{.code = 10,
                 .moment = "2009-02-19 12:34:56",
                 .text = "19/02/09",
                 .width = -1,
                 .start = 0},
        LiveCase{
            .code = 11, .moment = "2015-02-19 12:34:56", .text = "27.8ºC", .width = -1, .start = 0},
        LiveCase{
            .code = 12, .moment = "2015-02-19 12:34:56", .text = "27.7ºC", .width = -1, .start = 0},
        LiveCase{.code = 13,
                 .moment = "2015-02-19 12:34:56",
                 .text = "12:34 19/02",
                 .width = 50,
                 .start = 7},
        LiveCase{.code = 14,
                 .moment = "2015-02-19 12:34:56",
                 .text = "12:34 28ºC",
                 .width = 63,
                 .start = 0},
        LiveCase{.code = 15,
                 .moment = "2015-02-19 12:34:56",
                 .text = "12:34 28ºC",
                 .width = 63,
                 .start = 0},
        LiveCase{
            .code = 18, .moment = "2015-02-19 12:34:56", .text = "12:34", .width = 60, .start = 2},
        LiveCase{
            .code = 19, .moment = "2015-02-19 12:34:56", .text = "27ºC", .width = -1, .start = 0},
        LiveCase{
            .code = 20, .moment = "2015-02-19 12:34:56", .text = "27ºC", .width = -1, .start = 0},
        LiveCase{.code = 25,
                 .moment = "2015-02-19 02:59:59",
                 .text = "BOA NOITE",
                 .width = -1,
                 .start = 0},
        LiveCase{.code = 25,
                 .moment = "2015-02-19 03:00:00",
                 .text = "BOM DIA",
                 .width = 44,
                 .start = 10},
        LiveCase{.code = 25,
                 .moment = "2015-02-19 11:59:00",
                 .text = "BOM DIA",
                 .width = 44,
                 .start = 10},
        LiveCase{.code = 25,
                 .moment = "2015-02-19 12:00:00",
                 .text = "BOA TARDE",
                 .width = -1,
                 .start = 0},
        LiveCase{.code = 25,
                 .moment = "2015-02-19 17:59:00",
                 .text = "BOA TARDE",
                 .width = -1,
                 .start = 0},
        LiveCase{.code = 25,
                 .moment = "2015-02-19 18:00:00",
                 .text = "BOA NOITE",
                 .width = -1,
                 .start = 0},
        LiveCase{.code = 9,
                 .moment = "2015-02-22 00:00:00",
                 .text = "DOM 22/02",
                 .width = -1,
                 .start = 0},
        LiveCase{.code = 9,
                 .moment = "2015-02-21 00:00:00",
                 .text = "SAB 21/02",
                 .width = -1,
                 .start = 0}));

TEST(LiveFieldDrawing, DigitsAreDrawnFromTheStartColumn) {
    GlyphRenderer glyphs;
    PanelImage screen{};
    drawLiveField(screen, glyphs, 4, 1, at("2015-02-19 09:05:07"));
    // Bold "0" then bold "9" from column 8.
    const uint8_t zero[] = {0x3E, 0x7F, 0x41, 0x41, 0x7F, 0x3E, 0x00};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(screen[size_t(8 + i)], zero[i]) << i;
    EXPECT_EQ(screen[15], 0x32);
    EXPECT_EQ(screen[64], 0);
}

TEST(LiveFieldDrawing, TheWidestTextEndsAtTheLastColumn) {
    GlyphRenderer glyphs;
    PanelImage screen{};
    drawLiveField(screen, glyphs, 66, 1, at("2015-02-19 12:34:56"));
    EXPECT_EQ(screen[62], 0x22); // the last lit column of bold "C"
    EXPECT_EQ(screen[63], 0);
}

TEST(LiveFieldRules, CountersAndUnknownCodesDrawNothing) {
    for (uint8_t code : {uint8_t(26), uint8_t(27), uint8_t(16), uint8_t(30)})
        EXPECT_FALSE(liveFieldRule(code).drawn) << int(code);
    EXPECT_TRUE(liveFieldRule(8).redraw);
    EXPECT_TRUE(liveFieldRule(18).redraw);
    EXPECT_FALSE(liveFieldRule(9).redraw);
}

TEST(ClockSeam, ParsesAndChecksMoments) {
    LocalDateTime t;
    ASSERT_TRUE(parseLocalDateTime("2015-02-19 12:34:56", t));
    EXPECT_EQ(t.weekday, 4); // Thursday
    EXPECT_EQ(t.hour, 12);
    EXPECT_EQ(t.second, 56);
    EXPECT_TRUE(parseLocalDateTime("2024-02-29 00:00", t));
    EXPECT_FALSE(parseLocalDateTime("2023-02-29 00:00:00", t));
    EXPECT_FALSE(parseLocalDateTime("2015-13-01 00:00:00", t));
    EXPECT_FALSE(parseLocalDateTime("2015-02-19 24:00:00", t));
    EXPECT_FALSE(parseLocalDateTime("2015-02-19T12:00:00", t));
    EXPECT_FALSE(parseLocalDateTime("2015-02-19 12:00:00 extra", t));
    EXPECT_FALSE(parseLocalDateTime("", t));
}

TEST(ClockSeam, DayCountMatchesTheDateTimeConvention) {
    LocalDateTime t;
    ASSERT_TRUE(makeLocalDateTime(1899, 12, 31, 12, 0, 0, t));
    EXPECT_DOUBLE_EQ(t.dayCount(), 1.5);
    SystemClock clock;
    const LocalDateTime now = clock.now();
    EXPECT_GE(now.year, 2020);
    EXPECT_EQ(now.weekday, weekdayOf(now.year, now.month, now.day));
}

} // namespace
} // namespace vorelux
