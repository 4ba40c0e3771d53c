#pragma once
// TfrmExibeID: while it is open every panel shows its own number (254 to
// panel 0 on opening); closing it sends 255 to panel 0 and the panels go
// back to their pages.
#include "link/panel_link.h"

#include <QDialog>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace vorelux::app {

class TfrmExibeID final : public QDialog {
    Q_OBJECT
  public:
    TfrmExibeID(PanelLink& link, std::function<QString()> mainCaption, QWidget* parent = nullptr);

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* BitBtn1 = nullptr;

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    PanelLink& link_;
    std::function<QString()> mainCaption_;
    bool sending_ = false; // the opening command is going out
    bool closeRequested_ = false;
};

} // namespace vorelux::app
