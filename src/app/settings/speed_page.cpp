#include "app/settings/speed_page.h"

#include "app/settings/page_widgets.h"
#include "link/panel_settings.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace vorelux::app {

SpeedPage::SpeedPage(QWidget* parent) : SettingsPage(parent) {
    slider_ = new QSlider(Qt::Horizontal);
    slider_->setObjectName(QStringLiteral("speedSlider"));
    slider_->setRange(0, SpeedLastPosition);
    slider_->setValue(DefaultSpeedPosition);
    slider_->setPageStep(10);
    slider_->setTickPosition(QSlider::TicksBelow);
    slider_->setTickInterval(49);
    slider_->setToolTip(QStringLiteral("Ajusta a velocidade das animações do painel"));
    connect(slider_, &QSlider::sliderReleased, this, &SpeedPage::positionChosen);
    slider_->installEventFilter(this);

    auto* marks = new QHBoxLayout;
    auto mark = [](const QString& text, Qt::Alignment align) {
        auto* l = new QLabel(text);
        l->setAlignment(align);
        return l;
    };
    marks->addWidget(mark(QString::fromUtf8("|\nMínima"), Qt::AlignLeft));
    marks->addWidget(mark(QString::fromUtf8("|\nMédia"), Qt::AlignHCenter));
    marks->addWidget(mark(QString::fromUtf8("|\nMáxima"), Qt::AlignRight));

    auto* box = new QGroupBox(QStringLiteral(" Velocidade das animações "));
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(slider_);
    boxLayout->addLayout(marks);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(
        noteLabel("Arraste o controle e solte-o na velocidade desejada: ela é enviada ao soltar."));
    layout->addStretch(1);
}

int SpeedPage::position() const {
    return slider_->value();
}

void SpeedPage::restoreDefault() {
    slider_->setValue(DefaultSpeedPosition);
}

bool SpeedPage::eventFilter(QObject* watched, QEvent* event) {
    // The keyboard moves the bar too; the value goes out when the key is let go.
    if (watched == slider_ && isSliderKeyRelease(event)) emit positionChosen();
    return SettingsPage::eventFilter(watched, event);
}

} // namespace vorelux::app
