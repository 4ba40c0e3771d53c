// The main window's side of the preview: "Visualizar" / "Parar", the menu
// item, the line skips, the controls locked while a page plays, and the
// frames painted on the edit canvas as they arrive from the worker.
#include "app/main_window.h"
#include "app/preview_host.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>

#include <algorithm>

namespace vorelux::app {

void MainWindow::installPreview() {
    preview_ = std::make_unique<PreviewHost>();
    preview_->onFrame = [this](const PanelImage& screen, uint8_t) { showPreviewFrame(screen); };
    preview_->onLine = [this](int index) { showNeighbourLines(index); };
    // A play only ends by itself when asked for a number of rounds; the
    // window is then back to editing as after "Parar".
    preview_->onFinished = [this](preview::RunResult) {
        store_->setEditLine(store_->view().lineIndex);
        setPreviewControls(false);
        redrawEditCanvas();
        focusEditLine();
    };
    connect(previewButton_, &QPushButton::clicked, this, [this] { togglePreview(); });
    connect(stopButton_, &QPushButton::clicked, this, [this] { togglePreview(); });
    connect(previewAction_, &QAction::triggered, this, [this] { togglePreview(); });
}

std::vector<LineStream> MainWindow::previewLines() const {
    return store_->page().lines();
}

bool MainWindow::previewRunning() const {
    return preview_ && preview_->running();
}

void MainWindow::togglePreview() {
    if (previewRunning()) {
        stopPreview();
        return;
    }
    std::vector<LineStream> lines = previewLines();
    if (!preview::pageHasContent(preview::VectorLineSource(lines))) {
        prompter_->ask(Prompt::NothingToPreview);
        return;
    }
    setPreviewControls(true);
    showNeighbourLines(0);
    preview_->start(std::move(lines));
}

void MainWindow::previewSkip(int direction) {
    if (previewRunning()) preview_->requestLineSkip(direction);
}

void MainWindow::stopPreview() {
    if (!previewRunning()) return;
    // No frame of this play is painted after this.
    preview_->stop();
    store_->setEditLine(store_->view().lineIndex);
    setPreviewControls(false);
    // The redraw starts the blink again; a caller that has stopped it (the
    // close, a page switch) keeps it stopped.
    const bool blinking = cursorBlinkTimer_->isActive();
    redrawEditCanvas();
    if (!blinking) cursorBlinkTimer_->stop();
    focusEditLine();
}

void MainWindow::setPreviewControls(bool previewing) {
    previewing_ = previewing;
    for (QWidget* control :
         {static_cast<QWidget*>(linesFrame_), static_cast<QWidget*>(drawingList_),
          static_cast<QWidget*>(functionList_), static_cast<QWidget*>(pageTabs_),
          static_cast<QWidget*>(clearPageButton_), static_cast<QWidget*>(clearAllButton_)})
        control->setEnabled(!previewing);
    previewButton_->setVisible(!previewing);
    stopButton_->setVisible(previewing);
    // "Parar" keeps its pressed look while the page plays.
    stopButton_->setDown(previewing);
    // One letter for both captions: R.
    previewAction_->setText(previewing ? QStringLiteral("Para&r") : QStringLiteral("Visualiza&r"));
    setStatus(StatusField::Mode,
              previewing ? QStringLiteral("Visualizando") : QStringLiteral("Editando"));
    refreshUndoActions();
}

void MainWindow::showPreviewFrame(const PanelImage& screen) {
    paintScreen(screen, editCanvas_->canvas(), editCanvas_->colour());
    editCanvasView_->update();
}

} // namespace vorelux::app
