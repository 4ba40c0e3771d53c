#pragma once
// "Horário de ligar e desligar": whether the panels switch themselves on and
// off, and at what times. The times can be edited only while it is on.
#include "app/settings/settings_page.h"

class QCheckBox;
class QGroupBox;
class QTimeEdit;

namespace vorelux::app {

class OnOffPage final : public SettingsPage {
    Q_OBJECT
  public:
    explicit OnOffPage(QWidget* parent = nullptr);
    bool timesEnabled() const; // "  Ativar:"
    QTime switchOnTime() const;
    QTime switchOffTime() const;
    // Unchecked, the times locked: how the page opens.
    void clear();
    // The time fields follow the check.
    void applyEnabled();

  signals:
    // The operator clicked the check; the times follow it once the dialog
    // has handled this.
    void enabledClicked(bool on);
    void sendRequested(); // "Enviar"

  private:
    QCheckBox* enabledCheck_ = nullptr;
    QGroupBox* timesBox_ = nullptr;
    QTimeEdit* switchOnEdit_ = nullptr;
    QTimeEdit* switchOffEdit_ = nullptr;
};

} // namespace vorelux::app
