#include "app/link/progress_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace vorelux {

ProgressWindowDialog::ProgressWindowDialog(const QString& mainCaption, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(mainCaption + " - Aguarde");
    // The operator cannot start anything else while the panels are served.
    setWindowModality(Qt::ApplicationModal);
    label_ = new QLabel(
        QString::fromUtf8("Por favor aguarde o envio das informações para o(s) painel(éis);"));
    label_->setWordWrap(true);
    bar_ = new QProgressBar;
    bar_->setRange(0, 255);
    bar_->setTextVisible(false);
    cancel_ = new QPushButton("Cancelar");
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    setMinimumWidth(360);
}

void ProgressWindowDialog::start(int maximum) {
    cancelled_ = false;
    bar_->setRange(0, std::max(maximum, 0));
    bar_->setValue(0);
    show();
    raise();
}

bool ProgressWindowDialog::step(int position) {
    bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
    return !cancelled_;
}

void ProgressWindowDialog::finish() {
    hide();
}

void ProgressWindowDialog::reject() {
    cancelled_ = true;
    emit cancelRequested();
}

} // namespace vorelux
