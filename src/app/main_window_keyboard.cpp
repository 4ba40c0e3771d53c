// The main window from the keyboard: the Tab order through its controls,
// the arrows on the page tabs, and the names a
// screen reader says for controls that show pictures or the LED font.
#include "app/editor_input.h"
#include "app/main_window.h"
#include "editor/neighbour_view.h"
#include "model/line.h"

#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>

namespace vorelux::app {

// After the edited line: its effects, the LED lists, the buttons left to
// right, and the page tabs; Tab from the last comes back to the line.
std::vector<QWidget*> MainWindow::keyboardOrder() {
    std::vector<QWidget*> order{entryEffectCombo_, exitEffectCombo_, fontList_, functionList_,
                                drawingList_};
    for (const char* name :
         {"previousLineButton", "nextLineButton", "previewButton", "stopButton", "clearPageButton",
          "clearAllButton", "openButton", "saveButton", "newButton", "sendButton", "settingsButton",
          "powerOnButton", "powerOffButton"})
        if (auto* button = findChild<QPushButton*>(QString::fromLatin1(name)))
            order.push_back(button);
    order.push_back(pageTabs_);
    return order;
}

void MainWindow::setUpKeyboard() {
    // The neighbour lines are read and clicked, never typed into.
    for (QPlainTextEdit* text :
         {secondPreviousLineText_, previousLineText_, nextLineText_, secondNextLineText_})
        text->setFocusPolicy(Qt::NoFocus);
    editLineText_->setTabChangesFocus(true);
    QWidget* previous = editLineText_;
    for (QWidget* control : keyboardOrder()) {
        setTabOrder(previous, control);
        previous = control;
    }
    setTabOrder(previous, editLineText_);

    // The arrows on the focused page tabs change the page, and the tabs
    // keep the focus for the next arrow.
    connect(pageTabs_, &QTabBar::currentChanged, this, [this](int page) {
        if (!editorInput_ || !pageTabs_->hasFocus() || page == store_->currentPage()) return;
        editorInput_->switchToPage(page);
        pageTabs_->setFocus(Qt::TabFocusReason);
    });
}

void MainWindow::nameControlsForScreenReaders() {
    pageTabs_->setAccessibleName(QStringLiteral("Páginas"));
    entryEffectCombo_->setAccessibleName(QStringLiteral("Efeito de entrada"));
    exitEffectCombo_->setAccessibleName(QStringLiteral("Efeito de saída"));
    fontList_->setAccessibleName(QStringLiteral("Fontes"));
    functionList_->setAccessibleName(QStringLiteral("Funções"));
    drawingList_->setAccessibleName(QStringLiteral("Desenhos"));
    editLineText_->setAccessibleName(QStringLiteral("Texto da linha em edição"));
    secondPreviousLineText_->setAccessibleName(QStringLiteral("Duas linhas acima"));
    previousLineText_->setAccessibleName(QStringLiteral("Linha acima"));
    nextLineText_->setAccessibleName(QStringLiteral("Linha abaixo"));
    secondNextLineText_->setAccessibleName(QStringLiteral("Duas linhas abaixo"));
    editCanvasView_->setAccessibleName(QStringLiteral("Linha em edição"));
    // The lists draw pictures or the LED font: their items are named in words.
    for (int row = 0; row < drawingList_->count(); ++row) {
        QListWidgetItem* item = drawingList_->item(row);
        item->setData(Qt::AccessibleTextRole, QStringLiteral("Desenho ") + item->text());
    }
    for (int row = 0; row < functionList_->count() && row < FunctionCount; ++row)
        functionList_->item(row)->setData(Qt::AccessibleTextRole,
                                          QString::fromUtf8(FunctionNames[size_t(row)]));
}

// The edited line's text in words, for a screen reader on the canvas.
void MainWindow::describeEditedLine() {
    const QString spoken = QString::fromStdString(editor::spokenLineText(store_->editLine()));
    if (editCanvasView_->accessibleDescription() != spoken)
        editCanvasView_->setAccessibleDescription(spoken);
}

} // namespace vorelux::app
