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
        "<p>Uma porta serial que o sistema não lista:</p>"
        "<table cellspacing='4'>"
        "<tr><td><tt>/dev/rfcomm0</tt></td><td>um dispositivo, pelo caminho completo</td></tr>"
        "<tr><td><tt>socket://HOST:PORTA</tt></td>"
        "<td>servidor serial na rede (TCP simples)</td></tr>"
        "<tr><td><tt>rfc2217://HOST:PORTA</tt></td>"
        "<td>servidor serial na rede (telnet RFC 2217, 9600 8N1)</td></tr></table>"));
    explanation->setWordWrap(true);
    explanation->setMinimumWidth(500);
    explanation->setTextInteractionFlags(Qt::TextSelectableByMouse);
    addressEdit_ = new QLineEdit;
    addressEdit_->setObjectName(QStringLiteral("portAddressEdit"));
    addressEdit_->setPlaceholderText(QStringLiteral("rfc2217://192.168.0.50:4001"));
    addressEdit_->setMinimumWidth(420);
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
