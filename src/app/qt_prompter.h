#pragma once
// The numbered prompts and plain messages as standard message boxes.
#include "app/prompter.h"

#include <QMessageBox>
#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace vorelux::app {

// Icon and buttons of a prompt box style (16, 20, 32, 35, 36, 64).
QMessageBox::Icon promptIcon(int style);
QMessageBox::StandardButtons promptButtons(int style);
// The button as the prompts report it: 1 OK, 2 Cancel, 6 Yes, 7 No.
int promptResult(QMessageBox::StandardButton button);
// Prompt text with its CR LF line breaks made into plain line breaks.
QString promptText(const std::string& text);
// The buttons of a box captioned in Portuguese ("Sim", "Não", "Cancelar", "OK").
void portugueseButtons(QMessageBox& box);

class QtPrompter final : public Prompter {
  public:
    // caption: the main window's caption now; page: the current page, 1..8.
    QtPrompter(QWidget* parent, std::function<QString()> caption, std::function<int()> page);

    int showPrompt(unsigned msg) override;
    void message(const std::string& text) override;
    void inform(const std::string& text) override;
    int question(const std::string& text) override;

  private:
    QWidget* parent_;
    std::function<QString()> caption_;
    std::function<int()> page_;
};

} // namespace vorelux::app
