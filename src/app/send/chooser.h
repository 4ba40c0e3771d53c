#pragma once
// PanelChooserDialog, the panel chooser: the operator checks the panels to switch on or
// off. "Cancelar", Esc and the close box leave nothing checked, so nothing
// is sent; the stored target list never changes here. Widgets by object
// name: targetList, confirmButton, cancelButton, showIdsButton,
// instructionsText, transportLabel.
#include "app/link/operator_link.h"
#include "app/link/transfer_runner.h"
#include "link/panel_link.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vorelux::app {

class TargetList;

class PanelChooserDialog final : public QDialog, public TransmitterObserver {
    Q_OBJECT
  public:
    enum class Mode { SwitchOn, SwitchOff };

    // The chooser sends on `runner`'s worker; the runner goes before the chooser.
    PanelChooserDialog(OperatorLink& link, TransferRunner& runner,
                       std::function<QString()> mainCaption,
                       std::function<void()> openIdDisplay = {}, QWidget* parent = nullptr);
    ~PanelChooserDialog() override;

    // The caller prepares the chooser for switching on (255) or off (252).
    void prepare(Mode mode);
    uint8_t command() const { return command_; }
    // Shows the chooser modally, then starts sending the command to the
    // checked panels on the runner's worker (panel 0 alone when item 0 is
    // checked; the first failure stops) and returns; the result is kept in
    // the link's lastSendResult and told once the run has ended. False when
    // nothing was checked or another run is going out: nothing is sent.
    bool chooseAndSend(Mode mode);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void loadTargets();
    void updateTargetCaption();
    void confirm();
    void cancel();
    void transmitterAttached(const std::shared_ptr<HidDevice>&) override;
    void transmitterRemoved(const std::shared_ptr<HidDevice>&) override;

    OperatorLink& link_;
    TransferRunner& runner_;
    std::function<QString()> mainCaption_;
    uint8_t command_ = ParSwitchOn;

    TargetList* targetList_ = nullptr;
    QPushButton* confirmButton_ = nullptr; // "Ligar" or "Desligar"
    QPushButton* cancelButton_ = nullptr;
    QPushButton* showIdsButton_ = nullptr;
    QPlainTextEdit* instructionsText_ = nullptr;
    QLabel* transportLabel_ = nullptr;
};

// The two pictures of the chooser's button: switch on, switch off.
QIcon powerIcon(bool on);

} // namespace vorelux::app
