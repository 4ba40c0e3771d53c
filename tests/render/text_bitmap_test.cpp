// textBitmap, the font previews and the drawing-list pictures.
#include "expectations.h"
#include "model/line.h"
#include "render/text_bitmap.h"

#include <gtest/gtest.h>

namespace vorelux {
namespace {

// The LED column shown at pixel column x (bit 6 = row 0).
uint8_t pixelColumn(const LedBitmap& image, int x) {
    uint8_t column = 0;
    for (int r = 0; r < 7; ++r)
        if (image.lit(x, r)) column |= uint8_t(1 << (6 - r));
    return column;
}

std::vector<uint8_t> glyph(int font, uint8_t code) {
    GlyphRenderer g;
    g.convertCharacter(font, code);
    return std::vector<uint8_t>(g.glyphColumns.begin(),
                                g.glyphColumns.begin() + g.lastGlyphColumn + 1);
}

std::vector<uint8_t> bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(TextBitmap, FontPreviewTextStartsAfterADarkMargin) {
    GlyphRenderer g;
    auto data = bytes("Fonte 1         ");
    const LedBitmap image = textBitmap(g, data, 0, 207);
    ASSERT_EQ(image.width, 207);
    ASSERT_EQ(image.height, 7);
    EXPECT_EQ(pixelColumn(image, 0), 0);
    const auto f = glyph(0, 'F');
    ASSERT_EQ(f.size(), 5u);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(pixelColumn(image, 1 + x), f[size_t(x)]) << x;
    EXPECT_EQ(pixelColumn(image, 5), 0);
    EXPECT_EQ(data, bytes("Fonte 1         "));
}

// Every appended column shows at x + 1 except the last one; beyond is dark.
TEST(TextBitmap, FontBytesSwitchTheFontAndDrawNothing) {
    GlyphRenderer g;
    std::vector<uint8_t> data = {'A', 1, 'A', 3, 'A'};
    const LedBitmap image = textBitmap(g, data, 0, 64);
    std::vector<uint8_t> expected = glyph(0, 'A');
    for (int font : {1, 3}) {
        auto more = glyph(font, 'A');
        expected.insert(expected.end(), more.begin(), more.end());
    }
    for (int x = 1; x < 64; ++x) {
        const uint8_t want = size_t(x) < expected.size() ? expected[size_t(x - 1)] : 0;
        EXPECT_EQ(pixelColumn(image, x), want) << x;
    }
}

TEST(TextBitmap, DrawingPairsDrawTheDrawingAndStayInTheArray) {
    GlyphRenderer g;
    std::vector<uint8_t> data = {31, 12, 'A'};
    const LedBitmap image = textBitmap(g, data, 1, 64);
    const auto arrow = testdata::hex("08 18 3F 7F 3F 18 08 00");
    for (int x = 0; x < 8; ++x) EXPECT_EQ(pixelColumn(image, 1 + x), arrow[size_t(x)]);
    EXPECT_EQ(pixelColumn(image, 9), glyph(1, 'A')[0]);
    EXPECT_EQ(data, (std::vector<uint8_t>{31, 12, 'A'}));
}

TEST(TextBitmap, CharactersOutsideThePanelSetBecomeSpaces) {
    GlyphRenderer g;
    std::vector<uint8_t> data = messageBytes(u"éíA");
    const LedBitmap image = textBitmap(g, data, 0, 64);
    EXPECT_EQ(data, (std::vector<uint8_t>{130, 32, 'A'}));
    const size_t e = glyph(0, 130).size(), space = glyph(0, 32).size();
    EXPECT_EQ(pixelColumn(image, int(1 + e + space)), glyph(0, 'A')[0]);
}

TEST(TextBitmap, WidthCutsOffOrPadsWithDark) {
    GlyphRenderer g;
    auto longText = bytes("MMMMMMMMMM");
    const LedBitmap narrow = textBitmap(g, longText, 1, 20);
    EXPECT_EQ(narrow.width, 20);
    EXPECT_NE(pixelColumn(narrow, 19), 0); // still inside the text
    auto shortText = bytes("I");
    const LedBitmap wide = textBitmap(g, shortText, 0, 100);
    for (int x = 2; x < 100; ++x) EXPECT_EQ(pixelColumn(wide, x), 0) << x;
    auto none = bytes("");
    EXPECT_EQ(textBitmap(g, none, 0, -5).width, 0);
}

TEST(TextBitmap, EscapeWithoutCodeAtTheEndDrawsNothing) {
    GlyphRenderer g;
    std::vector<uint8_t> data = {'A', 31};
    const LedBitmap image = textBitmap(g, data, 0, 32);
    for (int x = 5; x < 32; ++x) EXPECT_EQ(pixelColumn(image, x), 0);
}

TEST(FontPreviews, EachShowsItsNameInItsFont) {
    GlyphRenderer g;
    const auto previews = makeFontPreviews(g);
    for (int q = 0; q < 4; ++q) {
        EXPECT_EQ(previews[size_t(q)].width, 207);
        EXPECT_EQ(pixelColumn(previews[size_t(q)], 1), glyph(q, 'F')[0]) << q;
    }
    // The wide fonts' "F" doubles its first column.
    EXPECT_EQ(pixelColumn(previews[2], 2), pixelColumn(previews[2], 1));
}

TEST(DrawingPictures, ArrowIsCentredAtTwoPixelsPerLed) {
    GlyphRenderer g;
    const LedBitmap arrow = drawingPicture(g, 5); // code 12: 7 lit columns
    ASSERT_EQ(arrow.width, 16);
    ASSERT_EQ(arrow.height, 16);
    const auto cols = testdata::hex("08 18 3F 7F 3F 18 08");
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y) {
            const int cx = (x - 1) / 2, row = (y - 1) / 2;
            const bool want =
                x >= 1 && x < 15 && y >= 1 && y < 15 && ((cols[size_t(cx)] >> (6 - row)) & 1);
            EXPECT_EQ(arrow.lit(x, y), want) << x << "," << y;
        }
}

TEST(DrawingPictures, EveryDrawingFitsAndIsCentred) {
    GlyphRenderer g;
    const auto pictures = makeDrawingPictures(g);
    ASSERT_EQ(pictures.size(), size_t(DrawingCount));
    for (int i = 0; i < DrawingCount; ++i) {
        const LedBitmap& p = pictures[size_t(i)];
        int left = 16, right = -1, top = 16, bottom = -1;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (p.lit(x, y)) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        ASSERT_GE(right, 0) << "drawing " << i << " is empty";
        EXPECT_LE(std::abs(left - (15 - right)), 1) << "drawing " << i;
    }
}

} // namespace
} // namespace vorelux
