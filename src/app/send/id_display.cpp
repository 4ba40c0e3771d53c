#include "app/send/id_display.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace vorelux::app {

PanelNumberDisplay::PanelNumberDisplay(OperatorLink& link, TransferRunner& runner,
                                       std::function<QString()> mainCaption, QWidget* parent)
    : QDialog(parent), link_(link), runner_(runner), mainCaption_(std::move(mainCaption)) {
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
    closeRequested_ = false;
    auto worker = std::make_shared<WorkerLink>(link_, runner_);
    opening_ = runner_.start(
        [worker] {
            PanelLink& link = worker->link();
            link.lastSendResult = link.sendParameter(ParShowIds, EveryPanel, 0);
        },
        [this, worker] {
            worker->returnResults(link_);
            opened();
        });
    if (!opening_) {
        // Another transfer holds the port: nothing was shown, nothing to resume.
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) QDialog::done(Rejected);
        });
    }
}

void PanelNumberDisplay::opened() {
    opening_ = false;
    if (link_.lastSendResult != SendOk) {
        link_.reportSendResult();
        closeRequested_ = true;
    }
    // Closed while the command went out, or it failed: close now that the port is free.
    if (closeRequested_ && isVisible()) reject();
}

void PanelNumberDisplay::done(int result) {
    if (opening_) {
        closeRequested_ = true;
        return;
    }
    if (closing_) return;
    // Every panel goes back to its pages; a failure here is not reported.
    auto worker = std::make_shared<WorkerLink>(link_, runner_);
    closing_ = runner_.start([worker] { worker->link().sendParameter(ParSwitchOn, EveryPanel, 0); },
                             [this, result] {
                                 closing_ = false;
                                 QDialog::done(result);
                             });
    if (!closing_) QDialog::done(result);
}

} // namespace vorelux::app
