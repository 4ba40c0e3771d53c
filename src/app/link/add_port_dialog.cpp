#include "app/link/add_port_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorelux {

AddPortDialog::AddPortDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("addPortDialog"));
    setWindowTitle(QStringLiteral("Adicionar porta"));
    auto* explanation = new QLabel(QStringLiteral(
        "Uma porta serial que o sistema não lista, pelo caminho do dispositivo:\n"
        "    /dev/rfcomm0    /dev/serial/by-id/...\n"
        "ou um servidor serial na rede (conversor serial-Ethernet, ser2net):\n"
        "    socket://HOST:PORTA      conexão TCP simples\n"
        "    rfc2217://HOST:PORTA     telnet RFC 2217 (ajusta a linha em 9600 8N1)"));
    explanation->setTextInteractionFlags(Qt::TextSelectableByMouse);
    addressEdit_ = new QLineEdit;
    addressEdit_->setObjectName(QStringLiteral("portAddressEdit"));
    addressEdit_->setPlaceholderText(QStringLiteral("rfc2217://192.168.0.50:4001"));
    addressEdit_->setMinimumWidth(360);
    auto* buttons = new QDialogButtonBox;
    addButton_ = buttons->addButton(QStringLiteral("Adicionar"), QDialogButtonBox::AcceptRole);
    addButton_->setObjectName(QStringLiteral("addPortConfirmButton"));
    addButton_->setEnabled(false);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(addressEdit_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(addressEdit_, &QLineEdit::textChanged, this,
            [this] { addButton_->setEnabled(!address().isEmpty()); });
}

QString AddPortDialog::address() const {
    return addressEdit_->text().trimmed();
}

} // namespace vorelux
