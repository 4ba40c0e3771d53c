#include "app/send/id_display.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace vorelux::app {

PanelNumberDisplay::PanelNumberDisplay(PanelLink& link, std::function<QString()> mainCaption,
                                       QWidget* parent)
    : QDialog(parent), link_(link), mainCaption_(std::move(mainCaption)) {
    setObjectName(QStringLiteral("panelNumberDisplay"));
    setModal(true);
    setWindowTitle((mainCaption_ ? mainCaption_() : QString()) + QStringLiteral(" - Exibindo ID"));
    noticeText_ = new QPlainTextEdit;
    noticeText_->setObjectName(QStringLiteral("noticeText"));
    noticeText_->setReadOnly(true);
    noticeText_->setPlainText(
        QStringLiteral("Clique em fechar para parar de exibir ID nos \npaineis."));
    QFont font = noticeText_->font();
    font.setPointSize(font.pointSize() + 3);
    noticeText_->setFont(font);
    closeButton_ = new QPushButton(QStringLiteral("Fechar"));
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    closeButton_->setAutoDefault(false);
    closeButton_->setMinimumHeight(36);
    connect(closeButton_, &QPushButton::clicked, this, [this] { reject(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noticeText_);
    layout->addWidget(closeButton_, 0, Qt::AlignHCenter);
    resize(460, 170);
}

void PanelNumberDisplay::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    sending_ = true;
    closeRequested_ = false;
    link_.lastSendResult = link_.sendParameter(ParShowIds, EveryPanel, 0);
    sending_ = false;
    if (closeRequested_) {
        // Closed while the command went out: close now that the port is free.
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) reject();
        });
        return;
    }
    if (link_.lastSendResult != SendOk) {
        link_.reportSendResult();
        // Close once the opening has finished.
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) reject();
        });
    }
}

void PanelNumberDisplay::done(int result) {
    if (sending_) {
        closeRequested_ = true;
        return;
    }
    // Every panel goes back to its pages; a failure here is not reported.
    link_.sendParameter(ParSwitchOn, EveryPanel, 0);
    QDialog::done(result);
}

} // namespace vorelux::app
