#include "model/store.h"
#include "support/recording_prompter.h"

#include <gtest/gtest.h>

using namespace vorelux;
using vorelux::testing::RecordingPrompter;

namespace {

// Fills the current page with extra lines until it holds `total` bytes.
void fillPageTo(PageStore& store, int total) {
    auto& cfg = store.page();
    while (pageByteTotal(cfg) < total) {
        int missing = total - pageByteTotal(cfg);
        if (cfg.Memory.back().size() >= 200 || missing < 1) {
            store.nova_linha(store.CurrentPage, cfg.num_linhas);
            continue;
        }
        cfg.Memory.back().push_back('x');
    }
}

struct StoreTest : ::testing::Test {
    RecordingPrompter prompter;
    PageStore store{prompter};
};

} // namespace

TEST_F(StoreTest, FreshPageHoldsOneEmptyLine) {
    for (const auto& cfg : store.control) {
        ASSERT_EQ(cfg.num_linhas, 1);
        EXPECT_EQ(cfg.Memory[0], (LineStream{0xFF, 192, 192}));
        EXPECT_EQ(cfg.index_caracter, 2);
        EXPECT_EQ(cfg.pos_ini, 2);
    }
    EXPECT_EQ(store.contaCaracter(), 0);
    EXPECT_FALSE(store.Modified);
}

TEST_F(StoreTest, BudgetAllowsUpTo1023BytesPerPage) {
    fillPageTo(store, 1022);
    store.SetMemoryEdit(0);
    ASSERT_EQ(pageByteTotal(store.page()), 1022);
    EXPECT_TRUE(store.inserirByte('A', 3));
    EXPECT_EQ(pageByteTotal(store.page()), 1023);
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_FALSE(store.inserirByte('B', 3));
    EXPECT_EQ(pageByteTotal(store.page()), 1023);
    EXPECT_EQ(prompter.prompts, (std::vector<unsigned>{3}));
}

TEST_F(StoreTest, DrawingNeedsTwoBytesOfBudgetEvenToReplace) {
    store.inserirDesenhos(2, 5, true); // upward arrow at the start
    ASSERT_EQ(store.EditLine(), (LineStream{0xFF, 192, 192, 31, 12}));
    fillPageTo(store, 1022);
    store.SetMemoryEdit(0);
    EXPECT_FALSE(store.inserirDesenhos(2, 0, true));
    EXPECT_FALSE(store.inserirDesenhos(4, 0, false)); // size would not change, still refused
    EXPECT_EQ(store.EditLine()[4], 12);
    EXPECT_EQ(prompter.prompts, (std::vector<unsigned>{3, 3}));
}

TEST_F(StoreTest, ReplacingADrawingSwapsItsCode) {
    store.inserirDesenhos(2, 5, true);
    EXPECT_TRUE(store.inserirDesenhos(4, 103, false));
    EXPECT_EQ(store.EditLine(), (LineStream{0xFF, 192, 192, 31, 211}));
    EXPECT_TRUE(store.Modified);
}

TEST_F(StoreTest, InsertAtOrPastTheEndAppendsAndKeepsLength) {
    store.page().length = 1;
    EXPECT_TRUE(store.inserirByte('A', 3));
    EXPECT_TRUE(store.inserirByte('B', 50));
    EXPECT_EQ(store.EditLine(), (LineStream{0xFF, 192, 192, 'A', 'B'}));
    EXPECT_EQ(store.page().length, 1);
    EXPECT_TRUE(store.inserirByte('C', 3)); // in the middle: length follows
    EXPECT_EQ(store.EditLine(), (LineStream{0xFF, 192, 192, 'C', 'A', 'B'}));
    EXPECT_EQ(store.page().length, 6);
}

TEST_F(StoreTest, ReadAndRemovePastTheEndUseTheLastByte) {
    LineStream line{0xFF, 192, 192, 'A', 'B'};
    EXPECT_EQ(PageStore::readByte(99, line), 'B');
    EXPECT_EQ(PageStore::readByte(3, line), 'A');
    store.EditLine() = line;
    store.removerByte(99);
    EXPECT_EQ(store.EditLine(), (LineStream{0xFF, 192, 192, 'A'}));
    store.EditLine() = line;
    store.removerByte(3);
    EXPECT_EQ(store.EditLine(), (LineStream{0xFF, 192, 192, 'B'}));
}

TEST_F(StoreTest, DeletingLineZeroOfTwoLeavesTheOtherAsEditLine) {
    store.EditLine().push_back('A');
    store.nova_linha(0, 1);
    store.control[0].Memory[1].push_back('B');
    store.SetMemoryEdit(0);
    store.excluir_linha(0);
    EXPECT_EQ(store.page().num_linhas, 1);
    EXPECT_EQ(store.EditLine(), (LineStream{0xFF, 192, 192, 'B'}));
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(StoreTest, DeletingTheOnlyLineAsksToClearThePage) {
    store.EditLine().push_back('A');
    prompter.answers = {ButtonNo};
    store.excluir_linha(0);
    EXPECT_EQ(store.EditLine().size(), 4u);
    prompter.answers = {ButtonYes};
    store.excluir_linha(0);
    EXPECT_EQ(store.EditLine(), newLine());
    EXPECT_EQ(prompter.prompts, (std::vector<unsigned>{2, 2}));
}

TEST_F(StoreTest, DeletingAboveTheEditLineKeepsItsNumber) {
    for (int i = 1; i < 4; ++i) {
        store.nova_linha(0, i);
        store.control[0].Memory[size_t(i)].push_back(uint8_t('0' + i));
    }
    store.SetMemoryEdit(2);
    store.excluir_linha(0);
    EXPECT_EQ(store.page().index_linha, 2);
    EXPECT_EQ(store.EditLine().back(), '3');
}

TEST_F(StoreTest, SetMemoryEditClampsTheCursorToTheNewLine) {
    store.EditLine() = {0xFF, 192, 192, 'A', 'B', 'C'};
    store.page().index_caracter = 5;
    store.nova_linha(0, 1);
    store.page().index_caracter = 5;
    store.SetMemoryEdit(1);
    EXPECT_EQ(store.page().index_caracter, 2);
    EXPECT_EQ(store.page().pos_ini, 2);
}

TEST_F(StoreTest, NewLineAboveKeepsTheSameEditLineObject) {
    store.EditLine().push_back('A');
    store.nova_linha(0, 0);
    EXPECT_EQ(store.EditLine().back(), 'A');
    EXPECT_EQ(store.page().num_linhas, 2);
}
