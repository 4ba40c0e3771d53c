#include "app/link/transport_group.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace vorelux {

TransportGroup::TransportGroup(PanelLink& link, std::string connCfgPath, QWidget* parent)
    : QWidget(parent), link_(link), connCfgPath_(std::move(connCfgPath)) {
    serialBox_ = new QGroupBox(" Enviar como: ");
    auto* serialLabel = new QLabel("Serial/RS232");
    combo_ = new QComboBox;
    combo_->setObjectName("ComComboBox1");
    combo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    refresh_ = new QPushButton("Atualizar Portas");
    refresh_->setObjectName("SpeedButton1");
    refresh_->setToolTip("Atualiza a lista de portas seriais instaladas no computador");
    auto* serialLayout = new QVBoxLayout(serialBox_);
    serialLayout->addWidget(serialLabel);
    auto* row = new QHBoxLayout;
    row->addWidget(combo_, 1);
    row->addWidget(refresh_);
    serialLayout->addLayout(row);

    kqBox_ = new QGroupBox(" Enviar como: ");
    kqBox_->setObjectName("GroupBox6");
    auto* kqLabel = new QLabel("Transmissor KQ");
    kqLabel->setToolTip("Transmissor KQ reconhecido");
    auto* kqLayout = new QVBoxLayout(kqBox_);
    kqLayout->addWidget(kqLabel);

    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(serialBox_);
    stack_->addWidget(kqBox_);

    connect(refresh_, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    // Only the operator's choice counts, not the selection made on opening.
    connect(combo_, &QComboBox::activated, this, [this](int index) { ComComboBox1Change(index); });

    link_.transmitter().addObserver(this);
    showTransmitterBox(link_.transmitter().attached());
}

TransportGroup::~TransportGroup() {
    link_.transmitter().removeObserver(this);
}

bool TransportGroup::showsTransmitter() const {
    return stack_->currentWidget() == kqBox_;
}

void TransportGroup::showTransmitterBox(bool show) {
    stack_->setCurrentWidget(show ? static_cast<QWidget*>(kqBox_) : serialBox_);
}

void TransportGroup::fillPorts() {
    combo_->clear();
    for (const SerialPortInfo& port : ListarPortasCom(link_.catalog()))
        combo_->addItem(QString::fromStdString(portSelectorText(port)), port.number);
}

void TransportGroup::SpeedButton1Click() {
    if (link_.transmitter().attached()) {
        link_.cfg().transport = Transport::Transmitter;
        showTransmitterBox(true);
        return;
    }
    link_.cfg().transport = Transport::Serial;
    fillPorts();
    showTransmitterBox(false);
}

void TransportGroup::ComComboBox1Change(int index) {
    if (index < 0 || index >= combo_->count()) return;
    bool ok = false;
    int number = combo_->itemData(index).toInt(&ok);
    if (!ok) return;
    link_.cfg().portNumber = number;
    std::string error;
    if (!writeConnCfg(connCfgPath_, link_.cfg(), error)) link_.prompter().message(error);
    emit portChosen(number);
}

void TransportGroup::prepareOnOpen() {
    if (link_.cfg().transport != Transport::Serial) return;
    SpeedButton1Click();
    int index = combo_->findData(link_.cfg().portNumber);
    combo_->setCurrentIndex(index);
    if (index < 0) link_.prompter().ask(Prompt::PortNotFound);
}

void TransportGroup::transmitterAttached(const std::shared_ptr<HidDevice>&) {
    showTransmitterBox(true);
}

void TransportGroup::transmitterRemoved(const std::shared_ptr<HidDevice>&) {
    if (!link_.transmitter().attached()) showTransmitterBox(false);
}

} // namespace vorelux
