#include "app/settings/on_off_page.h"

#include "app/settings/page_widgets.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace vorelux::app {

namespace {
// The colours of the time fields: the window colour while they can be
// edited, the inactive-caption colour while they cannot.
const QColor WindowColour(255, 255, 255);
const QColor InactiveCaptionColour(191, 205, 219);
} // namespace

OnOffPage::OnOffPage(QWidget* parent) : SettingsPage(parent) {
    enabledCheck_ = new QCheckBox(QStringLiteral("  Ativar:"));
    enabledCheck_->setObjectName(QStringLiteral("onOffEnabledCheck"));
    switchOnEdit_ = timeField("switchOnTimeEdit", QStringLiteral("HH:mm"));
    switchOffEdit_ = timeField("switchOffTimeEdit", QStringLiteral("HH:mm"));
    timesBox_ = new QGroupBox;
    timesBox_->setObjectName(QStringLiteral("onOffTimesBox"));
    auto* form = new QFormLayout(timesBox_);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QString::fromUtf8("Horário de ligar:"), switchOnEdit_);
    form->addRow(QString::fromUtf8("Horário de desligar:"), switchOffEdit_);
    auto* send = settingsButton("sendOnOffButton", QStringLiteral("Enviar"));
    connect(enabledCheck_, &QCheckBox::clicked, this, [this](bool on) {
        emit enabledClicked(on);
        applyEnabled();
    });
    connect(send, &QPushButton::clicked, this, &OnOffPage::sendRequested);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enabledCheck_);
    layout->addWidget(timesBox_);
    layout->addStretch(1);
    layout->addLayout(sendRow(send));
    applyEnabled();
}

bool OnOffPage::timesEnabled() const {
    return enabledCheck_->isChecked();
}

QTime OnOffPage::switchOnTime() const {
    return switchOnEdit_->time();
}

QTime OnOffPage::switchOffTime() const {
    return switchOffEdit_->time();
}

void OnOffPage::clear() {
    enabledCheck_->setChecked(false);
    applyEnabled();
}

void OnOffPage::applyEnabled() {
    const bool on = enabledCheck_->isChecked();
    timesBox_->setEnabled(on);
    for (QTimeEdit* field : {switchOnEdit_, switchOffEdit_}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, on ? WindowColour : InactiveCaptionColour);
        palette.setColor(QPalette::Disabled, QPalette::Base,
                         on ? WindowColour : InactiveCaptionColour);
        field->setPalette(palette);
    }
}

} // namespace vorelux::app
