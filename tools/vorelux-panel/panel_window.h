#pragma once
// The virtual panel's window: the LED display as the editor draws its
// preview (the same LED renderer and colour, the lit LEDs dimmed by the
// panel's brightness, standing on end in vertical mode, the cells as large
// as the window lets them be), a log pane with the newest
// frames received (as many lines as the host keeps), and a status line with
// the panel's number, power, speed, brightness and clock.
//
// However fast frames come, the window does its work once per turn of the
// event loop: the lines logged meanwhile go into the pane together, and one
// look at the panel's state follows all the changes.
#include "model/led_colour.h"
#include "panel_host.h"
#include "panel_player.h"
#include "render/panel.h"

#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <memory>
#include <mutex>

namespace vorelux::panel {

// The display picture: the 64 x 7 LED image in the editor's grid look at
// `cell` pixels per LED, LEDs lit in `colour` at `brightness` (2..255),
// turned upright when vertical.
QImage panelPicture(const PanelImage& screen, LedColour colour, int brightness, bool vertical,
                    int cell = CellSize);

// The largest cell (pixels per LED) with which the display fits in `area`
// with a small margin; at least the renderer's smallest.
int fittingCell(QSize area, bool vertical);

class PanelView final : public QWidget {
    Q_OBJECT
  public:
    explicit PanelView(QWidget* parent = nullptr);
    // Thread-safe: the player hands each frame here.
    void setFrame(const PanelImage& screen);
    void setLook(int brightness, bool vertical);
    void setColour(LedColour colour);
    LedColour colour() const { return colour_; }
    PanelImage frame() const;
    // The display at the editor's 10 pixels per LED.
    QImage picture() const;
    // The pixels per LED the widget paints with at its size now.
    int cellSize() const { return fittingCell(size(), vertical_); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    mutable std::mutex mutex_;
    PanelImage screen_{};
    std::atomic<bool> updatePending_{false};
    int brightness_ = 127;
    bool vertical_ = false;
    LedColour colour_ = DefaultLedColour;
};

class PanelWindow final : public QMainWindow {
    Q_OBJECT
  public:
    explicit PanelWindow(PanelHost& host, LedColour colour = DefaultLedColour,
                         QWidget* parent = nullptr);
    ~PanelWindow() override;

    PanelView& view() { return *view_; }
    QPlainTextEdit& logPane() { return *log_; }
    QString statusText() const { return status_->text(); }
    PanelPlayer& player() { return *player_; }

  private:
    void refresh();
    void appendLog(const QString& line);
    void flushLog();

    PanelHost& host_;
    PanelView* view_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer statusTimer_;
    QStringList pendingLog_; // lines not yet in the pane, the newest LogCapacity
    QTimer logFlush_;        // puts them there on the next turn
    QTimer changedRefresh_;  // one refresh for all the changes of a turn
    std::unique_ptr<PanelPlayer> player_;
};

} // namespace vorelux::panel
