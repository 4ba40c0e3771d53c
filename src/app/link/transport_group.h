#pragma once
// The " Enviar como: " group of the send dialog and of the settings dialog:
// the serial port selector with "Atualizar Portas", "Adicionar porta..." and
// "Remover porta", covered by the "Transmissor KQ" box while the transmitter
// is attached.
#include "app/link/operator_link.h"
#include "link/panel_link.h"

#include <QWidget>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QStackedLayout;

namespace vorelux {

class TransportGroup : public QWidget, public TransmitterObserver {
    Q_OBJECT
  public:
    // `connCfgPath` is where a chosen port is saved ("conn.cfg"). The link
    // (and its transmitter) must outlive the group.
    TransportGroup(OperatorLink& link, std::string connCfgPath, QWidget* parent = nullptr);
    ~TransportGroup() override;

    // "Atualizar Portas": with a transmitter attached, USB mode and its box;
    // otherwise serial mode and the installed ports in the selector.
    void refreshPorts();
    // The operator picked item `index`: it becomes the port and is saved.
    void choosePort(int index);
    // On opening the dialog, in serial mode: refresh and select the
    // configured port; Prompt::PortNotFound and no item when it is not installed.
    void prepareOnOpen();
    // "Adicionar porta...": asks for a device path or network address.
    void askForPort();
    // Adds `address` to "portas.txt", lists it and makes it the port; false,
    // with the reason told, when it cannot be added.
    bool addPort(const std::string& address);
    // "Remover porta": takes the selected added port off the list.
    void removeSelectedPort();

    QComboBox* portSelector() const { return portSelector_; }
    QPushButton* refreshButton() const { return refreshButton_; }
    QPushButton* addPortButton() const { return addPortButton_; }
    QPushButton* removePortButton() const { return removePortButton_; }
    // The notes of the last port listing (hidden when there are none).
    QLabel* portNotes() const { return portNotes_; }
    QGroupBox* transmitterBox() const { return transmitterBox_; }
    bool showsTransmitter() const;

  signals:
    // The configured port changed (COM), after "conn.cfg" was written.
    void portChosen(int number);

  private:
    void transmitterAttached(const std::shared_ptr<HidDevice>&) override;
    void transmitterRemoved(const std::shared_ptr<HidDevice>&) override;
    void showTransmitterBox(bool show);
    void fillPorts();
    void updateRemoveButton();
    std::string addedPortsPath() const;

    OperatorLink& link_;
    std::string connCfgPath_;
    QStackedLayout* stack_;
    QGroupBox* serialBox_;
    QGroupBox* transmitterBox_;
    QComboBox* portSelector_;
    QPushButton* refreshButton_;
    QPushButton* addPortButton_;
    QPushButton* removePortButton_;
    QLabel* portNotes_;
};

} // namespace vorelux
