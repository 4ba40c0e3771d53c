#include "model/prompts.h"

#include <gtest/gtest.h>

using namespace vorelux;

TEST(PromptTable, NumbersWithoutEntryShowNothing) {
    for (unsigned n : {0u, 8u, 24u, 99u}) EXPECT_FALSE(promptEntry(n)) << n;
    for (unsigned n = 1; n <= 23; ++n)
        if (n != 8) {
            EXPECT_TRUE(promptEntry(n)) << n;
        }
}

TEST(PromptTable, CaptionsAndPageNumbers) {
    auto clear = promptContent(2, " .:: Vorelux Editor 1.0 ::.", 3);
    ASSERT_TRUE(clear);
    EXPECT_EQ(clear->caption, "Limpar página");
    EXPECT_EQ(clear->text, "Atenção.\r\n\r\n Deseja realmente limpar a página 3?");
    EXPECT_EQ(clear->style, StyleYesNoQuestion);
    auto save = promptContent(19, " .:: Vorelux Editor 1.0 ::.", 1);
    EXPECT_EQ(save->caption, " .:: Vorelux Editor 1.0 ::. - Alterações");
    EXPECT_EQ(save->style, StyleYesNoCancelQuestion);
    EXPECT_EQ(promptContent(21, "X", 1)->text,
              "Atenção, a ativação desta opção desativará a opção de exibição de \"Página por dia "
              "da semana\".");
}
