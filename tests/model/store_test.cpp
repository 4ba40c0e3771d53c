#include "model/store.h"

#include <gtest/gtest.h>

using namespace vorelux;

namespace {

// Fills the current page with extra lines until it holds `total` bytes.
void fillPageTo(PageStore& store, int total) {
    auto& cfg = store.page();
    while (pageByteTotal(cfg) < total) {
        int missing = total - pageByteTotal(cfg);
        if (cfg.lines.back().size() >= 200 || missing < 1) {
            store.insertLine(store.currentPage(), cfg.lineCount);
            continue;
        }
        cfg.lines.back().push_back('x');
    }
}

struct StoreTest : ::testing::Test {
    PageStore store;
};

} // namespace

TEST_F(StoreTest, FreshPageHoldsOneEmptyLine) {
    for (const auto& cfg : store.pages()) {
        ASSERT_EQ(cfg.lineCount, 1);
        EXPECT_EQ(cfg.lines[0], (LineStream{0xFF, 192, 192}));
        EXPECT_EQ(cfg.cursorByte, 2);
        EXPECT_EQ(cfg.windowStart, 2);
    }
    EXPECT_EQ(store.bytesOutsideEditLine(), 0);
    EXPECT_FALSE(store.isModified());
}

TEST_F(StoreTest, BudgetAllowsUpTo1023BytesPerPage) {
    fillPageTo(store, 1022);
    store.setEditLine(0);
    ASSERT_EQ(pageByteTotal(store.page()), 1022);
    EXPECT_TRUE(store.insertByte('A', 3));
    EXPECT_EQ(pageByteTotal(store.page()), 1023);
    store.markSaved();
    EXPECT_FALSE(store.insertByte('B', 3));
    EXPECT_EQ(pageByteTotal(store.page()), 1023);
    EXPECT_FALSE(store.isModified()) << "a refused insertion changes nothing";
}

TEST_F(StoreTest, DrawingNeedsTwoBytesOfBudgetEvenToReplace) {
    store.putDrawing(2, 5, true); // upward arrow at the start
    ASSERT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 31, 12}));
    fillPageTo(store, 1022);
    store.setEditLine(0);
    EXPECT_FALSE(store.putDrawing(2, 0, true));
    EXPECT_FALSE(store.putDrawing(4, 0, false)); // size would not change, still refused
    EXPECT_EQ(store.editLine()[4], 12);
    EXPECT_EQ(pageByteTotal(store.page()), 1022);
}

TEST_F(StoreTest, ReplacingADrawingSwapsItsCode) {
    store.putDrawing(2, 5, true);
    EXPECT_TRUE(store.putDrawing(4, 103, false));
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 31, 211}));
    EXPECT_TRUE(store.isModified());
}

TEST_F(StoreTest, InsertAtOrPastTheEndAppendsAndKeepsLength) {
    store.page().editLength = 1;
    EXPECT_TRUE(store.insertByte('A', 3));
    EXPECT_TRUE(store.insertByte('B', 50));
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'A', 'B'}));
    EXPECT_EQ(store.page().editLength, 1);
    EXPECT_TRUE(store.insertByte('C', 3)); // in the middle: length follows
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'C', 'A', 'B'}));
    EXPECT_EQ(store.page().editLength, 6);
}

TEST_F(StoreTest, ReadAndRemovePastTheEndUseTheLastByte) {
    LineStream line{0xFF, 192, 192, 'A', 'B'};
    EXPECT_EQ(PageStore::readByte(99, line), 'B');
    EXPECT_EQ(PageStore::readByte(3, line), 'A');
    store.editLine() = line;
    store.removeByte(99);
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'A'}));
    store.editLine() = line;
    store.removeByte(3);
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'B'}));
}

TEST_F(StoreTest, DeletingLineZeroOfTwoLeavesTheOtherAsEditLine) {
    store.editLine().push_back('A');
    store.insertLine(0, 1);
    store.pages()[0].lines[1].push_back('B');
    store.setEditLine(0);
    store.deleteLine(0);
    EXPECT_EQ(store.page().lineCount, 1);
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'B'}));
}

// The only line is never deleted: the caller learns it and may clear the page.
TEST_F(StoreTest, DeletingTheOnlyLineIsRefusedAndNamed) {
    using Result = PageStore::DeleteLineResult;
    store.editLine().push_back('A');
    store.insertLine(0, 1);
    EXPECT_EQ(store.deleteLine(5), Result::NoSuchLine);
    EXPECT_EQ(store.deleteLine(-1), Result::NoSuchLine);
    EXPECT_EQ(store.deleteLine(1), Result::Deleted);
    EXPECT_EQ(store.deleteLine(0), Result::LastLine);
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'A'}));
    store.clearPage();
    EXPECT_EQ(store.editLine(), newLine());
}

TEST_F(StoreTest, DeletingAboveTheEditLineKeepsItsNumber) {
    for (int i = 1; i < 4; ++i) {
        store.insertLine(0, i);
        store.pages()[0].lines[size_t(i)].push_back(uint8_t('0' + i));
    }
    store.setEditLine(2);
    store.deleteLine(0);
    EXPECT_EQ(store.page().lineIndex, 2);
    EXPECT_EQ(store.editLine().back(), '3');
}

TEST_F(StoreTest, SetMemoryEditClampsTheCursorToTheNewLine) {
    store.editLine() = {0xFF, 192, 192, 'A', 'B', 'C'};
    store.page().cursorByte = 5;
    store.insertLine(0, 1);
    store.page().cursorByte = 5;
    store.setEditLine(1);
    EXPECT_EQ(store.page().cursorByte, 2);
    EXPECT_EQ(store.page().windowStart, 2);
}

TEST_F(StoreTest, NewLineAboveKeepsTheSameEditLineObject) {
    store.editLine().push_back('A');
    store.insertLine(0, 0);
    EXPECT_EQ(store.editLine().back(), 'A');
    EXPECT_EQ(store.page().lineCount, 2);
}

TEST_F(StoreTest, RestoringAPageTakesItsSpliceBackAndClampsTheCursor) {
    Page& page = store.pages()[3];
    page.lines = {newLine(), newLine(), newLine()};
    page.lineCount = 3;
    const LineSnapshot before(page.lines);
    std::vector<LineStream> after = page.lines;
    after[1].push_back('A');
    after.erase(after.begin() + 2);
    const LineSplice splice = diffLines(before, after);

    ASSERT_TRUE(store.restorePage(3, splice, true, 7, 40));
    EXPECT_EQ(page.lines, after);
    EXPECT_EQ(page.lineCount, 2);
    EXPECT_EQ(page.lineIndex, 1); // clamped to the lines
    EXPECT_EQ(page.cursorByte, 3);
    ASSERT_TRUE(store.restorePage(3, splice, false, 2, 2));
    EXPECT_EQ(page.lines, (std::vector<LineStream>{newLine(), newLine(), newLine()}));
    EXPECT_EQ(page.lineIndex, 2);

    // Lines that do not hold the splice's range stay as they are.
    page.lines = {newLine()};
    page.lineCount = 1;
    EXPECT_FALSE(store.restorePage(3, splice, false, 2, 9));
    EXPECT_EQ(page.lines, std::vector<LineStream>{newLine()});
    EXPECT_EQ(page.lineIndex, 0);
    EXPECT_EQ(page.cursorByte, 2);
}
