#pragma once
// The small window shown while a command goes to the panels one by one: a
// text, a bar and a cancel button.
#include "link/panel_link.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vorelux {

class ProgressWindowDialog : public QDialog, public ProgressWindow {
    Q_OBJECT
  public:
    // `mainCaption` is the main window's title; the window adds " - Aguarde".
    explicit ProgressWindowDialog(const QString& mainCaption, QWidget* parent = nullptr);

    void start(int maximum) override;
    bool step(int position) override;
    void finish() override;

    bool cancelled() const { return cancelled_; }
    QPushButton* cancelButton() const { return cancel_; }
    QProgressBar* bar() const { return bar_; }
    QLabel* label() const { return label_; }

  signals:
    // "Cancelar" or the close box, at once: a wait in progress can end now
    // rather than at the loop's next step.
    void cancelRequested();

  protected:
    // The close box cancels as the button does.
    void reject() override;

  private:
    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    bool cancelled_ = false;
};

} // namespace vorelux
