#include "app/shortcuts_window.h"

#include "model/line.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelux::app {

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

ShortcutGroup characterKeys() {
    return {u8("Caracteres"),
            {{u8("Letras, números e sinais"),
              u8("Escreve o caractere depois do cursor (só os que o painel tem)")},
             {u8("Shift + Espaço"), u8("Escreve o caractere ~")},
             {u8("Backspace"),
              u8("Apaga o caractere ou desenho antes do cursor; segurado, para no início da "
                 "linha")},
             {u8("Delete"), u8("Apaga o caractere ou desenho depois do cursor")},
             {u8("← / →"), u8("Move o cursor um caractere (um desenho conta como um)")},
             {u8("Home / End"), u8("Vai para o início / o fim da linha")}}};
}

ShortcutGroup editingKeys() {
    return {
        u8("Edição"),
        {{u8("Ctrl + Z"), u8("Desfaz a última alteração das páginas")},
         {u8("Ctrl + Y  ou  Ctrl + Shift + Z"), u8("Refaz o que foi desfeito")},
         {u8("Ctrl + V"), u8("Cola o texto copiado; cada quebra de linha começa uma nova linha")}}};
}

ShortcutGroup fontKeys() {
    ShortcutGroup group{u8("Fontes"), {}};
    for (int font = 1; font <= 4; ++font)
        group.entries.push_back({QStringLiteral("Ctrl + %1").arg(font),
                                 u8("Escreve o que vem depois do cursor na Fonte %1").arg(font)});
    return group;
}

ShortcutGroup liveFieldKeys() {
    ShortcutGroup group{u8("Funções"), {}};
    for (const FunctionInfo& function : FunctionTable)
        group.entries.push_back({QStringLiteral("Ctrl + %1").arg(QChar(function.shortcut)),
                                 u8("Insere a função \"%1\"").arg(u8(function.name))});
    return group;
}

ShortcutGroup drawingKeys() {
    return {
        u8("Desenhos"),
        {{u8("Ctrl + ↑"),
          u8("Insere o desenho 0; com o Ctrl seguro, cada ↑ passa ao desenho seguinte")},
         {u8("Ctrl + ↓"), u8("Insere o desenho 123; com o Ctrl seguro, cada ↓ passa ao anterior")},
         {u8("Soltar o Ctrl"),
          u8("Fica com o desenho mostrado; o próximo Ctrl + ↑ / ↓ insere outro")}}};
}

ShortcutGroup effectKeys() {
    return {u8("Efeitos"),
            {{u8("Alt + dois dígitos"),
              u8("Efeito de entrada (01 a 61) ao soltar o Alt: Alt + 1 2 é o efeito 12")},
             {u8("Alt + Ctrl + dois dígitos"), u8("Efeito de saída (01 a 61) ao soltar o Alt")}}};
}

ShortcutGroup pageKeys() {
    return {u8("Páginas"),
            {{u8("F1 … F8"), u8("Vai para a página 1 … 8")},
             {u8("Ctrl + Caps Lock + Delete"),
              u8("Com o Caps Lock pressionado: limpa a página (pergunta antes)")}}};
}

ShortcutGroup lineKeys() {
    return {u8("Linhas"),
            {{u8("↑ / ↓"), u8("Vai para o início da linha de cima / de baixo")},
             {u8("Ctrl + Home / Ctrl + End"), u8("Vai para a primeira / a última linha")},
             {u8("Enter"),
              u8("Divide a linha no cursor; no fim da linha, cria uma linha vazia abaixo")},
             {u8("Backspace no início da linha"),
              u8("Junta a linha à de cima (uma linha vazia é excluída)")},
             {u8("Delete no fim da linha"),
              u8("Junta a linha de baixo a esta (uma linha vazia é excluída)")},
             {u8("Shift + Delete"), u8("Exclui a linha em edição")},
             {u8("Roda do mouse"),
              u8("Vai para a linha de cima / de baixo, com o cursor na mesma posição")}}};
}

ShortcutGroup previewKeys() {
    return {u8("Visualização"),
            {{u8("Esc"), u8("Inicia ou para a visualização da página")},
             {u8("Durante a visualização"),
              u8("Só F1 … F8, Esc e o Alt com dígitos funcionam; as outras teclas são "
                 "ignoradas")}}};
}

// Ctrl+O and Ctrl+S insert live fields here, so opening and saving use the
// F12 keys other editors also know.
ShortcutGroup windowKeys() {
    return {u8("Arquivo e janela"),
            {{u8("Ctrl + N"), u8("Novo: limpa todas as páginas para um novo arquivo")},
             {u8("Ctrl + F12"), u8("Abre um arquivo de páginas")},
             {u8("Shift + F12"), u8("Salva as páginas no arquivo")},
             {u8("F12"), u8("Salva as páginas com outro nome")},
             {u8("F9"), u8("Envia as páginas para o painel")},
             {u8("Ctrl + Q"), u8("Sai do editor")},
             {u8("Tab / Shift + Tab"),
              u8("Sai da linha em edição para os efeitos, as listas e os botões, e volta")},
             {u8("Enter ou Espaço numa lista"), u8("Insere a fonte, a função ou o desenho")},
             {u8("Alt + letra sublinhada"), u8("Abre o menu ou aperta o botão")},
             {u8("F10"), u8("Abre o menu Arquivo")}}};
}

} // namespace

std::vector<ShortcutGroup> editorShortcuts() {
    return {characterKeys(), editingKeys(), fontKeys(), liveFieldKeys(), drawingKeys(),
            effectKeys(),    pageKeys(),    lineKeys(), previewKeys(),   windowKeys()};
}

ShortcutsWindow::ShortcutsWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("shortcutsWindow"));
    setWindowTitle(QStringLiteral("Teclas de atalho"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        u8("As teclas do editor de linhas agem na linha em edição, na posição do cursor; as "
           "do arquivo e da janela, no fim da lista, agem em qualquer lugar."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("shortcutList"));
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("Tecla"), QStringLiteral("O que faz")});
    list_->setRootIsDecorated(false);
    list_->setWordWrap(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setAccessibleName(QStringLiteral("Teclas de atalho"));
    QFont bold = list_->font();
    bold.setBold(true);
    for (const ShortcutGroup& group : editorShortcuts()) {
        auto* title = new QTreeWidgetItem(list_, {group.title});
        title->setFont(0, bold);
        title->setFirstColumnSpanned(true);
        for (const ShortcutEntry& entry : group.entries)
            new QTreeWidgetItem(title, {entry.keys, entry.action});
        title->setExpanded(true);
    }
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, 260);
    layout->addWidget(list_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fechar"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout->addWidget(buttons);
    resize(840, 660);
}

} // namespace vorelux::app
