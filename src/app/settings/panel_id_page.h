#pragma once
// "ID do Painel": a panel's current number and its new one. The fields take
// digits and editing keys only; Enter in "Nova ID:" sends, Enter or Tab in
// "ID atual:" selects its text.
#include "app/settings/settings_page.h"

#include <string>

class QKeyEvent;
class QLineEdit;

namespace vorelux::app {

class PanelIdPage final : public SettingsPage {
    Q_OBJECT
  public:
    explicit PanelIdPage(QWidget* parent = nullptr);
    std::string currentText() const; // "ID atual:"
    std::string newText() const;     // "Nova ID:"
    // Selects the text of one field and gives it the focus.
    void selectField(bool newField);
    void focusCurrent();

  signals:
    void sendRequested(); // "Enviar", Enter in "Nova ID:"

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // A key pressed in a field; true when it is consumed.
    bool filterKey(QLineEdit* field, const QKeyEvent* key);

    QLineEdit* currentEdit_ = nullptr;
    QLineEdit* newEdit_ = nullptr;
};

} // namespace vorelux::app
