#pragma once
// TForm2, the panel chooser: the operator checks the panels to switch on or
// off. "Cancelar", Esc and the close box leave nothing checked, so nothing
// is sent; the stored target list never changes here.
#include "link/panel_link.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vorelux::app {

class TargetList;

class TForm2 final : public QDialog, public TransmitterObserver {
    Q_OBJECT
  public:
    enum class Mode { SwitchOn, SwitchOff };

    TForm2(PanelLink& link, std::function<QString()> mainCaption,
           std::function<void()> openIdDisplay = {}, QWidget* parent = nullptr);
    ~TForm2() override;

    // The caller prepares the chooser for switching on (255) or off (252).
    void prepare(Mode mode);
    uint8_t command() const { return command_; }
    // Shows the chooser modally, then sends the command to the checked
    // panels (panel 0 alone when item 0 is checked; the first failure stops)
    // and reports the result. Returns the result.
    uint8_t chooseAndSend(Mode mode);

    void FormShow();
    void CheckListBox1Click();
    void BitBtn1Click();
    void BitBtn2Click();

    TargetList* CheckListBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* lbTransporte = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void transmitterAttached(const std::shared_ptr<HidDevice>&) override;
    void transmitterRemoved(const std::shared_ptr<HidDevice>&) override;

    PanelLink& link_;
    std::function<QString()> mainCaption_;
    uint8_t command_ = ParSwitchOn;
};

// The two pictures of the chooser's button: switch on, switch off.
QIcon powerIcon(bool on);

} // namespace vorelux::app
