#pragma once
// PanelNumberDisplay: while it is open every panel shows its own number (254 to
// panel 0 on opening); closing it sends 255 to panel 0 and the panels go
// back to their pages. Widgets by object name: noticeText, closeButton.
#include "link/panel_link.h"

#include <QDialog>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace vorelux::app {

class PanelNumberDisplay final : public QDialog {
    Q_OBJECT
  public:
    PanelNumberDisplay(PanelLink& link, std::function<QString()> mainCaption,
                       QWidget* parent = nullptr);

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    PanelLink& link_;
    std::function<QString()> mainCaption_;
    bool sending_ = false; // the opening command is going out
    bool closeRequested_ = false;
    QPlainTextEdit* noticeText_ = nullptr;
    QPushButton* closeButton_ = nullptr; // "Fechar"
};

} // namespace vorelux::app
