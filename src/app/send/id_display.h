#pragma once
// PanelNumberDisplay: while it is open every panel shows its own number (254 to
// panel 0 on opening); closing it sends 255 to panel 0 and the panels go
// back to their pages. Both commands go out on a runner's worker; the window
// closes once the second has. Widgets by object name: noticeText, closeButton.
#include "app/link/operator_link.h"
#include "app/link/transfer_runner.h"
#include "link/panel_link.h"

#include <QDialog>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace vorelux::app {

class PanelNumberDisplay final : public QDialog {
    Q_OBJECT
  public:
    // The display sends on `runner`'s worker; the runner goes before the display.
    PanelNumberDisplay(OperatorLink& link, TransferRunner& runner,
                       std::function<QString()> mainCaption, QWidget* parent = nullptr);

    // Sends the resume command, then closes; asked for while the opening
    // command goes out, it waits for it.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void opened();

    OperatorLink& link_;
    TransferRunner& runner_;
    std::function<QString()> mainCaption_;
    bool opening_ = false; // the opening command is going out
    bool closing_ = false; // the resume command is going out
    bool closeRequested_ = false;
    QPlainTextEdit* noticeText_ = nullptr;
    QPushButton* closeButton_ = nullptr; // "Fechar"
};

} // namespace vorelux::app
