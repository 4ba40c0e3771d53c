#include "panel_window.h"

#include "render/edit_canvas.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPainter>
#include <QStatusBar>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace vorelux::panel {

QImage panelPicture(const PanelImage& screen, LedColour colour, int brightness, bool vertical,
                    int cell) {
    const LedRenderer renderer(LedLook::Grid, cell, ledShades(colour, brightness));
    CanvasImage canvas;
    renderer.paint(screen, canvas);
    QImage image(reinterpret_cast<const uchar*>(canvas.pixels.data()), canvas.width, canvas.height,
                 canvas.bytesPerLine(), QImage::Format_RGB32);
    image = image.copy();
    // Standing on its end: the panel's left end at the bottom, text reading upwards.
    if (vertical) image = image.transformed(QTransform().rotate(-90));
    return image;
}

int fittingCell(QSize area, bool vertical) {
    constexpr int Margin = 8;
    const QSize room = (vertical ? area.transposed() : area) - QSize(Margin + 1, Margin + 1);
    const int cell = std::min(room.width() / PanelColumns, room.height() / PanelRows);
    return std::clamp(cell, LedRenderer::MinScale, LedRenderer::MaxScale);
}

PanelView::PanelView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PanelView::setFrame(const PanelImage& screen) {
    {
        std::lock_guard lock(mutex_);
        screen_ = screen;
    }
    if (!updatePending_.exchange(true))
        QMetaObject::invokeMethod(
            this,
            [this] {
                updatePending_ = false;
                update();
            },
            Qt::QueuedConnection);
}

void PanelView::setLook(int brightness, bool vertical) {
    if (brightness == brightness_ && vertical == vertical_) return;
    brightness_ = brightness;
    const bool turned = vertical != vertical_;
    vertical_ = vertical;
    if (turned) updateGeometry();
    update();
}

void PanelView::setColour(LedColour colour) {
    colour_ = colour;
    update();
}

PanelImage PanelView::frame() const {
    std::lock_guard lock(mutex_);
    return screen_;
}

QImage PanelView::picture() const {
    return panelPicture(frame(), colour_, brightness_, vertical_);
}

QSize PanelView::sizeHint() const {
    return vertical_ ? QSize(CanvasHeight + 40, CanvasWidth + 40)
                     : QSize(CanvasWidth + 40, CanvasHeight + 40);
}

QSize PanelView::minimumSizeHint() const {
    return vertical_ ? QSize(CanvasHeight / 2 + 8, CanvasWidth / 2 + 8)
                     : QSize(CanvasWidth / 2 + 8, CanvasHeight / 2 + 8);
}

void PanelView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    // Whole pixels per LED, as many as fit, the display centred: every LED
    // keeps its shape at any window size (a resize paints again).
    const QImage image = panelPicture(frame(), colour_, brightness_, vertical_, cellSize());
    p.drawImage((width() - image.width()) / 2, (height() - image.height()) / 2, image);
}

PanelWindow::PanelWindow(PanelHost& host, LedColour colour, QWidget* parent)
    : QMainWindow(parent), host_(host) {
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    view_ = new PanelView(central);
    view_->setColour(colour);
    log_ = new QPlainTextEdit(central);
    log_->setReadOnly(true);
    log_->setMaximumBlockCount(int(PanelHost::LogCapacity));
    log_->setLineWrapMode(QPlainTextEdit::NoWrap); // one frame, one line
    log_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    log_->setMinimumWidth(360);
    log_->setPlaceholderText(QStringLiteral("Quadros recebidos aparecem aqui."));
    layout->addWidget(view_, 1);
    layout->addWidget(log_, 0);
    setCentralWidget(central);
    status_ = new QLabel(this);
    statusBar()->addWidget(status_, 1);
    resize(1140, 240); // the display at the editor's size beside the log

    QString title = QStringLiteral("Painel virtual %1").arg(int(host.panel().id()));
    const QString where =
        !host.input().slavePath().isEmpty() ? host.input().slavePath() : host.input().devicePath();
    if (!where.isEmpty()) title += QStringLiteral(" — %1").arg(where);
    setWindowTitle(title);

    logFlush_.setSingleShot(true);
    logFlush_.setInterval(0);
    connect(&logFlush_, &QTimer::timeout, this, &PanelWindow::flushLog);
    pendingLog_ = host.lines();
    flushLog();
    connect(&host, &PanelHost::logLine, this, &PanelWindow::appendLog);
    changedRefresh_.setSingleShot(true);
    changedRefresh_.setInterval(0);
    connect(&changedRefresh_, &QTimer::timeout, this, &PanelWindow::refresh);
    connect(&host, &PanelHost::changed, this, [this] {
        if (!changedRefresh_.isActive()) changedRefresh_.start();
    });

    player_ = std::make_unique<PanelPlayer>(host.panel(),
                                            [this](const PanelImage& s) { view_->setFrame(s); });
    statusTimer_.setInterval(1000);
    connect(&statusTimer_, &QTimer::timeout, this, &PanelWindow::refresh);
    statusTimer_.start();
    refresh();
    player_->start();
}

PanelWindow::~PanelWindow() {
    player_->stop();
}

void PanelWindow::appendLog(const QString& line) {
    pendingLog_.append(line);
    // More than the pane keeps: the oldest would only be scrolled out again.
    if (pendingLog_.size() > PanelHost::LogCapacity) pendingLog_.removeFirst();
    if (!logFlush_.isActive()) logFlush_.start();
}

void PanelWindow::flushLog() {
    if (pendingLog_.isEmpty()) return;
    log_->appendPlainText(pendingLog_.join(QLatin1Char('\n')));
    pendingLog_.clear();
}

void PanelWindow::refresh() {
    const PanelSettings s = host_.panel().settings();
    const DisplayPlan plan = host_.panel().plan();
    view_->setLook(s.brightness, s.vertical);
    player_->replan();
    const LocalDateTime t = host_.clock().now();
    static const char* const days[] = {"DOM", "SEG", "TER", "QUA", "QUI", "SEX", "SAB"};
    QString showing;
    switch (plan.kind) {
    case DisplayPlan::Kind::Off:
        showing = QStringLiteral("desligado");
        break;
    case DisplayPlan::Kind::PanelNumber:
        showing = QStringLiteral("exibindo o número %1").arg(int(plan.number));
        break;
    case DisplayPlan::Kind::Pages: {
        QStringList pages;
        for (int p : plan.pages) pages << QString::number(p + 1);
        showing = pages.isEmpty() ? QStringLiteral("nenhuma página gravada")
                                  : QStringLiteral("páginas %1").arg(pages.join(", "));
        break;
    }
    }
    status_->setText(
        QStringLiteral("Painel %1  ·  %2  ·  velocidade %3  ·  brilho %4  ·  %5  ·  "
                       "%6/%7/%8 %9:%10:%11 %12")
            .arg(int(s.id))
            .arg(showing)
            .arg(s.speed)
            .arg(s.brightness)
            .arg(s.vertical ? QStringLiteral("vertical") : QStringLiteral("horizontal"))
            .arg(t.day, 2, 10, QChar('0'))
            .arg(t.month, 2, 10, QChar('0'))
            .arg(t.year % 100, 2, 10, QChar('0'))
            .arg(t.hour, 2, 10, QChar('0'))
            .arg(t.minute, 2, 10, QChar('0'))
            .arg(t.second, 2, 10, QChar('0'))
            .arg(QString::fromLatin1(days[((t.weekday % 7) + 7) % 7])));
    QString title = QStringLiteral("Painel virtual %1").arg(int(s.id));
    const QString where = !host_.input().slavePath().isEmpty() ? host_.input().slavePath()
                                                               : host_.input().devicePath();
    if (!where.isEmpty()) title += QStringLiteral(" — %1").arg(where);
    setWindowTitle(title);
}

} // namespace vorelux::panel
