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

void TForm1::installPreview() {
    preview_ = std::make_unique<PreviewHost>();
    preview_->onFrame = [this](const PanelImage& screen, uint8_t) { showPreviewFrame(screen); };
    preview_->onLine = [this](int index) { AtualizaDemaisLinhas(index); };
    // A play only ends by itself when asked for a number of rounds; the
    // window is then back to editing as after "Parar".
    preview_->onFinished = [this](preview::RunResult) {
        store_->setEditLine(store_->page().lineIndex);
        setPreviewControls(false);
        geraTela();
        focusEdit();
    };
    stopview = [this](bool) { stopPreview(); };
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(Visualizar1, &QAction::triggered, this, [this] { Visualizar1Click(); });
}

std::vector<LineStream> TForm1::previewLines() const {
    const Page& page = store_->page();
    const size_t count = std::min(page.lines.size(), size_t(std::max(page.lineCount, 0)));
    return {page.lines.begin(), page.lines.begin() + std::ptrdiff_t(count)};
}

bool TForm1::previewRunning() const {
    return preview_ && preview_->running();
}

void TForm1::SpeedButton1Click() {
    if (previewRunning()) {
        stopPreview();
        return;
    }
    std::vector<LineStream> lines = previewLines();
    if (!preview::PreviewEngine::pageHasContent(preview::VectorLineSource(lines))) {
        prompter_->ask(Prompt::NothingToPreview);
        return;
    }
    setPreviewControls(true);
    AtualizaDemaisLinhas(0);
    preview_->start(std::move(lines));
}

void TForm1::previewSkip(int direction) {
    if (previewRunning()) preview_->requestLineSkip(direction);
}

void TForm1::stopPreview() {
    if (!previewRunning()) return;
    // No frame of this play is painted after this.
    preview_->stop();
    store_->setEditLine(store_->page().lineIndex);
    setPreviewControls(false);
    // The redraw starts the blink again; a caller that has stopped it (the
    // close, a page switch) keeps it stopped.
    const bool blinking = Timer1.isActive();
    geraTela();
    if (!blinking) Timer1.stop();
    focusEdit();
}

void TForm1::setPreviewControls(bool previewing) {
    for (QWidget* control : {static_cast<QWidget*>(GroupBox1), static_cast<QWidget*>(ListBox1),
                             static_cast<QWidget*>(ListBox2), static_cast<QWidget*>(tsPaginas),
                             static_cast<QWidget*>(bbtnNovo), static_cast<QWidget*>(BitBtn1)})
        control->setEnabled(!previewing);
    SpeedButton1->setVisible(!previewing);
    SpeedButton2->setVisible(previewing);
    // "Parar" keeps its pressed look while the page plays.
    SpeedButton2->setDown(previewing);
    Visualizar1->setText(previewing ? QStringLiteral("Parar") : QStringLiteral("Visualizar"));
    setStatus(6, previewing ? QStringLiteral("Visualizando") : QStringLiteral("Editando"));
}

void TForm1::showPreviewFrame(const PanelImage& screen) {
    PaintScreen(screen, editCanvas_->canvas());
    imgEdit->update();
}

} // namespace vorelux::app
