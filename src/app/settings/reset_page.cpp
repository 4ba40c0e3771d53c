#include "app/settings/reset_page.h"

#include "app/settings/page_widgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorelux::app {

ResetPage::ResetPage(QWidget* parent) : SettingsPage(parent) {
    const char* texts[5] = {"Velocidade", "Brilho", "Em pé", "Pág. por Hora/dia",
                            "Horário lig/deslig"};
    const char* names[5] = {"resetSpeedCheck", "resetBrightnessCheck", "resetUprightCheck",
                            "resetPageScheduleCheck", "resetOnOffCheck"};
    auto* box = new QGroupBox;
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < 5; ++i) {
        checks_[i] = new QCheckBox(QString::fromUtf8(texts[i]));
        checks_[i]->setObjectName(QString::fromLatin1(names[i]));
        checks_[i]->setChecked(true);
        grid->addWidget(checks_[i], i % 3, i / 3);
    }
    restoreButton_ = settingsButton("restoreButton", QStringLiteral("Restaurar"));
    restoreButton_->installEventFilter(this);
    connect(restoreButton_, &QPushButton::clicked, this, &ResetPage::restoreRequested);
    auto* layout = new QVBoxLayout(this);
    auto* text = readOnlyText(QString::fromUtf8(
        "Marque os ajustes que deseja voltar aos padrões de fábrica e clique em [Restaurar].\n"
        "Os ajustes marcados são enviados aos painéis selecionados."));
    text->setMaximumHeight(110);
    layout->addWidget(text);
    layout->addWidget(box);
    layout->addLayout(sendRow(restoreButton_));
    layout->addStretch(1);
}

ResetSelection ResetPage::selection() const {
    return {checks_[0]->isChecked(), checks_[1]->isChecked(), checks_[2]->isChecked(),
            checks_[3]->isChecked(), checks_[4]->isChecked()};
}

bool ResetPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == restoreButton_ && event->type() == QEvent::MouseButtonPress) {
        emit restoreRequested();
        return true;
    }
    return SettingsPage::eventFilter(watched, event);
}

} // namespace vorelux::app
