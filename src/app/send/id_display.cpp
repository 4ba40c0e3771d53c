#include "app/send/id_display.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace vorelux::app {

TfrmExibeID::TfrmExibeID(PanelLink& link, std::function<QString()> mainCaption, QWidget* parent)
    : QDialog(parent), link_(link), mainCaption_(std::move(mainCaption)) {
    setObjectName(QStringLiteral("frmExibeID"));
    setModal(true);
    setWindowTitle((mainCaption_ ? mainCaption_() : QString()) + QStringLiteral(" - Exibindo ID"));
    Memo1 = new QPlainTextEdit;
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(QStringLiteral("Clique em fechar para parar de exibir ID nos \npaineis."));
    QFont font = Memo1->font();
    font.setPointSize(font.pointSize() + 3);
    Memo1->setFont(font);
    BitBtn1 = new QPushButton(QStringLiteral("Fechar"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    BitBtn1->setMinimumHeight(36);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { reject(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addWidget(BitBtn1, 0, Qt::AlignHCenter);
    resize(460, 170);
}

void TfrmExibeID::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    sending_ = true;
    closeRequested_ = false;
    link_.resultadoEnvio = link_.ParSend(ParShowIds, EveryPanel, 0);
    sending_ = false;
    if (closeRequested_) {
        // Closed while the command went out: close now that the port is free.
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) reject();
        });
        return;
    }
    if (link_.resultadoEnvio != SendOk) {
        link_.AnalizaResposta();
        // Close once the opening has finished.
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) reject();
        });
    }
}

void TfrmExibeID::done(int result) {
    if (sending_) {
        closeRequested_ = true;
        return;
    }
    // Every panel goes back to its pages; a failure here is not reported.
    link_.ParSend(ParSwitchOn, EveryPanel, 0);
    QDialog::done(result);
}

} // namespace vorelux::app
