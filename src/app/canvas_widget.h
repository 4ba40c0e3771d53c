#pragma once
// imgEdit: shows the edit canvas picture (641 x 71) unscaled from its
// top-left corner on a black ground, 643 x 75 pixels in all.
#include "render/edit_canvas.h"

#include <QWidget>

namespace vorelux::app {

class CanvasWidget final : public QWidget {
    Q_OBJECT
  public:
    static constexpr int WidgetWidth = 643;
    static constexpr int WidgetHeight = 75;

    explicit CanvasWidget(QWidget* parent = nullptr);
    // The picture to show; it must outlive the widget.
    void setCanvas(const CanvasImage* canvas);
    // The picture as shown now (for screenshots and tests).
    QImage picture() const;
    // The colour of the LEDs on show; texts flashed over the canvas shine in it.
    void setLedColour(LedColour colour) { ledColour_ = colour; }
    LedColour ledColour() const { return ledColour_; }

  signals:
    // A mouse button went down at (x, y) in canvas pixels.
    void mousePressed(int x, int y, Qt::MouseButton button);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    const CanvasImage* canvas_ = nullptr;
    LedColour ledColour_ = DefaultLedColour;
};

} // namespace vorelux::app
