#include "model/store.h"
#include "support/page_edits.h"

#include <gtest/gtest.h>

using namespace vorelux;

namespace {

// Fills the current page with extra lines until it holds `total` bytes.
void fillPageTo(PageStore& store, int total) {
    const Page& cfg = store.page();
    while (pageByteTotal(cfg) < total) {
        int missing = total - pageByteTotal(cfg);
        const int32_t last = cfg.lineCount() - 1;
        if (cfg.line(last).size() >= 200 || missing < 1) {
            store.insertLine(store.currentPage(), cfg.lineCount());
            continue;
        }
        test::appendToLine(store, store.currentPage(), last, 'x');
    }
}

struct StoreTest : ::testing::Test {
    PageStore store;
};

} // namespace

TEST_F(StoreTest, FreshPageHoldsOneEmptyLine) {
    for (int p = 0; p < PageCount; ++p) {
        ASSERT_EQ(store.page(p).lineCount(), 1);
        EXPECT_EQ(store.page(p).line(0), (LineStream{0xFF, 192, 192}));
        EXPECT_EQ(store.view(p).cursorByte, 2);
        EXPECT_EQ(store.view(p).windowStart, 2);
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

TEST_F(StoreTest, InsertAtOrPastTheEndAppends) {
    EXPECT_TRUE(store.insertByte('A', 3));
    EXPECT_TRUE(store.insertByte('B', 50));
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'A', 'B'}));
    EXPECT_TRUE(store.insertByte('C', 3)); // in the middle
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'C', 'A', 'B'}));
}

TEST_F(StoreTest, ReadAndRemovePastTheEndUseTheLastByte) {
    LineStream line{0xFF, 192, 192, 'A', 'B'};
    EXPECT_EQ(PageStore::readByte(99, line), 'B');
    EXPECT_EQ(PageStore::readByte(3, line), 'A');
    test::setEditLine(store, line);
    store.removeByte(99);
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'A'}));
    test::setEditLine(store, line);
    store.removeByte(3);
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'B'}));
}

TEST_F(StoreTest, DeletingLineZeroOfTwoLeavesTheOtherAsEditLine) {
    test::appendToEditLine(store, 'A');
    store.insertLine(0, 1);
    test::appendToLine(store, 0, 1, 'B');
    store.setEditLine(0);
    store.deleteLine(0);
    EXPECT_EQ(store.page().lineCount(), 1);
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'B'}));
}

// The only line is never deleted: the caller learns it and may clear the page.
TEST_F(StoreTest, DeletingTheOnlyLineIsRefusedAndNamed) {
    using Result = PageStore::DeleteLineResult;
    test::appendToEditLine(store, 'A');
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
        test::appendToLine(store, 0, i, uint8_t('0' + i));
    }
    store.setEditLine(2);
    store.deleteLine(0);
    EXPECT_EQ(store.view().lineIndex, 2);
    EXPECT_EQ(store.editLine().back(), '3');
}

TEST_F(StoreTest, SetMemoryEditClampsTheCursorToTheNewLine) {
    test::setEditLine(store, {0xFF, 192, 192, 'A', 'B', 'C'});
    store.view().cursorByte = 5;
    store.insertLine(0, 1);
    store.view().cursorByte = 5;
    store.setEditLine(1);
    EXPECT_EQ(store.view().cursorByte, 2);
    EXPECT_EQ(store.view().windowStart, 2);
}

TEST_F(StoreTest, NewLineAboveKeepsTheSameEditLineObject) {
    test::appendToEditLine(store, 'A');
    store.insertLine(0, 0);
    EXPECT_EQ(store.editLine().back(), 'A');
    EXPECT_EQ(store.page().lineCount(), 2);
}

TEST_F(StoreTest, RestoringAPageTakesItsSpliceBackAndClampsTheCursor) {
    const Page& page = store.page(3);
    const EditView& view = store.view(3);
    store.setPageLines(3, {newLine(), newLine(), newLine()});
    const LineSnapshot before(page.lines());
    std::vector<LineStream> after = page.lines();
    after[1].push_back('A');
    after.erase(after.begin() + 2);
    const LineSplice splice = diffLines(before, after);

    ASSERT_TRUE(store.restorePage(3, splice, true, 7, 40));
    EXPECT_EQ(page.lines(), after);
    EXPECT_EQ(page.lineCount(), 2);
    EXPECT_EQ(view.lineIndex, 1); // clamped to the lines
    EXPECT_EQ(view.cursorByte, 3);
    ASSERT_TRUE(store.restorePage(3, splice, false, 2, 2));
    EXPECT_EQ(page.lines(), (std::vector<LineStream>{newLine(), newLine(), newLine()}));
    EXPECT_EQ(view.lineIndex, 2);

    // Lines that do not hold the splice's range stay as they are.
    store.setPageLines(3, {newLine()});
    EXPECT_FALSE(store.restorePage(3, splice, false, 2, 9));
    EXPECT_EQ(page.lines(), std::vector<LineStream>{newLine()});
    EXPECT_EQ(view.lineIndex, 0);
    EXPECT_EQ(view.cursorByte, 2);
}

// Pages put in whole never go without a line, and the edit line stays one of
// their lines.
TEST_F(StoreTest, SettingPageLinesKeepsALineAndAnEditLineThatExists) {
    EXPECT_EQ(Page().lines(), std::vector<LineStream>{newLine()});
    EXPECT_EQ(Page(std::vector<LineStream>{}).lines(), std::vector<LineStream>{newLine()});
    store.setPageLines(0, {newLine(), newLine(), {0xFF, 192, 192, 'C'}});
    store.setEditLine(2);
    store.setPageLines(0, {{0xFF, 192, 192, 'A'}, {0xFF, 192, 192, 'B'}});
    EXPECT_EQ(store.view().lineIndex, 1);
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192, 192, 'B'}));
    store.setPageLines(0, {});
    EXPECT_EQ(store.page().lines(), std::vector<LineStream>{newLine()});
    EXPECT_EQ(store.editLineIndex(), 0);
    EXPECT_FALSE(store.isModified());
}

TEST_F(StoreTest, EffectBytesChangeOnlyOnAHeaderAndOnlyWhenDifferent) {
    EXPECT_TRUE(store.setEditLineEffect(1, 197));
    EXPECT_FALSE(store.setEditLineEffect(1, 197)); // the same again
    EXPECT_TRUE(store.setEditLineEffect(2, 200));
    EXPECT_FALSE(store.setEditLineEffect(3, 200)); // not an effect byte
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 197, 200}));
    test::setEditLine(store, {0xFF, 192});
    EXPECT_FALSE(store.setEditLineEffect(1, 197)); // no whole header
    EXPECT_EQ(store.editLine(), (LineStream{0xFF, 192}));
}

TEST_F(StoreTest, SplittingMovesTheTailAndNeverTheHeader) {
    test::setEditLine(store, {0xFF, 193, 194, 'A', 'B', 'C'});
    store.splitLine(0, 1); // inside the header: the whole content moves
    EXPECT_EQ(store.page().lines(),
              (std::vector<LineStream>{{0xFF, 193, 194}, {0xFF, 192, 192, 'A', 'B', 'C'}}));
    store.splitLine(1, 4);
    EXPECT_EQ(store.page().line(2), (LineStream{0xFF, 192, 192, 'B', 'C'}));
    store.appendNextLineContent(1);
    EXPECT_EQ(store.page().line(1), (LineStream{0xFF, 192, 192, 'A', 'B', 'C'}));
    EXPECT_EQ(store.page().lineCount(), 3); // the caller deletes the lower line
}
