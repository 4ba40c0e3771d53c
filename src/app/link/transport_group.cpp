#include "app/link/transport_group.h"

#include "app/link/add_port_dialog.h"
#include "link/port_directory.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <optional>

namespace vorelux {

TransportGroup::TransportGroup(OperatorLink& link, std::string connCfgPath, QWidget* parent)
    : QWidget(parent), link_(link), connCfgPath_(std::move(connCfgPath)) {
    serialBox_ = new QGroupBox(" Enviar como: ");
    auto* serialLabel = new QLabel("Serial/RS232");
    portSelector_ = new QComboBox;
    portSelector_->setObjectName("portSelector");
    portSelector_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    refreshButton_ = new QPushButton("A&tualizar Portas");
    refreshButton_->setObjectName("refreshPortsButton");
    refreshButton_->setToolTip("Atualiza a lista de portas seriais instaladas no computador");
    addPortButton_ = new QPushButton("Adicionar &porta...");
    addPortButton_->setObjectName("addPortButton");
    addPortButton_->setToolTip("Acrescenta à lista um dispositivo pelo caminho ou um servidor "
                               "serial na rede (socket:// ou rfc2217://)");
    removePortButton_ = new QPushButton("Re&mover porta");
    removePortButton_->setObjectName("removePortButton");
    removePortButton_->setToolTip("Tira da lista a porta adicionada que está escolhida");
    removePortButton_->setEnabled(false);
    // Enter belongs to the dialog's own default button ("Enviar").
    for (QPushButton* b : {refreshButton_, addPortButton_, removePortButton_})
        b->setAutoDefault(false);
    auto* serialLayout = new QVBoxLayout(serialBox_);
    serialLayout->addWidget(serialLabel);
    auto* row = new QHBoxLayout;
    row->addWidget(portSelector_, 1);
    row->addWidget(refreshButton_);
    serialLayout->addLayout(row);
    auto* addedRow = new QHBoxLayout;
    addedRow->addStretch(1);
    addedRow->addWidget(addPortButton_);
    addedRow->addWidget(removePortButton_);
    serialLayout->addLayout(addedRow);
    // What the list left out and why: an added ports file not to be trusted,
    // a line clashing with a listed port, a virtual panels' folder taken.
    portNotes_ = new QLabel;
    portNotes_->setObjectName("portNotes");
    portNotes_->setWordWrap(true);
    portNotes_->setTextFormat(Qt::PlainText);
    portNotes_->setStyleSheet("color: #a00000");
    portNotes_->hide();
    serialLayout->addWidget(portNotes_);

    transmitterBox_ = new QGroupBox(" Enviar como: ");
    transmitterBox_->setObjectName("transmitterBox");
    auto* transmitterLabel = new QLabel("Transmissor KQ");
    transmitterLabel->setToolTip("Transmissor KQ reconhecido");
    auto* transmitterLayout = new QVBoxLayout(transmitterBox_);
    transmitterLayout->addWidget(transmitterLabel);

    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(serialBox_);
    stack_->addWidget(transmitterBox_);

    connect(refreshButton_, &QPushButton::clicked, this, [this] { refreshPorts(); });
    connect(addPortButton_, &QPushButton::clicked, this, [this] { askForPort(); });
    connect(removePortButton_, &QPushButton::clicked, this, [this] { removeSelectedPort(); });
    connect(portSelector_, &QComboBox::currentIndexChanged, this, [this] { updateRemoveButton(); });
    // Only the operator's choice counts, not the selection made on opening.
    connect(portSelector_, &QComboBox::activated, this, [this](int index) { choosePort(index); });

    link_.transmitter().addObserver(this);
    showTransmitterBox(link_.transmitter().attached());
}

TransportGroup::~TransportGroup() {
    link_.transmitter().removeObserver(this);
}

bool TransportGroup::showsTransmitter() const {
    return stack_->currentWidget() == transmitterBox_;
}

void TransportGroup::showTransmitterBox(bool show) {
    stack_->setCurrentWidget(show ? static_cast<QWidget*>(transmitterBox_) : serialBox_);
}

namespace {
constexpr int OriginRole = Qt::UserRole + 1;
}

void TransportGroup::fillPorts() {
    portSelector_->clear();
    for (const SerialPortInfo& port : listComPorts(link_.catalog())) {
        portSelector_->addItem(QString::fromStdString(portSelectorText(port)), port.number);
        portSelector_->setItemData(portSelector_->count() - 1, static_cast<int>(port.origin),
                                   OriginRole);
    }
    QStringList notes;
    for (const std::string& note : link_.catalog().notes())
        notes << "Aviso: " + QString::fromStdString(note) + ".";
    portNotes_->setText(notes.join("\n"));
    portNotes_->setVisible(!notes.isEmpty());
    // The selector shows the port the next send goes out on (none when it is
    // not installed), and its list is wide enough for the longest entry.
    portSelector_->setCurrentIndex(portSelector_->findData(link_.cfg().portNumber));
    portSelector_->view()->setMinimumWidth(portSelector_->view()->sizeHintForColumn(0) + 24);
    updateRemoveButton();
}

void TransportGroup::updateRemoveButton() {
    const QVariant origin = portSelector_->currentData(OriginRole);
    removePortButton_->setEnabled(origin.isValid() &&
                                  origin.toInt() == static_cast<int>(PortOrigin::Added));
}

std::string TransportGroup::addedPortsPath() const {
    return addedPortsPathBeside(connCfgPath_);
}

void TransportGroup::askForPort() {
    AddPortDialog dialog(this);
    while (dialog.exec() == QDialog::Accepted) {
        if (addPort(dialog.address().toStdString())) return;
    }
}

bool TransportGroup::addPort(const std::string& address) {
    AddedPortsFile file;
    std::string error;
    std::optional<int> number;
    if (readAddedPorts(addedPortsPath(), file, error))
        number = vorelux::addPort(file, address, listComPorts(link_.catalog()), error);
    if (number && !writeAddedPorts(addedPortsPath(), file, error)) number.reset();
    if (!number) {
        link_.prompter().message("Não foi possível adicionar a porta: " + error + ".");
        return false;
    }
    fillPorts();
    const int index = portSelector_->findData(*number);
    portSelector_->setCurrentIndex(index);
    choosePort(index);
    return true;
}

void TransportGroup::removeSelectedPort() {
    bool ok = false;
    const int number = portSelector_->currentData().toInt(&ok);
    AddedPortsFile file;
    std::string error;
    if (!ok || !readAddedPorts(addedPortsPath(), file, error) || !removePort(file, number) ||
        !writeAddedPorts(addedPortsPath(), file, error)) {
        if (!error.empty())
            link_.prompter().message("Não foi possível remover a porta: " + error + ".");
        return;
    }
    fillPorts();
    portSelector_->setCurrentIndex(portSelector_->findData(link_.cfg().portNumber));
}

void TransportGroup::refreshPorts() {
    if (link_.transmitter().attached()) {
        link_.settings().setTransport(Transport::Transmitter);
        showTransmitterBox(true);
        return;
    }
    link_.settings().setTransport(Transport::Serial);
    fillPorts();
    showTransmitterBox(false);
}

void TransportGroup::choosePort(int index) {
    if (index < 0 || index >= portSelector_->count()) return;
    bool ok = false;
    int number = portSelector_->itemData(index).toInt(&ok);
    if (!ok) return;
    link_.settings().setPortNumber(number);
    std::string error;
    if (!writeConnCfg(connCfgPath_, link_.cfg(), ConnCfgPort, error))
        link_.prompter().message(error);
    emit portChosen(number);
}

void TransportGroup::prepareOnOpen() {
    if (link_.cfg().transport != Transport::Serial) return;
    refreshPorts();
    int index = portSelector_->findData(link_.cfg().portNumber);
    portSelector_->setCurrentIndex(index);
    if (index < 0) link_.prompter().ask(Prompt::PortNotFound);
}

void TransportGroup::transmitterAttached(const std::shared_ptr<HidDevice>&) {
    showTransmitterBox(true);
}

void TransportGroup::transmitterRemoved(const std::shared_ptr<HidDevice>&) {
    if (!link_.transmitter().attached()) showTransmitterBox(false);
}

} // namespace vorelux
