#include "editor/line_ops.h"
#include "model/charset.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vorelux;
using namespace vorelux::editor;

namespace {

LineStream lineOf(const std::string& text, uint8_t in = 192, uint8_t out = 192) {
    LineStream line{0xFF, in, out};
    for (char ch : text) line.push_back(uint8_t(ch));
    return line;
}

struct LinesFixture : ::testing::Test {
    PageStore store;
    int redraws = 0;

    LinesFixture() {
        store.linesChanged = [this] { ++redraws; };
    }

    // Puts these lines on the current page and edits line `edit` with the
    // cursor at byte index `cursor`.
    void setPage(std::vector<LineStream> lines, int edit, int cursor) {
        store.setPageLines(store.currentPage(), std::move(lines));
        store.setEditLine(edit);
        store.view().cursorByte = cursor;
    }
    std::vector<LineStream> lines() const { return store.page().lines(); }
};

struct EnterCase {
    const char* name;
    std::string text;
    int cursor;
    std::vector<LineStream> expected;
};

struct EnterTest : LinesFixture, ::testing::WithParamInterface<EnterCase> {};

} // namespace

TEST_P(EnterTest, SplitsOrAddsAndMovesToTheNewLineStart) {
    const EnterCase& c = GetParam();
    setPage({lineOf(c.text, 196, 200)}, 0, c.cursor);
    enterKey(store);
    EXPECT_EQ(lines(), c.expected);
    EXPECT_EQ(store.page().lineCount(), 2);
    EXPECT_EQ(store.view().lineIndex, 1);
    EXPECT_EQ(store.editLineIndex(), 1);
    EXPECT_EQ(store.view().cursorByte, 2);
    EXPECT_EQ(store.view().windowStart, 2);
    EXPECT_FALSE(store.isModified()) << "a split is not a change that asks to be saved";
}

// The upper line keeps its effects (5 in, 9 out); the new line always gets effect 1 both ways.
INSTANTIATE_TEST_SUITE_P(
    Enter, EnterTest,
    ::testing::Values(EnterCase{.name = "Middle",
                                .text = "ABCD",
                                .cursor = 4,
                                .expected = {lineOf("AB", 196, 200), lineOf("CD")}},
                      EnterCase{.name = "End",
                                .text = "ABCD",
                                .cursor = 6,
                                .expected = {lineOf("ABCD", 196, 200), lineOf("")}},
                      EnterCase{.name = "ContentStart",
                                .text = "ABCD",
                                .cursor = 2,
                                .expected = {lineOf("", 196, 200), lineOf("ABCD")}},
                      EnterCase{.name = "EmptyLine",
                                .text = "",
                                .cursor = 2,
                                .expected = {lineOf("", 196, 200), lineOf("")}},
                      EnterCase{.name = "BeforeDrawing",
                                .text = "A\x1f\x07"
                                        "B",
                                .cursor = 3,
                                .expected = {lineOf("A", 196, 200), lineOf("\x1f\x07"
                                                                           "B")}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(LinesFixture, EnterInsertsBetweenExistingLines) {
    setPage({lineOf("one"), lineOf("two"), lineOf("three")}, 1, 3);
    enterKey(store);
    EXPECT_EQ(lines(),
              (std::vector<LineStream>{lineOf("one"), lineOf("t"), lineOf("wo"), lineOf("three")}));
    EXPECT_EQ(store.view().lineIndex, 2);
    EXPECT_EQ(store.editLine(), lineOf("wo"));
}

TEST_F(LinesFixture, SplitIgnoresThePageBudget) {
    // One line of 1023 bytes: the page is full, yet a split still adds its 3-byte header.
    setPage({lineOf(std::string(1020, 'x'))}, 0, 500);
    enterKey(store);
    EXPECT_EQ(pageByteTotal(store.page()), 1026);
}

TEST_F(LinesFixture, JoinKeepsTheUpperHeaderAndDropsTheLowerOne) {
    setPage({lineOf("AB", 196, 197), lineOf("CD", 200, 201), lineOf("EF")}, 0, 4);
    const int before = pageByteTotal(store.page());
    ASSERT_TRUE(joinWithNextLine(store, 0));
    EXPECT_EQ(lines(), (std::vector<LineStream>{lineOf("ABCD", 196, 197), lineOf("EF")}));
    EXPECT_EQ(store.page().lineCount(), 2);
    EXPECT_EQ(store.editLineIndex(), 0);
    EXPECT_EQ(store.view().cursorByte, 4) << "the cursor stays at the join point";
    EXPECT_EQ(pageByteTotal(store.page()), before - 3);
    EXPECT_GE(redraws, 1);
}

TEST_F(LinesFixture, JoinOfAnEmptyLowerLineOnlyRemovesIt) {
    setPage({lineOf("AB"), lineOf("")}, 0, 4);
    ASSERT_TRUE(joinWithNextLine(store, 0));
    EXPECT_EQ(lines(), (std::vector<LineStream>{lineOf("AB")}));
}

TEST_F(LinesFixture, JoinWithoutALowerLineChangesNothing) {
    setPage({lineOf("AB"), lineOf("CD")}, 1, 4);
    EXPECT_FALSE(joinWithNextLine(store, 1));
    EXPECT_EQ(lines(), (std::vector<LineStream>{lineOf("AB"), lineOf("CD")}));
}

TEST_F(LinesFixture, SplitThenJoinGivesTheLineBack) {
    const LineStream original = lineOf("HELLO\x01WORLD\x1f\x02!", 210, 220);
    setPage({original}, 0, 8);
    enterKey(store);
    store.view().lineIndex = 0;
    store.setEditLine(0);
    store.view().cursorByte = int(store.editLine().size()) - 1;
    ASSERT_TRUE(joinWithNextLine(store, 0));
    EXPECT_EQ(lines(), (std::vector<LineStream>{original}));
}
