#pragma once
// The exports of the "Arquivo" menu: "Exportar GIF..." writes the current
// page as the preview plays one round (the live fields at the moment of the
// export, the preview window's LED look), with a progress bar for long
// pages; "Salvar quadro PNG..." writes the picture on show in the preview
// area. Each ends with a message naming the file or saying why nothing was
// written; a failed or cancelled export leaves no file behind. Both write
// as the page file is written: through links, keeping the file's mode and
// owner, never onto a device, pipe or folder. A GIF estimated past 500 MB
// is written only when the operator says yes.
#include "model/line.h"
#include "render/clock.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace vorelux::app {

class MainWindow;

// The save dialogs of the exports, behind a seam so tests choose the path.
class ExportDialogs {
  public:
    virtual ~ExportDialogs() = default;
    // The chosen path, or nothing when the operator cancels.
    virtual std::optional<QString> saveGifFile(QWidget* parent) = 0;
    virtual std::optional<QString> savePngFile(QWidget* parent) = 0;
};

// Standard save dialogs filtered to "*.gif" and "*.png"; they ask before
// replacing a file.
class QtExportDialogs final : public ExportDialogs {
  public:
    std::optional<QString> saveGifFile(QWidget* parent) override;
    std::optional<QString> savePngFile(QWidget* parent) override;

  private:
    QString lastDir_;
};

class ExportActions final : public QObject {
    Q_OBJECT
  public:
    static constexpr int GifScale = 10; // pixels per LED, as in the preview window

    explicit ExportActions(MainWindow& window);
    ~ExportActions() override;

    // Adds the two items to `menu` before `before`.
    void addTo(QMenu* menu, QAction* before);

    // Each returns whether a file was written.
    bool exportGif();
    bool exportStill();

    // Seams for tests: the dialogs (nullptr: the standard ones), the clock
    // the live fields read (nullptr: the computer's) and how long an export
    // runs before its progress bar shows.
    void setDialogs(ExportDialogs* dialogs);
    void setClock(const Clock* clock);
    void setProgressDelay(int ms) { progressDelayMs_ = ms; }
    // The estimated size past which the GIF export asks first.
    void setGifSizeLimit(uint64_t bytes) { gifSizeLimit_ = bytes; }

  private:
    class ProgressSink;
    // The GIF's path with the ".gif" (or ".png") extension.
    static QString withSuffix(const QString& path, const QString& suffix);
    bool writeGif(const QString& path, std::vector<LineStream> lines);
    // Whether a GIF of about `estimatedBytes` is to be written (asks past the limit).
    bool sizeAccepted(uint64_t estimatedBytes);

    MainWindow& window_;
    QtExportDialogs ownDialogs_;
    ExportDialogs* dialogs_ = &ownDialogs_;
    SystemClock systemClock_;
    const Clock* clock_ = &systemClock_;
    int progressDelayMs_ = 300;
    uint64_t gifSizeLimit_;
    QAction* gifAction_ = nullptr;
    QAction* stillAction_ = nullptr;
};

} // namespace vorelux::app
