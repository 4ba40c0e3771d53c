#include "model/charset.h"
#include "model/line.h"

#include <gtest/gtest.h>

using namespace vorelux;

TEST(Charset, ConvertsTypedCharacters) {
    struct Case {
        char16_t in;
        uint8_t out;
    } cases[] = {{.in = u'A', .out = 65},  {.in = u'é', .out = 130}, {.in = u'í', .out = 32},
                 {.in = u'\t', .out = 9},  {.in = u'\r', .out = 13}, {.in = u'ù', .out = 151},
                 {.in = u'Ù', .out = 191}, {.in = u'º', .out = 167}, {.in = u'~', .out = 126},
                 {.in = u'¿', .out = 32}};
    for (const auto& c : cases) EXPECT_EQ(toPanelCharacter(c.in, u' '), c.out) << int(c.in);
    EXPECT_EQ(toPanelCharacter(u'í', 0), 32);
    EXPECT_EQ(toPanelCharacter(u'í', u'?'), '?');
}

TEST(LineDisplay, DrawingsShowAsTwoFixedGlyphsAndSpacesWrap) {
    LineStream line{0xFF, 192, 192, 65, 31, 7, 32, 66};
    EXPECT_EQ(lineDisplayText(line), (std::u16string{0x241, 0x21F, 0x21E, u' ', 0x242}));
    EXPECT_EQ(lineDisplayText(newLine()), u"");
}

TEST(InsertCodes, TablesMatchTheLists) {
    EXPECT_EQ(InsertCodeTable[0], 0);
    EXPECT_EQ(InsertCodeTable[36], 60);
    EXPECT_EQ(InsertCodeTable[123], 253);
    EXPECT_EQ(InsertCodeTable[124], 8);
    EXPECT_EQ(InsertCodeTable[137], 27);
    EXPECT_EQ(drawingListIndex(211), 103);
    EXPECT_EQ(drawingListIndex(1), -1);
    EXPECT_FALSE(isDrawingCode(31));
    EXPECT_EQ(functionListIndex(25), 11);
    EXPECT_STREQ(FunctionNames[11], "Saudação");
}

TEST(Utf8, RoundTripsAndSurvivesTruncation) {
    const std::string text = "Olá ÇÃO º";
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(text)), text);
    EXPECT_EQ(utf8ToUtf16("a\xC3"), u"a\uFFFD");
}

// Malformed UTF-8 (from the command line) becomes U+FFFD and never takes the
// characters after it along; overlong forms, encoded surrogates and code
// points past U+10FFFF are malformed too.
TEST(Utf8, MalformedSequencesBecomeReplacementsAndKeepTheRest) {
    struct Case {
        const char* in;
        std::u16string out;
    } cases[] = {
        {.in = "x\xE2y", .out = u"x\uFFFDy"},                 // cut off by an ASCII character
        {.in = "x\xE2\x82z", .out = u"x\uFFFDz"},             // two of three bytes, then ASCII
        {.in = "\xE2\x82", .out = u"\uFFFD"},                 // cut off by the end
        {.in = "\xF0\x9F\x98\x80!", .out = u"\U0001F600!"},   // a whole 4-byte sequence
        {.in = "\xC0\xAF", .out = u"\uFFFD\uFFFD"},           // overlong "/"
        {.in = "\xE0\x80\xAF", .out = u"\uFFFD\uFFFD\uFFFD"}, // overlong "/" in three bytes
        {.in = "\xED\xA0\x80", .out = u"\uFFFD\uFFFD\uFFFD"}, // an encoded surrogate
        {.in = "\xF4\x90\x80\x80", .out = u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // past U+10FFFF
        {.in = "\x80\xBF!", .out = u"\uFFFD\uFFFD!"},                   // stray continuation bytes
    };
    for (const Case& c : cases) EXPECT_EQ(utf8ToUtf16(c.in), c.out) << c.in;
}
