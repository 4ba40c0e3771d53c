#include "editor/neighbour_view.h"

#include <gtest/gtest.h>

#include <string>

using namespace vorelux;
using namespace vorelux::editor;

namespace {

LineStream lineOf(const std::string& text, uint8_t in = 192, uint8_t out = 192) {
    LineStream line{0xFF, in, out};
    for (char ch : text) line.push_back(uint8_t(ch));
    return line;
}

std::u16string led(const std::string& text) {
    std::u16string out;
    for (unsigned char c : text) out += c == ' ' ? u' ' : char16_t(0x200 + c);
    return out;
}

struct ViewTest : ::testing::Test {
    PageStore store;

    void setPage(int lineCount, int edit) {
        std::vector<LineStream> lines;
        for (int i = 0; i < lineCount; ++i) lines.push_back(lineOf("L" + std::to_string(i + 1)));
        store.setPageLines(store.currentPage(), std::move(lines));
        store.setEditLine(edit);
    }
};

struct VisibilityCase {
    int lines, edit;
    bool twoBack, previous, next, twoAhead;
};

} // namespace

TEST_F(ViewTest, BoxesAreVisibleOnlyForLinesThatExist) {
    const VisibilityCase cases[] = {
        {.lines = 1,
         .edit = 0,
         .twoBack = false,
         .previous = false,
         .next = false,
         .twoAhead = false},
        {.lines = 2,
         .edit = 0,
         .twoBack = false,
         .previous = false,
         .next = true,
         .twoAhead = false},
        {.lines = 2,
         .edit = 1,
         .twoBack = false,
         .previous = true,
         .next = false,
         .twoAhead = false},
        {.lines = 3,
         .edit = 1,
         .twoBack = false,
         .previous = true,
         .next = true,
         .twoAhead = false},
        {.lines = 5, .edit = 2, .twoBack = true, .previous = true, .next = true, .twoAhead = true},
        {.lines = 5,
         .edit = 4,
         .twoBack = true,
         .previous = true,
         .next = false,
         .twoAhead = false},
        {.lines = 5,
         .edit = 0,
         .twoBack = false,
         .previous = false,
         .next = true,
         .twoAhead = true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("line " + std::to_string(c.edit + 1) + " of " + std::to_string(c.lines));
        setPage(c.lines, c.edit);
        const NeighbourView v = neighbourView(store, c.edit);
        EXPECT_EQ(v.twoBack.visible, c.twoBack);
        EXPECT_EQ(v.previous.visible, c.previous);
        EXPECT_EQ(v.next.visible, c.next);
        EXPECT_EQ(v.twoAhead.visible, c.twoAhead);
        EXPECT_TRUE(v.edit.visible);
        EXPECT_EQ(v.statusLine,
                  "Linha " + std::to_string(c.edit + 1) + " de " + std::to_string(c.lines));
    }
}

TEST_F(ViewTest, ThirdLineOfFiveNamesEveryNeighbour) {
    setPage(5, 2);
    const NeighbourView v = neighbourView(store, 2);
    EXPECT_EQ(v.twoBack.caption, "  Linha 1  ");
    EXPECT_EQ(v.previous.caption, "  Linha 2  ");
    EXPECT_EQ(v.edit.caption, "  Linha 3  ");
    EXPECT_EQ(v.next.caption, "  Linha 4  ");
    EXPECT_EQ(v.twoAhead.caption, "  Linha 5  ");
    EXPECT_EQ(v.twoBack.text, led("L1"));
    EXPECT_EQ(v.edit.text, led("L3"));
    EXPECT_EQ(v.twoAhead.text, led("L5"));
}

TEST_F(ViewTest, StatusShowsPageLineAndTheWholePageTotal) {
    store.setCurrentPage(3);
    setPage(4, 0);
    store.replaceLine(store.currentPage(), 2, lineOf("a longer line"));
    for (int edit = 0; edit < 4; ++edit) {
        store.setEditLine(edit);
        const NeighbourView v = neighbourView(store, edit);
        EXPECT_EQ(v.statusPage, "Pagina 4");
        EXPECT_EQ(v.statusTotal, "Total: 31 caracteres"); // 5 + 5 + 16 + 5
    }
}

TEST_F(ViewTest, EffectListsFollowTheHeaderAndIgnoreDamagedBytes) {
    struct {
        uint8_t in, out;
        int entry, exit;
    } cases[] = {{.in = 192, .out = 192, .entry = 0, .exit = 0},
                 {.in = 196, .out = 252, .entry = 4, .exit = 60},
                 {.in = 191, .out = 253, .entry = -1, .exit = -1},
                 {.in = 0, .out = 200, .entry = -1, .exit = 8}};
    for (const auto& c : cases) {
        store.setPageLines(store.currentPage(), {lineOf("X", c.in, c.out)});
        store.setEditLine(0);
        const NeighbourView v = neighbourView(store, 0);
        EXPECT_EQ(v.entryEffectIndex, c.entry);
        EXPECT_EQ(v.exitEffectIndex, c.exit);
    }
}

TEST_F(ViewTest, CaretFollowsTheCursorByteIndex) {
    store.setPageLines(store.currentPage(), {lineOf("A\x1f\x05"
                                                    "B")});
    store.setEditLine(0);
    for (int cursor : {2, 3, 5, 6}) {
        store.view().cursorByte = cursor;
        EXPECT_EQ(neighbourView(store, 0).editCaret, cursor - 2);
    }
    EXPECT_EQ(neighbourView(store, 0).edit.text, (std::u16string{0x241, 0x21F, 0x21E, 0x242}));
}

// What a screen reader says for a line: the letters, and the codes in words.
TEST(SpokenLineText, NamesFontsDrawingsAndLiveFields) {
    const struct {
        std::string bytes;
        const char* spoken;
    } cases[] = {
        {"PROMO", "PROMO"},
        {std::string("OI\x01 ", 4) + "\x08", "OI [fonte 2] [Hora]"},
        {std::string("A\x1f", 2) + char(InsertCodeTable[5]) + "B", "A [desenho 5] B"},
        {std::string("\x19", 1), "[Saudação]"},
        {std::string("X\x1f", 2), "X"}, // a drawing escape cut off at the end
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(spokenLineText(lineOf(c.bytes)), c.spoken) << c.spoken;
}
