#include "panel_window.h"

#include "render/edit_canvas.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPainter>
#include <QStatusBar>
#include <QTransform>
#include <cmath>

namespace vorelux::panel {

uint32_t ledColour(int brightness) {
    const double b = std::clamp(brightness, 2, 255) / 255.0;
    const int level = int(std::lround(255.0 * std::sqrt(b))); // as the eye sees a dimmed LED
    return rgbColour(uint8_t(level), uint8_t(level), uint8_t(level));
}

QImage panelPicture(const PanelImage& screen, int brightness, bool vertical) {
    CanvasImage canvas(CanvasWidth, CanvasHeight);
    paintScreen(screen, canvas);
    const uint32_t lit = ledColour(brightness);
    if (lit != LedOnColour)
        for (uint32_t& px : canvas.pixels)
            if (px == LedOnColour) px = lit;
    QImage image(reinterpret_cast<const uchar*>(canvas.pixels.data()), canvas.width, canvas.height,
                 canvas.bytesPerLine(), QImage::Format_RGB32);
    image = image.copy();
    // Standing on its end: the panel's left end at the bottom, text reading upwards.
    if (vertical) image = image.transformed(QTransform().rotate(-90));
    return image;
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

PanelImage PanelView::frame() const {
    std::lock_guard lock(mutex_);
    return screen_;
}

QImage PanelView::picture() const {
    return panelPicture(frame(), brightness_, vertical_);
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
    // The editor's 10 pixels per LED, smaller or larger to fit the window.
    const QImage image = picture();
    const QSize fitted = image.size().scaled(size() - QSize(8, 8), Qt::KeepAspectRatio);
    // Whole multiples when there is room, so every LED cell keeps its size.
    const QSize shown = fitted.width() < image.width()
                            ? fitted
                            : image.size() * (fitted.width() >= 2 * image.width() ? 2 : 1);
    const QRect target((width() - shown.width()) / 2, (height() - shown.height()) / 2,
                       shown.width(), shown.height());
    p.setRenderHint(QPainter::SmoothPixmapTransform, shown.width() < image.width());
    p.drawImage(target, image);
}

PanelWindow::PanelWindow(PanelHost& host, QWidget* parent) : QMainWindow(parent), host_(host) {
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    view_ = new PanelView(central);
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
