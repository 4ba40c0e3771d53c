#include "editor/neighbour_view.h"
#include "support/recording_prompter.h"

#include <gtest/gtest.h>

#include <string>

using namespace vorelux;
using namespace vorelux::editor;
using vorelux::testing::RecordingPrompter;

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
    RecordingPrompter prompter;
    PageStore store{prompter};

    void setPage(int lineCount, int edit) {
        Page& page = store.page();
        page.lines.clear();
        for (int i = 0; i < lineCount; ++i)
            page.lines.push_back(lineOf("L" + std::to_string(i + 1)));
        page.lineCount = lineCount;
        store.setEditLine(edit);
    }
};

struct VisibilityCase {
    int lines, edit;
    bool prior2, prior1, next1, next2;
};

} // namespace

TEST_F(ViewTest, BoxesAreVisibleOnlyForLinesThatExist) {
    const VisibilityCase cases[] = {
        {1, 0, false, false, false, false}, {2, 0, false, false, true, false},
        {2, 1, false, true, false, false},  {3, 1, false, true, true, false},
        {5, 2, true, true, true, true},     {5, 4, true, true, false, false},
        {5, 0, false, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("line " + std::to_string(c.edit + 1) + " of " + std::to_string(c.lines));
        setPage(c.lines, c.edit);
        const NeighbourView v = neighbourView(store, c.edit);
        EXPECT_EQ(v.prior2.visible, c.prior2);
        EXPECT_EQ(v.prior1.visible, c.prior1);
        EXPECT_EQ(v.next1.visible, c.next1);
        EXPECT_EQ(v.next2.visible, c.next2);
        EXPECT_TRUE(v.edit.visible);
        EXPECT_EQ(v.statusLine,
                  "Linha " + std::to_string(c.edit + 1) + " de " + std::to_string(c.lines));
    }
}

TEST_F(ViewTest, ThirdLineOfFiveNamesEveryNeighbour) {
    setPage(5, 2);
    const NeighbourView v = neighbourView(store, 2);
    EXPECT_EQ(v.prior2.caption, "  Linha 1  ");
    EXPECT_EQ(v.prior1.caption, "  Linha 2  ");
    EXPECT_EQ(v.edit.caption, "  Linha 3  ");
    EXPECT_EQ(v.next1.caption, "  Linha 4  ");
    EXPECT_EQ(v.next2.caption, "  Linha 5  ");
    EXPECT_EQ(v.prior2.text, led("L1"));
    EXPECT_EQ(v.edit.text, led("L3"));
    EXPECT_EQ(v.next2.text, led("L5"));
}

TEST_F(ViewTest, StatusShowsPageLineAndTheWholePageTotal) {
    store.setCurrentPage(3);
    setPage(4, 0);
    store.page().lines[2] = lineOf("a longer line");
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
    } cases[] = {{192, 192, 0, 0}, {196, 252, 4, 60}, {191, 253, -1, -1}, {0, 200, -1, 8}};
    for (const auto& c : cases) {
        store.page().lines = {lineOf("X", c.in, c.out)};
        store.page().lineCount = 1;
        store.setEditLine(0);
        const NeighbourView v = neighbourView(store, 0);
        EXPECT_EQ(v.entryEffectIndex, c.entry);
        EXPECT_EQ(v.exitEffectIndex, c.exit);
    }
}

TEST_F(ViewTest, CaretFollowsTheCursorByteIndex) {
    store.page().lines = {lineOf("A\x1f\x05"
                                 "B")};
    store.setEditLine(0);
    for (int cursor : {2, 3, 5, 6}) {
        store.page().cursorByte = cursor;
        EXPECT_EQ(neighbourView(store, 0).editCaret, cursor - 2);
    }
    EXPECT_EQ(neighbourView(store, 0).edit.text, (std::u16string{0x241, 0x21F, 0x21E, 0x242}));
}
