#include "app/export_actions.h"
#include "app/main_window.h"
#include "files/file_io.h"
#include "preview/gif_export.h"
#include "preview/page_player.h"
#include "render/edit_canvas.h"
#include "render/png.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QProgressDialog>

#include <algorithm>

namespace vorelux::app {

namespace {

std::string toText(const QString& text) {
    return text.toStdString();
}

// Whole megabytes, rounded.
uint64_t megabytes(uint64_t bytes) {
    constexpr uint64_t Megabyte = 1000 * 1000;
    return (bytes + Megabyte / 2) / Megabyte;
}

QString seconds(long centiseconds) {
    return QStringLiteral("%1,%2")
        .arg(centiseconds / 100)
        .arg(centiseconds % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

std::optional<QString> QtExportDialogs::saveGifFile(QWidget* parent) {
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Exportar GIF"),
                                                      lastDir_, QStringLiteral("GIF (*.gif)"));
    if (path.isEmpty()) return std::nullopt;
    lastDir_ = QFileInfo(path).absolutePath();
    return path;
}

std::optional<QString> QtExportDialogs::savePngFile(QWidget* parent) {
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Salvar quadro PNG"),
                                                      lastDir_, QStringLiteral("PNG (*.png)"));
    if (path.isEmpty()) return std::nullopt;
    lastDir_ = QFileInfo(path).absolutePath();
    return path;
}

// Hands the frames to the writer and moves the progress bar; the operator's
// "Cancelar" stops the play.
class ExportActions::ProgressSink final : public preview::FrameSink {
  public:
    ProgressSink(preview::GifPreviewWriter& writer, QProgressDialog& progress, long total)
        : writer_(writer), progress_(progress), total_(std::max(total, 1L)) {}
    bool show(const PanelImage& screen, uint8_t cycles) override {
        if (!writer_.show(screen, cycles)) return false;
        done_ += cycles;
        const int step = int(std::min(1000L, done_ * 1000 / total_));
        if (step != shown_) {
            shown_ = step;
            progress_.setValue(step); // a modal progress dialog also handles its events here
        }
        cancelled = progress_.wasCanceled();
        return !cancelled;
    }
    bool cancelled = false;

  private:
    preview::GifPreviewWriter& writer_;
    QProgressDialog& progress_;
    long total_;
    long done_ = 0;
    int shown_ = -1;
};

ExportActions::ExportActions(MainWindow& window)
    : QObject(&window), window_(window), gifSizeLimit_(preview::GifSizeLimit) {}

ExportActions::~ExportActions() = default;

void ExportActions::addTo(QMenu* menu, QAction* before) {
    gifAction_ = new QAction(QStringLiteral("Exportar &GIF..."), menu);
    gifAction_->setObjectName(QStringLiteral("exportGifAction"));
    gifAction_->setStatusTip(QStringLiteral("Grava a página atual como um GIF animado"));
    stillAction_ = new QAction(QStringLiteral("Salvar &quadro PNG..."), menu);
    stillAction_->setObjectName(QStringLiteral("exportStillAction"));
    stillAction_->setStatusTip(QStringLiteral("Grava como imagem o quadro exibido"));
    menu->insertAction(before, gifAction_);
    menu->insertAction(before, stillAction_);
    menu->insertSeparator(before);
    connect(gifAction_, &QAction::triggered, this, [this] { exportGif(); });
    connect(stillAction_, &QAction::triggered, this, [this] { exportStill(); });
}

void ExportActions::setDialogs(ExportDialogs* dialogs) {
    dialogs_ = dialogs ? dialogs : &ownDialogs_;
}

void ExportActions::setClock(const Clock* clock) {
    clock_ = clock ? clock : &systemClock_;
}

QString ExportActions::withSuffix(const QString& path, const QString& suffix) {
    const QFileInfo info(path);
    if (info.suffix().compare(suffix, Qt::CaseInsensitive) == 0) return path;
    const QString name = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    return info.dir().filePath(name + QLatin1Char('.') + suffix);
}

bool ExportActions::exportGif() {
    std::vector<LineStream> lines = window_.store().page().lines();
    if (!preview::pageHasContent(preview::VectorLineSource(lines))) {
        window_.prompter().ask(Prompt::NothingToPreview);
        return false;
    }
    const std::optional<QString> chosen = dialogs_->saveGifFile(&window_);
    if (!chosen) return false;
    return writeGif(withSuffix(*chosen, QStringLiteral("gif")), std::move(lines));
}

bool ExportActions::writeGif(const QString& path, std::vector<LineStream> lines) {
    const preview::VectorLineSource source(std::move(lines));
    // One moment for the whole round, as a panel's clock reads at the export.
    const FixedClock at(clock_->now());
    GlyphRenderer glyphs;
    // The cycles of the round for the progress bar, and the file's size.
    preview::GifSizeEstimate estimate(GifScale, preview::LedLook::Grid);
    preview::runPage(source, glyphs, at, estimate, {.rounds = 1});
    if (!sizeAccepted(estimate.bytes())) return false;

    preview::GifPreviewWriter writer;
    std::string error;
    if (!writer.open(path.toStdString(), GifScale, error, preview::LedLook::Grid,
                     window_.canvas().colour())) {
        window_.prompter().message(
            toText(QStringLiteral("Não foi possível gravar o GIF \"%1\": %2.")
                       .arg(path, QString::fromStdString(error))));
        return false;
    }
    QProgressDialog progress(QStringLiteral("Exportando a página como GIF..."),
                             QStringLiteral("Cancelar"), 0, 1000, &window_);
    progress.setObjectName(QStringLiteral("gifExportProgress"));
    progress.setWindowTitle(QStringLiteral("Exportar GIF"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(progressDelayMs_);
    progress.setValue(0);
    ProgressSink sink(writer, progress, estimate.cycles());
    preview::runPage(source, glyphs, at, sink, {.rounds = 1});
    progress.setValue(1000);
    if (sink.cancelled) {
        writer.abandon(); // the operator's choice: nothing to tell
        return false;
    }
    if (!writer.finish(error)) {
        window_.prompter().message(
            toText(QStringLiteral("Não foi possível gravar o GIF \"%1\": %2. Nenhum arquivo foi "
                                  "gravado.")
                       .arg(path, QString::fromStdString(error))));
        return false;
    }
    window_.prompter().inform(toText(
        QStringLiteral("GIF gravado em \"%1\" (%2 s).").arg(path, seconds(writer.centiseconds()))));
    return true;
}

bool ExportActions::sizeAccepted(uint64_t estimatedBytes) {
    if (estimatedBytes <= gifSizeLimit_) return true;
    const QString text = QStringLiteral("O GIF terá cerca de %1 MB. Gravar mesmo assim?")
                             .arg(megabytes(estimatedBytes));
    return window_.prompter().question(toText(text)) == ButtonYes;
}

bool ExportActions::exportStill() {
    // The picture on show: the preview's frame while it plays (copied at
    // once, the play goes on), otherwise the edited line without its cursor.
    CanvasImage picture = window_.canvas().canvas();
    if (!window_.previewRunning()) {
        PanelImage screen{};
        EditCanvas line(window_.glyphs(), screen);
        EditView view = window_.store().view();
        line.rasterize(view, window_.store().editLine());
        paintScreen(screen, picture, window_.canvas().colour());
    }
    const std::optional<QString> chosen = dialogs_->savePngFile(&window_);
    if (!chosen) return false;
    const QString path = withSuffix(*chosen, QStringLiteral("png"));
    std::string error;
    const std::vector<uint8_t> bytes =
        encodePng(picture.width, picture.height, picture.pixels.data(), picture.width);
    if (!writeWholeFileSafely(path.toStdString(), bytes, error)) {
        window_.prompter().message(toText(QStringLiteral("Não foi possível gravar a imagem "
                                                         "\"%1\": %2.")
                                              .arg(path, QString::fromStdString(error))));
        return false;
    }
    window_.prompter().inform(toText(QStringLiteral("Quadro gravado em \"%1\".").arg(path)));
    return true;
}

} // namespace vorelux::app
