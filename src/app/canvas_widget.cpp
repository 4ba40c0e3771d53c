#include "app/canvas_widget.h"

#include <QMouseEvent>
#include <QPainter>

namespace vorelux::app {

CanvasWidget::CanvasWidget(QWidget* parent) : QWidget(parent) {
    setFixedSize(WidgetWidth, WidgetHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CanvasWidget::setCanvas(const CanvasImage* canvas) {
    canvas_ = canvas;
    update();
}

QImage CanvasWidget::picture() const {
    if (!canvas_ || canvas_->pixels.empty()) return {};
    return QImage(canvas_->bits(), canvas_->width, canvas_->height, canvas_->bytesPerLine(),
                  QImage::Format_RGB32)
        .copy();
}

void CanvasWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!canvas_ || canvas_->pixels.empty()) return;
    // Wraps the canvas pixels without copying them.
    const QImage image(canvas_->bits(), canvas_->width, canvas_->height, canvas_->bytesPerLine(),
                       QImage::Format_RGB32);
    painter.drawImage(0, 0, image);
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit mousePressed(at.x(), at.y(), event->button());
}

} // namespace vorelux::app
