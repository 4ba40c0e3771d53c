#include "model/prompts.h"

#include <array>

namespace vorelux {

namespace {
const char* const DeleteLineText = "Atenção.\r\n\r\n Deseja realmente excuir esta linha?";
const std::array<PromptEntry, 22> Prompts = {{
    {1, false, "Excluir linha", StyleYesNoQuestion, DeleteLineText},
    {2, false, "Limpar página", StyleYesNoQuestion,
     "Atenção.\r\n\r\n Deseja realmente limpar a página %n?"},
    {3, true, " - Excesso de caracteres", StyleOkQuestion,
     "Não é possível adicionar mais caracteres na página, pois o número máximo de caracteres por "
     "página foi atingido.\r\n\r\nSugestão:\r\nContinue em outra página e junte-as na hora de "
     "enviar."},
    {4, true, " - Excluir linha", StyleYesNoQuestion, DeleteLineText},
    {5, true, " - Limpar páginas", StyleYesNoQuestion,
     "Atenção.\r\n\r\n Deseja realmente limpar TODAS as páginas?"},
    {6, true, " - Horário de Verão", StyleYesNoQuestion,
     "BEM VINDO AO HORÁRIO DE VERÃO!\r\n\r\n Gostaria de ajustar o horário do painel agora?"},
    {7, true, " - Horário de Verão", StyleYesNoQuestion,
     "TERMINOU O HORÁRIO DE VERÃO!\r\n\r\n Gostaria de ajustar o horário do painel agora?"},
    {9, true, " - Mensagem", StyleOkInformation,
     "Não há nenhuma mensagem para ser exibida na página %n."},
    {10, true, " - Mensagem", StyleYesNoError,
     "Não foi possível ler as configuração.\r\nDeseja ler as configurações default?"},
    {11, true, " - Mensagem", StyleOkError, "Não foi possível salvar as configuração."},
    {12, true, " - Mensagem", StyleOkInformation,
     "Não foi possível localizar a porta de comunicação."},
    {13, true, " - Mensagem", StyleOkError,
     "Atenção, a ID digitada não é valída.\r\nPor favor digite uma ID entre 1 e 255."},
    {14, true, " - Mensagem", StyleYesNoQuestion,
     "Atenção, uma vez trocado o ID, o painel receberá as informações com o novo ID.\r\nDeseja "
     "prosseguir assim mesmo?"},
    {15, true, " - Mensagem", StyleYesNoQuestion,
     "Tem qua haver pelo menos uma página selecionada."},
    {16, true, " - Código errado", StyleOkError,
     "O código digitado é inválido, por favor digite um código de erro válido."},
    {17, true, " - Porta COM", StyleOkInformation, "Porta COM ocupada."},
    {18, true, " - Porta COM", StyleOkInformation, "Porta COM não selecionada."},
    {19, true, " - Alterações", StyleYesNoCancelQuestion, "Desja salvar as alterações?"},
    {20, true, " - Configurar KQ", StyleYesNoQuestion,
     "O Software não foi configurado com o Transmissor KQ\r\nDeseja fazer isso agora?"},
    {21, true, " - Página por horário", StyleOkInformation,
     "Atenção, a ativação desta opção desativará a opção de exibição de \"Página por dia da "
     "semana\"."},
    {22, true, " - Página por dia da semana", StyleOkInformation,
     "Atenção, a ativação desta opção desativará a opção de exibição de \"Página por horário\"."},
    {23, true, " - Reset", StyleOkInformation,
     "Selecione pelo menos uma das configuraçÕes para serem resetadas nos Padrões de Fabrica"},
}};
} // namespace

std::optional<PromptEntry> promptEntry(unsigned number) {
    for (const auto& entry : Prompts)
        if (unsigned(entry.number) == number) return entry;
    return std::nullopt;
}

std::optional<PromptContent> promptContent(unsigned number, const std::string& windowCaption,
                                           int pageNumber) {
    auto entry = promptEntry(number);
    if (!entry) return std::nullopt;
    PromptContent content;
    content.caption = entry->captionIsSuffix ? windowCaption + entry->caption : entry->caption;
    content.style = entry->style;
    std::string text = entry->text;
    auto at = text.find("%n");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(pageNumber));
    content.text = text;
    return content;
}

} // namespace vorelux
