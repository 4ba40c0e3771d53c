#include "editor/line_editor.h"

#include <gtest/gtest.h>

#include <string>

using namespace vorelux;
using namespace vorelux::editor;

namespace {

LineStream lineOf(const std::string& content) {
    LineStream line{0xFF, 196, 200};
    for (char ch : content) line.push_back(uint8_t(ch));
    return line;
}

struct EraseCase {
    const char* name;
    std::string content;
    int cursor; // byteIndex before the key
    std::string after;
    int cursorAfter;
};

struct EraseFixture : ::testing::Test {
    PageStore store;

    void edit(const std::string& content, int cursor) {
        store.setPageLines(store.currentPage(), {lineOf(content), lineOf("next")});
        store.setEditLine(0);
        store.view().cursorByte = cursor;
    }
};

struct EraseTest : EraseFixture, ::testing::WithParamInterface<EraseCase> {};

} // namespace

// A page file may hold a drawing escape (31) with no code after it at the end
// of a line. It is one element: Delete before it must not take a header byte
// with it (a line without its exit effect makes the saved file unreadable).
TEST_P(EraseTest, DeleteTakesOneElementAndLeavesTheHeader) {
    const EraseCase& c = GetParam();
    edit(c.content, c.cursor);
    bool joinArmed = true;
    ASSERT_TRUE(deleteKey(store, joinArmed));
    EXPECT_EQ(store.page().lines()[0], lineOf(c.after));
    EXPECT_EQ(store.page().lines()[1], lineOf("next"));
    EXPECT_EQ(store.view().cursorByte, c.cursorAfter);
    EXPECT_FALSE(joinArmed);
}

INSTANTIATE_TEST_SUITE_P(Delete, EraseTest,
                         ::testing::Values(EraseCase{.name = "LoneEscapeAtTheEnd",
                                                     .content = "\x1f",
                                                     .cursor = 2,
                                                     .after = "",
                                                     .cursorAfter = 2},
                                           EraseCase{.name = "LoneEscapeAfterText",
                                                     .content = "AB\x1f",
                                                     .cursor = 4,
                                                     .after = "AB",
                                                     .cursorAfter = 4},
                                           EraseCase{.name = "DrawingPair",
                                                     .content = "A\x1f\x07Z",
                                                     .cursor = 3,
                                                     .after = "AZ",
                                                     .cursorAfter = 3},
                                           EraseCase{.name = "DrawingPairAtTheEnd",
                                                     .content = "A\x1f\x07",
                                                     .cursor = 3,
                                                     .after = "A",
                                                     .cursorAfter = 3},
                                           EraseCase{.name = "Character",
                                                     .content = "AB",
                                                     .cursor = 2,
                                                     .after = "B",
                                                     .cursorAfter = 2}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(EraseFixture, BackspaceTakesALoneEscapeAlone) {
    edit("AB\x1f", 5);
    bool joinArmed = true;
    ASSERT_TRUE(backspaceKey(store, joinArmed));
    EXPECT_EQ(store.page().lines()[0], lineOf("AB"));
    EXPECT_EQ(store.view().cursorByte, 4);
}
