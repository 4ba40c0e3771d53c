#include "app/settings/brightness_page.h"

#include "app/settings/page_widgets.h"
#include "link/panel_settings.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace vorelux::app {

BrightnessPage::BrightnessPage(QWidget* parent) : SettingsPage(parent) {
    slider_ = new QSlider(Qt::Horizontal);
    slider_->setObjectName(QStringLiteral("brightnessSlider"));
    slider_->setRange(BrightnessMin, BrightnessMax);
    slider_->setValue(51);
    slider_->setPageStep(16);
    slider_->setToolTip(QStringLiteral("Ajusta o brilho do painel"));
    connect(slider_, &QSlider::sliderReleased, this, &BrightnessPage::levelChosen);
    slider_->installEventFilter(this);
    valueLabel_ = new QLabel;
    valueLabel_->setObjectName(QStringLiteral("brightnessValueLabel"));
    valueLabel_->setMinimumWidth(36);
    valueLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto showValue = [this](int v) { valueLabel_->setText(QString::number(v)); };
    connect(slider_, &QSlider::valueChanged, this, showValue);
    showValue(slider_->value());

    auto* box = new QGroupBox(QStringLiteral(" Brilho "));
    auto* row = new QHBoxLayout(box);
    row->addWidget(new QLabel(QStringLiteral("Menos")));
    row->addWidget(slider_, 1);
    row->addWidget(new QLabel(QStringLiteral("Mais")));
    row->addWidget(valueLabel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(
        noteLabel("Arraste o controle e solte-o no brilho desejado: ele é enviado ao soltar."));
    layout->addStretch(1);
}

int BrightnessPage::level() const {
    return slider_->value();
}

void BrightnessPage::restoreDefault() {
    slider_->setValue(DefaultBrightness);
}

bool BrightnessPage::eventFilter(QObject* watched, QEvent* event) {
    // The keyboard moves the bar too; the value goes out when the key is let go.
    if (watched == slider_ && isSliderKeyRelease(event)) emit levelChosen();
    return SettingsPage::eventFilter(watched, event);
}

} // namespace vorelux::app
